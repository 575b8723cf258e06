#include "install_run.h"

#include <shlobj.h>

#include <cstring>


namespace installtest {


const char kAppName[] = "Install Test Patch";
const char kErrorHeader[] = "Install failed";
const char kErrorFileShown[] = "Copy failed\r\nrolled back";
const char kErrorPermissionsShown[] = "No rights\r\nat all";
const char kErrorFileInUseShown[] =
    "A file that the patch must replace is in use.\r\nClose the program that holds it, then start the setup again.";
const char kSuccessHeader[] = "All done";
const char kSuccessInstallShown[] = "Installed\r\nfine";
const char kDialogAbortHeader[] = "Leave?";
const char kDialogAbortShown[] = "Really\r\nleave?";
const char kDialogInstallTextShown[] = "Welcome\r\nto the patch";
const char kDialogInstallLabel[] = "&Go";
const char kDialogExitLabel[] = "Leave";

namespace {

const char kCrLf[] = "\r\n";
using driver::kMessageBoxTextId;
using driver::kSetupBodyId;
constexpr DWORD kPollMs = 20;


std::string JoinLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line + kCrLf;
    }
    return text;
}

std::string Join(const std::string& left, const std::string& right) {
    return (!left.empty() && left.back() == '\\') ? left + right : left + "\\" + right;
}

std::string NumberedSection(const char* name, const std::vector<std::string>& entries) {
    std::string text = std::string("[") + name + "]" + kCrLf;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        text += std::to_string(i + 1) + "=\"" + entries[i] + "\"" + kCrLf;
    }
    return text + kCrLf;
}

bool HasControl(HWND window, int controlId) {
    return GetDlgItem(window, controlId) != nullptr;
}

using driver::IsMessageBox;

// The next enabled dialog of the process that passes `wanted`, or null when
// the process ends or the time runs out first.
HWND WaitForDialog(const driver::ChildProcess& process, bool (*wanted)(HWND), DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        for (HWND window : driver::TopLevelWindows(process.Id())) {
            if (driver::ClassName(window) == "#32770" && IsWindowEnabled(window) && wanted(window)) {
                return window;
            }
        }
        if (process.HasExited()) {
            return nullptr;
        }
        Sleep(kPollMs);
    }
    return nullptr;
}

bool IsSetupDialogOrMessageBox(HWND window) {
    return HasControl(window, kSetupBodyId) || HasControl(window, kMessageBoxTextId);
}

}  // namespace

HWND WaitForMessageBoxOnly(const driver::ChildProcess& process, DWORD timeoutMs) {
    return WaitForDialog(process, IsMessageBox, timeoutMs);
}

HWND WaitForDialogOrBox(const driver::ChildProcess& process, DWORD timeoutMs) {
    return WaitForDialog(process, IsSetupDialogOrMessageBox, timeoutMs);
}

std::string SourceSetupIni(const std::string& targetFolder, const std::vector<std::string>& files) {
    std::vector<std::string> lines = {
        "[General]",
        "Mode=Install",
        std::string("AppName=") + kAppName,
        "TargetFolder=" + targetFolder,
        "Volume=PATCHCD",
        "Execute=GamePatch.exe",
        "WaitExecute=1",
        "ExecuteCD=probe\\check.exe",
        "",
        "[Text]",
        std::string("ErrorHeader=") + kErrorHeader,
        "ErrorCD=No disc\\nhere",
        "ErrorPermissions=No rights\\nat all",
        "ErrorFile=Copy failed\\nrolled back",
        std::string("DialogAbortHeader=") + kDialogAbortHeader,
        "DialogAbort=Really\\nleave?",
        std::string("SuccessHeader=") + kSuccessHeader,
        "SuccessInstall=Installed\\nfine",
        "DialogInstallText=Welcome\\nto the patch",
        "DialogUninstallText=\"  a\\nb  \"",
        "ErrorUninstall=Still\\nthere",
        std::string("DialogInstall=") + kDialogInstallLabel,
        std::string("DialogExit=") + kDialogExitLabel,
        "ShortcutStart=Start It",
        "ShortcutReadMe=Read It",
        "ShortcutUninstall=Remove It",
        "",
        "[PreloadDLLs]",
        "1=first.dll",
        "2=second.dll",
        "4=after a gap.dll",
        "",
        "[Files]",
    };
    for (std::size_t i = 0; i < files.size(); ++i) {
        lines.push_back(std::to_string(i + 1) + "=" + files[i]);
    }
    return JoinLines(lines);
}

std::string ExpectedInstalledSetup(const std::vector<std::string>& createdFiles,
                                   const std::vector<std::string>& createdFolders) {
    // WaitExecuteCD, DialogUninstall and SuccessUninstall are missing from the
    // source, so their defaults are written; ErrorNotInstalled is missing too,
    // and uninstall's own texts are written only when set.
    const std::string settings = JoinLines({
        "[General]",
        "Mode=\"Run\"",
        std::string("AppName=\"") + kAppName + "\"",
        "Volume=\"PATCHCD\"",
        "Execute=\"GamePatch.exe\"",
        "WaitExecute=\"1\"",
        "ExecuteCD=\"probe\\check.exe\"",
        "WaitExecuteCD=\"0\"",
        "",
        "[Text]",
        std::string("ErrorHeader=\"") + kErrorHeader + "\"",
        "ErrorCD=\"No disc\\nhere\"",
        std::string("DialogExit=\"") + kDialogExitLabel + "\"",
        "DialogUninstall=\"&Uninstall\"",
        "DialogText=\"  a\\nb  \"",
        std::string("SuccessHeader=\"") + kSuccessHeader + "\"",
        "SuccessUninstall=\"Patch removed\"",
        "ErrorUninstall=\"Still\\nthere\"",
        "",
        "[PreloadDLLs]",
        "1=\"first.dll\"",
        "2=\"second.dll\"",
        "",
    });
    return settings + NumberedSection("Files", createdFiles) + NumberedSection("Folders", createdFolders);
}

std::string GroupFolder() {
    return Join(ProgramsFolder(), kAppName);
}

std::vector<std::string> ExpectedCreatedFiles(const std::string& targetFolder, const std::vector<std::string>& names) {
    std::vector<std::string> files = {Join(targetFolder, "Setup.ini"), Join(targetFolder, "Setup.exe")};
    for (const std::string& name : names) {
        files.push_back(Join(targetFolder, name));
    }
    // The link paths always get their backslash after the group folder.
    for (const char* shortcut : {"Start It", "Read It", "Remove It"}) {
        files.push_back(GroupFolder() + "\\" + shortcut + ".lnk");
    }
    return files;
}

std::vector<std::string> ExpectedCreatedFolders(const std::string& targetFolder) {
    return {targetFolder, GroupFolder()};
}

std::uint64_t FileSizeOf(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(testenv::WideFromUtf8(path).c_str(), GetFileExInfoStandard, &data)) {
        return 0;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::string PatternBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    unsigned state = seed * 2654435761u + 1;
    for (std::size_t i = 0; i < size; ++i) {
        state = state * 1103515245u + 12345u;
        bytes[i] = static_cast<char>((state >> 16) ^ i);
    }
    return bytes;
}

InstallRun RunInstall(const std::string& exe, const std::string& folder, DWORD workTimeoutMs) {
    InstallRun run;
    driver::ChildProcess process;
    run.started = process.Start(exe, testenv::CommandLineFor(exe, ""), folder);
    if (!run.started) {
        return run;
    }
    HWND window = WaitForDialog(process, IsSetupDialogOrMessageBox, driver::kDefaultTimeoutMs);
    if (window != nullptr && HasControl(window, kSetupBodyId)) {
        run.dialogShown = true;
        run.dialogCaption = driver::WindowText(window);
        run.dialogHeading = driver::ControlText(window, 1000);
        run.dialogBody = driver::ControlText(window, kSetupBodyId);
        run.okLabel = driver::ControlText(window, IDOK);
        run.cancelLabel = driver::ControlText(window, IDCANCEL);
        (void)driver::PressButton(window, IDOK);
        (void)driver::WaitForWindowGone(window);
        window = WaitForMessageBoxOnly(process, workTimeoutMs);
    }
    if (window != nullptr && IsMessageBox(window)) {
        run.boxShown = true;
        run.box = driver::ReadMessageBox(window);
        (void)driver::PressButton(window, IDOK);
        (void)driver::WaitForWindowGone(window);
    }
    run.exited = process.WaitForExit(run.exitCode);
    return run;
}

namespace {

// Adds what `folder` holds, at any depth, named from `prefix` on.
void AddStateOf(const std::string& folder, const std::string& prefix, FolderState& state) {
    for (const std::string& name : testenv::FolderEntries(folder)) {
        const std::string path = folder + "\\" + name;
        Held held{"", GetFileAttributesW(testenv::WideFromUtf8(path).c_str())};
        if (testenv::IsFolder(path)) {
            AddStateOf(path, prefix + name + "\\", state);
        } else {
            (void)testenv::ReadFileBytes(path, held.bytes);
        }
        state[prefix + name] = held;
    }
}

}  // namespace

FolderState StateOf(const std::string& folder) {
    FolderState state;
    if (!testenv::IsFolder(folder)) {
        state["<no folder>"] = Held{"", 0};
        return state;
    }
    state["."] = Held{"", GetFileAttributesW(testenv::WideFromUtf8(folder).c_str())};
    AddStateOf(folder, "", state);
    return state;
}

std::string Names(const FolderState& state) {
    std::string names;
    for (const auto& entry : state) {
        names += "[" + entry.first + "]";
    }
    return names;
}

std::string DescribeFolder(const std::string& path) {
    std::string text;
    for (const std::string& name : testenv::FolderEntries(path)) {
        text += "[" + name + "]";
    }
    return text;
}

void InstallTest::SetUp() {
    ASSERT_TRUE(programFilesDir_.SetString(programFiles_.Path()));
    ASSERT_FALSE(ProgramsFolder().empty());
    testenv::RemoveTree(GroupFolder());
}

void InstallTest::TearDown() {
    testenv::RemoveTree(GroupFolder());
}

void InstallTest::PrepareMedium(const std::string& targetFolder, const std::vector<std::string>& files) {
    testenv::PrepareMedium(medium_, SourceSetupIni(targetFolder, files));
    ASSERT_TRUE(testenv::PathExists(medium_ / "Setup.exe"));
}

void InstallTest::AddMediumFile(const std::string& name, const std::string& bytes) {
    ASSERT_TRUE(testenv::WriteFileBytes(medium_ / name, bytes)) << name;
}

InstallRun InstallTest::RunFromMedium() {
    return RunInstall(medium_ / "Setup.exe", medium_.Path());
}

HWND InstallTest::StartFromMedium(driver::ChildProcess& process) {
    const std::string exe = medium_ / "Setup.exe";
    if (!process.Start(exe, testenv::CommandLineFor(exe, ""), medium_.Path())) {
        return nullptr;
    }
    return driver::WaitForSetupDialog(process.Id());
}

void InstallTest::ExpectCopiedFromMedium(const std::string& targetFolder, const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        std::string source;
        std::string copy;
        ASSERT_TRUE(testenv::ReadFileBytes(medium_ / name, source)) << name;
        ASSERT_TRUE(testenv::ReadFileBytes(Join(targetFolder, name), copy)) << name;
        EXPECT_EQ(copy.size(), source.size()) << name;
        EXPECT_TRUE(copy == source) << name << " differs from its source";
    }
}

void InstallTest::ExpectSuccessBox(const InstallRun& run) {
    ASSERT_TRUE(run.boxShown);
    EXPECT_EQ(run.box.caption, kSuccessHeader);
    EXPECT_EQ(run.box.text, kSuccessInstallShown);
    EXPECT_TRUE(run.box.hasOk);
    EXPECT_FALSE(run.box.hasYes);
    ASSERT_TRUE(run.exited) << "a second box or a hang after the success box";
    EXPECT_EQ(run.exitCode, 0u);
}

void InstallTest::ExpectErrorFileBox(const InstallRun& run) {
    ASSERT_TRUE(run.boxShown);
    EXPECT_EQ(run.box.caption, kErrorHeader);
    EXPECT_EQ(run.box.text, kErrorFileShown);
    EXPECT_TRUE(run.box.hasOk);
    EXPECT_FALSE(run.box.hasYes);
    ASSERT_TRUE(run.exited) << "a second box or a hang after the error box";
    EXPECT_EQ(run.exitCode, kFailureStatus);
}

}  // namespace installtest
