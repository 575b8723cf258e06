#include "check/medium_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>

#include "check/profile.h"

namespace fs = std::filesystem;

namespace {

char32_t FoldedCharacter(char32_t code) {
    if ((code >= 'A' && code <= 'Z') || (code >= 0xC0 && code <= 0xDE && code != 0xD7)) {
        return code + 0x20;
    }
    if (code == 0x160 || code == 0x152 || code == 0x17D) {
        return code + 1;
    }
    return code == 0x178 ? 0xFF : code;
}

#ifdef _WIN32
// The file system itself ignores letter case; this only serves the scan.
bool SameNameOnDisk(const std::string& onDisk, const std::string& wanted) {
    return FoldedAnsiName(onDisk) == FoldedAnsiName(wanted);
}
#else
std::u32string FromUtf8(const std::string& utf8) {
    std::u32string text;
    for (std::size_t i = 0; i < utf8.size();) {
        unsigned char c = static_cast<unsigned char>(utf8[i]);
        std::size_t length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : 4;
        char32_t code = length == 1 ? c : length == 2 ? (c & 0x1F) : length == 3 ? (c & 0x0F) : (c & 0x07);
        for (std::size_t k = 1; k < length && i + k < utf8.size(); ++k) {
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        }
        i += length;
        text += code;
    }
    return text;
}

// Linux names files in UTF-8; Wine shows them to Windows programs in the
// ANSI code page, which Setup.ini speaks.
bool SameNameOnDisk(const std::string& onDisk, const std::string& wanted) {
    return FoldedName(FromUtf8(onDisk)) == FoldedAnsiName(wanted);
}
#endif

}  // namespace

std::u32string FoldedName(std::u32string name) {
    for (char32_t& code : name) {
        code = FoldedCharacter(code);
    }
    return name;
}

std::u32string FoldedAnsiName(const std::string& ansi) {
    std::u32string name;
    for (char c : ansi) {
        name += FoldedCharacter(UnicodeCharacter(c));
    }
    return name;
}

std::vector<std::string> PathNames(const std::string& relative) {
    std::vector<std::string> names;
    std::string name;
    for (char c : relative) {
        if (c == '\\' || c == '/') {
            if (!name.empty()) {
                names.push_back(name);
            }
            name.clear();
        } else {
            name += c;
        }
    }
    if (!name.empty()) {
        names.push_back(name);
    }
    return names;
}

std::vector<std::string> ResolvedPathNames(const std::string& relative) {
    std::vector<std::string> resolved;
    for (std::string& name : PathNames(relative)) {
        if (name == "..") {
            if (!resolved.empty()) {
                resolved.pop_back();
            }
        } else if (name != ".") {
            resolved.push_back(std::move(name));
        }
    }
    return resolved;
}

MediumItem FindOnMedium(const std::string& root, const std::string& relative, std::string* actualPath) {
    fs::path at(root);
    std::error_code error;
    for (const std::string& ansiName : ResolvedPathNames(relative)) {
#ifdef _WIN32
        const std::string& name = ansiName;
#else
        std::string name = Utf8FromAnsi(ansiName);
#endif
        fs::path exact = at / name;
        if (fs::exists(exact, error)) {
            at = exact;
            continue;
        }
        // A folder written on Linux may spell the name in another case.
        bool found = false;
        for (fs::directory_iterator it(at, error), end; !error && it != end; it.increment(error)) {
            std::string candidate = it->path().filename().string();
            if (SameNameOnDisk(candidate, ansiName)) {
                at = it->path();
                found = true;
                break;
            }
        }
        if (!found) {
            return MediumItem::Missing;
        }
    }
    if (actualPath != nullptr) {
        *actualPath = at.string();
    }
    if (fs::is_directory(at, error)) {
        return MediumItem::Folder;
    }
    return fs::exists(at, error) ? MediumItem::File : MediumItem::Missing;
}

bool ReadWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}
