#include "uninstall/uninstall_patch.h"

int UninstallPatch() {
    return 0;
}
