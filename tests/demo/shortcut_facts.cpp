#include "shortcut_facts.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

namespace {

// The shell's own limit for the paths and texts of a link.
constexpr int kLinkTextCapacity = MAX_PATH + 1;

bool ReadLoadedLink(IShellLinkA* link, ShortcutFacts& facts) {
    char text[kLinkTextCapacity] = "";
    WIN32_FIND_DATAA found;
    if (FAILED(link->GetPath(text, sizeof(text), &found, SLGP_RAWPATH))) {
        return false;
    }
    facts.target = text;
    text[0] = '\0';
    facts.arguments = SUCCEEDED(link->GetArguments(text, sizeof(text))) ? text : "";
    text[0] = '\0';
    facts.workingFolder = SUCCEEDED(link->GetWorkingDirectory(text, sizeof(text))) ? text : "";
    text[0] = '\0';
    facts.description = SUCCEEDED(link->GetDescription(text, sizeof(text))) ? text : "";
    text[0] = '\0';
    int index = 0;
    facts.iconFile = SUCCEEDED(link->GetIconLocation(text, sizeof(text), &index)) ? text : "";
    facts.iconIndex = index;
    return true;
}

}  // namespace

bool ReadShortcut(const std::string& linkPath, ShortcutFacts& facts) {
    wchar_t widePath[kLinkTextCapacity];
    if (MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, widePath, kLinkTextCapacity) == 0) {
        return false;
    }
    const bool comStarted = SUCCEEDED(CoInitialize(nullptr));
    bool read = false;
    IShellLinkA* link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void**>(&link)))) {
        IPersistFile* file = nullptr;
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
            read = SUCCEEDED(file->Load(widePath, STGM_READ)) && ReadLoadedLink(link, facts);
            (void)file->Release();
        }
        (void)link->Release();
    }
    if (comStarted) {
        CoUninitialize();
    }
    return read;
}
