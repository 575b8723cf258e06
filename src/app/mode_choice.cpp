#include "app/mode_choice.h"

#include "setupfile/text.h"

Mode ChooseMode(const std::string& modeValue, const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return EqualsExactly(modeValue, "Install") ? Mode::Install : Mode::Launch;
    }
    if (arguments.size() == 1) {
        if (CompareNoCase(arguments[0], kInstallSwitch) == 0) {
            return Mode::Install;
        }
        if (CompareNoCase(arguments[0], kUninstallSwitch) == 0) {
            return Mode::Uninstall;
        }
    }
    return Mode::InvalidSwitch;
}
