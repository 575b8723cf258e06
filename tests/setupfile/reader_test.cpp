// The setting reader against the platform's own profile reader: quotation
// marks, blanks, empty values, the length limit, missing files, escapes and
// the end rule of numbered lists.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "current_folder.h"
#include "setupfile/settings.h"
#include "test_env.h"

namespace {

// A scratch folder holding `ini` as Setup.ini, made the current directory.
class SetupIniFolder {
public:
    explicit SetupIniFolder(const std::string& ini) : folder_("ini") {
        written_ = testenv::WriteFileBytes(folder_ / "Setup.ini", ini);
        current_ = guard_.MoveTo(folder_.Path());
    }
    bool Ready() const { return written_ && current_; }
    const std::string& Path() const { return folder_.Path(); }

private:
    testenv::ScratchFolder folder_;  // declared first: removed after the old folder is current again
    CurrentFolderGuard guard_;
    bool written_ = false;
    bool current_ = false;
};

struct ReadCase {
    const char* name;
    std::string line;  // one line in section [General]
    const char* defaultValue;
    std::string expected;
};

class ReadSettingRules : public ::testing::TestWithParam<ReadCase> {};

TEST_P(ReadSettingRules, ReadsTheValueOfKeyProbe) {
    SetupIniFolder folder("[Other]\r\nProbe=wrong section\r\n[General]\r\n" + GetParam().line +
                          "\r\nNext=x\r\n[Text]\r\nProbe=wrong section\r\n");
    ASSERT_TRUE(folder.Ready());
    EXPECT_EQ(ReadSetting("General", "Probe", GetParam().defaultValue), GetParam().expected)
        << "line: [" << GetParam().line << "]";
}

std::string ReadCaseName(const ::testing::TestParamInfo<ReadCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Values, ReadSettingRules,
    ::testing::Values(
        ReadCase{"Plain", "Probe=value", "dflt", "value"},
        ReadCase{"BlanksAroundTheValue", "Probe = \t  two words \t ", "dflt", "two words"},
        ReadCase{"DoubleQuotes", "Probe=\"value\"", "dflt", "value"},
        ReadCase{"SingleQuotes", "Probe='value'", "dflt", "value"},
        ReadCase{"SpacesInsideTheQuotesStay", "Probe=  \"  a b  \"  ", "dflt", "  a b  "},
        ReadCase{"InnerQuotesStay", "Probe=\"say \"hi\" now\"", "dflt", "say \"hi\" now"},
        ReadCase{"OnlyOnePairIsRemoved", "Probe=\"\"twice\"\"", "dflt", "\"twice\""},
        ReadCase{"OpeningQuoteOnlyStays", "Probe=\"value", "dflt", "\"value"},
        ReadCase{"ClosingQuoteOnlyStays", "Probe=value\"", "dflt", "value\""},
        ReadCase{"MixedQuotesStay", "Probe=\"value'", "dflt", "\"value'"},
        ReadCase{"EmptyValueGivesTheDefault", "Probe=", "dflt", "dflt"},
        ReadCase{"BlankValueGivesTheDefault", "Probe=  \t ", "dflt", "dflt"},
        ReadCase{"EmptyQuotesGiveTheDefault", "Probe=\"\"", "dflt", "dflt"},
        ReadCase{"EmptySingleQuotesGiveTheDefault", "Probe=''", "dflt", "dflt"},
        ReadCase{"EmptyValueWithEmptyDefault", "Probe=", "", ""},
        ReadCase{"MissingKeyGivesTheDefault", "Other=value", "dflt", "dflt"},
        ReadCase{"KeyNamesIgnoreLetterCase", "pROBE=value", "dflt", "value"},
        ReadCase{"EscapesAreNotExpanded", "Probe=a\\nb", "dflt", "a\\nb"},
        ReadCase{"EqualsSignInTheValue", "Probe=a=b", "dflt", "a=b"},
        ReadCase{"LongestValue", "Probe=" + std::string(kMaxSettingLength, 'v'), "dflt",
                 std::string(kMaxSettingLength, 'v')},
        ReadCase{"OneCharacterTooLong", "Probe=" + std::string(kMaxSettingLength, 'v') + "w", "dflt",
                 std::string(kMaxSettingLength, 'v')},
        ReadCase{"NineThousandCharacters", "Probe=" + std::string(8000, 'a') + std::string(1000, 'b'), "dflt",
                 std::string(8000, 'a') + std::string(kMaxSettingLength - 8000, 'b')},
        ReadCase{"NineThousandCharactersQuoted", "Probe=\"" + std::string(9000, 'q') + "\"", "dflt",
                 std::string(kMaxSettingLength, 'q')}),
    ReadCaseName);

TEST(ReadSetting, SectionNamesIgnoreLetterCase) {
    SetupIniFolder folder("[gENERAL]\r\nMode=Install\r\n");
    ASSERT_TRUE(folder.Ready());
    EXPECT_EQ(ReadSetting(keys::kMode), "Install");
}

TEST(ReadSetting, MissingSectionGivesTheDefault) {
    SetupIniFolder folder("[Text]\r\nMode=Install\r\n");
    ASSERT_TRUE(folder.Ready());
    EXPECT_EQ(ReadSetting(keys::kMode), "run");
}

TEST(ReadSetting, WithoutSetupIniEveryReadGivesItsDefault) {
    testenv::ScratchFolder empty("none");
    CurrentFolderGuard guard;
    ASSERT_TRUE(guard.MoveTo(empty.Path()));
    for (const SetupKey& key : {keys::kMode, keys::kAppName, keys::kTargetFolder, keys::kVolume, keys::kErrorCD,
                                keys::kDialogInstall, keys::kDialogExit}) {
        EXPECT_EQ(ReadSetting(key), key.defaultValue) << key.name;
    }
    EXPECT_EQ(ReadText(keys::kDialogAbort), "Really exit without installing the patch?");
    EXPECT_TRUE(ReadNumberedList("Files").empty());
}

TEST(ReadSetting, FollowsTheCurrentDirectory) {
    testenv::ScratchFolder first("first");
    testenv::ScratchFolder second("second");
    ASSERT_TRUE(testenv::WriteFileBytes(first / "Setup.ini", "[General]\r\nAppName=First\r\n"));
    ASSERT_TRUE(testenv::WriteFileBytes(second / "Setup.ini", "[General]\r\nAppName=Second\r\n"));
    CurrentFolderGuard guard;
    ASSERT_TRUE(guard.MoveTo(first.Path()));
    EXPECT_EQ(ReadSetting(keys::kAppName), "First");
    ASSERT_TRUE(guard.MoveTo(second.Path()));
    EXPECT_EQ(ReadSetting(keys::kAppName), "Second");
}

TEST(ReadSetting, SeesTheFileAsItIsNow) {
    SetupIniFolder folder("[General]\r\nAppName=Before\r\n");
    ASSERT_TRUE(folder.Ready());
    EXPECT_EQ(ReadSetting(keys::kAppName), "Before");
    // Nothing is cached between reads: a rewritten file counts at once.
    ASSERT_TRUE(testenv::WriteFileBytes(folder.Path() + "\\Setup.ini", "[General]\r\nAppName=After the change\r\n"));
    EXPECT_EQ(ReadSetting(keys::kAppName), "After the change");
}

TEST(ReadText, ExpandsTheEscapeOfStoredValuesAndDefaults) {
    SetupIniFolder folder("[Text]\r\nErrorCD=\"Insert\\nthe disc\\\\n\"\r\nDialogExit=E\\nxit\r\n");
    ASSERT_TRUE(folder.Ready());
    EXPECT_EQ(ReadText(keys::kErrorCD), "Insert\r\nthe disc\\\r\n");
    EXPECT_EQ(ReadText("Missing", "a\\nb\\N"), "a\r\nb\\N");
    // Captions and labels are read plain: the escape stays.
    EXPECT_EQ(ReadSetting(keys::kDialogExit), "E\\nxit");
}

struct ListCase {
    const char* name;
    std::string section;  // the lines of section [Files]
    std::vector<std::string> expected;
};

class NumberedListRules : public ::testing::TestWithParam<ListCase> {};

TEST_P(NumberedListRules, EndsAtTheFirstEmptyOrMissingKey) {
    SetupIniFolder folder("[General]\r\n1=not this section\r\n[Files]\r\n" + GetParam().section +
                          "[Folders]\r\n9=x\r\n");
    ASSERT_TRUE(folder.Ready());
    EXPECT_EQ(ReadNumberedList("Files"), GetParam().expected);
    // The list read at once says what the reader says key by key.
    std::vector<std::string> keyByKey;
    ForEachNumberedEntry("Files", [&keyByKey](int, const std::string& value) { keyByKey.push_back(value); });
    EXPECT_EQ(keyByKey, GetParam().expected);
}

std::string ListCaseName(const ::testing::TestParamInfo<ListCase>& info) {
    return info.param.name;
}

INSTANTIATE_TEST_SUITE_P(
    Lists, NumberedListRules,
    ::testing::Values(ListCase{"Empty", "", {}},
                      ListCase{"KeysOneTwoAndFour", "1=a\r\n2=b\r\n4=d\r\n", {"a", "b"}},
                      ListCase{"NoKeyOne", "2=b\r\n3=c\r\n", {}},
                      ListCase{"KeyTwoEmpty", "1=a\r\n2=\r\n3=c\r\n", {"a"}},
                      ListCase{"KeyTwoEmptyQuotes", "1=a\r\n2=\"\"\r\n3=c\r\n", {"a"}},
                      ListCase{"KeysInAnyOrder", "3=c\r\n1=a\r\n2=b\r\n", {"a", "b", "c"}},
                      ListCase{"LeadingZerosAreOtherKeys", "01=a\r\n1=b\r\n02=c\r\n", {"b"}},
                      ListCase{"ValuesAsStored", "1=\" a\\nb \"\r\n2=C:\\x y\\z.dll\r\n", {" a\\nb ", "C:\\x y\\z.dll"}},
                      ListCase{"FirstOfTwoKeys", "1=a\r\n1=b\r\n2=c\r\n", {"a", "c"}},
                      ListCase{"KeyWithoutEquals", "1=a\r\n2\r\n2=b\r\n", {"a"}},
                      ListCase{"BlanksAndQuotes", " 1 =  'a b'  \r\n2=\"c'\r\n3=\"\r\n4='\"d\"'\r\n", {"a b", "\"c'", "\"", "\"d\""}},
                      ListCase{"CommentsAndSecondSection", ";1=x\r\n1=a\r\n[files]\r\n2=b\r\n", {"a"}},
                      ListCase{"BeyondTheReadLimit", "1=" + std::string(9000, 'v') + "\r\n", {std::string(8189, 'v')}}),
    ListCaseName);

TEST(NumberedList, HasNoUpperBound) {
    std::string section;
    std::vector<std::string> expected;
    // Long enough that the section's lines outgrow any first buffer.
    for (int n = 1; n <= 4000; ++n) {
        const std::string value = "C:\\Program Files\\Some Patch\\Data\\entry " + std::to_string(n) + ".dat";
        section += std::to_string(n) + "=\"" + value + "\"\r\n";
        expected.push_back(value);
    }
    SetupIniFolder folder("[PreloadDLLs]\r\n" + section);
    ASSERT_TRUE(folder.Ready());
    EXPECT_EQ(ReadNumberedList("PreloadDLLs"), expected);
}

}  // namespace
