// Installs that stop: the roll-back of a failed copy or record, the rights
// test, a target folder that can't be made or used, and a dialog cancelled or
// never shown.

#include <windows.h>

#include <sddl.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "install_run.h"
#include "ui/resource.h"
#include "unix_side.h"

namespace installtest {
namespace {

using testenv::FolderEntries;

// After a failure into a target folder that the run made, nothing is left:
// not the folder, nor a Start-menu group.
void ExpectNothingLeft(const std::string& programFiles) {
    EXPECT_EQ(FolderEntries(programFiles), std::vector<std::string>{}) << "left: " << DescribeFolder(programFiles);
    EXPECT_FALSE(testenv::PathExists(GroupFolder()));
}

// After a failure into a target folder that was there before, the folder is
// left with what it held before, and no Start-menu group.
void ExpectRolledBack(const std::string& programFiles, const std::vector<std::string>& leftInTarget) {
    EXPECT_EQ(FolderEntries(programFiles), std::vector<std::string>{"Target"});
    EXPECT_EQ(FolderEntries(programFiles + "\\Target"), leftInTarget)
        << "left: " << DescribeFolder(programFiles + "\\Target");
    EXPECT_FALSE(testenv::PathExists(GroupFolder()));
}

// A file that the install finds in its way: bytes and attributes, for
// telling whether it came back whole.
struct EarlierFile {
    const char* name;
    std::string bytes;
    DWORD attributes;
};

// An earlier install of the patch: its installed Setup.ini with a record, and
// a hidden copy of the first Files entry.
std::vector<EarlierFile> EarlierInstall() {
    return {{"Setup.ini", "[General]\r\nMode=\"Run\"\r\n\r\n[Files]\r\n1=\"earlier\"\r\n\r\n", FILE_ATTRIBUTE_ARCHIVE},
            {"one.bin", PatternBytes(3000, 20), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE}};
}

void PlaceEarlierFiles(const std::string& folder, const std::vector<EarlierFile>& files) {
    for (const EarlierFile& file : files) {
        const std::string path = folder + "\\" + file.name;
        ASSERT_TRUE(testenv::WriteFileBytes(path, file.bytes)) << path;
        ASSERT_TRUE(SetFileAttributesA(path.c_str(), file.attributes)) << path;
        ASSERT_EQ(GetFileAttributesA(path.c_str()), file.attributes) << path;
    }
}

void ExpectEarlierFilesBack(const std::string& folder, const std::vector<EarlierFile>& files) {
    for (const EarlierFile& file : files) {
        const std::string path = folder + "\\" + file.name;
        std::string bytes;
        EXPECT_TRUE(testenv::ReadFileBytes(path, bytes)) << path;
        EXPECT_TRUE(bytes == file.bytes) << path << " is not the earlier file";
        EXPECT_EQ(GetFileAttributesA(path.c_str()), file.attributes) << path;
    }
}

TEST_F(InstallTest, MissingSetupExeOnTheMediumRollsBack) {
    // Started from elsewhere, with the medium (which lacks Setup.exe) current.
    ASSERT_TRUE(testenv::WriteFileBytes(medium_ / "Setup.ini", SourceSetupIni(kTargetName, {"one.bin"})));
    AddMediumFile("one.bin", "one");

    const InstallRun run = RunInstall(testenv::SetupExePath(), medium_.Path());

    EXPECT_TRUE(run.dialogShown);
    ExpectErrorFileBox(run);
    ExpectNothingLeft(programFiles_.Path());
}

// Only a folder that the run made goes with the roll-back, even an empty one.
TEST_F(InstallTest, EmptyTargetFolderFromBeforeStaysAfterTheRollBack) {
    ASSERT_TRUE(CreateDirectoryA(TargetFolder().c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(medium_ / "Setup.ini", SourceSetupIni(kTargetName, {"one.bin"})));
    AddMediumFile("one.bin", "one");

    const InstallRun run = RunInstall(testenv::SetupExePath(), medium_.Path());

    ExpectErrorFileBox(run);
    EXPECT_TRUE(testenv::IsFolder(TargetFolder()));
    EXPECT_TRUE(FolderEntries(TargetFolder()).empty());
}

TEST_F(InstallTest, MissingThirdFilesEntryRollsBackTheFilesBeforeIt) {
    PrepareMedium(kTargetName, {"one.bin", "two.bin", "three.bin", "four.bin"});
    AddMediumFile("one.bin", PatternBytes(70000, 11));
    AddMediumFile("two.bin", "two");
    AddMediumFile("four.bin", "four");

    const InstallRun run = RunFromMedium();

    EXPECT_TRUE(run.dialogShown);
    ExpectErrorFileBox(run);
    ExpectNothingLeft(programFiles_.Path());
    EXPECT_TRUE(AppsEntriesOf(TargetFolder()).empty());
}

// Ways in which the copy of the second Files entry can't be created.
enum class Blocker { HeldOpenWithoutSharing, HeldOpenWithoutWriteSharing, FolderInItsPlace, ReadOnlyFile };

struct BlockerCase {
    const char* name;
    Blocker blocker;
};

class InstallBlockedDestinationTest : public InstallTest, public ::testing::WithParamInterface<BlockerCase> {
protected:
    void TearDown() override {
        if (heldOpen_ != INVALID_HANDLE_VALUE) {
            CloseHandle(heldOpen_);
        }
        InstallTest::TearDown();
    }

    HANDLE heldOpen_ = INVALID_HANDLE_VALUE;
};

// Whether this platform refuses to write a read-only file at all: Wine run
// as root opens it for writing anyway.
bool ReadOnlyFilesRefuseWriting(const std::string& folder) {
    const std::string probe = folder + "\\read-only-probe";
    if (!testenv::WriteFileBytes(probe, "x") || !SetFileAttributesA(probe.c_str(), FILE_ATTRIBUTE_READONLY)) {
        return false;
    }
    std::FILE* file = std::fopen(probe.c_str(), "wb");
    const bool refused = file == nullptr;
    if (file != nullptr) {
        std::fclose(file);
    }
    testenv::RemoveTree(probe);
    return refused;
}

// An earlier install lies in the target folder: what the run overwrote
// before the blocker stopped it comes back.
TEST_P(InstallBlockedDestinationTest, PutsBackWhatItOverwroteAndLeavesTheBlockerAlone) {
    const std::string target = TargetFolder();
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    PlaceEarlierFiles(target, EarlierInstall());
    const std::string blocked = target + "\\two.bin";
    std::vector<std::string> leftInTarget = {"Setup.ini", "one.bin", "two.bin"};
    switch (GetParam().blocker) {
        case Blocker::HeldOpenWithoutSharing:
            ASSERT_TRUE(testenv::WriteFileBytes(blocked, "older"));
            heldOpen_ = CreateFileA(blocked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(heldOpen_, INVALID_HANDLE_VALUE);
            break;
        case Blocker::HeldOpenWithoutWriteSharing:
            // It may be renamed, but not written: it must not be set aside.
            ASSERT_TRUE(testenv::WriteFileBytes(blocked, "older"));
            heldOpen_ = CreateFileA(blocked.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
            ASSERT_NE(heldOpen_, INVALID_HANDLE_VALUE);
            break;
        case Blocker::FolderInItsPlace:
            ASSERT_TRUE(CreateDirectoryA(blocked.c_str(), nullptr));
            break;
        case Blocker::ReadOnlyFile:
            if (!ReadOnlyFilesRefuseWriting(programFiles_.Path())) {
                GTEST_SKIP() << "read-only files can be written here (Wine run as root ignores the attribute)";
            }
            ASSERT_TRUE(testenv::WriteFileBytes(blocked, "older"));
            ASSERT_TRUE(SetFileAttributesA(blocked.c_str(), FILE_ATTRIBUTE_READONLY));
            break;
    }
    PrepareMedium(kTargetName, {"one.bin", "two.bin", "three.bin"});
    AddMediumFile("one.bin", PatternBytes(1000, 12));
    AddMediumFile("two.bin", PatternBytes(1000, 13));
    AddMediumFile("three.bin", PatternBytes(1000, 14));

    const InstallRun run = RunFromMedium();

    EXPECT_TRUE(run.dialogShown);
    if (heldOpen_ != INVALID_HANDLE_VALUE) {
        // Found before anything changes, and named.
        ASSERT_TRUE(run.boxShown);
        EXPECT_EQ(run.box.caption, kErrorHeader);
        EXPECT_EQ(run.box.text, std::string(kErrorFileInUseShown) + "\r\n\r\n" + blocked);
        EXPECT_EQ(run.exitCode, kFailureStatus);
    } else {
        ExpectErrorFileBox(run);
    }
    ExpectRolledBack(programFiles_.Path(), leftInTarget);
    ExpectEarlierFilesBack(target, EarlierInstall());
    if (heldOpen_ != INVALID_HANDLE_VALUE) {
        CloseHandle(heldOpen_);
        heldOpen_ = INVALID_HANDLE_VALUE;
    }
    if (GetParam().blocker != Blocker::FolderInItsPlace) {
        std::string older;
        EXPECT_TRUE(testenv::ReadFileBytes(blocked, older));
        EXPECT_EQ(older, "older");
    }
}

INSTANTIATE_TEST_SUITE_P(Blockers, InstallBlockedDestinationTest,
                         ::testing::Values(BlockerCase{"HeldOpenWithoutSharing", Blocker::HeldOpenWithoutSharing},
                                           BlockerCase{"HeldOpenWithoutWriteSharing",
                                                       Blocker::HeldOpenWithoutWriteSharing},
                                           BlockerCase{"FolderInItsPlace", Blocker::FolderInItsPlace},
                                           BlockerCase{"ReadOnlyFile", Blocker::ReadOnlyFile}),
                         [](const ::testing::TestParamInfo<BlockerCase>& info) {
                             return std::string(info.param.name);
                         });

// A Files entry listed twice writes its path twice; undone last first, the
// earlier file comes back rather than the first copy.
TEST_F(InstallTest, PathWrittenTwiceGetsTheEarlierFileBack) {
    const std::string target = TargetFolder();
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    PlaceEarlierFiles(target, EarlierInstall());
    PrepareMedium(kTargetName, {"one.bin", "one.bin", "missing.bin"});
    AddMediumFile("one.bin", PatternBytes(1000, 17));

    const InstallRun run = RunFromMedium();

    ExpectErrorFileBox(run);
    ExpectRolledBack(programFiles_.Path(), {"Setup.ini", "one.bin"});
    ExpectEarlierFilesBack(target, EarlierInstall());
}

// A destination disk that fills up during a copy: a 4 MiB tmpfs mounted over
// the Program Files folder holds Setup.exe and the first entry, not the second.
// A volume with too little room for the patch: found before anything
// changes, from the sizes of the medium's files, and said in megabytes.
TEST_F(InstallTest, TooLittleRoomStopsBeforeAnythingChanges) {
    unixside::TmpfsMount mount;
    if (!mount.Mount(programFiles_.Path(), 1 << 20)) {
        GTEST_SKIP() << "no tmpfs could be mounted (needs root under Wine): the room check is not tested";
    }
    ASSERT_TRUE(FolderEntries(programFiles_.Path()).empty());
    PrepareMedium(kTargetName, {"fits.bin", "too-big.bin"});
    AddMediumFile("fits.bin", PatternBytes(1 << 19, 15));
    AddMediumFile("too-big.bin", PatternBytes(3 << 20, 16));

    const InstallRun run = RunFromMedium();

    EXPECT_TRUE(run.dialogShown);
    ASSERT_TRUE(run.boxShown);
    EXPECT_EQ(run.box.caption, kErrorHeader);
    // Setup.exe, half a megabyte and three: four whole megabytes and a bit.
    const std::string needed = std::to_string((FileSizeOf(medium_ / "Setup.exe") + (7 << 19) + (1 << 20) - 1) >> 20);
    EXPECT_EQ(run.box.text, "There is not enough room on the disk for the patch: it needs " + needed +
                                " MB, and 1 MB are free.\r\nMake room, then start the setup again.");
    EXPECT_EQ(run.exitCode, kFailureStatus);
    ExpectNothingLeft(programFiles_.Path());
}

// Cuts a file to nothing once its copy has begun to grow, so that the copy
// reads less than the size it took at the start. False when the copy was
// never seen growing.
bool TruncateOnceCopyGrows(const std::string& source, const std::string& copy) {
    const DWORD start = GetTickCount();
    while (FileSizeOf(copy) == 0) {
        if (GetTickCount() - start >= driver::kDefaultTimeoutMs) {
            return false;
        }
        Sleep(0);
    }
    HANDLE file = CreateFileA(source.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    const bool cut = SetEndOfFile(file) != FALSE;
    return CloseHandle(file) && cut;
}

// A file of zeros that takes no room on the medium but time to copy.
bool WriteSparseFile(const std::string& path, LONGLONG size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER end;
    end.QuadPart = size;
    const bool sized = SetFilePointerEx(file, end, nullptr, FILE_BEGIN) && SetEndOfFile(file);
    return CloseHandle(file) && sized;
}

// A source that ends before the size taken at its start: a sparse file of
// 2 GiB, cut by the test while Setup.exe copies it.
TEST_F(InstallTest, SourceEndingEarlyRollsBack) {
    constexpr LONGLONG kSourceSize = 2048ll * 1024 * 1024;
    PrepareMedium(kTargetName, {"one.bin", "shrinking.bin", "never.bin"});
    AddMediumFile("one.bin", "one");
    AddMediumFile("never.bin", "never");
    const std::string source = medium_ / "shrinking.bin";
    ASSERT_TRUE(WriteSparseFile(source, kSourceSize));

    driver::ChildProcess process;
    HWND dialog = StartFromMedium(process);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    ASSERT_TRUE(TruncateOnceCopyGrows(source, TargetFolder() + "\\shrinking.bin"));
    ASSERT_EQ(FileSizeOf(source), 0u);
    HWND box = WaitForMessageBoxOnly(process);
    ASSERT_NE(box, nullptr) << "no message after the source was cut";
    const driver::MessageBoxContents shown = driver::ReadMessageBox(box);
    ASSERT_TRUE(driver::PressButton(box, IDOK));
    DWORD status = 0;
    ASSERT_TRUE(process.WaitForExit(status));

    EXPECT_EQ(shown.caption, kErrorHeader);
    EXPECT_EQ(shown.text, kErrorFileShown);
    EXPECT_EQ(status, kFailureStatus);
    ExpectNothingLeft(programFiles_.Path());
}

constexpr DWORD kReadChunk = 4096;

// Opens the installed Setup.ini as soon as Setup.exe has written and closed
// it, sharing reading and deleting but no writing (so the open fails while
// Setup.exe still writes): the record can't be appended then, and the
// roll-back can still delete the file. Its bytes at that moment go to `bytes`.
HANDLE HoldOnceWritten(const std::string& path, std::string& bytes) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < driver::kDefaultTimeoutMs) {
        HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            char chunk[kReadChunk];
            DWORD got = 0;
            while (ReadFile(file, chunk, kReadChunk, &got, nullptr) && got != 0) {
                bytes.append(chunk, got);
            }
            return file;
        }
        Sleep(0);
    }
    return INVALID_HANDLE_VALUE;
}

TEST_F(InstallTest, RecordThatCantBeAppendedRollsBack) {
    const std::string target = TargetFolder();
    // Made beforehand: a file deleted while the test holds it goes only when
    // the test lets go, so a folder made by the run couldn't be removed.
    ASSERT_TRUE(CreateDirectoryA(target.c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(target + "\\keep.txt", "from before"));
    // The Apps entry is written before the record: the one of that name comes back value for value.
    const AppsEntry earlierEntry = PlaceEarlierAppsEntry(target);
    PrepareMedium(kTargetName, {"one.bin", "slow.bin"});
    AddMediumFile("one.bin", "one");
    // Keeps Setup.exe busy between writing the installed Setup.ini and the record.
    ASSERT_TRUE(WriteSparseFile(medium_ / "slow.bin", 64ll * 1024 * 1024));

    driver::ChildProcess process;
    HWND dialog = StartFromMedium(process);
    ASSERT_NE(dialog, nullptr);
    ASSERT_TRUE(driver::PressButton(dialog, IDOK));
    std::string heldBytes;
    HANDLE held = HoldOnceWritten(target + "\\Setup.ini", heldBytes);
    HWND box = held != INVALID_HANDLE_VALUE ? WaitForMessageBoxOnly(process) : nullptr;
    driver::MessageBoxContents shown;
    if (box != nullptr) {
        shown = driver::ReadMessageBox(box);
        (void)driver::PressButton(box, IDOK);
    }
    if (held != INVALID_HANDLE_VALUE) {
        CloseHandle(held);
    }
    ASSERT_NE(held, INVALID_HANDLE_VALUE) << "the installed Setup.ini never came";
    ASSERT_EQ(heldBytes.find("[Files]"), std::string::npos) << "held only after the record was written";
    ASSERT_NE(box, nullptr) << "no message after the record failed";
    DWORD status = 0;
    ASSERT_TRUE(process.WaitForExit(status));

    EXPECT_EQ(shown.caption, kErrorHeader);
    EXPECT_EQ(shown.text, kErrorFileShown);
    EXPECT_EQ(status, kFailureStatus);
    ExpectRolledBack(programFiles_.Path(), {"keep.txt"});
    EXPECT_EQ(AppsEntriesOf(target), std::vector<AppsEntry>{earlierEntry});
}

// Run and uninstall mode can't find an installed Setup.exe whose full path
// has 255 characters or more; install refuses such a target folder before
// it makes anything.
struct TargetLengthCase {
    const char* name;
    std::size_t installedExePathLength;
    bool refused;
};

class InstallTargetLengthTest : public InstallTest, public ::testing::WithParamInterface<TargetLengthCase> {};

TEST_P(InstallTargetLengthTest, RefusesATargetTooLongForTheInstalledSetupExe) {
    const std::string prefix = programFiles_.Path() + "\\";
    const std::size_t nameLength = GetParam().installedExePathLength - prefix.size() - std::strlen("\\Setup.exe");
    const std::string targetName(nameLength, 't');
    ASSERT_EQ((prefix + targetName + "\\Setup.exe").size(), GetParam().installedExePathLength);
    PrepareMedium(targetName, {});

    const InstallRun run = RunFromMedium();

    EXPECT_TRUE(run.dialogShown);
    if (GetParam().refused) {
        ExpectErrorFileBox(run);
        ExpectNothingLeft(programFiles_.Path());
    } else {
        ExpectSuccessBox(run);
        EXPECT_TRUE(testenv::PathExists(prefix + targetName + "\\Setup.exe"));
    }
}

INSTANTIATE_TEST_SUITE_P(Lengths, InstallTargetLengthTest,
                         ::testing::Values(TargetLengthCase{"Of254", 254, false}, TargetLengthCase{"Of255", 255, true},
                                           TargetLengthCase{"Of256", 256, true}),
                         [](const ::testing::TestParamInfo<TargetLengthCase>& info) {
                             return std::string(info.param.name);
                         });

// A Files entry whose copy would land off the target folder, on a device, in
// a stream of another file, or on the installed Setup.ini: refused before
// anything is made, a journal included; another program's file beside the
// target folder stays as it is.
class InstallOffGroundTest : public InstallTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(InstallOffGroundTest, RefusesBeforeAnythingChanges) {
    const std::string victim = programFiles_ / "Victim";
    ASSERT_TRUE(CreateDirectoryA(victim.c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(victim + "\\keep.txt", "USER DATA"));
    // The medium lies a level down, and the source of an entry that leads up
    // out of it is there too, so that only the refusal can stop the copy.
    testenv::ScratchFolder outer("outer");
    const std::string medium = outer / "medium";
    ASSERT_TRUE(CreateDirectoryA(medium.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((medium + "\\Data").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((outer / "Victim").c_str(), nullptr));
    ASSERT_TRUE(testenv::WriteFileBytes(outer / "Victim\\keep.txt", "the patch's"));
    testenv::PrepareMedium(medium, SourceSetupIni(kTargetName, {"one.bin", GetParam()}));
    ASSERT_TRUE(testenv::WriteFileBytes(medium + "\\one.bin", "one"));

    const InstallRun run = RunInstall(medium + "\\Setup.exe", medium);

    EXPECT_TRUE(run.dialogShown);
    ExpectErrorFileBox(run);
    EXPECT_EQ(FolderEntries(programFiles_.Path()), std::vector<std::string>{"Victim"});
    std::string kept;
    EXPECT_TRUE(testenv::ReadFileBytes(victim + "\\keep.txt", kept));
    EXPECT_EQ(kept, "USER DATA");
    EXPECT_FALSE(testenv::PathExists(GroupFolder()));
    EXPECT_TRUE(AppsEntriesOf(TargetFolder()).empty());
}

INSTANTIATE_TEST_SUITE_P(Entries, InstallOffGroundTest,
                         ::testing::Values("..\\Victim\\keep.txt", "Data\\..\\..\\Victim\\keep.txt", "NUL", "CON",
                                           "nul.txt", "Com1 .dat", "lpt9", "one.bin:hidden", "C:\\elsewhere.txt",
                                           "Setup.ini", "SETUP.INI", "."),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string name;
                             for (const char* c = info.param; *c != '\0'; ++c) {
                                 name += std::isalnum(static_cast<unsigned char>(*c)) ? *c : '_';
                             }
                             return name + "_" + std::to_string(info.index);
                         });

TEST_F(InstallTest, TwoLevelTargetFolderWithoutItsParentFails) {
    PrepareMedium("Missing\\Target", {"one.bin"});
    AddMediumFile("one.bin", "one");

    const InstallRun run = RunFromMedium();

    EXPECT_TRUE(run.dialogShown);
    ExpectErrorFileBox(run);
    EXPECT_TRUE(FolderEntries(programFiles_.Path()).empty());
    EXPECT_FALSE(testenv::PathExists(GroupFolder()));
}

TEST_F(InstallTest, CancelConfirmedWithYesLeavesTheDiskUntouched) {
    PrepareMedium(kTargetName, {"one.bin"});
    AddMediumFile("one.bin", "one");
    driver::ChildProcess process;
    HWND dialog = StartFromMedium(process);
    ASSERT_NE(dialog, nullptr);

    // Refused first: the dialog stays.
    ASSERT_TRUE(driver::PressButton(dialog, IDCANCEL));
    HWND question = WaitForMessageBoxOnly(process);
    ASSERT_NE(question, nullptr);
    const driver::MessageBoxContents asked = driver::ReadMessageBox(question);
    EXPECT_EQ(asked.caption, kDialogAbortHeader);
    EXPECT_EQ(asked.text, kDialogAbortShown);
    EXPECT_TRUE(asked.hasYes);
    EXPECT_TRUE(asked.hasNo);
    ASSERT_TRUE(driver::PressButton(question, IDNO));
    ASSERT_TRUE(driver::WaitForWindowGone(question));
    ASSERT_EQ(driver::WaitForSetupDialog(process.Id()), dialog);

    ASSERT_TRUE(driver::PressButton(dialog, IDCANCEL));
    question = WaitForMessageBoxOnly(process);
    ASSERT_NE(question, nullptr);
    ASSERT_TRUE(driver::PressButton(question, IDYES));

    DWORD status = 0;
    ASSERT_TRUE(process.WaitForExit(status)) << "another window after the confirmed cancel";
    EXPECT_EQ(status, 0u);
    EXPECT_TRUE(FolderEntries(programFiles_.Path()).empty());
    EXPECT_FALSE(testenv::PathExists(GroupFolder()));
}

// Gives the dialog template of the Setup.exe at `exe` a control whose window
// class doesn't exist (windres keeps the picture's class by name, as
// "STATIC"), so that the dialog can't be created at all.
bool BreakDialogTemplate(const std::string& exe) {
    const WORD language = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HRSRC found =
        module == nullptr ? nullptr : FindResourceExA(module, RT_DIALOG, MAKEINTRESOURCEA(IDD_SETUP), language);
    HGLOBAL loaded = found == nullptr ? nullptr : LoadResource(module, found);
    const char* data = loaded == nullptr ? nullptr : static_cast<const char*>(LockResource(loaded));
    std::string bytes = data == nullptr ? std::string() : std::string(data, SizeofResource(module, found));
    (void)FreeLibrary(module);
    const std::string staticClass("S\0T\0A\0T\0I\0C\0", 12);
    const std::size_t at = bytes.find(staticClass);
    if (at == std::string::npos) {
        return false;
    }
    bytes.replace(at, staticClass.size(), std::string("N\0o\0S\0u\0c\0h\0", 12));
    HANDLE update = BeginUpdateResourceA(exe.c_str(), FALSE);
    const bool updated = update != nullptr && UpdateResourceA(update, RT_DIALOG, MAKEINTRESOURCEA(IDD_SETUP), language,
                                                              &bytes[0], static_cast<DWORD>(bytes.size()));
    return update != nullptr && EndUpdateResourceA(update, !updated) && updated;
}

TEST_F(InstallTest, DialogThatCannotBeShownEndsQuietly) {
    PrepareMedium(kTargetName, {"one.bin"});
    AddMediumFile("one.bin", "one");
    ASSERT_TRUE(BreakDialogTemplate(medium_ / "Setup.exe"));

    const InstallRun run = RunFromMedium();

    EXPECT_FALSE(run.dialogShown);
    EXPECT_FALSE(run.boxShown) << run.box.text;
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(FolderEntries(programFiles_.Path()).empty());
    EXPECT_FALSE(testenv::PathExists(GroupFolder()));
}

// Narrows the security of a registry key and puts the saved one back.
class KeySecurityGuard {
public:
    KeySecurityGuard(HKEY root, const char* subKey) {
        if (RegOpenKeyExA(root, subKey, 0, READ_CONTROL | WRITE_DAC, &key_) != ERROR_SUCCESS) {
            key_ = nullptr;
            return;
        }
        DWORD size = 0;
        if (RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, nullptr, &size) != ERROR_INSUFFICIENT_BUFFER) {
            return;
        }
        saved_.resize(size);
        if (RegGetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data(), &size) != ERROR_SUCCESS) {
            saved_.clear();
        }
    }
    ~KeySecurityGuard() {
        if (key_ == nullptr) {
            return;
        }
        if (restricted_ && !saved_.empty()) {
            RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, saved_.data());
        }
        RegCloseKey(key_);
    }
    KeySecurityGuard(const KeySecurityGuard&) = delete;
    KeySecurityGuard& operator=(const KeySecurityGuard&) = delete;

    bool Restrict(const char* sddl) {
        if (key_ == nullptr || saved_.empty()) {
            return false;
        }
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor, nullptr)) {
            return false;
        }
        restricted_ = RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, descriptor) == ERROR_SUCCESS;
        LocalFree(descriptor);
        return restricted_;
    }

private:
    HKEY key_ = nullptr;
    std::vector<BYTE> saved_;
    bool restricted_ = false;
};

bool OpensWithFullAccess(const char* subKey) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) {
        return false;
    }
    RegCloseKey(key);
    return true;
}

TEST_F(InstallTest, KeyWithoutFullAccessStopsBeforeTheDialog) {
    PrepareMedium(kTargetName, {"one.bin"});
    AddMediumFile("one.bin", "one");
    InstallRun run;
    {
        KeySecurityGuard security(HKEY_LOCAL_MACHINE, kCurrentVersionKey);
        // Everyone may read, nobody more: what a user without administrative rights gets.
        ASSERT_TRUE(security.Restrict("D:(A;;KR;;;WD)"));
        ASSERT_FALSE(OpensWithFullAccess(kCurrentVersionKey));
        run = RunFromMedium();
    }
    ASSERT_TRUE(OpensWithFullAccess(kCurrentVersionKey)) << "the key's security was not restored";

    EXPECT_FALSE(run.dialogShown);
    ASSERT_TRUE(run.boxShown);
    EXPECT_EQ(run.box.caption, kErrorHeader);
    EXPECT_EQ(run.box.text, kErrorPermissionsShown);
    ASSERT_TRUE(run.exited);
    EXPECT_EQ(run.exitCode, kFailureStatus);
    EXPECT_TRUE(FolderEntries(programFiles_.Path()).empty());
    EXPECT_FALSE(testenv::PathExists(GroupFolder()));
}

}  // namespace
}  // namespace installtest
