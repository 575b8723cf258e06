#include "check/medium_files.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include "setupfile/text.h"

namespace fs = std::filesystem;

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

MediumItem FindOnMedium(const std::string& root, const std::string& relative, std::string* actualPath) {
    fs::path at(root);
    std::error_code error;
    for (const std::string& name : PathNames(relative)) {
        fs::path exact = at / name;
        if (fs::exists(exact, error)) {
            at = exact;
            continue;
        }
        // A folder written on Linux may spell the name in another case.
        bool found = false;
        for (fs::directory_iterator it(at, error), end; !error && it != end; it.increment(error)) {
            std::string candidate = it->path().filename().string();
            if (CompareNoCase(candidate, name.c_str()) == 0) {
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
