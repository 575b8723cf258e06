#include "setupfile/paths.h"

std::string JoinWithBackslash(const std::string& left, const std::string& right) {
    std::string joined = left;
    if (joined.empty() || joined.back() != '\\') {
        joined += '\\';
    }
    joined += right;
    return joined;
}

std::string DirectoryPart(const std::string& path, LeadBytePredicate isLeadByte) {
    std::size_t end = 0;  // one past the last separator seen
    // A drive designator counts as part of the directory even without a separator.
    if (path.size() >= 2 && path[1] == ':' && !isLeadByte(static_cast<unsigned char>(path[0]))) {
        end = 2;
    }
    for (std::size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (isLeadByte(c)) {
            ++i;  // the next byte is a trail byte, never a separator
            continue;
        }
        if (c == '\\' || c == '/') {
            end = i + 1;
        }
    }
    return path.substr(0, end);
}

std::string WithoutFinalBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') {
        return folder.substr(0, folder.size() - 1);
    }
    return folder;
}

std::string WithFinalBackslash(const std::string& folder) {
    if (!folder.empty() && folder.back() == '\\') {
        return folder;
    }
    return folder + '\\';
}
