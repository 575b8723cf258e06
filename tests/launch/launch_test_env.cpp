#include "launch_test_env.h"

#include <algorithm>

namespace launchtest {

namespace {

const char kRecordVariable[] = "RECORDER_LOG";
const char kProgramHelper[] = "run_recorder.exe";
const char kLibraryHelper[] = "load_recorder.dll";
constexpr DWORD kPollMs = 20;
constexpr DWORD kLabelSize = 256;

std::string HelperPath(const char* name) {
    return testenv::HelpersDir() + "\\" + name;
}

bool IsInside(const std::string& path, const std::string& folder) {
    return path.size() > folder.size() && path.compare(0, folder.size(), folder) == 0 && path[folder.size()] == '\\';
}

}  // namespace

std::vector<CdDrive> CdDrives() {
    std::vector<CdDrive> drives;
    const DWORD present = GetLogicalDrives();
    for (int letter = 0; letter < 26; ++letter) {
        if ((present & (static_cast<DWORD>(1) << letter)) == 0) {
            continue;
        }
        const std::string root = std::string(1, static_cast<char>('A' + letter)) + ":\\";
        if (GetDriveTypeA(root.c_str()) != DRIVE_CDROM) {
            continue;
        }
        char label[kLabelSize] = "";
        char fileSystem[kLabelSize] = "";
        DWORD serial = 0;
        DWORD maxLength = 0;
        DWORD flags = 0;
        if (!GetVolumeInformationA(root.c_str(), label, sizeof(label), &serial, &maxLength, &flags, fileSystem,
                                   sizeof(fileSystem))) {
            label[0] = '\0';
        }
        drives.push_back(CdDrive{root, label});
    }
    return drives;
}

void LaunchTest::SetUp() {
    ASSERT_FALSE(testenv::SetupExePath().empty()) << "SETUP_EXE is not set";
    ASSERT_FALSE(testenv::HelpersDir().empty()) << "TEST_HELPERS_DIR is not set";
    ASSERT_TRUE(testenv::CopyOneFile(testenv::SetupExePath(), launcher_ / "Setup.exe"));
    recordFile_ = records_ / "record.log";
    // Inherited by the launcher, the libraries it loads and the programs it starts.
    ASSERT_TRUE(SetEnvironmentVariableA(kRecordVariable, recordFile_.c_str()));
}

void LaunchTest::TearDown() {
    EXPECT_TRUE(WaitForProgramsToEnd()) << "a started program did not end";
    (void)SetEnvironmentVariableA(kRecordVariable, nullptr);
    // Deepest first, so that folders are empty when their turn comes.
    std::reverse(removeAfterwards_.begin(), removeAfterwards_.end());
    for (const std::string& path : removeAfterwards_) {
        testenv::RemoveTree(path);
    }
}

void LaunchTest::RemoveLater(const std::string& path) {
    if (!IsInside(path, launcher_.Path()) && !IsInside(path, records_.Path())) {
        removeAfterwards_.push_back(path);
    }
}

void LaunchTest::PutFolder(const std::string& path) {
    // Parents first, each one removed after the test if it was made here.
    for (size_t separator = path.find('\\', 3); ; separator = path.find('\\', separator + 1)) {
        const std::string part = path.substr(0, separator);
        if (!testenv::PathExists(part)) {
            ASSERT_TRUE(CreateDirectoryW(testenv::WideFromUtf8(part).c_str(), nullptr)) << part;
            RemoveLater(part);
        }
        if (separator == std::string::npos) {
            break;
        }
    }
}

void LaunchTest::PutProgram(const std::string& path, DWORD sleepMs) {
    PutFolder(path.substr(0, path.rfind('\\')));
    RemoveLater(path);
    ASSERT_TRUE(testenv::CopyOneFile(HelperPath(kProgramHelper), path)) << path;
    if (sleepMs > 0) {
        RemoveLater(path + ".sleep");
        ASSERT_TRUE(testenv::WriteFileBytes(path + ".sleep", std::to_string(sleepMs)));
    }
}

void LaunchTest::DetachFirstThread(const std::string& path) {
    RemoveLater(path + ".detach");
    ASSERT_TRUE(testenv::WriteFileBytes(path + ".detach", ""));
}

void LaunchTest::PutLibrary(const std::string& path) {
    RemoveLater(path);
    ASSERT_TRUE(testenv::CopyOneFile(HelperPath(kLibraryHelper), path)) << path;
}

bool LaunchTest::WriteSetupIni(const std::string& setupIni, const std::string& startFolder) {
    const std::string setupIniPath = startFolder + "\\Setup.ini";
    RemoveLater(setupIniPath);
    return testenv::WriteFileBytes(setupIniPath, setupIni);
}

bool LaunchTest::StartLauncher(driver::ChildProcess& process, const std::string& launcher,
                               const std::string& startFolder) {
    if (!process.Start(launcher, testenv::CommandLineFor(launcher, ""), startFolder)) {
        ADD_FAILURE() << launcher << " did not start";
        return false;
    }
    return true;
}

LaunchResult LaunchTest::Launch(const std::string& setupIni, const std::string& startFolder,
                                const std::string& launcher) {
    EXPECT_TRUE(WriteSetupIni(setupIni, startFolder));
    return RunLauncher(launcher.empty() ? launcher_ / "Setup.exe" : launcher, startFolder);
}

LaunchResult LaunchTest::RunLauncher(const std::string& launcher, const std::string& startFolder) {
    LaunchResult result;
    driver::ChildProcess process;
    if (!StartLauncher(process, launcher, startFolder)) {
        return result;
    }
    result.ended = process.WaitForExit(result.status, kProgramTimeoutMs);
    result.eventsAtEnd = Events();
    if (!result.ended) {
        HWND box = driver::WaitForMessageBox(process.Id(), kPollMs);
        if (box != nullptr) {
            const driver::MessageBoxContents contents = driver::ReadMessageBox(box);
            ADD_FAILURE() << "unexpected box \"" << contents.caption << "\": " << contents.text;
        } else {
            ADD_FAILURE() << "Setup.exe did not end";
        }
        process.Kill();
    }
    return result;
}

BoxResult LaunchTest::LaunchUntilBox(const std::string& setupIni) {
    BoxResult result;
    driver::ChildProcess process;
    EXPECT_TRUE(WriteSetupIni(setupIni, launcher_.Path()));
    if (!StartLauncher(process, launcher_ / "Setup.exe", launcher_.Path())) {
        return result;
    }
    HWND box = driver::WaitForMessageBox(process.Id());
    result.shown = box != nullptr;
    if (!result.shown) {
        result.ended = process.WaitForExit(result.status, 0);
        result.eventsAtEnd = Events();
        return result;
    }
    result.box = driver::ReadMessageBox(box);
    EXPECT_TRUE(driver::PressButton(box, IDOK));
    result.ended = process.WaitForExit(result.status);
    result.eventsAtEnd = Events();
    return result;
}

bool LaunchTest::WaitForProgramsToEnd(DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    for (;;) {
        const std::vector<recorder::Event> events = Events();
        const auto count = [&](const char* field) {
            return std::count_if(events.begin(), events.end(),
                                 [&](const recorder::Event& event) { return event.field == field; });
        };
        if (count("started") == count("ended")) {
            return true;
        }
        if (GetTickCount() - start >= timeoutMs) {
            return false;
        }
        Sleep(kPollMs);
    }
}

std::string IniText(std::initializer_list<const char*> lines) {
    std::string text;
    for (const char* line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

bool SamePath(const std::string& a, const std::string& b) {
    return CompareStringW(LOCALE_SYSTEM_DEFAULT, NORM_IGNORECASE, testenv::WideFromUtf8(a).c_str(), -1,
                          testenv::WideFromUtf8(b).c_str(), -1) == CSTR_EQUAL;
}

}  // namespace launchtest
