#pragma once

#include "tools/datagen/Picture.h"

#include <cstdint>
#include <string>
#include <vector>

// Encoders for the picture formats of the data set. TGA and BMP are written here byte by byte
// (uncompressed, bottom row first, no time stamps) so that every build writes identical files;
// JPEG and PNG go through DevIL.
class ImageFiles {
public:
    // Uncompressed true-colour TGA (type 2, 24 or 32 bits) or grey TGA (type 3, 8 bits),
    // origin at the lower left.
    static std::vector<uint8_t> encodeTga(const Picture& picture);
    // Classic BMP: 14-byte file header, 40-byte BITMAPINFOHEADER, 24 bits, rows padded to 4 bytes.
    static std::vector<uint8_t> encodeBmp(const Picture& picture);

    static bool writeFile(const std::string& path, const std::vector<uint8_t>& bytes);
    static bool saveTga(const Picture& picture, const std::string& path);
    static bool saveBmp(const Picture& picture, const std::string& path);
    // JPEG (quality 90) and PNG through DevIL.
    static bool saveJpg(const Picture& picture, const std::string& path);
    static bool savePng(const Picture& picture, const std::string& path);
};
