#include <gtest/gtest.h>

#include "setupfile/ini_lines.h"
#include "setupfile/setup_keys.h"

namespace {

TEST(IniLines, ValueLinesQuoteTheValueUnchanged) {
    EXPECT_EQ(SectionLine("General"), "[General]\r\n");
    EXPECT_EQ(ValueLine("AppName", "Patch"), "AppName=\"Patch\"\r\n");
    EXPECT_EQ(ValueLine("Volume", ""), "Volume=\"\"\r\n");
    EXPECT_EQ(ValueLine("DialogText", "a\\nb \"q\" "), "DialogText=\"a\\nb \"q\" \"\r\n");
}

TEST(IniLines, NumberedLinesAndKeysAreDecimal) {
    EXPECT_EQ(NumberedKey(1), "1");
    EXPECT_EQ(NumberedKey(10), "10");
    EXPECT_EQ(NumberedLine(1, "C:\\Program Files\\Morvelan\\Setup.ini"),
              "1=\"C:\\Program Files\\Morvelan\\Setup.ini\"\r\n");
    EXPECT_EQ(NumberedLine(12, ""), "12=\"\"\r\n");
}

TEST(SetupKeys, CopiedKeysHaveTheDefaultsThatReadersExpect) {
    EXPECT_STREQ(keys::kMode.defaultValue, "run");
    EXPECT_STREQ(keys::kAppName.defaultValue, "Patch");
    EXPECT_STREQ(keys::kTargetFolder.defaultValue, "Morvelan");
    EXPECT_STREQ(keys::kWaitExecute.defaultValue, "0");
    EXPECT_STREQ(keys::kDialogUninstall.defaultValue, "&Uninstall");
    EXPECT_STREQ(keys::kErrorFile.defaultValue, "The file(s) could not be created/copied");
    EXPECT_STREQ(keys::kDialogText.section, "Text");
    EXPECT_STREQ(keys::kVolume.section, "General");
}

}  // namespace
