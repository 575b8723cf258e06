// The installed Setup.ini: its exact bytes, and what run and uninstall mode
// read back from it through the platform's profile reader.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "current_folder.h"
#include "installed_setup_values.h"
#include "setupfile/code_page.h"
#include "setupfile/installed_setup.h"
#include "setupfile/settings.h"
#include "test_env.h"

namespace {

std::wstring Wide(const std::string& path) {
    return WideFromAnsi(path);
}

std::vector<std::wstring> Wide(const std::vector<std::string>& paths) {
    std::vector<std::wstring> wide;
    for (const std::string& path : paths) {
        wide.push_back(WideFromAnsi(path));
    }
    return wide;
}

const char kDefaultInstalledFile[] =
    "[General]\r\n"
    "Mode=\"Run\"\r\n"
    "AppName=\"Patch\"\r\n"
    "Volume=\"\"\r\n"
    "Execute=\"\"\r\n"
    "WaitExecute=\"0\"\r\n"
    "ExecuteCD=\"\"\r\n"
    "WaitExecuteCD=\"0\"\r\n"
    "\r\n"
    "[Text]\r\n"
    "ErrorHeader=\"Error\"\r\n"
    "ErrorCD=\"The CD could not be located\"\r\n"
    "DialogExit=\"Exit\"\r\n"
    "DialogUninstall=\"&Uninstall\"\r\n"
    "DialogText=\"\"\r\n"
    "SuccessHeader=\"Success\"\r\n"
    "SuccessUninstall=\"Patch removed\"\r\n"
    "\r\n"
    "[PreloadDLLs]\r\n"
    "\r\n";

// A medium whose Setup.ini is current, and a target folder beside it.
class InstallFolders : public ::testing::Test {
protected:
    void UseSource(const std::string& ini) {
        ASSERT_TRUE(testenv::WriteFileBytes(source_ / "Setup.ini", ini));
        ASSERT_TRUE(current_.MoveTo(source_.Path()));
    }
    std::string InstalledPath() const { return target_ / "Setup.ini"; }
    std::string InstalledBytes() const {
        std::string bytes;
        EXPECT_TRUE(testenv::ReadFileBytes(InstalledPath(), bytes));
        return bytes;
    }
    // Run and uninstall mode read the installed file from its own folder.
    void ReadFromTarget() { ASSERT_TRUE(current_.MoveTo(target_.Path())); }

    testenv::ScratchFolder source_{"source"};
    testenv::ScratchFolder target_{"target"};
    CurrentFolderGuard current_;
};

TEST_F(InstallFolders, SourceWithoutCopiedKeysGivesTheDefaultFile) {
    // Keys that are not copied must not show up.
    UseSource("[General]\r\nMode=Install\r\nTargetFolder=Elsewhere\r\n[Text]\r\nDialogInstall=Go\r\n"
              "ErrorFile=Disk\r\n[Files]\r\n1=GamePatch.exe\r\n");
    ASSERT_TRUE(WriteInstalledSetup(Wide(InstalledPath()), ReadInstalledSetupValues()));
    EXPECT_EQ(InstalledBytes(), kDefaultInstalledFile);
}

TEST_F(InstallFolders, EmptySourceValuesAreWrittenAsTheirDefaults) {
    UseSource("[General]\r\nAppName=\r\nWaitExecute=\"\"\r\n[Text]\r\nDialogExit=  \r\nErrorCD=''\r\n"
              "[PreloadDLLs]\r\n1=\r\n2=skipped.dll\r\n");
    ASSERT_TRUE(WriteInstalledSetup(Wide(InstalledPath()), ReadInstalledSetupValues()));
    EXPECT_EQ(InstalledBytes(), kDefaultInstalledFile);
}

TEST_F(InstallFolders, AnExistingFileIsReplaced) {
    UseSource("");
    ASSERT_TRUE(testenv::WriteFileBytes(InstalledPath(), std::string(5000, 'o') + "\r\n[Files]\r\n1=\"old\"\r\n"));
    ASSERT_TRUE(WriteInstalledSetup(Wide(InstalledPath()), ReadInstalledSetupValues()));
    EXPECT_EQ(InstalledBytes(), kDefaultInstalledFile);
}

TEST_F(InstallFolders, InstallRecordFollowsInOrderAndEndsWithAnEmptyLine) {
    UseSource("[PreloadDLLs]\r\n1=one.dll\r\n");
    ASSERT_TRUE(WriteInstalledSetup(Wide(InstalledPath()), ReadInstalledSetupValues()));
    const std::vector<std::string> files = {InstalledPath(), target_ / "Setup.exe", target_ / "with space.txt"};
    const std::vector<std::string> folders = {target_.Path(), "C:\\Start Menu\\Programs\\Patch"};
    EXPECT_TRUE(AppendInstallRecord(Wide(InstalledPath()), Wide(files), Wide(folders)));

    std::string expected = kDefaultInstalledFile;
    expected.replace(expected.size() - 2, 2, "1=\"one.dll\"\r\n\r\n");
    expected += "[Files]\r\n";
    expected += "1=\"" + files[0] + "\"\r\n2=\"" + files[1] + "\"\r\n3=\"" + files[2] + "\"\r\n\r\n";
    expected += "[Folders]\r\n";
    expected += "1=\"" + folders[0] + "\"\r\n2=\"" + folders[1] + "\"\r\n\r\n";
    EXPECT_EQ(InstalledBytes(), expected);

    ReadFromTarget();
    EXPECT_EQ(ReadNumberedList("Files"), files);
    EXPECT_EQ(ReadNumberedList("Folders"), folders);
    EXPECT_EQ(ReadNumberedList("PreloadDLLs"), std::vector<std::string>{"one.dll"});
}

// A path that the code page holds keeps the bytes it always had; one that it
// doesn't is written behind the mark, and both read back as they were.
TEST_F(InstallFolders, RecordHoldsEveryPathWithoutLoss) {
    struct RecordCase {
        std::wstring path;
        std::string written;
    };
    const RecordCase cases[] = {
        {L"C:\\Program Files\\Caf\u00E9", "C:\\Program Files\\Caf\xE9"},
        {L"C:\\users\\\u0141\u00F3d\u017A", "<utf-8>C:\\users\\%C5%81%C3%B3d%C5%BA"},
        {L"C:\\\u0391\u03B8\u03AE\u03BD\u03B1 100%", "<utf-8>C:\\%CE%91%CE%B8%CE%AE%CE%BD%CE%B1 100%25"},
        {L"C:\\\u6771\u4EAC\\\U0001F3CE.lnk", "<utf-8>C:\\%E6%9D%B1%E4%BA%AC\\%F0%9F%8F%8E.lnk"},
    };
    UseSource("");
    ASSERT_TRUE(WriteInstalledSetup(Wide(InstalledPath()), ReadInstalledSetupValues()));
    std::vector<std::wstring> files;
    std::string expected = std::string(kDefaultInstalledFile) + "[Files]\r\n";
    int number = 1;
    for (const RecordCase& entry : cases) {
        files.push_back(entry.path);
        expected += std::to_string(number++) + "=\"" + entry.written + "\"\r\n";
    }
    expected += "\r\n[Folders]\r\n\r\n";
    ASSERT_TRUE(AppendInstallRecord(Wide(InstalledPath()), files, {}));
    EXPECT_EQ(InstalledBytes(), expected);

    ReadFromTarget();
    std::vector<std::wstring> readBack;
    for (const std::string& value : ReadNumberedList("Files")) {
        readBack.push_back(PathOfRecordValue(value));
    }
    EXPECT_TRUE(readBack == files);
}

TEST_F(InstallFolders, EmptyInstallRecordStillHasBothSections) {
    UseSource("");
    ASSERT_TRUE(WriteInstalledSetup(Wide(InstalledPath()), ReadInstalledSetupValues()));
    AppendInstallRecord(Wide(InstalledPath()), {}, {});
    EXPECT_EQ(InstalledBytes(), std::string(kDefaultInstalledFile) + "[Files]\r\n\r\n[Folders]\r\n\r\n");
}

TEST_F(InstallFolders, ValuesReadBackAsInstallReadThem) {
    UseSource("[General]\r\n"
              "AppName=\"  Spaced  Name  \"\r\n"
              "Volume=PATCH_CD\r\n"
              "Execute=bin\\game.exe\r\n"
              "WaitExecute=1\r\n"
              "ExecuteCD=\"data\\start.exe\"\r\n"
              "WaitExecuteCD=yes\r\n"
              "[Text]\r\n"
              "ErrorHeader=Oops \"quoted\" header\r\n"
              "ErrorCD=Insert\\nthe disc\r\n"
              "DialogExit=E&xit\r\n"
              "DialogUninstall=\"&Remove \"it\"\"\r\n"
              "DialogUninstallText=a\\nb\r\n"
              "SuccessHeader='single'\r\n"
              "SuccessUninstall=\"Gone\\n\"\r\n"
              "ErrorUninstall=Still\\nthere\r\n"
              "ProgressUninstall=Going\r\n"
              "[PreloadDLLs]\r\n1=one.dll\r\n2=\"C:\\with space\\two.dll\"\r\n4=four.dll\r\n");
    const InstalledSetupValues source = ReadInstalledSetupValues();
    ASSERT_TRUE(WriteInstalledSetup(Wide(InstalledPath()), source));

    // The escapes reach the file untouched, between the quotation marks.
    const std::string bytes = InstalledBytes();
    EXPECT_NE(bytes.find("\r\nDialogText=\"a\\nb\"\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nErrorCD=\"Insert\\nthe disc\"\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("\r\nAppName=\"  Spaced  Name  \"\r\n"), std::string::npos);
    // Uninstall's own failure text only where the source sets it, after the other texts.
    EXPECT_NE(bytes.find("\r\nSuccessUninstall=\"Gone\\n\"\r\nErrorUninstall=\"Still\\nthere\"\r\n"
                         "ProgressUninstall=\"Going\"\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(bytes.find("ErrorNotInstalled"), std::string::npos);
    EXPECT_NE(bytes.find("[PreloadDLLs]\r\n1=\"one.dll\"\r\n2=\"C:\\with space\\two.dll\"\r\n\r\n"),
              std::string::npos);
    EXPECT_EQ(bytes.find("four"), std::string::npos);

    ReadFromTarget();
    EXPECT_EQ(ReadSetting(keys::kMode), "Run");
    EXPECT_EQ(ReadSetting(keys::kAppName), "  Spaced  Name  ");
    EXPECT_EQ(ReadSetting(keys::kVolume), "PATCH_CD");
    EXPECT_EQ(ReadSetting(keys::kExecute), "bin\\game.exe");
    EXPECT_EQ(ReadSetting(keys::kWaitExecute), "1");
    EXPECT_EQ(ReadSetting(keys::kExecuteCD), "data\\start.exe");
    EXPECT_EQ(ReadSetting(keys::kWaitExecuteCD), "yes");
    EXPECT_EQ(ReadSetting(keys::kErrorHeader), "Oops \"quoted\" header");
    EXPECT_EQ(ReadSetting(keys::kDialogExit), "E&xit");
    EXPECT_EQ(ReadSetting(keys::kDialogUninstall), "&Remove \"it\"");
    EXPECT_EQ(ReadSetting(keys::kSuccessHeader), "single");
    // Expanded only when a mode reads them as texts.
    EXPECT_EQ(ReadText(keys::kErrorCD), "Insert\r\nthe disc");
    EXPECT_EQ(ReadText(keys::kDialogText), "a\r\nb");
    EXPECT_EQ(ReadText(keys::kSuccessUninstall), "Gone\r\n");
    EXPECT_EQ(ReadText(keys::kErrorUninstall), "Still\r\nthere");
    EXPECT_EQ(ReadText(keys::kProgressUninstall), "Going");
    EXPECT_EQ(ReadNumberedList("PreloadDLLs"), (std::vector<std::string>{"one.dll", "C:\\with space\\two.dll"}));
    // Not carried over: the source keys that only install reads.
    EXPECT_EQ(ReadSetting(keys::kDialogUninstallText), "");
    EXPECT_EQ(ReadSetting(keys::kTargetFolder), "Morvelan");
}

TEST_F(InstallFolders, EveryCopiedValueRoundTripsWhateverItHolds) {
    // Blanks at the ends, quotation marks of both kinds, brackets, equals
    // signs and semicolons: the enclosing pair protects them all.
    const std::vector<std::string> awkward = {" lead", "trail ", "\"both\"", "'single'", "a=b", "[Section]",
                                              ";not a comment", "\"", "'", "x\"", "\t tab \t"};
    UseSource("");
    for (const std::string& value : awkward) {
        InstalledSetupValues values = ReadInstalledSetupValues();
        values.appName = value;
        values.dialogUninstallText = value;
        ASSERT_TRUE(WriteInstalledSetup(Wide(InstalledPath()), values)) << value;
        CurrentFolderGuard here;
        ASSERT_TRUE(here.MoveTo(target_.Path()));
        EXPECT_EQ(ReadSetting(keys::kAppName), value);
        EXPECT_EQ(ReadText(keys::kDialogText), value);
    }
}

TEST_F(InstallFolders, NoFileWhenItCannotBeCreated) {
    UseSource("");
    const std::string inMissingFolder = target_ / "missing\\Setup.ini";
    EXPECT_FALSE(WriteInstalledSetup(Wide(inMissingFolder), ReadInstalledSetupValues()));
    EXPECT_FALSE(testenv::PathExists(inMissingFolder));
    // A folder of that name is in the way.
    ASSERT_TRUE(CreateDirectoryA(InstalledPath().c_str(), nullptr));
    EXPECT_FALSE(WriteInstalledSetup(Wide(InstalledPath()), ReadInstalledSetupValues()));
    EXPECT_TRUE(testenv::IsFolder(InstalledPath()));
}

TEST_F(InstallFolders, RecordIsNotWrittenWhenTheFileCannotBeOpened) {
    const std::string inMissingFolder = target_ / "missing\\Setup.ini";
    EXPECT_FALSE(AppendInstallRecord(Wide(inMissingFolder), {L"a"}, {L"b"}));
    EXPECT_FALSE(testenv::PathExists(target_ / "missing"));
}

}  // namespace
