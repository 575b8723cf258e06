#include "install/install_step.h"

void AfterInstallChange() {}
