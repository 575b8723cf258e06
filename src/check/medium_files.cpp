#include "check/medium_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>

#include "check/text_encoding.h"

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

// Both hold UTF-8: the platform's own names, and Setup.ini's as the checker
// reads them.
bool SameNameOnDisk(const std::string& onDisk, const std::string& wanted) {
    return FoldedUtf8Name(onDisk) == FoldedUtf8Name(wanted);
}

}  // namespace

std::u32string FoldedName(std::u32string name) {
    for (char32_t& code : name) {
        code = FoldedCharacter(code);
    }
    return name;
}

std::u32string FoldedUtf8Name(const std::string& utf8) {
    return FoldedName(Utf32FromUtf8(utf8));
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
    for (const std::string& name : ResolvedPathNames(relative)) {
        fs::path exact = at / fs::u8path(name);
        if (fs::exists(exact, error)) {
            at = exact;
            continue;
        }
        // A folder written on Linux may spell the name in another case.
        bool found = false;
        for (fs::directory_iterator it(at, error), end; !error && it != end; it.increment(error)) {
            if (SameNameOnDisk(it->path().filename().u8string(), name)) {
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
