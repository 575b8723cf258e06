// Findings on how the file's bytes are encoded.

#include "check/checker.h"

void CheckEncoding(Checker& c, const std::string& bytes) {
    if (c.profile.encoding != ProfileEncoding::Ansi) {
        c.Warning(1, "encoding",
                  c.profile.encoding == ProfileEncoding::Utf8Bom
                      ? "UTF-8 byte-order mark: Windows may take it for part of the first line; save as ANSI text"
                      : "UTF-16 file: save Setup.ini as ANSI text, as Setup.exe reads it in the ANSI code page");
        return;
    }
    int line = 1;
    int nonAscii = 0;
    int firstNonAscii = 0;
    int lastNulLine = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b == '\n' || (b == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n'))) {
            ++line;
        } else if (b == 0 && line != lastNulLine) {
            c.Warning(line, "encoding", "a NUL byte: the value or name ends there");
            lastNulLine = line;
        } else if (b >= 0x80 && firstNonAscii != line) {
            firstNonAscii = firstNonAscii == 0 ? line : firstNonAscii;
            ++nonAscii;
        }
    }
    if (firstNonAscii != 0) {
        c.Warning(firstNonAscii, "encoding",
                  "bytes outside ASCII: Setup.exe reads them in the ANSI code page of the user's Windows, "
                  "which may not be the one they were written in");
    }
}
