// setup-check [--game-disc DIR | --disc-label LABEL] MEDIUM_DIR: the findings
// on a patch medium, one a line, then the count; run mode's against the
// game's disc, or against a disc of that label only (as tools/make-medium
// asks before it makes one). Exit status 0 without errors, 1 with errors,
// 2 when the medium can't be checked.
// setup-check --value SECTION KEY MEDIUM_DIR: one value of the medium's
// Setup.ini as Setup.exe reads it (empty when it would take the default), for
// scripts such as tools/make-medium.

#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "check/disc_image.h"
#include "check/findings.h"
#include "check/medium_files.h"
#include "check/profile.h"
#include "check/text_encoding.h"
#include "setupfile/settings.h"

namespace {

constexpr int kExitClean = 0;
constexpr int kExitErrors = 1;
constexpr int kExitCannotCheck = 2;

constexpr const char kUsage[] =
    "usage: setup-check [--game-disc DIR | --disc-label LABEL] MEDIUM_DIR\n"
    "       setup-check --value SECTION KEY MEDIUM_DIR\n";

// The checker's UTF-8 as the console shows it: a Linux terminal takes it as
// it is; a Windows console program writes in the ANSI code page.
std::string Shown(const std::string& utf8) {
#ifdef _WIN32
    return AnsiFromUtf8(utf8);
#else
    return utf8;
#endif
}

// An argument in the checker's UTF-8: Windows hands a console program its
// arguments in the ANSI code page.
std::string FromCommandLine(const char* argument) {
#ifdef _WIN32
    return Utf8FromAnsi(argument);
#else
    return argument;
#endif
}

int CannotCheck(const std::string& reason) {
    std::fprintf(stderr, "setup-check: %s\n", reason.c_str());
    return kExitCannotCheck;
}

}  // namespace

int main(int argc, char** argv) {
    std::string mediumDir;
    std::string gameDiscPath;
    bool gameDiscGiven = false;
    const char* discLabel = nullptr;
    const char* valueSection = nullptr;
    const char* valueKey = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--game-disc") == 0 && i + 1 < argc && !gameDiscGiven) {
            gameDiscPath = argv[++i];
            gameDiscGiven = true;
        } else if (std::strcmp(argv[i], "--disc-label") == 0 && i + 1 < argc && !gameDiscGiven) {
            discLabel = argv[++i];
            gameDiscGiven = true;
        } else if (std::strcmp(argv[i], "--value") == 0 && i + 2 < argc && valueKey == nullptr) {
            valueSection = argv[++i];
            valueKey = argv[++i];
        } else if (argv[i][0] != '-' && mediumDir.empty()) {
            mediumDir = argv[i];
        } else {
            std::fputs(kUsage, stderr);
            return kExitCannotCheck;
        }
    }
    if (mediumDir.empty()) {
        std::fputs(kUsage, stderr);
        return kExitCannotCheck;
    }

    std::string setupIniPath;
    MediumItem item = FindOnMedium(mediumDir, "Setup.ini", &setupIniPath);
    if (item == MediumItem::Missing) {
        return CannotCheck(mediumDir + ": no Setup.ini");
    }
    std::string bytes;
    if (item != MediumItem::File || !ReadWholeFile(setupIniPath, bytes)) {
        return CannotCheck(setupIniPath + ": can't be read");
    }
    if (valueKey != nullptr) {
        std::string value = ProfileString(ParseProfile(bytes), valueSection, valueKey, "", kMaxSettingLength + 1);
        std::printf("%s\n", Shown(value).c_str());
        return kExitClean;
    }
    GameDisc disc;
    if (discLabel != nullptr) {
        disc.label = FromCommandLine(discLabel);
    } else if (gameDiscGiven) {
        std::string reason;
        if (!OpenGameDisc(gameDiscPath, disc, reason)) {
            return CannotCheck(gameDiscPath + ": " + reason);
        }
    }

    std::vector<Finding> findings;
    try {
        findings = CheckMedium(mediumDir, bytes, gameDiscGiven ? &disc : nullptr);
    } catch (const std::exception& error) {
        // A file name that the platform's path type can't convert, for one.
        return CannotCheck(mediumDir + ": " + error.what());
    }
    unsigned errors = 0;
    unsigned warnings = 0;
    for (const Finding& finding : findings) {
        std::printf("%s\n", Shown(FindingLine(finding)).c_str());
        (finding.severity == Severity::Error ? errors : warnings) += 1;
    }
    std::printf("%u error%s, %u warning%s\n", errors, errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s");
    return errors == 0 ? kExitClean : kExitErrors;
}
