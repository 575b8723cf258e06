// The copy itself: chunk boundaries, repeated entries and files beyond the
// reach of 32-bit positions, each through a whole install.

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "install_run.h"

namespace installtest {
namespace {

using testenv::FolderEntries;

TEST_F(InstallTest, CopiesFilesAroundTheChunkSizeExactly) {
    const std::vector<std::string> names = {"empty.dat", "one-chunk.bin", "one-chunk-and-a-byte.bin",
                                            "one-byte-short.bin"};
    PrepareMedium(kTargetName, names);
    AddMediumFile("empty.dat", "");
    AddMediumFile("one-chunk.bin", PatternBytes(65536, 5));
    AddMediumFile("one-chunk-and-a-byte.bin", PatternBytes(65537, 6));
    AddMediumFile("one-byte-short.bin", PatternBytes(2 * 65536 - 1, 7));

    const InstallRun run = RunFromMedium();

    ExpectSuccessBox(run);
    const std::string target = TargetFolder();
    ExpectCopiedFromMedium(target, names);
    std::string installed;
    ASSERT_TRUE(testenv::ReadFileBytes(target + "\\Setup.ini", installed));
    EXPECT_EQ(installed, ExpectedInstalledSetup(ExpectedCreatedFiles(target, names), ExpectedCreatedFolders(target)));
}

TEST_F(InstallTest, CopiesAndRecordsARepeatedEntryTwice) {
    const std::vector<std::string> names = {"twice.bin", "between.bin", "twice.bin"};
    PrepareMedium(kTargetName, names);
    AddMediumFile("twice.bin", PatternBytes(70000, 8));
    AddMediumFile("between.bin", PatternBytes(10, 9));

    const InstallRun run = RunFromMedium();

    ExpectSuccessBox(run);
    const std::string target = TargetFolder();
    EXPECT_EQ(FolderEntries(target), (std::vector<std::string>{"Setup.exe", "Setup.ini", "between.bin", "twice.bin"}));
    ExpectCopiedFromMedium(target, {"twice.bin", "between.bin"});
    std::string installed;
    ASSERT_TRUE(testenv::ReadFileBytes(target + "\\Setup.ini", installed));
    EXPECT_EQ(installed, ExpectedInstalledSetup(ExpectedCreatedFiles(target, names), ExpectedCreatedFolders(target)));
}

// A file of more than 2 GiB, sparse on the medium, with marks where the
// chunks begin and end and across the 2 GiB line, where signed 32-bit
// positions break.
constexpr std::uint64_t kGiB = 1024ull * 1024 * 1024;
constexpr std::uint64_t kHugeSize = 2 * kGiB + 65537;
const std::uint64_t kMarkOffsets[] = {0, 65536 - 8, 2 * kGiB - 8, kHugeSize - 16};
// Writing the copy out takes far longer than a window needs to appear.
constexpr DWORD kHugeCopyTimeoutMs = 100000;
constexpr DWORD kMarkSize = 16;
constexpr DWORD kCompareChunk = 1 << 20;

bool SeekTo(HANDLE file, std::uint64_t offset) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    return SetFilePointerEx(file, position, nullptr, FILE_BEGIN) != FALSE;
}

bool WriteHugeSparseFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    bool written = SeekTo(file, kHugeSize) && SetEndOfFile(file);
    for (std::size_t i = 0; written && i < sizeof(kMarkOffsets) / sizeof(kMarkOffsets[0]); ++i) {
        const std::string mark = PatternBytes(kMarkSize, 100 + static_cast<unsigned>(i));
        DWORD done = 0;
        written = SeekTo(file, kMarkOffsets[i]) && WriteFile(file, mark.data(), kMarkSize, &done, nullptr) &&
                  done == kMarkSize;
    }
    return CloseHandle(file) && written;
}

// Compares two files of the same size in full; the offset of the first
// difference, or the size when there is none.
std::uint64_t FirstDifference(const std::string& left, const std::string& right, std::uint64_t size) {
    HANDLE a = CreateFileA(left.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE b = CreateFileA(right.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    std::uint64_t offset = 0;
    if (a != INVALID_HANDLE_VALUE && b != INVALID_HANDLE_VALUE) {
        std::vector<char> bytesA(kCompareChunk);
        std::vector<char> bytesB(kCompareChunk);
        while (offset < size) {
            DWORD gotA = 0;
            DWORD gotB = 0;
            if (!ReadFile(a, bytesA.data(), kCompareChunk, &gotA, nullptr) ||
                !ReadFile(b, bytesB.data(), kCompareChunk, &gotB, nullptr) || gotA != gotB || gotA == 0 ||
                std::memcmp(bytesA.data(), bytesB.data(), gotA) != 0) {
                break;
            }
            offset += gotA;
        }
    }
    if (a != INVALID_HANDLE_VALUE) {
        CloseHandle(a);
    }
    if (b != INVALID_HANDLE_VALUE) {
        CloseHandle(b);
    }
    return offset;
}

TEST_F(InstallTest, CopiesAFileBeyondTwoGibibytesWhole) {
    const std::vector<std::string> names = {"small.bin", "huge.bin"};
    PrepareMedium(kTargetName, names);
    AddMediumFile("small.bin", PatternBytes(100, 10));
    ASSERT_TRUE(WriteHugeSparseFile(medium_ / "huge.bin"));
    ASSERT_EQ(FileSizeOf(medium_ / "huge.bin"), kHugeSize);

    const InstallRun run = RunInstall(medium_ / "Setup.exe", medium_.Path(), kHugeCopyTimeoutMs);

    ExpectSuccessBox(run);
    const std::string target = TargetFolder();
    const std::string copy = target + "\\huge.bin";
    ASSERT_EQ(FileSizeOf(copy), kHugeSize);
    EXPECT_EQ(FirstDifference(medium_ / "huge.bin", copy, kHugeSize), kHugeSize);
    testenv::RemoveTree(copy);
    std::string installed;
    ASSERT_TRUE(testenv::ReadFileBytes(target + "\\Setup.ini", installed));
    EXPECT_EQ(installed, ExpectedInstalledSetup(ExpectedCreatedFiles(target, names), ExpectedCreatedFolders(target)));
}

}  // namespace
}  // namespace installtest
