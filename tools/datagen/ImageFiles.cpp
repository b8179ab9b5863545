#include "tools/datagen/ImageFiles.h"

#include <IL/il.h>

#include <algorithm>

#include <cstdio>
#include <filesystem>

namespace {

void putU16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void putU32(std::vector<uint8_t>& out, uint32_t v) {
    putU16(out, v & 0xFFFF);
    putU16(out, v >> 16);
}

bool ensureDevil() {
    static bool ready = [] {
        ilInit();
        ilEnable(IL_FILE_OVERWRITE);
        return true;
    }();
    return ready;
}

// DevIL keeps the bottom row first (its default lower-left origin), so the rows are handed over
// in that order and its writers turn them back for JPEG and PNG.
bool saveWithDevil(const Picture& picture, ILenum type, const std::string& path) {
    ensureDevil();
    Picture rgb = picture.channels() == 1 ? picture.withChannels(3) : picture;
    const int w = rgb.width(), h = rgb.height(), c = rgb.channels();
    std::vector<uint8_t> rows(rgb.bytes().size());
    const size_t rowBytes = static_cast<size_t>(w) * c;
    for (int y = 0; y < h; ++y) {
        std::copy_n(&rgb.bytes()[static_cast<size_t>(h - 1 - y) * rowBytes], rowBytes,
                    &rows[static_cast<size_t>(y) * rowBytes]);
    }
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    bool ok = ilTexImage(w, h, 1, static_cast<ILubyte>(c), c == 4 ? IL_RGBA : IL_RGB,
                         IL_UNSIGNED_BYTE, rows.data()) == IL_TRUE;
    if (ok) {
        ilRegisterOrigin(IL_ORIGIN_LOWER_LEFT);
        if (type == IL_JPG) ilSetInteger(IL_JPG_QUALITY, 90);
        std::filesystem::remove(path);
        ok = ilSave(type, path.c_str()) == IL_TRUE;
    }
    ilDeleteImages(1, &name);
    return ok;
}

}  // namespace

std::vector<uint8_t> ImageFiles::encodeTga(const Picture& picture) {
    const int w = picture.width(), h = picture.height(), c = picture.channels();
    std::vector<uint8_t> out;
    out.reserve(18 + picture.bytes().size());
    out.push_back(0);                        // no image id
    out.push_back(0);                        // no colour map
    out.push_back(c == 1 ? 3 : 2);           // grey or true colour, uncompressed
    for (int i = 0; i < 5; ++i) out.push_back(0);  // colour map fields (unused)
    putU16(out, 0);                          // x origin
    putU16(out, 0);                          // y origin
    putU16(out, static_cast<uint32_t>(w));
    putU16(out, static_cast<uint32_t>(h));
    out.push_back(static_cast<uint8_t>(8 * c));
    out.push_back(c == 4 ? 8 : 0);           // alpha bits, lower-left origin
    for (int y = h - 1; y >= 0; --y) {
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = picture.pixel(x, y);
            if (c == 1) {
                out.push_back(p[0]);
                continue;
            }
            out.push_back(p[2]);
            out.push_back(p[1]);
            out.push_back(p[0]);
            if (c == 4) out.push_back(p[3]);
        }
    }
    return out;
}

std::vector<uint8_t> ImageFiles::encodeBmp(const Picture& picture) {
    const int w = picture.width(), h = picture.height();
    const uint32_t rowBytes = (static_cast<uint32_t>(w) * 3 + 3) & ~3u;
    const uint32_t dataSize = rowBytes * static_cast<uint32_t>(h);
    std::vector<uint8_t> out;
    out.reserve(54 + dataSize);
    out.push_back('B');
    out.push_back('M');
    putU32(out, 54 + dataSize);
    putU32(out, 0);
    putU32(out, 54);
    putU32(out, 40);
    putU32(out, static_cast<uint32_t>(w));
    putU32(out, static_cast<uint32_t>(h));
    putU16(out, 1);
    putU16(out, 24);
    putU32(out, 0);  // BI_RGB
    putU32(out, dataSize);
    putU32(out, 2835);  // 72 dpi
    putU32(out, 2835);
    putU32(out, 0);
    putU32(out, 0);
    for (int y = h - 1; y >= 0; --y) {
        uint32_t written = 0;
        for (int x = 0; x < w; ++x) {
            const uint8_t* p = picture.pixel(x, y);
            const uint8_t r = p[0];
            const uint8_t g = picture.channels() >= 3 ? p[1] : p[0];
            const uint8_t b = picture.channels() >= 3 ? p[2] : p[0];
            out.push_back(b);
            out.push_back(g);
            out.push_back(r);
            written += 3;
        }
        for (; written < rowBytes; ++written) out.push_back(0);
    }
    return out;
}

bool ImageFiles::writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
    return std::fclose(f) == 0 && ok;
}

bool ImageFiles::saveTga(const Picture& picture, const std::string& path) {
    return writeFile(path, encodeTga(picture));
}

bool ImageFiles::saveBmp(const Picture& picture, const std::string& path) {
    return writeFile(path, encodeBmp(picture));
}

bool ImageFiles::saveJpg(const Picture& picture, const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return saveWithDevil(picture, IL_JPG, path);
}

bool ImageFiles::savePng(const Picture& picture, const std::string& path) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    return saveWithDevil(picture, IL_PNG, path);
}
