// Findings on how the file's bytes are encoded. Setup.exe reads a file in
// UTF-16 LE with its mark whole, in any language; an ANSI file in the code
// page of the machine it runs on; any other as ANSI, which garbles it.

#include <cstring>

#include "check/checker.h"
#include "check/text_encoding.h"

namespace {

// The example word that a finding quotes takes at most this many bytes on
// either side of the first one outside ASCII.
constexpr std::size_t kExampleReach = 24;

bool IsContinuationByte(unsigned char b) {
    return (b >> 6) == 2;
}

bool EndsWord(unsigned char b) {
    return b <= ' ' || std::strchr("\"'=;,\\", b) != nullptr;
}

// The word of UTF-8 text around the byte at `at`, never split inside a
// character.
std::string WordAround(const std::string& utf8, std::size_t at) {
    std::size_t begin = at;
    while (begin > 0 && at - begin < kExampleReach && !EndsWord(static_cast<unsigned char>(utf8[begin - 1]))) {
        --begin;
    }
    while (IsContinuationByte(static_cast<unsigned char>(utf8[begin]))) {
        ++begin;
    }
    std::size_t end = at;
    while (end < utf8.size() && end - at < kExampleReach && !EndsWord(static_cast<unsigned char>(utf8[end]))) {
        ++end;
    }
    while (end < utf8.size() && IsContinuationByte(static_cast<unsigned char>(utf8[end]))) {
        --end;
    }
    return utf8.substr(begin, end - begin);
}

constexpr const char kSaveAsUtf16[] = "save Setup.ini as UTF-16 LE with its byte-order mark";

}  // namespace

void CheckEncoding(Checker& c, const std::string& bytes) {
    switch (c.profile.encoding) {
        case ProfileEncoding::Utf16LeBom:
            return;
        case ProfileEncoding::Utf8Bom:
            c.Error(1, "encoding",
                    std::string("Setup.ini starts with a UTF-8 byte-order mark, which Windows reads as ANSI text "
                                "glued to the first section's name; ") +
                        kSaveAsUtf16);
            return;
        case ProfileEncoding::Utf16BeBom:
        case ProfileEncoding::Utf16LeUnmarked:
        case ProfileEncoding::Utf16BeUnmarked:
            c.Error(1, "encoding",
                    std::string(c.profile.encoding == ProfileEncoding::Utf16BeBom
                                    ? "Setup.ini is UTF-16 BE (big-endian) text"
                                    : "Setup.ini is UTF-16 text without a byte-order mark") +
                        ", which Setup.exe reads as ANSI text, garbage on every line; " + kSaveAsUtf16);
            return;
        case ProfileEncoding::Ansi:
            break;
    }
    int line = 1;
    int firstNonAsciiLine = 0;
    std::size_t firstNonAscii = 0;
    int lastNulLine = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b == '\n' || (b == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++line;
        } else if (b == 0 && line != lastNulLine) {
            c.Warning(line, "encoding", "a NUL byte ends the name or value it stands in; remove it");
            lastNulLine = line;
        } else if (b >= 0x80 && firstNonAsciiLine == 0) {
            firstNonAsciiLine = line;
            firstNonAscii = i;
        }
    }
    if (firstNonAsciiLine == 0) {
        return;
    }
    if (IsUtf8(bytes)) {
        std::string word = WordAround(bytes, firstNonAscii);
        c.Warning(firstNonAsciiLine, "encoding",
                  Quoted(word) + " is UTF-8 saved without a byte-order mark, which Windows reads in the ANSI code "
                                 "page on every machine (" + Quoted(Utf8FromAnsi(word)) +
                      " on a Western European one); " + kSaveAsUtf16);
    } else {
        c.Warning(firstNonAsciiLine, "encoding",
                  std::string("bytes outside ASCII in an ANSI code page show right only on machines whose ANSI code "
                              "page is the one Setup.ini was saved in; ") +
                      kSaveAsUtf16 + " for every machine");
    }
}
