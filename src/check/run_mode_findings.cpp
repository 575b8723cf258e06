// Findings on the mode and on what run mode looks for and starts.

#include <cstring>

#include "check/checker.h"
#include "check/text_encoding.h"
#include "check/medium_files.h"
#include "setupfile/ini_lines.h"
#include "setupfile/text.h"

namespace {

// Values of a Wait key that plainly mean "don't wait".
const char* const kNoWords[] = {"0", "no", "n", "false", "off", ""};

// Run mode looks for ExecuteCD below the root of each drive: a drive in it
// makes a path that names no file anywhere.
bool NamesDrive(const std::string& path) {
    return path.find(':') != std::string::npos;
}

// Why no disc can have this label, or empty.
std::string LabelProblem(const std::string& label) {
    for (unsigned char ch : label) {
        if (IsControl(ch) || std::strchr("*/:;?\\", ch) != nullptr) {
            return "holds " + Shown(static_cast<char>(ch)) + ", which no disc label can hold";
        }
    }
    std::size_t length = Utf16Length(label);
    if (length > kLabelFieldSize) {
        return FormatString("has %u characters, more than the %u of any disc label", static_cast<unsigned>(length),
                            static_cast<unsigned>(kLabelFieldSize));
    }
    if (!label.empty() && label.back() == ' ') {
        return "ends in a blank, which no disc label does";
    }
    return std::string();
}

}  // namespace

void CheckMode(Checker& c, const std::vector<std::string>& files) {
    const ProfileEntry* entry = FindProfileEntry(c.profile, keys::kMode.section, keys::kMode.name);
    std::string mode = c.Read(keys::kMode);
    if (entry == nullptr || !entry->hasValue) {
        c.Error(entry != nullptr ? entry->line : 0, "mode",
                "without Mode, Setup.exe started without a switch runs the patch instead of installing it; write "
                "Mode=\"Install\"");
    } else if (!EqualsExactly(mode, "Install") && !EqualsExactly(mode, kInstalledMode)) {
        c.Error(entry->line, "mode",
                "Mode " + Quoted(mode) +
                    (CompareNoCase(mode, "Install") == 0
                         ? " is not \"Install\", and letter case counts, so Setup.exe runs the patch instead of "
                           "installing it; write Mode=\"Install\""
                     : CompareNoCase(mode, kInstalledMode) == 0
                         ? " is not \"Run\", and letter case counts, though it runs the patch all the same; write "
                           "Mode=\"Run\" or Mode=\"Install\""
                         : " is neither \"Install\" nor \"Run\", so Setup.exe started without a switch runs the "
                           "patch; write Mode=\"Install\""));
    } else if (EqualsExactly(mode, kInstalledMode) && !files.empty()) {
        c.Warning(entry->line, "run-mode",
                  "with Mode \"Run\" beside [Files], a double-click on Setup.exe runs the patch, and only "
                  "\"Setup.exe -install\" installs it; write Mode=\"Install\"");
    }
}

void CheckWait(Checker& c) {
    for (const SetupKey* key : {&keys::kWaitExecute, &keys::kWaitExecuteCD}) {
        std::string value = c.Read(*key);
        if (EqualsExactly(value, "1")) {
            continue;
        }
        bool no = false;
        for (const char* word : kNoWords) {
            no = no || CompareNoCase(value, word) == 0;
        }
        if (!no) {
            c.Warning(c.LineOf(*key), "wait",
                      FormatString("%s=\"%s\" means no wait, as only exactly \"1\" makes run mode wait; write "
                                   "%s=\"1\" to wait",
                                   key->name, value.c_str(), key->name));
        }
    }
}

void CheckVolume(Checker& c) {
    std::string volume = c.Read(keys::kVolume);
    if (volume.empty()) {
        return;
    }
    int line = c.LineOf(keys::kVolume);
    std::string problem = LabelProblem(volume);
    std::size_t length = Utf16Length(volume);
    if (!problem.empty()) {
        c.Error(line, "volume",
                "Volume " + Quoted(volume) + " " + problem +
                    ", so run mode never finds the disc; write the label as Windows shows it");
    } else if (length > kMaxJolietLabel) {
        c.Warning(line, "volume",
                  FormatString("Volume \"%s\" has %u characters, more than the %u that Windows shows of the label of "
                               "a disc with Joliet names, so only a disc without them (ISO 9660 names alone, with a "
                               "label of up to %u) can match; shorten it unless the game disc is such a disc",
                               volume.c_str(), static_cast<unsigned>(length),
                               static_cast<unsigned>(kMaxJolietLabel), static_cast<unsigned>(kLabelFieldSize)));
    }
}

void CheckRunModeReached(Checker& c, const std::vector<std::string>& files, const std::vector<std::string>& preloads) {
    int line = !c.Read(keys::kVolume).empty()      ? c.LineOf(keys::kVolume)
               : !c.Read(keys::kExecuteCD).empty() ? c.LineOf(keys::kExecuteCD)
               : !preloads.empty()                 ? c.LineOf(kPreloadDLLsSection, NumberedKey(1).c_str())
                                                   : -1;
    if (line < 0) {
        return;
    }
    // Only a launcher that is Setup.exe itself reads the installed Setup.ini
    // and so runs the patch in run mode; a medium without either file has
    // its finding already.
    std::string setupExe;
    std::string launcher;
    std::string setupExePath;
    std::string launcherPath;
    if (FindOnMedium(c.mediumDir, kSetupExe, &setupExePath) != MediumItem::File ||
        !ReadWholeFile(setupExePath, setupExe)) {
        return;
    }
    bool listed = ListHolds(files, kStartTarget);
    if (listed && (FindOnMedium(c.mediumDir, kStartTarget, &launcherPath) != MediumItem::File ||
                   !ReadWholeFile(launcherPath, launcher))) {
        return;
    }
    if (!listed || launcher != setupExe) {
        c.Warning(line, "run-mode",
                  FormatString("run mode is set up, but nothing a user clicks starts it: the start shortcut starts "
                               "%s, which is no copy of Setup.exe; ship a copy of Setup.exe as %s and start the "
                               "patch's own program through Execute",
                               kStartTarget, kStartTarget));
    }
}

void CheckExecute(Checker& c, const std::vector<std::string>& files) {
    std::string execute = c.Read(keys::kExecute);
    if (!execute.empty() && !ListHolds(files, execute)) {
        c.Warning(c.LineOf(keys::kExecute), "execute",
                  "Execute " + Quoted(execute) +
                      " is not in [Files], but run mode starts it from the installed folder, where install puts "
                      "only Setup.exe and the [Files] entries; add it to [Files]");
    }
}

void CheckExecuteCD(Checker& c) {
    std::string probe = c.Read(keys::kExecuteCD);
    if (NamesDrive(probe)) {
        c.Error(c.LineOf(keys::kExecuteCD), "execute-cd",
                "ExecuteCD " + Quoted(probe) + " names a drive, but run mode looks for it below the root of each "
                "CD-ROM drive, as " + Quoted("E:\\" + probe) + ", which no file can be; write its path below the "
                "disc's root");
    }
}

void CheckGameDisc(Checker& c) {
    std::string volume = c.Read(keys::kVolume);
    std::string problem = LabelProblem(c.disc->label);
    if (!problem.empty()) {
        c.Error(0, "disc-label", "the disc's label " + Quoted(c.disc->label) + " " + problem + "; give the disc another label");
    } else if (!volume.empty() && CompareNoCase(volume, c.disc->label.c_str()) != 0) {
        c.Error(c.LineOf(keys::kVolume), "disc-label",
                "Volume " + Quoted(volume) + " doesn't match the disc's label " + Quoted(c.disc->label) +
                    ", so run mode refuses the disc; make them equal (the case of A to Z aside)");
    }
    std::string probe = c.Read(keys::kExecuteCD);
    if (!c.disc->path.empty() && !probe.empty() && !NamesDrive(probe)) {
        MediumItem item = FindOnDisc(*c.disc, probe);
        if (item != MediumItem::File) {
            c.Error(c.LineOf(keys::kExecuteCD), "disc-file",
                    "ExecuteCD " + Quoted(probe) +
                        (item == MediumItem::Folder ? " is a folder on the game disc, so run mode refuses the disc; "
                                                      "name a file"
                                                    : " is not on the game disc, so run mode refuses the disc; name "
                                                      "a file that the disc holds"));
        }
    }
}
