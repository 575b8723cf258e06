// Process entry: keep the module and its icon, split the command line, read
// the mode value and run exactly one mode.

#include <windows.h>

#include "app/globals.h"
#include "process/library_search.h"
#include "app/mode_choice.h"
#include "app/parse_command_line.h"
#include "install/install_patch.h"
#include "launch/launch_patch.h"
#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"
#include "ui/message_box.h"
#include "ui/resource.h"
#include "uninstall/uninstall_patch.h"

namespace {

// The status of a start refused for its arguments.
constexpr int kInvalidSwitchStatus = -1;
// The status of a start refused for a library redirection beside the program.
constexpr int kRedirectedStatus = -1;

int ShowInvalidSwitch() {
    // Built-in texts: no Setup.ini key overrides them.
    (void)ShowMessage("Invalid switch specified.", "Error", MB_OK);
    return kInvalidSwitchStatus;
}

struct ModeEntry {
    Mode mode;
    int (*run)();
};

const ModeEntry kModeTable[] = {
    {Mode::Install, InstallPatch},
    {Mode::Uninstall, UninstallPatch},
    {Mode::Launch, LaunchPatch},
    {Mode::InvalidSwitch, ShowInvalidSwitch},
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    g_instance = instance;
    // Before anything can make the platform load a library.
    RestrictLibrarySearch();
    // Libraries in such a redirection come before the system's own, even for
    // a message box, so the program ends without showing one.
    if (LibraryRedirectionPresent()) {
        return kRedirectedStatus;
    }
    // A missing icon only leaves the dialog without one.
    g_dialogIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    ParseCommandLine();

    const Mode mode = ChooseMode(ReadSetting(keys::kMode), g_arguments);
    for (const ModeEntry& entry : kModeTable) {
        if (entry.mode == mode) {
            return entry.run();
        }
    }
    return kInvalidSwitchStatus;
}
