#include "install/install_patch.h"

int InstallPatch() {
    return 0;
}
