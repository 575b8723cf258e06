// The drive scan against a made-up machine: which drives are asked what, in
// which order, and which one is taken. Real drives can't show the bits past Z
// or prove that a drive was not asked, so the platform queries are replaced.

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <cwchar>

#include "launch/launch_patch.h"
#include "setupfile/code_page.h"

namespace {

struct FakeDrive {
    UINT type = DRIVE_FIXED;
    bool hasDisc = true;
    std::string label;
    std::set<std::string> files;    // names below the root
    std::set<std::string> folders;  // names below the root
};

// The machine the fake queries answer from, and what they were asked.
struct FakeMachine {
    DWORD mask = 0;
    std::map<char, FakeDrive> drives;  // keyed by the root's first character
    std::vector<std::string> calls;
};

FakeMachine g_machine;

// The queries come wide; the made-up machine speaks the code page.
std::string Narrow(LPCWSTR text) {
    const int length = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(length > 0 ? length : 1), '\0');
    (void)WideCharToMultiByte(CP_ACP, 0, text, -1, &narrow[0], length, nullptr, nullptr);
    return narrow.c_str();
}

const FakeDrive* DriveOf(const std::string& path) {
    auto found = g_machine.drives.find(path[0]);
    return found == g_machine.drives.end() ? nullptr : &found->second;
}

DWORD WINAPI FakeLogicalDrives() {
    g_machine.calls.push_back("drives");
    return g_machine.mask;
}

UINT WINAPI FakeDriveType(LPCWSTR root) {
    g_machine.calls.push_back("type " + Narrow(root));
    const FakeDrive* drive = DriveOf(Narrow(root));
    return drive == nullptr ? DRIVE_NO_ROOT_DIR : drive->type;
}

BOOL WINAPI FakeVolumeInformation(LPCWSTR root, LPWSTR label, DWORD labelSize, LPDWORD serial, LPDWORD maxLength,
                                  LPDWORD flags, LPWSTR fileSystem, DWORD fileSystemSize) {
    g_machine.calls.push_back("volume " + Narrow(root));
    // The launcher must hand over room for a full label and every output.
    EXPECT_EQ(labelSize, 256u);
    EXPECT_EQ(fileSystemSize, 256u);
    EXPECT_TRUE(serial != nullptr && maxLength != nullptr && flags != nullptr && fileSystem != nullptr);
    const FakeDrive* drive = DriveOf(Narrow(root));
    if (drive == nullptr || !drive->hasDisc) {
        SetLastError(ERROR_NOT_READY);
        return FALSE;
    }
    const std::wstring wideLabel = WideFromAnsi(drive->label);
    std::wcsncpy(label, wideLabel.c_str(), labelSize - 1);
    label[labelSize - 1] = L'\0';
    std::wcscpy(fileSystem, L"CDFS");
    return TRUE;
}

DWORD WINAPI FakeFileAttributes(LPCWSTR widePath) {
    const std::string path = Narrow(widePath);
    g_machine.calls.push_back("attributes " + path);
    const FakeDrive* drive = DriveOf(path);
    const std::string name = path.substr(3);  // after "X:\"
    if (drive == nullptr || !drive->hasDisc) {
        return INVALID_FILE_ATTRIBUTES;
    }
    if (drive->folders.count(name) != 0) {
        return FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY;
    }
    return drive->files.count(name) != 0 ? FILE_ATTRIBUTE_READONLY : INVALID_FILE_ATTRIBUTES;
}

const DriveQueries kFakeQueries = {FakeLogicalDrives, FakeDriveType, FakeVolumeInformation, FakeFileAttributes};

DWORD BitOf(char rootCharacter) {
    return static_cast<DWORD>(1) << (rootCharacter - 'A');
}

FakeDrive OfType(UINT type) {
    FakeDrive drive;
    drive.type = type;
    return drive;
}
FakeDrive Fixed() {
    return OfType(DRIVE_FIXED);
}
FakeDrive Cd(const std::string& label, std::set<std::string> files = {}, std::set<std::string> folders = {}) {
    return FakeDrive{DRIVE_CDROM, true, label, std::move(files), std::move(folders)};
}
FakeDrive EmptyCd() {
    return FakeDrive{DRIVE_CDROM, false, "", {}, {}};
}

struct ScanCase {
    const char* name;
    std::map<char, FakeDrive> drives;
    std::string volume;
    std::string executeCD;
    std::string expectedRoot;
    std::vector<std::string> expectedCalls;
};

// Names the case in failure messages instead of dumping its bytes.
void PrintTo(const ScanCase& scenario, std::ostream* out) {
    *out << scenario.name;
}

class CdScan : public ::testing::TestWithParam<ScanCase> {};

TEST_P(CdScan, AsksTheDrivesInOrderAndTakesTheFirstThatQualifies) {
    const ScanCase& scan = GetParam();
    g_machine = FakeMachine{};
    g_machine.drives = scan.drives;
    for (const auto& drive : scan.drives) {
        g_machine.mask |= BitOf(drive.first);
    }
    EXPECT_EQ(FindCdRoot(scan.volume, scan.executeCD, kFakeQueries), WideFromAnsi(scan.expectedRoot));
    EXPECT_EQ(g_machine.calls, scan.expectedCalls);
}

const ScanCase kScanCases[] = {
    {"OnlyTheTypeOfADriveThatIsNoCdRom",
     {{'A', OfType(DRIVE_REMOVABLE)}, {'C', Fixed()}, {'D', OfType(DRIVE_REMOTE)}, {'E', Cd("DISC", {"go.exe"})}},
     "DISC",
     "go.exe",
     "E:\\",
     {"drives", "type A:\\", "type C:\\", "type D:\\", "type E:\\", "volume E:\\", "attributes E:\\go.exe"}},
    {"EmptyVolumeAndProbeTakeTheFirstCdWithoutAsking",
     {{'C', Fixed()}, {'D', EmptyCd()}, {'E', Cd("DISC")}},
     "",
     "",
     "D:\\",
     {"drives", "type C:\\", "type D:\\"}},
    {"AnEmptyDriveFailsTheLabelQuery",
     {{'D', EmptyCd()}, {'E', Cd("DISC")}},
     "DISC",
     "",
     "E:\\",
     {"drives", "type D:\\", "volume D:\\", "type E:\\", "volume E:\\"}},
    {"AWrongLabelSkipsTheProbe",
     {{'D', Cd("OTHER", {"go.exe"})}, {'E', Cd("DISC", {"go.exe"})}},
     "DISC",
     "go.exe",
     "E:\\",
     {"drives", "type D:\\", "volume D:\\", "type E:\\", "volume E:\\", "attributes E:\\go.exe"}},
    {"TheLabelMatchesWithLettersAToZFolded",
     {{'D', Cd("pAtCh_DISC-1")}},
     "PaTcH_disc-1",
     "",
     "D:\\",
     {"drives", "type D:\\", "volume D:\\"}},
    {"OtherLettersAreNotFolded",
     {{'D', Cd("DISC\xC9")}, {'E', Cd("DISC\xE9")}},
     "disc\xE9",
     "",
     "E:\\",
     {"drives", "type D:\\", "volume D:\\", "type E:\\", "volume E:\\"}},
    {"TheLabelMustMatchInFull",
     {{'D', Cd("DISC1")}, {'E', Cd("DIS")}, {'F', Cd("DISC")}},
     "DISC",
     "",
     "F:\\",
     {"drives", "type D:\\", "volume D:\\", "type E:\\", "volume E:\\", "type F:\\", "volume F:\\"}},
    {"AFolderOrAMissingFileFailsTheProbe",
     {{'D', Cd("", {}, {"bin\\go.exe"})}, {'E', Cd("")}, {'F', Cd("", {"bin\\go.exe"})}},
     "",
     "bin\\go.exe",
     "F:\\",
     {"drives", "type D:\\", "attributes D:\\bin\\go.exe", "type E:\\", "attributes E:\\bin\\go.exe", "type F:\\",
      "attributes F:\\bin\\go.exe"}},
    {"TheLowestLetterWinsAndEndsTheScan",
     {{'E', Cd("DISC", {"go.exe"})}, {'F', Cd("DISC", {"go.exe"})}},
     "disc",
     "go.exe",
     "E:\\",
     {"drives", "type E:\\", "volume E:\\", "attributes E:\\go.exe"}},
    {"BitsPastZAreDrivesToo",
     {{'[', Fixed()}, {'`', Cd("DISC")}},
     "DISC",
     "",
     "`:\\",
     {"drives", "type [:\\", "type `:\\", "volume `:\\"}},
    {"NoDriveQualifies",
     {{'C', Fixed()}, {'D', Cd("OTHER")}},
     "DISC",
     "",
     "",
     {"drives", "type C:\\", "type D:\\", "volume D:\\"}},
    {"NoDrivesAtAll", {}, "", "", "", {"drives"}},
};

INSTANTIATE_TEST_SUITE_P(Cases, CdScan, ::testing::ValuesIn(kScanCases),
                         [](const ::testing::TestParamInfo<ScanCase>& info) { return std::string(info.param.name); });

}  // namespace
