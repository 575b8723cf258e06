#include "launch/launch_patch.h"

int LaunchPatch() {
    return 0;
}
