#include "install/start_menu.h"

void CreateStartMenuGroup(const std::string&, const std::string&, const ShortcutNames&, std::vector<std::string>&,
                          std::vector<std::string>&) {}

bool CreateShortcut(const std::string&, const std::string&, const std::string&, const std::string&,
                    const std::string&, int) {
    return false;
}
