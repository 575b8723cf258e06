#pragma once
// The checks of a patch medium and its Setup.ini. No Win32 here.

#include <string>
#include <vector>

#include "check/disc_image.h"

enum class Severity { Error, Warning };

struct Finding {
    int line;  // in Setup.ini; 0 where no line applies
    Severity severity;
    std::string code;
    std::string text;
};

// Every finding on the medium in `mediumDir` whose Setup.ini holds
// `setupIni`, sorted by line; with `gameDisc`, also the run-mode checks
// against the game's disc (only its label, for a disc without a path).
std::vector<Finding> CheckMedium(const std::string& mediumDir, const std::string& setupIni, const GameDisc* gameDisc);

// "Setup.ini:LINE: error: [CODE] text"
std::string FindingLine(const Finding& finding);
