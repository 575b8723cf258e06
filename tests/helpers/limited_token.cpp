// Linked into a test build of Setup.exe in place of the real token query:
// Wine gives every process an administrator's full token, so this build
// answers as an administrator's filtered token would, and the start with
// "runas" can be tried.

#include "process/elevation.h"

TokenKind CurrentTokenKind() {
    return TokenKind::Limited;
}
