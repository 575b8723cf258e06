#include "ui/globals.h"

HINSTANCE g_instance = nullptr;
HICON g_dialogIcon = nullptr;
