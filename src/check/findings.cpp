#include "check/findings.h"

#include <algorithm>

#include "check/checker.h"
#include "check/medium_files.h"
#include "setupfile/text.h"

std::vector<Finding> CheckMedium(const std::string& mediumDir, const std::string& setupIni, const GameDisc* gameDisc) {
    Checker c{mediumDir, gameDisc, ParseProfile(setupIni), {}};
    CheckEncoding(c, setupIni);
    CheckStructure(c);
    CheckKeyNames(c);
    std::vector<std::string> files = CheckList(c, kFilesSection);
    CheckMode(c, files);
    std::vector<std::string> preloads = CheckList(c, kPreloadDLLsSection);
    std::string targetFolder = c.Read(keys::kTargetFolder);
    CheckFiles(c, files, targetFolder);
    CheckPreloads(c, preloads, files);
    MediumItem setupExe = FindOnMedium(mediumDir, kSetupExe);
    if (setupExe != MediumItem::File) {
        c.Error(0, "no-setup-exe", "no Setup.exe on the medium; put it beside Setup.ini");
    }
    CheckTargetFolder(c);
    CheckAppName(c);
    CheckTooLong(c);
    CheckWait(c);
    CheckDialogTexts(c);
    CheckEscapes(c);
    CheckEmptyTexts(c);
    CheckShortcuts(c, files);
    CheckVolume(c);
    CheckRunModeReached(c, files, preloads);
    CheckExecute(c, files);
    CheckExecuteCD(c);
    if (gameDisc != nullptr) {
        CheckGameDisc(c);
    }
    std::stable_sort(c.findings.begin(), c.findings.end(),
                     [](const Finding& a, const Finding& b) { return a.line < b.line; });
    return c.findings;
}

std::string FindingLine(const Finding& finding) {
    return FormatString("Setup.ini:%d: %s: [%s] ", finding.line,
                        finding.severity == Severity::Error ? "error" : "warning", finding.code.c_str()) +
           finding.text;
}
