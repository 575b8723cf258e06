// Findings on the files that install copies and the folder it copies them to.

#include <algorithm>
#include <cstring>
#include <unordered_map>

#include "check/checker.h"
#include "check/text_encoding.h"
#include "check/medium_files.h"
#include "setupfile/ini_lines.h"
#include "setupfile/text.h"

namespace {

// A Files entry that install copies from the medium into the target folder.
void CheckCopiedFile(Checker& c, int line, const std::string& name, const std::string& targetFolder) {
    std::vector<std::string> names = PathNames(name);
    if (names.size() > 1) {
        std::string folder = name.substr(0, name.find_last_of("\\/"));
        c.Warning(line, "file-folder",
                  Quoted(name) + " has a folder part, and install creates no folders, so the copy works only "
                                 "where the target folder holds " + Quoted(folder) +
                      " already; list the file without it unless the patch goes into a game folder that has it");
    }
    // The disc of the medium has Joliet names, as Windows reads them.
    for (const std::string& part : names) {
        if (Utf16Length(part) > kMaxJolietName) {
            c.Error(line, "joliet-name",
                    FormatString("\"%s\" has a name of %u characters, more than the %u of a disc with Joliet names, "
                                 "so on the disc it is named otherwise and install can't find it; shorten the name",
                                 name.c_str(), static_cast<unsigned>(Utf16Length(part)),
                                 static_cast<unsigned>(kMaxJolietName)));
            break;
        }
    }
    MediumItem item = FindOnMedium(c.mediumDir, name);
    if (item != MediumItem::File) {
        c.Error(line, "missing-file",
                Quoted(name) + (item == MediumItem::Folder
                                    ? " is a folder, and install copies files only; list the files in it instead"
                                    : " is not on the medium; put it beside Setup.ini or take it out of [Files]"));
    }
    std::size_t destination =
        std::strlen(kLongestProgramFiles) + 1 + Utf16Length(targetFolder) + 1 + Utf16Length(name);
    if (destination >= kMaxPath) {
        c.Error(line, "path-length",
                FormatString("the copy of \"%s\" would have a path of %u characters, more than the %u by which "
                             "Windows opens files; shorten its name or TargetFolder",
                             name.c_str(), static_cast<unsigned>(destination), static_cast<unsigned>(kMaxPath - 1)));
    }
}

}  // namespace

void CheckFiles(Checker& c, const std::vector<std::string>& files, const std::string& targetFolder) {
    // The first entry of each file, so that a long list is checked in time
    // in proportion to its length.
    std::unordered_map<std::u32string, std::size_t> firstEntry;
    for (std::size_t i = 0; i < files.size(); ++i) {
        const std::string& name = files[i];
        int line = c.LineOf(kFilesSection, NumberedKey(static_cast<int>(i) + 1).c_str());
        bool absolute = name[0] == '\\' || name[0] == '/' || name.find(':') != std::string::npos;
        std::vector<std::string> names = PathNames(name);
        bool dots = std::find(names.begin(), names.end(), "..") != names.end() ||
                    std::find(names.begin(), names.end(), ".") != names.end();
        if (absolute) {
            c.Error(line, "file-path",
                    Quoted(name) + " is absolute or names a drive, but install copies names relative to the medium "
                                   "and the target folder; write the name as it lies beside Setup.ini");
        } else if (dots) {
            c.Error(line, "file-path",
                    Quoted(name) + " holds \".\" or \"..\", so the copy would land outside the target folder or "
                                   "nowhere; write the name as it lies beside Setup.ini");
        } else if (auto device = std::find_if(names.begin(), names.end(), IsDeviceName); device != names.end()) {
            c.Error(line, "file-path",
                    Quoted(name) + " has the part " + Quoted(*device) +
                        ", which Windows takes for a device whatever its extension, so Setup.exe refuses the "
                        "install before it changes anything; rename it");
        } else if (names.size() == 1 && (SameFileName(name, kSetupIni) || SameFileName(name, kSetupExe))) {
            c.Error(line, "setup-file",
                    Quoted(name) + " is copied by install itself, so listed " +
                        (SameFileName(name, kSetupIni) ? "it would overwrite the installed Setup.ini"
                                                       : "it is copied twice") +
                        "; take it out of [Files]");
        } else {
            CheckCopiedFile(c, line, name, targetFolder);
        }
        auto first = firstEntry.emplace(FileNameKey(name), i).first;
        if (first->second != i) {
            c.Warning(line, "duplicate",
                      Quoted(name) + FormatString(" is listed before, as entry %u, so it is copied twice; list it once",
                                                  static_cast<unsigned>(first->second + 1)));
        }
    }
}

void CheckPreloads(Checker& c, const std::vector<std::string>& preloads, const std::vector<std::string>& files) {
    for (std::size_t i = 0; i < preloads.size(); ++i) {
        const std::string& name = preloads[i];
        if (name.find_first_of("\\/:") == std::string::npos && !ListHolds(files, name)) {
            c.Warning(c.LineOf(kPreloadDLLsSection, NumberedKey(static_cast<int>(i) + 1).c_str()), "preload",
                      Quoted(name) + " is not in [Files], but run mode looks for it beside the installed Setup.exe "
                                     "first, where install puts only the [Files] entries; add it to [Files]");
        }
    }
}

void CheckTargetFolder(Checker& c) {
    std::string folder = c.Read(keys::kTargetFolder);
    int line = c.LineOf(keys::kTargetFolder);
    std::vector<std::string> names = PathNames(folder);
    std::string problem;
    std::size_t blanks = folder.find_first_not_of(" \t");
    if (blanks == std::string::npos) {
        problem = "is blank, so install would use the Program Files folder itself; name a folder of its own";
    } else if (folder[0] == '\\' || folder[0] == '/' || folder.find(':') != std::string::npos) {
        problem = "is absolute or names a drive, but install appends it to the Program Files folder; name a folder "
                  "below that";
    } else if (std::any_of(names.begin(), names.end(),
                           [](const std::string& name) { return AsWindowsKeepsIt(name).empty(); })) {
        problem = "has a part of only dots and blanks (\".\", \"..\"), so the target would not be a folder of its "
                  "own under Program Files; name every part";
    } else {
        for (const std::string& name : names) {
            std::string refused = WhyWindowsRefuses(name);
            if (!refused.empty()) {
                problem = "has a part \"" + name + "\" that " + refused + "; rename that part";
                break;
            }
        }
    }
    if (!problem.empty()) {
        c.Error(line, "target-folder", "TargetFolder " + Quoted(folder) + " " + problem);
        return;
    }
    std::string kept;
    for (const std::string& name : names) {
        kept += (kept.empty() ? "" : "\\") + AsWindowsKeepsIt(name);
    }
    if (std::any_of(names.begin(), names.end(), EndsInDotOrBlank)) {
        c.Warning(line, "target-folder",
                  "Windows drops the dots and blanks at the end of each part of TargetFolder " + Quoted(folder) +
                      ", so install uses the folder " + Quoted(kept) + "; drop them from TargetFolder");
    }
    if (names.size() > 1) {
        c.Warning(line, "target-parent",
                  "TargetFolder " + Quoted(folder) +
                      " has more than one level, and install creates only the last, so the others must exist "
                      "already; use one level unless they do");
    }
    std::size_t length = std::strlen(kLongestProgramFiles) + 1 + Utf16Length(folder) + 1 + std::strlen(kSetupExe);
    if (length >= kOwnPathBuffer) {
        c.Error(line, "path-length",
                FormatString("under %s the installed Setup.exe would have a path of %u characters, more than the %u "
                             "that run mode takes as its own path; shorten TargetFolder",
                             kLongestProgramFiles, static_cast<unsigned>(length),
                             static_cast<unsigned>(kOwnPathBuffer - 1)));
    }
}
