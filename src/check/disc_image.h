#pragma once
// The game's disc for the checker: a folder (a drive as Wine shows one) or an
// ISO 9660 image, read here without the platform. No Win32 here.

#include <cstddef>
#include <string>

#include "check/medium_files.h"

// What a disc with Joliet names holds, as Windows reads it: names of at most
// 64 characters, and a label of at most 16 in its field of 32 bytes, which
// holds 32 characters of the ISO 9660 label on a disc without Joliet names.
constexpr std::size_t kMaxJolietName = 64;
constexpr std::size_t kLabelFieldSize = 32;
constexpr std::size_t kMaxJolietLabel = kLabelFieldSize / 2;

// A disc known by its label alone, as a disc image will be before it is
// made, has no path.
struct GameDisc {
    std::string path;
    bool isImage = false;
    std::string label;  // as Windows shows it, in UTF-8
};

// Opens a folder or an image; false (with the reason) when it is neither.
bool OpenGameDisc(const std::string& path, GameDisc& disc, std::string& reason);

// What `relative` names on the disc, found as Windows finds it.
MediumItem FindOnDisc(const GameDisc& disc, const std::string& relative);

// The label of an ISO 9660 image: the Joliet one when the image has Joliet
// names, as Windows shows it, otherwise the primary one. False when the file
// is no such image.
bool ReadImageLabel(const std::string& imagePath, std::string& label);
