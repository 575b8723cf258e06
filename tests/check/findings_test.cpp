// Each finding of the checker gets its code on a small medium made for it.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "check/disc_image.h"
#include "check/findings.h"
#include "check/medium_files.h"
#include "check/profile.h"
#include "check/text_encoding.h"

namespace fs = std::filesystem;

namespace {

// Lines 1 to 14; every row changes it a little.
const std::string kCleanIni =
    "[General]\r\n"
    "Mode=\"Install\"\r\n"
    "AppName=\"Rally Patch\"\r\n"
    "TargetFolder=\"Rally Patch\"\r\n"
    "Volume=\"RALLY\"\r\n"
    "ExecuteCD=\"Game\\Rally.exe\"\r\n"
    "Execute=\"GamePatch.exe\"\r\n"
    "[Text]\r\n"
    "ShortcutStart=\"Start\"\r\n"
    "ShortcutReadMe=\"Read me\"\r\n"
    "ShortcutUninstall=\"Remove\"\r\n"
    "[Files]\r\n"
    "1=\"GamePatch.exe\"\r\n"
    "2=\"GamePatch.txt\"\r\n";

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

// The forms in which a row saves its Setup.ini, whose text is UTF-8 but for
// the rows of ANSI bytes.
enum class FileForm { Ansi, Utf16Le, Utf16Be, Utf16LeUnmarked };

std::string Saved(const std::string& text, FileForm form) {
    if (form == FileForm::Ansi) {
        return text;
    }
    bool big = form == FileForm::Utf16Be;
    std::string bytes = form == FileForm::Utf16Le ? "\xFF\xFE" : big ? "\xFE\xFF" : "";
    auto unit = [&bytes, big](char32_t code) {
        char high = static_cast<char>(code >> 8);
        char low = static_cast<char>(code & 0xFF);
        bytes += big ? std::string{high, low} : std::string{low, high};
    };
    for (char32_t code : Utf32FromUtf8(text)) {
        if (code >= 0x10000) {
            unit(0xD800 + ((code - 0x10000) >> 10));
            unit(0xDC00 + ((code - 0x10000) & 0x3FF));
        } else {
            unit(code);
        }
    }
    return bytes;
}

std::string Repeated(const std::string& text, int times) {
    std::string repeated;
    for (int i = 0; i < times; ++i) {
        repeated += text;
    }
    return repeated;
}

// Files of the medium that only some rows list: one in a folder, one whose
// name of 65 characters a disc with Joliet names can't hold, two of the 64
// that it can (in 124 bytes of UTF-8 for the second), and one whose name no
// ANSI code page holds.
const std::string kFolderFile = "Data\\Tracks.dat";
const std::string kLongName = std::string(61, 'L') + ".dat";
const std::string kLongestJolietName = std::string(60, 'L') + ".dat";
const std::string kLongestUnicodeName = Repeated("\u0141", 60) + ".dat";
const std::string kUnicodeName = "\u0141\u00F3d\u017A \u0420\u0430\u043B\u043B\u0438 \u65E5\u672C.dat";

// A medium with Setup.exe, the two files of kCleanIni and the five above, and
// a game disc folder labelled RALLY holding Game\Rally.exe, under a fresh
// folder.
class MediumFolder {
public:
    MediumFolder() {
        root_ = fs::temp_directory_path() /
                ("setup-check-" + std::to_string(reinterpret_cast<std::uintptr_t>(this)) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(root_);
        fs::create_directories(Medium());
        fs::create_directories(Disc() / "Game");
        fs::create_directories(Medium() / "Data");
        for (const std::string& name : {std::string("Setup.exe"), std::string("GamePatch.exe"),
                                        std::string("GamePatch.txt"), std::string("Data/Tracks.dat"), kLongName,
                                        kLongestJolietName, kLongestUnicodeName, kUnicodeName}) {
            WriteFile(Medium() / fs::u8path(name), "x");
        }
        WriteFile(Disc() / "Game" / "Rally.exe", "x");
        // Wine drops the blanks and line ends at the end of the file.
        WriteFile(Disc() / ".windows-label", "RALLY \r\n\n");
    }
    ~MediumFolder() {
        std::error_code ignored;
        fs::remove_all(root_, ignored);
    }
    fs::path Medium() const { return root_ / "medium"; }
    fs::path Disc() const { return root_ / "disc"; }
    fs::path Root() const { return root_; }

private:
    fs::path root_;
};

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    std::size_t at = text.find(from);
    return at == std::string::npos ? text + "\r\nnot found: " + from : text.replace(at, from.size(), to);
}

std::string Listed(const std::vector<Finding>& findings) {
    std::string listed;
    for (const Finding& finding : findings) {
        listed += "\n  " + FindingLine(finding);
    }
    return listed;
}

struct FindingCase {
    const char* code;
    std::string from;  // a piece of kCleanIni ...
    std::string to;    // ... and what replaces it
    Severity severity;
    int line;
    bool withDisc = false;
    bool withoutSetupExe = false;
    const char* says = "";  // a piece of the finding's text, where the code alone doesn't tell
    FileForm form = FileForm::Ansi;
    bool launcherOfItsOwn = false;  // GamePatch.exe no copy of Setup.exe
};

// The medium's GamePatch.exe as the patch's own program, which no
// Setup.exe started from the Start menu reaches.
void GiveLauncherOfItsOwn(const MediumFolder& folder) {
    WriteFile(folder.Medium() / "GamePatch.exe", "the patch's own program");
}

class FindingCodes : public ::testing::TestWithParam<FindingCase> {};

TEST_P(FindingCodes, GiveTheOneFindingOfTheMistake) {
    const FindingCase& row = GetParam();
    MediumFolder folder;
    if (row.withoutSetupExe) {
        fs::remove(folder.Medium() / "Setup.exe");
    }
    if (row.launcherOfItsOwn) {
        GiveLauncherOfItsOwn(folder);
    }
    GameDisc disc;
    std::string reason;
    ASSERT_TRUE(OpenGameDisc(folder.Disc().string(), disc, reason)) << reason;
    std::vector<Finding> findings =
        CheckMedium(folder.Medium().string(), Saved(Replaced(kCleanIni, row.from, row.to), row.form),
                    row.withDisc ? &disc : nullptr);
    ASSERT_EQ(findings.size(), 1u) << Listed(findings);
    EXPECT_EQ(findings[0].code, row.code);
    EXPECT_EQ(findings[0].severity, row.severity);
    EXPECT_EQ(findings[0].line, row.line);
    EXPECT_NE(findings[0].text.find(row.says), std::string::npos) << findings[0].text;
}

const std::string kFiles2 = "2=\"GamePatch.txt\"\r\n";
const std::string kTextEnd = "ShortcutUninstall=\"Remove\"\r\n";

std::string CaseName(const ::testing::TestParamInfo<FindingCase>& info) {
    std::string name;
    for (const char* c = info.param.code; *c != '\0'; ++c) {
        name += *c == '-' ? '_' : *c;
    }
    // Some codes have a row for each of their causes.
    return name + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(
    EveryCode, FindingCodes,
    ::testing::Values(
        FindingCase{"mode", "Mode=\"Install\"", "Mode=\"install\"", Severity::Error, 2},
        FindingCase{"run-mode", "Mode=\"Install\"", "Mode=\"Run\"", Severity::Warning, 2},
        // The start shortcut starts GamePatch.exe: only a copy of Setup.exe
        // there reaches run mode, whichever of its keys is set.
        FindingCase{"run-mode", "", "", Severity::Warning, 5, false, false, "nothing a user clicks", FileForm::Ansi, true},
        FindingCase{"run-mode", "Volume=\"RALLY\"\r\n", "", Severity::Warning, 5, false, false, "", FileForm::Ansi,
                    true},
        FindingCase{"run-mode", "Volume=\"RALLY\"\r\nExecuteCD=\"Game\\Rally.exe\"\r\nExecute=\"GamePatch.exe\"\r\n",
                    "Execute=\"GamePatch.exe\"\r\n[PreloadDLLs]\r\n1=\"GamePatch.txt\"\r\n", Severity::Warning, 7, false,
                    false, "", FileForm::Ansi, true},
        FindingCase{"list-gap", kFiles2, kFiles2 + "4=\"GamePatch.txt\"\r\n", Severity::Error, 15},
        FindingCase{"missing-file", kFiles2, kFiles2 + "3=\"Missing.txt\"\r\n", Severity::Error, 15},
        // A name that no ANSI code page holds reaches the finding whole.
        FindingCase{"missing-file", kFiles2, kFiles2 + "3=\"\u0141\u00F3d\u017A.txt\"\r\n", Severity::Error, 15, false,
                    false, "\"\u0141\u00F3d\u017A.txt\"", FileForm::Utf16Le},
        FindingCase{"file-path", kFiles2, kFiles2 + "3=\"..\\GamePatch.txt\"\r\n", Severity::Error, 15},
        // Windows takes these for devices, whatever the extension and the
        // letter case, and with dots or blanks before the extension.
        FindingCase{"file-path", kFiles2, kFiles2 + "3=\"nul.txt\"\r\n", Severity::Error, 15},
        FindingCase{"file-path", kFiles2, kFiles2 + "3=\"Data\\Com1.dat\"\r\n", Severity::Error, 15, false,
                    false, "\"Com1.dat\""},
        FindingCase{"file-path", kFiles2, kFiles2 + "3=\"lpt9 ..dat\"\r\n", Severity::Error, 15},
        FindingCase{"file-path", kFiles2, kFiles2 + "3=\"aux\\GamePatch.txt\"\r\n", Severity::Error, 15},
        FindingCase{"file-path", kFiles2, kFiles2 + "3=\"CONOUT$\"\r\n", Severity::Error, 15},
        FindingCase{"file-path", kFiles2, kFiles2 + "3=\"com\u00B9.log\"\r\n", Severity::Error, 15, false, false, "",
                    FileForm::Utf16Le},
        FindingCase{"file-folder", kFiles2, kFiles2 + "3=\"" + kFolderFile + "\"\r\n", Severity::Warning, 15},
        FindingCase{"joliet-name", kFiles2, kFiles2 + "3=\"" + kLongName + "\"\r\n", Severity::Error, 15},
        FindingCase{"setup-file", kFiles2, kFiles2 + "3=\"setup.ini\"\r\n", Severity::Error, 15},
        FindingCase{"no-setup-exe", "", "", Severity::Error, 0, false, true},
        FindingCase{"target-folder", "TargetFolder=\"Rally Patch\"", "TargetFolder=\"..\\Windows\"", Severity::Error,
                    4},
        // Windows drops the dots and blanks at the end of each part.
        FindingCase{"target-folder", "TargetFolder=\"Rally Patch\"", "TargetFolder=\"Rally Inc.\"",
                    Severity::Warning, 4, false, false, "the folder \"Rally Inc\""},
        FindingCase{"target-folder", "TargetFolder=\"Rally Patch\"", "TargetFolder=\"Rally Ltd. \"",
                    Severity::Warning, 4, false, false, "the folder \"Rally Ltd\""},
        FindingCase{"target-folder", "TargetFolder=\"Rally Patch\"", "TargetFolder=\"Rally\\...\"",
                    Severity::Error, 4, false, false, "only dots and blanks"},
        FindingCase{"app-name", "AppName=\"Rally Patch\"", "AppName=\"StartUp\"", Severity::Error, 3},
        // 222 characters: the installed Setup.exe reaches 255, the copy of GamePatch.exe stays at 259.
        FindingCase{"path-length", "TargetFolder=\"Rally Patch\"", "TargetFolder=\"" + std::string(222, 'x') + "\"",
                    Severity::Error, 4},
        FindingCase{"too-long", kTextEnd, kTextEnd + "ErrorCD=\"" + std::string(8189, 'a') + "\"\r\n",
                    Severity::Error, 12},
        FindingCase{"disc-label", "Volume=\"RALLY\"", "Volume=\"RALLY2\"", Severity::Error, 5, true},
        FindingCase{"disc-file", "ExecuteCD=\"Game\\Rally.exe\"", "ExecuteCD=\"Game\"", Severity::Error, 6, true},
        // Run mode looks for it below each drive's root: with the game disc or
        // without, and without a look at the drive it names.
        FindingCase{"execute-cd", "ExecuteCD=\"Game", "ExecuteCD=\"D:\\Game", Severity::Error, 6},
        FindingCase{"execute-cd", "ExecuteCD=\"Game", "ExecuteCD=\"D:\\Game", Severity::Error, 6, true},
        FindingCase{"wait", "Execute=\"GamePatch.exe\"\r\n", "Execute=\"GamePatch.exe\"\r\nWaitExecute=\"yes\"\r\n",
                    Severity::Warning, 8},
        // The heading shows one line of 194 pixels, the body five of 291.
        FindingCase{"dialog-text", "AppName=\"Rally Patch\"",
                    "AppName=\"Harbor Lights, the Lantern Works Ltd. patch 2.0.2 by Lantern\"", Severity::Warning, 3,
                    false, false, "shows only \"Harbor Lights, the Lantern Works Ltd.\""},
        FindingCase{"dialog-text", kTextEnd,
                    kTextEnd + "DialogInstallText=\"Patch 2.0.2 for Harbor Lights.\\n\\nIt fixes the lantern "
                               "works and the harbor lights, the ferry timetable and the fog horn, the night "
                               "sky over the bay and the sound of the surf.\\n\\nPress Install.\"\r\n",
                    Severity::Warning, 12, false, false, "takes 7 lines"},
        FindingCase{"escape", kTextEnd, kTextEnd + "DialogExit=\"E\\nxit\"\r\n", Severity::Warning, 12},
        FindingCase{"empty-text", kTextEnd, kTextEnd + "ErrorHeader=\"\"\r\n", Severity::Warning, 12},
        FindingCase{"unknown", "Mode=\"Install\"\r\n", "Mode=\"Install\"\r\nAppNme=\"Rally\"\r\n", Severity::Warning,
                    3},
        FindingCase{"shortcut", "ShortcutReadMe=\"Read me\"", "ShortcutReadMe=\"start\"", Severity::Warning, 10},
        FindingCase{"volume", "Volume=\"RALLY\"", "Volume=\"RALLY PATCH DISC 1\"", Severity::Warning, 5, false, false,
                    "only a disc without them"},
        // No disc can carry these: run mode never finds one.
        FindingCase{"volume", "Volume=\"RALLY\"", "Volume=\"" + std::string(33, 'R') + "\"", Severity::Error, 5,
                    false, false, "never finds the disc"},
        FindingCase{"volume", "Volume=\"RALLY\"", "Volume=\"RALLY*\"", Severity::Error, 5, false, false,
                    "holds \"*\""},
        FindingCase{"encoding", "AppName=\"Rally Patch\"", "AppName=\"Rally \xC9t\xE9\"", Severity::Warning, 3, false,
                    false, "machines whose ANSI code page"},
        FindingCase{"encoding", "AppName=\"Rally Patch\"", "AppName=\"\u0142atka Rally\"", Severity::Warning, 3, false,
                    false, "\"\u0142atka\" is UTF-8 saved without a byte-order mark, which Windows reads in the ANSI "
                           "code page on every machine (\"\u00C5\u201Aatka\" on a Western European one)"},
        FindingCase{"encoding", "", "\xEF\xBB\xBF", Severity::Error, 1, false, false, "UTF-8 byte-order mark"},
        FindingCase{"encoding", "", "", Severity::Error, 1, false, false, "UTF-16 BE", FileForm::Utf16Be},
        FindingCase{"encoding", "", "", Severity::Error, 1, false, false, "without a byte-order mark",
                    FileForm::Utf16LeUnmarked},
        FindingCase{"duplicate", kFiles2, kFiles2 + "2=\"Other.txt\"\r\n", Severity::Warning, 15},
        FindingCase{"syntax", kTextEnd, kTextEnd + "DialogExit\r\n", Severity::Warning, 12},
        FindingCase{"preload", kFiles2, kFiles2 + "[PreloadDLLs]\r\n1=\"Fix.dll\"\r\n", Severity::Warning, 16},
        FindingCase{"execute", "Execute=\"GamePatch.exe\"", "Execute=\"Other.exe\"", Severity::Warning, 7},
        FindingCase{"target-parent", "TargetFolder=\"Rally Patch\"", "TargetFolder=\"Rally\\Patch\"",
                    Severity::Warning, 4}),
    CaseName);

// Media that work as their authors meant.
struct WorkingCase {
    const char* what;
    std::string from;  // a piece of kCleanIni ...
    std::string to;    // ... and what replaces it
    FileForm form = FileForm::Ansi;
    bool launcherOfItsOwn = false;  // GamePatch.exe no copy of Setup.exe
};

class WorkingMedia : public ::testing::TestWithParam<WorkingCase> {};

TEST_P(WorkingMedia, GiveNoFinding) {
    const WorkingCase& row = GetParam();
    MediumFolder folder;
    if (row.launcherOfItsOwn) {
        GiveLauncherOfItsOwn(folder);
    }
    std::vector<Finding> findings =
        CheckMedium(folder.Medium().string(), Saved(Replaced(kCleanIni, row.from, row.to), row.form), nullptr);
    EXPECT_TRUE(findings.empty()) << Listed(findings);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKnownCase, WorkingMedia,
    ::testing::Values(
        // Read from the medium's own file by "Setup.exe -uninstall" started there.
        WorkingCase{"ErrorNotInstalled", kTextEnd, kTextEnd + "ErrorNotInstalled=\"Start it from the Start menu\"\r\n"},
        // Copied into the installed file, where uninstall reads it.
        WorkingCase{"ErrorUninstall", kTextEnd, kTextEnd + "ErrorUninstall=\"Close the game\"\r\n"},
        // The longest label that a Joliet disc shows.
        WorkingCase{"JolietNameOfSixtyFourCharacters", kFiles2, kFiles2 + "3=\"" + kLongestJolietName + "\"\r\n"},
        // Setup.exe reads UTF-16 LE with its mark whole: names and texts in
        // any language, their lengths counted in characters.
        WorkingCase{"Utf16LeWithLettersOfAnyLanguage", kTextEnd + "[Files]\r\n",
                    kTextEnd + "DialogInstallText=\"\u0141atka \u2014 \u0420\u0430\u043B\u043B\u0438 \U0001F3CE\"\r\n[Files]\r\n3=\"" +
                        kUnicodeName + "\"\r\n4=\"" + kLongestUnicodeName + "\"\r\n",
                    FileForm::Utf16Le},
        // Without run mode's keys the start shortcut has nothing to reach
        // but the patch's own program.
        WorkingCase{"NoRunModeWithALauncherOfItsOwn", "Volume=\"RALLY\"\r\nExecuteCD=\"Game\\Rally.exe\"\r\n", "",
                    FileForm::Ansi, true},
        // Five lines fill the body; 192 of the heading's 194 pixels show whole.
        WorkingCase{"FullDialog", kTextEnd,
                    kTextEnd + "DialogInstallText=\"Patch 2.0.2 for Harbor Lights.\\n\\nIt fixes the lantern "
                               "works and the harbor lights, the ferry timetable and the fog horn.\\nPress "
                               "Install.\"\r\n"},
        WorkingCase{"HeadingNearlyFull", "AppName=\"Rally Patch\"",
                    "AppName=\"Harbor Lights, the Lantern Works Ltd. v2\""},
        WorkingCase{"VolumeOfSixteenCharacters", "Volume=\"RALLY\"", "Volume=\"RALLY PATCH DISC\""},
        // Empty is its default.
        WorkingCase{"EmptyTextWithoutDefault", kTextEnd, kTextEnd + "DialogInstallText=\"\"\r\n"},
        // Joined to "E:\", it makes "E:\\Game\Rally.exe", which Windows reads as "E:\Game\Rally.exe".
        WorkingCase{"ExecuteCDFromTheRoot", "ExecuteCD=\"Game", "ExecuteCD=\"\\Game"}),
    [](const ::testing::TestParamInfo<WorkingCase>& info) { return std::string(info.param.what); });

// A file saved as UTF-16 reads as the platform reads it, in either byte order.
TEST(ParseProfile, ReadsUtf16InTheOrderItsMarkGives) {
    const std::string text = "[General]\r\nAppName=Rally\r\n";
    std::string little = "\xFF\xFE";
    std::string big = "\xFE\xFF";
    for (char c : text) {
        little += std::string{c, '\0'};
        big += std::string{'\0', c};
    }
    const Profile fromLittle = ParseProfile(little);
    const Profile fromBig = ParseProfile(big);
    EXPECT_EQ(fromLittle.encoding, ProfileEncoding::Utf16LeBom);
    EXPECT_EQ(fromBig.encoding, ProfileEncoding::Utf16BeBom);
    EXPECT_EQ(ProfileString(fromLittle, "General", "AppName", "", 100), "Rally");
    EXPECT_EQ(ProfileString(fromBig, "General", "AppName", "", 100), "Rally");
}

TEST(CheckMedium, CleanMediumAndGameDiscGiveNoFinding) {
    MediumFolder folder;
    GameDisc disc;
    std::string reason;
    ASSERT_TRUE(OpenGameDisc(folder.Disc().string(), disc, reason)) << reason;
    EXPECT_EQ(disc.label, "RALLY");
    // Disc labels are compared with A to Z folded, as run mode does.
    std::vector<Finding> findings =
        CheckMedium(folder.Medium().string(), Replaced(kCleanIni, "\"RALLY\"", "\"rally\""), &disc);
    EXPECT_TRUE(findings.empty()) << Listed(findings);
}

TEST(CheckMedium, LongFileListTakesTimeInProportion) {
    constexpr int kEntries = 50000;
    // Far above what a linear check takes even under the sanitizers or Wine; a
    // check whose every entry looks through all the others takes minutes.
    constexpr double kMostSeconds = 30;
    MediumFolder folder;
    std::string ini = kCleanIni;
    for (int number = 3; number <= kEntries; ++number) {
        ini += std::to_string(number) + "=\"GamePatch.txt\"\r\n";
    }
    auto start = std::chrono::steady_clock::now();
    std::vector<Finding> findings = CheckMedium(folder.Medium().string(), ini, nullptr);
    std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    // Each entry after the second copies GamePatch.txt again.
    ASSERT_EQ(findings.size(), static_cast<std::size_t>(kEntries - 2));
    EXPECT_EQ(findings.back().code, "duplicate");
    EXPECT_LT(took.count(), kMostSeconds) << kEntries << " entries";
}

TEST(CheckMedium, SamplePatchChecksClean) {
    MediumFolder folder;
    // The sample's files, and stand-ins for the programs that the build adds.
    for (const auto& entry : fs::directory_iterator(SAMPLE_PATCH_DIR)) {
        fs::copy_file(entry.path(), folder.Medium() / entry.path().filename(), fs::copy_options::overwrite_existing);
    }
    WriteFile(folder.Medium() / "RallyPatch.exe", "x");
    WriteFile(folder.Medium() / "RallyFix.dll", "x");
    std::ifstream in(folder.Medium() / "Setup.ini", std::ios::binary);
    std::string ini((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<Finding> findings = CheckMedium(folder.Medium().string(), ini, nullptr);
    EXPECT_TRUE(findings.empty()) << Listed(findings);
}

TEST(FindOnMedium, FindsNamesAsWindowsDoes) {
    MediumFolder folder;
    // Windows finds a file whatever the case of its letters.
    WriteFile(folder.Medium() / fs::u8path("Th\u00E9.txt"), "x");
    EXPECT_EQ(FindOnMedium(folder.Medium().string(), "tH\u00E9.TXT"), MediumItem::File);
    EXPECT_EQ(FindOnMedium(folder.Medium().string(), "th\u00C9.txt"), MediumItem::File);
    EXPECT_EQ(FindOnMedium(folder.Medium().string(), "the.txt"), MediumItem::Missing);
    EXPECT_EQ(FindOnMedium(folder.Disc().string(), "/GAME\\rally.exe"), MediumItem::File);
    EXPECT_EQ(FindOnMedium(folder.Disc().string(), "game"), MediumItem::Folder);
    // ".." goes no higher than the root.
    EXPECT_EQ(FindOnMedium(folder.Disc().string(), "..\\Game\\.\\Rally.exe"), MediumItem::File);
    EXPECT_EQ(FindOnMedium(folder.Disc().string(), "..\\medium\\GamePatch.exe"), MediumItem::Missing);
}

TEST(GameDiscImage, GivesTheJolietLabelAndItsFiles) {
    MediumFolder folder;
    WriteFile(folder.Disc() / "Game" / fs::u8path("Caf\u00E9.exe"), "x");
    fs::path image = folder.Root() / "disc.iso";
    std::string command = "xorriso -as mkisofs -quiet -input-charset UTF-8 -J -V \"Rally Disc 2026\" -o \"" +
                          image.string() + "\" \"" + folder.Disc().string() + "\" >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0) {
        GTEST_SKIP() << "no xorriso to make an image with";
    }
    GameDisc disc;
    std::string reason;
    ASSERT_TRUE(OpenGameDisc(image.string(), disc, reason)) << reason;
    EXPECT_TRUE(disc.isImage);
    EXPECT_EQ(disc.label, "Rally Disc 2026");
    EXPECT_EQ(FindOnDisc(disc, "game\\RALLY.EXE"), MediumItem::File);
    EXPECT_EQ(FindOnDisc(disc, "Game"), MediumItem::Folder);
    EXPECT_EQ(FindOnDisc(disc, "Game\\Missing.exe"), MediumItem::Missing);
    EXPECT_EQ(FindOnDisc(disc, "Game\\Rally.exe\\x"), MediumItem::Missing);
    // Names compare as on a folder drive: accented letters ignore case too, and
    // ".." stops at the root.
    EXPECT_EQ(FindOnDisc(disc, "GAME\\CAF\u00C9.EXE"), MediumItem::File);
    EXPECT_EQ(FindOnDisc(disc, "..\\Game\\Rally.exe"), MediumItem::File);
}

}  // namespace
