#pragma once
// The removal of an install once the user confirmed it. Every change is made
// in an order that a kill at any moment leaves finishable from Settings >
// Apps: the entry starts the installed Setup.exe until that is parked, and
// the parked copy from then on, which finishes what is left.

#include <string>

struct UninstallTexts {
    std::string exitLabel;
    std::string uninstallLabel;
    std::string body;
    std::string successCaption;
    std::string successText;
    std::string appName;
    std::string errorCaption;
    std::string filesStayedText;
    std::string progressLine;
};

// Whether `name` is the file name under which an uninstall parks its
// executable in the temporary folder.
bool IsParkingName(const std::wstring& name);

// Removes what the record of the installed Setup.ini in `folder`, the
// current directory, names, by the running `executable` (the installed
// Setup.exe, or the parked copy finishing a killed uninstall). -1 after a
// box that names a recorded file that would stay or lies off the patch's
// ground (nothing changed then) or that stayed after all; 0 after the
// success box.
int RemoveRecordedInstall(const std::wstring& folder, const std::wstring& executable, const UninstallTexts& texts);

// Finishes an uninstall that was killed after it deleted the record: the
// folder, once empty, and the Apps entry that starts `parked`. 0 after the
// success box.
int FinishWithoutRecord(const std::wstring& folder, const std::wstring& parked, const UninstallTexts& texts);
