#pragma once
// Every key of Setup.ini with its default, in one place, so that install,
// uninstall and run read each copied key with the same default: a reader of
// the installed file then sees exactly the value that install read.
// No Win32 here.

// How Setup.exe takes a key's value; the checker of a medium judges each kind
// by its own rules.
enum class KeyUse {
    Setting,   // a mode, path, label or switch, taken as it is
    Caption,   // a caption or button label, shown as it is: "\n" too
    Text,      // a message or dialog text, in which "\n" breaks the line
    FileName,  // the file name of a shortcut
};

// Which Setup.ini an author's value reaches Setup.exe from.
enum class KeySource {
    Medium,     // the one the author writes (install may copy it on)
    Installed,  // only the one that install writes
};

struct SetupKey {
    const char* section;
    const char* name;
    const char* defaultValue;
    KeyUse use;
    KeySource source;
};

// The one list of keys: each line makes the constant that Setup.exe reads
// through (keys::kMode, ...) and an entry of keys::kAll, by which the checker
// knows every key. A key added here is known to both.
//   KEY(constant, section, name, default, KeyUse, KeySource)
// clang-format off
#define SETUP_INI_KEYS(KEY)                                                                                            \
    KEY(kMode, "General", "Mode", "run", Setting, Medium)                                                               \
    KEY(kAppName, "General", "AppName", "Patch", Caption, Medium)                                                       \
    KEY(kTargetFolder, "General", "TargetFolder", "Morvelan", Setting, Medium)                                          \
    KEY(kVolume, "General", "Volume", "", Setting, Medium)                                                              \
    KEY(kExecute, "General", "Execute", "", Setting, Medium)                                                            \
    KEY(kWaitExecute, "General", "WaitExecute", "0", Setting, Medium)                                                   \
    KEY(kExecuteCD, "General", "ExecuteCD", "", Setting, Medium)                                                        \
    KEY(kWaitExecuteCD, "General", "WaitExecuteCD", "0", Setting, Medium)                                               \
    /* The entry in Settings > Apps: its version and publisher, shown only when */                                       \
    /* set, and whether there is one at all (exactly "0" leaves it out). */                                              \
    KEY(kDisplayVersion, "General", "DisplayVersion", "", Setting, Medium)                                              \
    KEY(kPublisher, "General", "Publisher", "", Caption, Medium)                                                        \
    KEY(kAppsEntry, "General", "AppsEntry", "1", Setting, Medium)                                                       \
    KEY(kErrorHeader, "Text", "ErrorHeader", "Error", Caption, Medium)                                                  \
    KEY(kErrorCD, "Text", "ErrorCD", "The CD could not be located", Text, Medium)                                       \
    KEY(kErrorPermissions, "Text", "ErrorPermissions", "Not enough permissions to perform this operation", Text,       \
        Medium)                                                                                                         \
    KEY(kErrorFile, "Text", "ErrorFile", "The file(s) could not be created/copied", Text, Medium)                      \
    KEY(kDialogAbortHeader, "Text", "DialogAbortHeader", "Exit", Caption, Medium)                                       \
    KEY(kDialogAbort, "Text", "DialogAbort", "Really exit without installing the patch?", Text, Medium)                \
    KEY(kSuccessHeader, "Text", "SuccessHeader", "Success", Caption, Medium)                                            \
    KEY(kSuccessInstall, "Text", "SuccessInstall", "Patch process completed", Text, Medium)                             \
    KEY(kSuccessUninstall, "Text", "SuccessUninstall", "Patch removed", Text, Medium)                                   \
    KEY(kShortcutStart, "Text", "ShortcutStart", "", FileName, Medium)                                                  \
    KEY(kShortcutReadMe, "Text", "ShortcutReadMe", "", FileName, Medium)                                                \
    KEY(kShortcutUninstall, "Text", "ShortcutUninstall", "", FileName, Medium)                                          \
    KEY(kDialogExit, "Text", "DialogExit", "Exit", Caption, Medium)                                                     \
    KEY(kDialogInstall, "Text", "DialogInstall", "&Install", Caption, Medium)                                           \
    KEY(kDialogUninstall, "Text", "DialogUninstall", "&Uninstall", Caption, Medium)                                     \
    KEY(kDialogInstallText, "Text", "DialogInstallText", "", Text, Medium)                                              \
    KEY(kDialogUninstallText, "Text", "DialogUninstallText", "", Text, Medium)                                          \
    /* The installed file carries DialogUninstallText under this key. */                                               \
    KEY(kDialogText, "Text", "DialogText", "", Text, Installed)                                                         \
    /* Uninstall's refusal beside a Setup.ini that no install wrote. */                                                 \
    KEY(kErrorNotInstalled, "Text", "ErrorNotInstalled",                                                                \
        "No installed patch was found beside this Setup.exe, so nothing was removed", Text, Medium)                    \
    /* Uninstall's failure when a recorded file can't be removed. Both uninstall */                                    \
    /* texts go into the installed file only when the medium's file sets them. */                                       \
    KEY(kErrorUninstall, "Text", "ErrorUninstall",                                                                      \
        "Some files of the patch could not be removed.\\nClose the patch's programs and try again", Text, Medium) \
    /* A second install or uninstall of the same folder while one runs. */                                              \
    KEY(kErrorAlreadyRunning, "Text", "ErrorAlreadyRunning", "Setup is already running.", Text, Medium)                 \
    /* The installed copy beside the journal of an install that was killed. */                                          \
    KEY(kErrorInterrupted, "Text", "ErrorInterrupted",                                                                  \
        "The last setup of this patch was interrupted.\\nStart the setup from the disc again to set it right.",       \
        Text, Medium)                                                                                                   \
    /* Run mode that can't take its own path, so can't find the patch's files. */                                        \
    KEY(kErrorLongPath, "Text", "ErrorLongPath",                                                                        \
        "The path of this Setup.exe is too long to start the patch from.\\nMove it to a folder with a shorter path.",  \
        Text, Medium)                                                                                                   \
    /* Install's word on the interrupted run that it has just undone. */                                                \
    KEY(kRepairedInterrupted, "Text", "RepairedInterrupted",                                                            \
        "The last setup of this patch was interrupted.\\nEverything it had changed is back as it was.", Text, Medium) \
    /* The line of the window that a long copy or removal shows. */                                                   \
    KEY(kProgressInstall, "Text", "ProgressInstall", "Copying the files of the patch. Please wait.", Text, Medium)      \
    KEY(kProgressUninstall, "Text", "ProgressUninstall", "Removing the patch. Please wait.", Text, Medium)             \
    /* Install's refusal, before any change, of a file it must replace that a program holds. */                         \
    KEY(kErrorFileInUse, "Text", "ErrorFileInUse",                                                                      \
        "A file that the patch must replace is in use.\\nClose the program that holds it, then start the setup again.", \
        Text, Medium)                                                                                                   \
    /* Install's refusal, before any change, of a volume with too little room: %1 and %2 are */                         \
    /* the megabytes it needs and the megabytes free. */                                                                \
    KEY(kErrorDiskSpace, "Text", "ErrorDiskSpace",                                                                      \
        "There is not enough room on the disk for the patch: it needs %1 MB, and %2 MB are free.\\n"                  \
        "Make room, then start the setup again.",                                                                       \
        Text, Medium)
// clang-format on

namespace keys {

#define SETUP_INI_KEY_CONSTANT(constant, section, name, defaultValue, use, source) \
    inline constexpr SetupKey constant{section, name, defaultValue, KeyUse::use, KeySource::source};
SETUP_INI_KEYS(SETUP_INI_KEY_CONSTANT)
#undef SETUP_INI_KEY_CONSTANT

#define SETUP_INI_KEY_ADDRESS(constant, ...) &constant,
inline constexpr const SetupKey* kAll[] = {SETUP_INI_KEYS(SETUP_INI_KEY_ADDRESS)};
#undef SETUP_INI_KEY_ADDRESS

}  // namespace keys

// Numbered lists: keys 1, 2, 3, ... up to the first empty or missing value.
inline constexpr const char* kPreloadDLLsSection = "PreloadDLLs";
inline constexpr const char* kFilesSection = "Files";
inline constexpr const char* kFoldersSection = "Folders";

// The value that the installed file always carries as its Mode.
inline constexpr const char* kInstalledMode = "Run";
