// Damaged or hostile Setup.ini files: Setup.exe must show a box or its
// dialog, or end, with status 0 or -1 and never crash, in every mode.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "observe.h"
#include "test_env.h"

namespace {

// Deterministic bytes, so that a failure can be repeated.
std::string PseudoRandomBytes(std::size_t size, std::uint32_t seed) {
    std::string bytes(size, '\0');
    std::uint32_t state = seed;
    for (char& byte : bytes) {
        state = state * 1664525u + 1013904223u;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

// Random lines that look like sections and entries, with the section and
// key names the program reads, so that garbage reaches its texts and lists.
std::string PseudoRandomIni(std::size_t size, std::uint32_t seed) {
    static const char* const kLines[] = {"[General]", "[Text]", "[PreloadDLLs]", "[Files]", "[Folders]",
                                         "Mode=Install", "AppName=", "DialogInstallText=", "DialogText=",
                                         "DialogExit=", "DialogInstall=", "ErrorCD=", "1=", "2=", "3=",
                                         "TargetFolder=", "\"", "=", "[", "]"};
    const std::string noise = PseudoRandomBytes(size, seed);
    std::string ini;
    std::size_t at = 0;
    while (ini.size() < size) {
        const unsigned char pick = static_cast<unsigned char>(noise[at % noise.size()]);
        ini += kLines[pick % (sizeof(kLines) / sizeof(kLines[0]))];
        const std::size_t runLength = pick % 97;
        for (std::size_t i = 0; i < runLength && at < noise.size(); ++i) {
            const char c = noise[at++];
            // No real file names: the run mode must not start or load anything.
            ini += (c == '\r' || c == '\n') ? 'x' : c;
        }
        ini += (pick & 1) ? "\r\n" : "\n";
        ++at;
    }
    return ini;
}

std::string LongValues() {
    std::string ini = "[General]\r\nMode=Install\r\nAppName=" + std::string(100000, 'A') + "\r\n[Text]\r\n";
    for (const char* key : {"DialogInstallText", "DialogText", "DialogInstall", "DialogUninstall", "DialogExit",
                            "ErrorCD", "ErrorHeader", "DialogAbort", "DialogAbortHeader"}) {
        ini += std::string(key) + "=\"" + std::string(9000, 'v') + "\\n" + std::string(200000, 'w') + "\"\r\n";
    }
    ini += "[PreloadDLLs]\r\n1=" + std::string(70000, 'd') + "\r\n";
    return ini;
}

std::string WithNulBytes() {
    std::string ini = "[General]\r\nMode=Install\r\nAppName=Before";
    ini += std::string(1, '\0');
    ini += "After\r\n[Text]\r\nDialogInstallText=a\\nb";
    ini += std::string(64, '\0');
    ini += "c\r\nDialogText=";
    ini += std::string(5000, '\0');
    ini += "\r\n[";
    ini += std::string(3, '\0');
    ini += "]\r\n";
    return ini;
}

std::string Utf16WithByteOrderMark() {
    const std::string ascii = "[General]\r\nMode=Install\r\nAppName=Wide\r\n[Text]\r\nDialogInstallText=wide\\ntext\r\n";
    std::string wide = "\xFF\xFE";
    for (char c : ascii) {
        wide += c;
        wide += '\0';
    }
    wide += std::string("\x00\xD8\x41\x00", 4);  // an unpaired surrogate, then 'A'
    return wide;
}

struct BadFileCase {
    const char* name;
    std::string bytes;
};

struct BadStart {
    BadFileCase file;
    const char* arguments;
};

class DamagedSetupIni : public ::testing::TestWithParam<BadStart> {};

TEST_P(DamagedSetupIni, NeverCrashes) {
    testenv::ScratchFolder medium("bad");
    testenv::PrepareMedium(medium, GetParam().file.bytes);
    const std::string exe = medium / "Setup.exe";
    bool started = false;
    const Observation seen =
        StartAndObserve(exe, testenv::CommandLineFor(exe, GetParam().arguments), medium.Path(), started);
    ASSERT_TRUE(started);
    ASSERT_TRUE(seen.exited) << Describe(seen);
    EXPECT_TRUE(seen.exitCode == 0 || seen.exitCode == kFailureStatus) << Describe(seen);
    EXPECT_FALSE(SawInvalidSwitchBox(seen)) << Describe(seen);
}

const BadFileCase kBadFiles[] = {
    {"RandomBytes", PseudoRandomBytes(4096, 1)},
    {"OneMegabyteOfRandomBytes", PseudoRandomBytes(1 << 20, 2)},
    {"OneMegabyteOfRandomSections", PseudoRandomIni(1 << 20, 3)},
    {"OnlyNulBytes", std::string(70000, '\0')},
    {"NulBytesInsideLines", WithNulBytes()},
    {"ValuesFarBeyondTheReadLimit", LongValues()},
    {"OneLineOfAMegabyte", "[General]\r\nMode=" + std::string(1 << 20, 'M')},
    {"Utf16WithByteOrderMark", Utf16WithByteOrderMark()},
};

std::vector<BadStart> AllStarts() {
    std::vector<BadStart> starts;
    for (const BadFileCase& file : kBadFiles) {
        for (const char* arguments : {"", "-install", "-uninstall"}) {
            starts.push_back(BadStart{file, arguments});
        }
    }
    return starts;
}

std::string StartName(const ::testing::TestParamInfo<BadStart>& info) {
    const std::string arguments = info.param.arguments;
    return std::string(info.param.file.name) +
           (arguments.empty() ? "_NoArgument" : arguments == "-install" ? "_Install" : "_Uninstall");
}

INSTANTIATE_TEST_SUITE_P(Files, DamagedSetupIni, ::testing::ValuesIn(AllStarts()), StartName);

}  // namespace
