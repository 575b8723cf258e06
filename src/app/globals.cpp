#include "app/globals.h"

HINSTANCE g_instance = nullptr;
HICON g_dialogIcon = nullptr;
std::vector<std::string> g_arguments;
