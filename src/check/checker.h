#pragma once
// What every family of findings shares: the medium under check, its
// Setup.ini as Setup.exe reads it, the findings so far, and the rules of
// Windows' names that several families apply. No Win32 here.

#include <cstddef>
#include <string>
#include <vector>

#include "check/disc_image.h"
#include "check/findings.h"
#include "check/profile.h"
#include "setupfile/settings.h"
#include "setupfile/setup_keys.h"

// What the program hands its profile reader: the value and its terminator.
constexpr std::size_t kReadSize = kMaxSettingLength + 1;
// The Program Files folder of 32-bit programs on 64-bit Windows, the longest
// usual one; the drive letter may differ, the length doesn't.
constexpr const char kLongestProgramFiles[] = "C:\\Program Files (x86)";
// A file that install copies must be opened by this path length.
constexpr std::size_t kMaxPath = 260;
// Run mode takes the installed Setup.exe's own path into a buffer of this
// size, terminator included; uninstall's is one larger.
constexpr std::size_t kOwnPathBuffer = 255;

constexpr const char kStartTarget[] = "GamePatch.exe";
constexpr const char kReadMeTarget[] = "GamePatch.txt";
constexpr const char kSetupIni[] = "Setup.ini";
constexpr const char kSetupExe[] = "Setup.exe";

struct Checker {
    const std::string& mediumDir;
    const GameDisc* disc;
    Profile profile;
    std::vector<Finding> findings;

    void Add(int line, Severity severity, const char* code, const std::string& text) {
        findings.push_back(Finding{line, severity, code, text});
    }
    void Error(int line, const char* code, const std::string& text) { Add(line, Severity::Error, code, text); }
    void Warning(int line, const char* code, const std::string& text) { Add(line, Severity::Warning, code, text); }

    // What ReadSetting gives.
    std::string Read(const char* section, const char* key, const char* defaultValue) const {
        std::string value = ProfileString(profile, section, key, defaultValue, kReadSize);
        return value.empty() ? std::string(defaultValue) : value;
    }
    std::string Read(const SetupKey& key) const { return Read(key.section, key.name, key.defaultValue); }
    int LineOf(const char* section, const char* key) const {
        const ProfileEntry* entry = FindProfileEntry(profile, section, key);
        return entry != nullptr ? entry->line : 0;
    }
    int LineOf(const SetupKey& key) const { return LineOf(key.section, key.name); }
    bool IsSet(const SetupKey& key) const { return LineOf(key) != 0; }
};

std::string Quoted(const std::string& text);
bool IsControl(unsigned char c);
// A character as a finding names it: in quotation marks, or by its code.
std::string Shown(char c);
bool EndsInDotOrBlank(const std::string& name);
// Whether Windows opens a device for a file or folder of this name.
bool IsDeviceName(const std::string& name);
// The name that Windows makes of it: the dots and blanks at its end dropped.
std::string AsWindowsKeepsIt(std::string name);
// Why Windows can't make a file or folder of this name, or empty.
std::string WhyWindowsRefuses(const std::string& name);
// The same, or else why Windows would make it under another name.
std::string BadName(const std::string& name);
// Whether two paths name the same file, as Windows tells paths apart.
bool SameFileName(const std::string& a, const char* b);
// A file's path as Windows tells paths apart: one key for all spellings of
// the same file.
std::u32string FileNameKey(const std::string& path);
bool ListHolds(const std::vector<std::string>& list, const std::string& name);

// The families of findings, each adding its own to the checker.
void CheckEncoding(Checker& c, const std::string& bytes);
void CheckStructure(Checker& c);
void CheckKeyNames(Checker& c);
// Every key of a numbered list against the entries that Setup.exe reads;
// gives the list as Setup.exe reads it.
std::vector<std::string> CheckList(Checker& c, const char* sectionName);
void CheckTooLong(Checker& c);
void CheckFiles(Checker& c, const std::vector<std::string>& files, const std::string& targetFolder);
void CheckPreloads(Checker& c, const std::vector<std::string>& preloads, const std::vector<std::string>& files);
void CheckTargetFolder(Checker& c);
void CheckAppName(Checker& c);
// The heading and the text box of the setup dialog, as its font lays them out.
void CheckDialogTexts(Checker& c);
void CheckEscapes(Checker& c);
void CheckEmptyTexts(Checker& c);
void CheckShortcuts(Checker& c, const std::vector<std::string>& files);
void CheckMode(Checker& c, const std::vector<std::string>& files);
void CheckWait(Checker& c);
void CheckVolume(Checker& c);
// Run mode's keys against the one way a user starts it: the start shortcut.
void CheckRunModeReached(Checker& c, const std::vector<std::string>& files, const std::vector<std::string>& preloads);
void CheckExecute(Checker& c, const std::vector<std::string>& files);
void CheckExecuteCD(Checker& c);
// Run mode against the game's disc; only with one.
void CheckGameDisc(Checker& c);
