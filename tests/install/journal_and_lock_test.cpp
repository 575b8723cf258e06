// In-process, through setup_core: which journal lines reach the disk before
// the change they name, and a target lock that another start holds with
// rights this one lacks.

#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "install/install_changes.h"
#include "install/install_journal.h"
#include "process/change_step.h"
#include "process/elevation_choice.h"
#include "process/file_names.h"
#include "process/target_lock.h"
#include "test_env.h"

namespace {

// What the test's own flush hook saw: each line's kind, and whether the
// user's earlier file still lay under its name at that moment.
struct Flush {
    JournalEntryKind kind;
    bool earlierFileInPlace;
};
std::vector<Flush> g_flushes;
std::wstring g_watched;

}  // namespace

// The hooks of the program, replaced for this test program.
void AfterChange() {}

bool FlushJournalToDisk(HANDLE file, JournalEntryKind kind) {
    g_flushes.push_back(Flush{kind, GetFileAttributesW(g_watched.c_str()) != INVALID_FILE_ATTRIBUTES});
    return FlushFileBuffers(file) != FALSE;
}

namespace {

TEST(JournalFlushTest, OnlyWhatPutsAUsersFileAtStakeReachesTheDiskAndBeforeTheChange) {
    testenv::ScratchFolder folder("flush");
    const std::wstring target = testenv::WideFromUtf8(folder / "Target");
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr));
    g_watched = target + L"\\earlier.dat";
    ASSERT_TRUE(testenv::WriteFileBytes(testenv::Utf8FromWide(g_watched), "the user's"));
    InstallJournal journal;
    ASSERT_TRUE(StartJournal(target, journal));
    InstallChanges changes;
    changes.journal = &journal;
    g_flushes.clear();

    ASSERT_TRUE(RecordNewFile(target + L"\\new.dat", changes));
    EXPECT_TRUE(g_flushes.empty()) << "a new file's line was flushed";
    ASSERT_TRUE(MakeWayFor(g_watched, changes));
    ASSERT_EQ(g_flushes.size(), 1u);
    EXPECT_EQ(g_flushes[0].kind, JournalEntryKind::SetAside);
    EXPECT_TRUE(g_flushes[0].earlierFileInPlace) << "flushed after the rename";
    ASSERT_TRUE(testenv::WriteFileBytes(testenv::Utf8FromWide(g_watched), "the patch's"));
    ASSERT_TRUE(KeepChanges(changes));
    ASSERT_EQ(g_flushes.size(), 2u);
    EXPECT_EQ(g_flushes[1].kind, JournalEntryKind::Finished);
    EndJournal(journal);
}

// Another start with other rights may hold the lock in a way that this one
// may not even open: held all the same.
TEST(TargetLockTest, ALockThatMayNotBeOpenedIsHeld) {
    const std::wstring folder = L"C:\\LockTest-" + std::to_wstring(GetCurrentProcessId());
    const std::string name = MachineObjectName("TargetFolder", PathKey(folder));
    PSECURITY_DESCRIPTOR nobody = nullptr;
    // Owned by the system and open to it alone.
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("O:SYG:SYD:(A;;GA;;;SY)", SDDL_REVISION_1, &nobody,
                                                                     nullptr));
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), nobody, FALSE};
    HANDLE other = CreateMutexA(&attributes, TRUE, name.c_str());
    ASSERT_NE(other, nullptr);
    HANDLE probe = CreateMutexA(nullptr, TRUE, name.c_str());
    ASSERT_EQ(probe, nullptr) << "the mutex could be opened: this test can't tell a held lock from a free one";
    ASSERT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

    EXPECT_FALSE(TakeTargetLock(folder));

    (void)CloseHandle(other);
    (void)LocalFree(nobody);
}

}  // namespace
