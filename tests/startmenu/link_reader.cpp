#include "link_reader.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <gtest/gtest.h>

namespace links {

namespace {

// Link fields and folder paths are MAX_PATH-sized in the shell's interfaces.
constexpr int kFieldSize = MAX_PATH;

bool LoadInto(IShellLinkA* link, const std::string& linkPath, LinkFields& fields) {
    IPersistFile* file = nullptr;
    if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        return false;
    }
    WCHAR widePath[kFieldSize];
    bool loaded = MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, kFieldSize) != 0 &&
                  SUCCEEDED(file->Load(widePath, STGM_READ));
    (void)file->Release();
    if (!loaded) {
        return false;
    }
    char text[kFieldSize] = "";
    // The raw path: the shell would otherwise resolve a missing target.
    fields.target = SUCCEEDED(link->GetPath(text, kFieldSize, nullptr, SLGP_RAWPATH)) ? text : "<failed>";
    text[0] = '\0';
    fields.arguments = SUCCEEDED(link->GetArguments(text, kFieldSize)) ? text : "<failed>";
    text[0] = '\0';
    fields.workingDirectory = SUCCEEDED(link->GetWorkingDirectory(text, kFieldSize)) ? text : "<failed>";
    text[0] = '\0';
    fields.description = SUCCEEDED(link->GetDescription(text, kFieldSize)) ? text : "<failed>";
    text[0] = '\0';
    int index = -1;
    fields.iconFile = SUCCEEDED(link->GetIconLocation(text, kFieldSize, &index)) ? text : "<failed>";
    fields.iconIndex = index;
    return true;
}

}  // namespace

bool ReadLink(const std::string& linkPath, LinkFields& fields) {
    HRESULT initialised = CoInitialize(nullptr);
    IShellLinkA* link = nullptr;
    bool read = false;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        read = LoadInto(link, linkPath, fields);
        (void)link->Release();
    }
    if (SUCCEEDED(initialised)) {
        CoUninitialize();
    }
    return read;
}

const ExpectedLink kStart = {"GamePatch.exe", "Execute the patch", "", 0};
const ExpectedLink kReadMe = {"GamePatch.txt", "Instructions", "", 0};
const ExpectedLink kUninstall = {"Setup.exe", "Remove the patch", "-uninstall", 1};

void ExpectLink(const std::string& linkPath, const std::string& targetFolder, const ExpectedLink& expected) {
    LinkFields fields;
    ASSERT_TRUE(ReadLink(linkPath, fields)) << linkPath;
    std::string targetPath = targetFolder + "\\" + expected.targetName;
    EXPECT_EQ(fields.target, targetPath) << linkPath;
    EXPECT_EQ(fields.arguments, expected.arguments) << linkPath;
    EXPECT_EQ(fields.workingDirectory, targetFolder) << linkPath;
    EXPECT_EQ(fields.description, expected.description) << linkPath;
    EXPECT_EQ(fields.iconFile, targetPath) << linkPath;
    EXPECT_EQ(fields.iconIndex, expected.iconIndex) << linkPath;
}

std::string ProgramsFolder() {
    char path[kFieldSize] = "";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, path))) {
        return std::string();
    }
    return path;
}

}  // namespace links
