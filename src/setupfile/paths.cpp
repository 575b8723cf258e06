#include "setupfile/paths.h"

namespace {

template <typename String>
String Join(const String& left, const String& right) {
    String joined = left;
    if (joined.empty() || joined.back() != '\\') {
        joined += '\\';
    }
    joined += right;
    return joined;
}

template <typename String, typename IsLeadByte>
String DirectoryOf(const String& path, IsLeadByte isLeadByte) {
    std::size_t end = 0;  // one past the last separator seen
    // A drive designator counts as part of the directory even without a separator.
    if (path.size() >= 2 && path[1] == ':' && !isLeadByte(path[0])) {
        end = 2;
    }
    for (std::size_t i = 0; i < path.size(); ++i) {
        if (isLeadByte(path[i])) {
            ++i;  // the next byte is a trail byte, never a separator
            continue;
        }
        if (path[i] == '\\' || path[i] == '/') {
            end = i + 1;
        }
    }
    return path.substr(0, end);
}

template <typename String>
String Without(const String& folder) {
    if (!folder.empty() && folder.back() == '\\') {
        return folder.substr(0, folder.size() - 1);
    }
    return folder;
}

template <typename String>
String With(const String& folder) {
    if (!folder.empty() && folder.back() == '\\') {
        return folder;
    }
    return folder + typename String::value_type('\\');
}

}  // namespace

std::string JoinWithBackslash(const std::string& left, const std::string& right) {
    return Join(left, right);
}

std::wstring JoinWithBackslash(const std::wstring& left, const std::wstring& right) {
    return Join(left, right);
}

std::string DirectoryPart(const std::string& path, LeadBytePredicate isLeadByte) {
    return DirectoryOf(path, [isLeadByte](char c) { return isLeadByte(static_cast<unsigned char>(c)); });
}

std::wstring DirectoryPart(const std::wstring& path) {
    return DirectoryOf(path, [](wchar_t) { return false; });
}

std::wstring FileNamePart(const std::wstring& path) {
    return path.substr(DirectoryPart(path).size());
}

bool IsRelativePath(const std::wstring& path) {
    const bool fromRoot = !path.empty() && (path[0] == L'\\' || path[0] == L'/');
    const bool withDrive = path.size() >= 2 && path[1] == L':';
    return !fromRoot && !withDrive;
}

std::string WithoutFinalBackslash(const std::string& folder) {
    return Without(folder);
}

std::wstring WithoutFinalBackslash(const std::wstring& folder) {
    return Without(folder);
}

std::string WithFinalBackslash(const std::string& folder) {
    return With(folder);
}

std::wstring WithFinalBackslash(const std::wstring& folder) {
    return With(folder);
}
