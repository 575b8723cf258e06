// A disk that fills up while the installed Setup.ini is written: the file
// must not be left behind cut short, since run and uninstall mode would take
// it for a good one. Run by full-disk.sh, which points FULL_DISK_DIR at a
// folder on a full tmpfs.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "current_folder.h"
#include "installed_setup_values.h"
#include "setupfile/code_page.h"
#include "setupfile/installed_setup.h"
#include "test_env.h"

namespace {

std::string FullFolder() {
    const char* folder = std::getenv("FULL_DISK_DIR");
    return folder == nullptr ? std::string() : testenv::WindowsPath(folder);
}

// True when a small file can be created there but not filled.
bool DiskIsFull(const std::string& folder) {
    const std::string probe = folder + "\\probe";
    std::FILE* file = std::fopen(probe.c_str(), "wb");
    if (file == nullptr) {
        return false;
    }
    const std::string bytes(8192, 'p');
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    (void)DeleteFileA(probe.c_str());
    return !(written && closed);
}

class FullDisk : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = FullFolder();
        ASSERT_FALSE(folder_.empty()) << "FULL_DISK_DIR is not set";
        ASSERT_TRUE(DiskIsFull(folder_)) << folder_ << " still takes data";
        ASSERT_TRUE(current_.MoveTo(source_.Path()));
    }
    std::string folder_;
    testenv::ScratchFolder source_{"source"};
    CurrentFolderGuard current_;
};

TEST_F(FullDisk, FailingLastWriteLeavesNoFile) {
    // A few hundred bytes: they stay in the stream's buffer until the close.
    ASSERT_TRUE(testenv::WriteFileBytes(source_ / "Setup.ini", ""));
    const std::string path = folder_ + "\\Setup.ini";
    EXPECT_FALSE(WriteInstalledSetup(WideFromAnsi(path), ReadInstalledSetupValues()));
    EXPECT_FALSE(testenv::PathExists(path));
}

TEST_F(FullDisk, FailingWriteOnTheWayLeavesNoFile) {
    // Long values fill the stream's buffer many times over before the close.
    std::string ini = "[PreloadDLLs]\r\n";
    for (int n = 1; n <= 40; ++n) {
        ini += std::to_string(n) + "=" + std::string(8000, 'd') + "\r\n";
    }
    ASSERT_TRUE(testenv::WriteFileBytes(source_ / "Setup.ini", ini));
    const std::string path = folder_ + "\\Setup.ini";
    EXPECT_FALSE(WriteInstalledSetup(WideFromAnsi(path), ReadInstalledSetupValues()));
    EXPECT_FALSE(testenv::PathExists(path));
}

// Install rolls back when the record doesn't reach the file whole, so the
// failure must be told: both when it shows only at the final flush and when
// a write on the way fails.
TEST_F(FullDisk, AppendingARecordThatDoesNotFitFails) {
    const std::string path = folder_ + "\\Setup.ini";
    for (const std::size_t entryLength : {200u, 20000u}) {
        // An empty file still fits: a full disk has no room for data, not for names.
        ASSERT_TRUE(testenv::WriteFileBytes(path, ""));
        EXPECT_FALSE(AppendInstallRecord(WideFromAnsi(path), {std::wstring(entryLength, L'f')}, {L"folder"}))
            << entryLength;
        ASSERT_TRUE(DeleteFileA(path.c_str()));
    }
}

}  // namespace
