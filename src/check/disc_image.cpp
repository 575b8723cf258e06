#include "check/disc_image.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <vector>

#include "check/text_encoding.h"

namespace {

constexpr std::size_t kSectorSize = 2048;
constexpr unsigned kFirstDescriptorSector = 16;
// Beyond this many descriptors the image is taken as broken.
constexpr unsigned kMaxDescriptors = 64;
constexpr std::size_t kRootRecordOffset = 156;
constexpr std::size_t kVolumeIdOffset = 40;
constexpr std::size_t kEscapeOffset = 88;
constexpr unsigned char kPrimaryDescriptor = 1;
constexpr unsigned char kSupplementaryDescriptor = 2;
constexpr unsigned char kTerminator = 255;
constexpr unsigned char kDirectoryFlag = 0x02;
// Directories larger than this are taken as broken.
constexpr std::uint32_t kMaxDirectorySize = 16u << 20;

// Where Wine keeps the label of a folder drive.
constexpr const char kLabelFileName[] = ".windows-label";

std::uint32_t Little32(const std::string& bytes, std::size_t at) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
}

bool ReadBytes(std::ifstream& in, std::uint64_t offset, std::size_t size, std::string& bytes) {
    bytes.assign(size, '\0');
    in.clear();
    in.seekg(static_cast<std::streamoff>(offset));
    in.read(&bytes[0], static_cast<std::streamsize>(size));
    return static_cast<std::size_t>(in.gcount()) == size;
}

std::string WithoutTrailingSpaces(std::string text) {
    while (!text.empty() && text.back() == ' ') {
        text.pop_back();
    }
    return text;
}

// The volume descriptor to read names and the label from.
struct Volume {
    bool joliet = false;
    std::string descriptor;
};

bool FindVolume(std::ifstream& in, Volume& volume) {
    bool found = false;
    std::string sector;
    for (unsigned i = 0; i < kMaxDescriptors; ++i) {
        if (!ReadBytes(in, (kFirstDescriptorSector + i) * std::uint64_t{kSectorSize}, kSectorSize, sector) ||
            sector.compare(1, 5, "CD001") != 0) {
            return false;
        }
        unsigned char type = static_cast<unsigned char>(sector[0]);
        if (type == kTerminator) {
            return found;
        }
        std::string escape = sector.substr(kEscapeOffset, 3);
        bool joliet = type == kSupplementaryDescriptor && (escape == "%/@" || escape == "%/C" || escape == "%/E");
        if ((type == kPrimaryDescriptor && !found) || joliet) {
            volume.joliet = joliet;
            volume.descriptor = sector;
            found = true;
        }
    }
    return false;
}

// The name of a directory record in Unicode, as Windows compares it.
std::u32string FoldedRecordName(const std::string& record, bool joliet) {
    std::size_t length = static_cast<unsigned char>(record[32]);
    std::string raw = record.substr(33, length);
    std::u32string name;
    for (std::size_t i = 0; joliet && i + 1 < raw.size(); i += 2) {
        name += static_cast<char32_t>(static_cast<unsigned char>(raw[i]) << 8 | static_cast<unsigned char>(raw[i + 1]));
    }
    for (std::size_t i = 0; !joliet && i < raw.size(); ++i) {
        name += UnicodeCharacter(raw[i]);
    }
    std::size_t version = name.rfind(U';');
    if (version != std::u32string::npos) {
        name.erase(version);
    }
    if (!joliet && !name.empty() && name.back() == U'.') {
        name.pop_back();
    }
    return FoldedName(name);
}

}  // namespace

bool ReadImageLabel(const std::string& imagePath, std::string& label) {
    std::ifstream in(imagePath, std::ios::binary);
    Volume volume;
    if (!in || !FindVolume(in, volume)) {
        return false;
    }
    std::string id = volume.descriptor.substr(kVolumeIdOffset, kLabelFieldSize);
    label = WithoutTrailingSpaces(volume.joliet ? Utf8FromUtf16Bytes(id, 0, true) : Utf8FromAnsi(id));
    return true;
}

bool OpenGameDisc(const std::string& path, GameDisc& disc, std::string& reason) {
    std::error_code error;
    disc.path = path;
    if (std::filesystem::is_directory(path, error)) {
        disc.isImage = false;
        std::string bytes;
        // Without the file the drive shows an empty label.
        std::string labelFile;
        if (FindOnMedium(path, kLabelFileName, &labelFile) == MediumItem::File && ReadWholeFile(labelFile, bytes)) {
            // Wine takes the whole file, in UTF-8, up to its trailing blanks
            // and line ends.
            std::size_t end = bytes.find_last_not_of(" \t\r\n\v\f");
            disc.label = end == std::string::npos ? std::string() : ValidUtf8(bytes.substr(0, end + 1));
        }
        return true;
    }
    if (!std::filesystem::is_regular_file(path, error)) {
        reason = "no such folder or image";
        return false;
    }
    disc.isImage = true;
    if (!ReadImageLabel(path, disc.label)) {
        reason = "neither a folder nor an ISO 9660 image";
        return false;
    }
    return true;
}

MediumItem FindOnDisc(const GameDisc& disc, const std::string& relative) {
    if (!disc.isImage) {
        return FindOnMedium(disc.path, relative);
    }
    std::ifstream in(disc.path, std::ios::binary);
    Volume volume;
    if (!in || !FindVolume(in, volume)) {
        return MediumItem::Missing;
    }
    std::string record = volume.descriptor.substr(kRootRecordOffset, 34);
    for (const std::string& name : ResolvedPathNames(relative)) {
        std::u32string wanted = FoldedUtf8Name(name);
        if ((static_cast<unsigned char>(record[25]) & kDirectoryFlag) == 0) {
            return MediumItem::Missing;
        }
        std::uint32_t size = Little32(record, 10);
        std::string directory;
        if (size > kMaxDirectorySize || !ReadBytes(in, Little32(record, 2) * std::uint64_t{kSectorSize}, size, directory)) {
            return MediumItem::Missing;
        }
        bool found = false;
        std::size_t at = 0;
        while (!found && at < directory.size()) {
            std::size_t length = static_cast<unsigned char>(directory[at]);
            if (length == 0) {
                at = (at / kSectorSize + 1) * kSectorSize;  // records never cross a sector
                continue;
            }
            if (length < 34 || at + length > directory.size()) {
                return MediumItem::Missing;
            }
            std::string candidate = directory.substr(at, length);
            std::size_t nameLength = static_cast<unsigned char>(candidate[32]);
            bool selfOrParent = nameLength == 1 && (candidate[33] == '\0' || candidate[33] == '\1');
            if (33 + nameLength <= length && !selfOrParent && FoldedRecordName(candidate, volume.joliet) == wanted) {
                record = candidate;
                found = true;
            }
            at += length;
        }
        if (!found) {
            return MediumItem::Missing;
        }
    }
    return (static_cast<unsigned char>(record[25]) & kDirectoryFlag) != 0 ? MediumItem::Folder : MediumItem::File;
}
