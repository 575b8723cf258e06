// Shows the setup dialog as a mode procedure would and exits with its result,
// so that tests can drive it from another process.
//   dialog_host.exe TEXTS-FILE CONFIRM
// TEXTS-FILE holds the seven DialogTexts members in their declared order,
// each ended by a NUL byte; CONFIRM is 1 to set g_confirmCancel, else 0.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "ui/globals.h"
#include "ui/resource.h"
#include "ui/setup_dialog.h"

namespace {

constexpr int kUsageError = 3;

bool ReadTexts(const char* path, std::vector<std::string>& texts) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) {
        return false;
    }
    std::string bytes;
    char chunk[4096];
    std::size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) {
        bytes.append(chunk, got);
    }
    (void)std::fclose(file);
    std::size_t start = 0;
    for (std::size_t end = bytes.find('\0'); end != std::string::npos; end = bytes.find('\0', start)) {
        texts.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::vector<std::string> texts;
    if (__argc != 3 || !ReadTexts(__argv[1], texts) || texts.size() != 7) {
        return kUsageError;
    }
    g_instance = instance;
    g_dialogIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_PROGRAM));
    DialogTexts.caption = texts[0];
    DialogTexts.heading = texts[1];
    DialogTexts.body = texts[2];
    DialogTexts.okLabel = texts[3];
    DialogTexts.cancelLabel = texts[4];
    DialogTexts.abortQuestion = texts[5];
    DialogTexts.abortCaption = texts[6];
    g_confirmCancel = std::strcmp(__argv[2], "1") == 0;
    return static_cast<int>(RunSetupDialog());
}
