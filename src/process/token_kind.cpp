#include <windows.h>

#include "process/elevation.h"

TokenKind CurrentTokenKind() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return TokenKind::Unknown;
    }
    TOKEN_ELEVATION_TYPE type = TokenElevationTypeDefault;
    DWORD size = 0;
    // Systems before user account control know no such class and refuse.
    const BOOL asked = GetTokenInformation(token, TokenElevationType, &type, sizeof(type), &size);
    (void)CloseHandle(token);
    if (!asked) {
        return TokenKind::Unknown;
    }
    switch (type) {
    case TokenElevationTypeDefault:
        return TokenKind::Plain;
    case TokenElevationTypeFull:
        return TokenKind::Full;
    case TokenElevationTypeLimited:
        return TokenKind::Limited;
    }
    return TokenKind::Unknown;
}
