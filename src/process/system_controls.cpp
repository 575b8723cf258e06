#include "process/system_controls.h"

#include <windows.h>
#include <commctrl.h>

#include "process/library_search.h"

namespace {

// Not imported: an import would be looked for beside Setup.exe at start,
// and a quick install needs no control of it.
const wchar_t kControlsLibrary[] = L"comctl32.dll";
using InitCommonControlsExFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX* controls);

}  // namespace

bool RegisterProgressBarClass() {
    HMODULE library = LoadSystemLibrary(kControlsLibrary);
    const auto initialise =
        library != nullptr ? LibraryFunction<InitCommonControlsExFunction>(library, "InitCommonControlsEx") : nullptr;
    if (initialise == nullptr) {
        return false;
    }
    const INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_PROGRESS_CLASS};
    return initialise(&controls) != FALSE;
}
