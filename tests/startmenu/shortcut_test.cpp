#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <string>

#include "install/start_menu.h"
#include "link_reader.h"
#include "setupfile/code_page.h"
#include "test_env.h"

namespace {

using links::LinkFields;
using testenv::ScratchFolder;

// The shell saves links under paths of this many characters at most,
// terminator included.
constexpr size_t kWidePathSize = 260;

// Folders nest only as deep as CreateDirectoryA allows (under MAX_PATH - 12),
// so a long link path gets its length from a long file name in such a folder.
constexpr size_t kDeepFolderLength = 220;

std::string MakeDeepFolder(const ScratchFolder& base) {
    std::string folder = base.Path();
    const std::string level(20, 'd');
    while (folder.size() + 1 + level.size() <= kDeepFolderLength) {
        folder += "\\" + level;
        if (!CreateDirectoryA(folder.c_str(), nullptr)) {
            return std::string();
        }
    }
    return folder;
}

// The program takes wide paths; these tests speak ASCII.
bool SaveShortcut(const std::string& target, const std::string& link, const std::string& folder,
                  const std::string& description, const std::string& arguments, int iconIndex) {
    return CreateShortcut(WideFromAnsi(target), WideFromAnsi(link), WideFromAnsi(folder), WideFromAnsi(description),
                          WideFromAnsi(arguments), iconIndex);
}

// `folder` + backslash + a name of 'n's + ".lnk", exactly `length` characters.
std::string LinkPathOfLength(const std::string& folder, size_t length) {
    return folder + "\\" + std::string(length - folder.size() - 1 - 4, 'n') + ".lnk";
}

TEST(CreateShortcut, SavesEveryFieldItIsGiven) {
    ScratchFolder folder("sclink");
    std::string link = folder / "With Arguments.lnk";

    EXPECT_TRUE(SaveShortcut("C:\\Games\\Tool.exe", link, "C:\\Games", "A description", "-x \"y z\"", 3));

    LinkFields fields;
    ASSERT_TRUE(links::ReadLink(link, fields));
    EXPECT_EQ(fields.target, "C:\\Games\\Tool.exe");
    EXPECT_EQ(fields.arguments, "-x \"y z\"");
    EXPECT_EQ(fields.workingDirectory, "C:\\Games");
    EXPECT_EQ(fields.description, "A description");
    EXPECT_EQ(fields.iconFile, "C:\\Games\\Tool.exe");
    EXPECT_EQ(fields.iconIndex, 3);
}

TEST(CreateShortcut, LeavesCOMUninitialisedOnItsThread) {
    ScratchFolder folder("sccom");
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(SaveShortcut("C:\\a.exe", folder / "c.lnk", "C:\\", "d", "", 0));
    }
    // S_FALSE here would mean that a CoInitialize was left unbalanced.
    HRESULT initialised = CoInitialize(nullptr);
    EXPECT_EQ(initialised, S_OK);
    if (SUCCEEDED(initialised)) {
        CoUninitialize();
    }
}

TEST(CreateShortcut, KeepsTheCallersApartment) {
    ScratchFolder folder("scapt");
    struct Apartment {
        const char* label;
        DWORD model;
    };
    const Apartment apartments[] = {{"single-threaded", COINIT_APARTMENTTHREADED},
                                    {"multi-threaded", COINIT_MULTITHREADED}};
    for (const Apartment& apartment : apartments) {
        ASSERT_EQ(CoInitializeEx(nullptr, apartment.model), S_OK) << apartment.label;
        EXPECT_TRUE(SaveShortcut("C:\\a.exe", folder / "a.lnk", "C:\\", "d", "", 0)) << apartment.label;
        // Still initialised in the same model: the call didn't tear it down.
        HRESULT again = CoInitializeEx(nullptr, apartment.model);
        EXPECT_EQ(again, S_FALSE) << apartment.label;
        if (SUCCEEDED(again)) {
            CoUninitialize();
        }
        CoUninitialize();
    }
}

TEST(CreateShortcut, FailsInAFolderThatDoesNotExist) {
    ScratchFolder folder("scmissing");
    std::string link = folder / "missing\\x.lnk";

    EXPECT_FALSE(SaveShortcut("C:\\a.exe", link, "C:\\", "d", "", 0));
    EXPECT_FALSE(testenv::PathExists(link));
}

TEST(CreateShortcut, LinkPathMustFitTheWideBuffer) {
    ScratchFolder base("sclong");
    std::string folder = MakeDeepFolder(base);
    ASSERT_FALSE(folder.empty());
    struct LengthCase {
        size_t length;
        bool saved;
    };
    const LengthCase cases[] = {{kWidePathSize - 1, true}, {kWidePathSize, false}, {kWidePathSize + 30, false}};
    for (const LengthCase& length : cases) {
        std::string link = LinkPathOfLength(folder, length.length);
        ASSERT_EQ(link.size(), length.length);

        EXPECT_EQ(SaveShortcut("C:\\a.exe", link, "C:\\", "d", "", 0), length.saved) << length.length;

        // Nothing saved under a name cut to fit, either.
        std::vector<std::string> expected;
        if (length.saved) {
            expected.push_back(link.substr(folder.size() + 1));
        }
        EXPECT_EQ(testenv::FolderEntries(folder), expected) << length.length;
        testenv::RemoveTree(link);
    }
}

}  // namespace
