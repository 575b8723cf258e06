#include "app/globals.h"

std::vector<std::string> g_arguments;
