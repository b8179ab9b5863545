#include "tools/datagen/ImageFiles.h"
#include "tools/datagen/TextureSynthesis.h"

#include "GeneratedData.h"

#include <IL/il.h>
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

namespace {

// A 3 × 2 RGB picture: top row red, green, blue; bottom row white, black, grey (128).
Picture smallPicture() {
    Picture p(3, 2, 3);
    const uint8_t rows[2][3][3] = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}, {{255, 255, 255}, {0, 0, 0}, {128, 128, 128}}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 3; ++x)
            for (int c = 0; c < 3; ++c) p.pixel(x, y)[c] = rows[y][x][c];
    return p;
}

struct LoadedImage {
    int width = 0, height = 0, bits = 0, format = 0;
    std::vector<uint8_t> bytes;  // DevIL's rows as it keeps them
};

LoadedImage loadWithDevil(const std::string& path) {
    static bool init = (ilInit(), true);
    (void)init;
    LoadedImage out;
    ILuint name = 0;
    ilGenImages(1, &name);
    ilBindImage(name);
    if (ilLoadImage(path.c_str())) {
        out.width = ilGetInteger(IL_IMAGE_WIDTH);
        out.height = ilGetInteger(IL_IMAGE_HEIGHT);
        out.bits = ilGetInteger(IL_IMAGE_BITS_PER_PIXEL);
        out.format = ilGetInteger(IL_IMAGE_FORMAT);
        const ILubyte* data = ilGetData();
        out.bytes.assign(data, data + static_cast<size_t>(out.width) * out.height * (out.bits / 8));
    }
    ilDeleteImages(1, &name);
    return out;
}

}  // namespace

TEST(ImageFiles, TgaHeaderAndRowsBottomFirstInBgrOrder) {
    const auto bytes = ImageFiles::encodeTga(smallPicture());
    ASSERT_EQ(bytes.size(), 18u + 3 * 2 * 3);
    EXPECT_EQ(bytes[2], 2);                   // uncompressed true colour
    EXPECT_EQ(bytes[12] | bytes[13] << 8, 3);  // width
    EXPECT_EQ(bytes[14] | bytes[15] << 8, 2);  // height
    EXPECT_EQ(bytes[16], 24);
    EXPECT_EQ(bytes[17], 0);                   // lower-left origin, no alpha bits
    // First stored row is the bottom one: white, black, grey as B, G, R.
    const std::vector<uint8_t> firstRow(bytes.begin() + 18, bytes.begin() + 27);
    EXPECT_EQ(firstRow, (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 128, 128, 128}));
    // Then the top row: red is stored as (0, 0, 255).
    EXPECT_EQ(bytes[27], 0);
    EXPECT_EQ(bytes[28], 0);
    EXPECT_EQ(bytes[29], 255);
}

TEST(ImageFiles, RgbaTgaDeclaresEightAlphaBits) {
    Picture p(1, 1, 4);
    p.set(0, 0, 1.0f, 0.5f, 0.0f, 0.25f);
    const auto bytes = ImageFiles::encodeTga(p);
    ASSERT_EQ(bytes.size(), 18u + 4);
    EXPECT_EQ(bytes[16], 32);
    EXPECT_EQ(bytes[17], 8);
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 18, bytes.end()), (std::vector<uint8_t>{0, 128, 255, 64}));
}

TEST(ImageFiles, BmpHasClassicInfoHeaderAndPaddedRows) {
    const auto bytes = ImageFiles::encodeBmp(smallPicture());
    // Rows of 3 pixels take 9 bytes, padded to 12.
    ASSERT_EQ(bytes.size(), 54u + 12 * 2);
    auto u32 = [&](size_t at) { return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | bytes[at + 3] << 24; };
    EXPECT_EQ(bytes[0], 'B');
    EXPECT_EQ(bytes[1], 'M');
    EXPECT_EQ(u32(2), 78u);
    EXPECT_EQ(u32(10), 54u);
    EXPECT_EQ(u32(14), 40u);  // BITMAPINFOHEADER
    EXPECT_EQ(u32(18), 3u);
    EXPECT_EQ(u32(22), 2u);
    EXPECT_EQ(bytes[28] | bytes[29] << 8, 24);
    EXPECT_EQ(u32(30), 0u);  // no compression
    // Bottom row first, then three bytes of padding.
    EXPECT_EQ(std::vector<uint8_t>(bytes.begin() + 54, bytes.begin() + 66),
              (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0}));
}

// DevIL keeps TGA and BMP rows bottom first, so its first row must be the picture's bottom row;
// a JPEG it keeps top first.
TEST(ImageFiles, DevilReadsEachFormatWithTheExpectedRowOrder) {
    const TempDirectory dir("imagefiles");
    Picture p(16, 16, 3);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) p.set(x, y, y < 8 ? 1.0f : 0.0f, 0.0f, y < 8 ? 0.0f : 1.0f);  // red above blue
    ASSERT_TRUE(ImageFiles::saveTga(p, dir.path() + "/a.tga"));
    ASSERT_TRUE(ImageFiles::saveBmp(p, dir.path() + "/a.bmp"));
    ASSERT_TRUE(ImageFiles::saveJpg(p, dir.path() + "/a.jpg"));
    struct Case {
        const char* file;
        bool firstRowIsTop;
    };
    for (const Case c : {Case{"a.tga", false}, Case{"a.bmp", false}, Case{"a.jpg", true}}) {
        const LoadedImage img = loadWithDevil(dir.path() + "/" + c.file);
        ASSERT_EQ(img.width, 16) << c.file;
        ASSERT_EQ(img.bits, 24) << c.file;
        const bool bgr = img.format == IL_BGR;
        const int red = img.bytes[bgr ? 2 : 0], blue = img.bytes[bgr ? 0 : 2];
        if (c.firstRowIsTop) {
            EXPECT_GT(red, 200) << c.file;
            EXPECT_LT(blue, 60) << c.file;
        } else {
            EXPECT_GT(blue, 200) << c.file;
            EXPECT_LT(red, 60) << c.file;
        }
    }
}

TEST(GeneratedTextures, LoadWithTheirSizesAndDepths) {
    const GeneratedData& g = generatedData();
    ASSERT_TRUE(g.ok);
    struct Case {
        const char* path;
        int size;
        int bits;
    };
    const Case cases[] = {
        {"data/Textures/ReflectOcean.tga", 256, 24}, {"data/Textures/Reflect.tga", 256, 24},
        {"data/Textures/fire.tga", 64, 32},          {"data/Textures/smoke.tga", 64, 32},
        {"data/Textures/HeightMap.tga", 128, 24},    {"data/Textures/lumps.jpg", 256, 24},
        {"data/Textures/grass6.tga", 256, 24},       {"data/Textures/rock086.tga", 256, 24},
        {"data/Textures/snow3256.jpg", 256, 24},     {"data/Textures/rock.bmp", 256, 24},
        {"data/textures/debugHeight.tga", 256, 24},  {"data/textures/h_bitterman.tga", 256, 24},
        {"data/animations/boat/boat.tga", 256, 24},  {"data/xfiles/tiger.tga", 256, 24},
    };
    for (const Case& c : cases) {
        const LoadedImage img = loadWithDevil(g.root + "/" + c.path);
        EXPECT_EQ(img.width, c.size) << c.path;
        EXPECT_EQ(img.height, c.size) << c.path;
        EXPECT_EQ(img.bits, c.bits) << c.path;
    }
    const auto bmp = readFileBytes(g.root + "/data/Textures/rock.bmp");
    ASSERT_GT(bmp.size(), 30u);
    EXPECT_EQ(bmp[14], 40);  // the 40-byte info header
    EXPECT_EQ(bmp[28], 24);
}

TEST(GeneratedTextures, SpritesFadeToTransparentAtTheEdge) {
    for (const Picture& p : {TextureSynthesis::fireSprite(64), TextureSynthesis::smokeSprite(64)}) {
        ASSERT_EQ(p.channels(), 4);
        // Corners and the middles of the edges lie on or outside the circle.
        for (auto [x, y] : {std::pair{0, 0}, {63, 0}, {0, 63}, {63, 63}, {0, 32}, {32, 0}, {63, 32}, {32, 63}}) {
            EXPECT_EQ(p.pixel(x, y)[3], 0) << x << "," << y;
        }
        EXPECT_GT(p.pixel(32, 32)[3], 100);
        // Alpha falls from the centre outwards along a radius.
        EXPECT_GT(p.pixel(32, 32)[3], p.pixel(48, 32)[3]);
        EXPECT_GT(p.pixel(48, 32)[3], p.pixel(60, 32)[3]);
    }
}

// A tileable picture continues across its border as smoothly as it runs inside.
TEST(GeneratedTextures, TerrainLayersTile) {
    struct Case {
        const char* name;
        Picture picture;
    };
    const Case cases[] = {{"lumps", TextureSynthesis::earthLumps(128)}, {"grass", TextureSynthesis::grass(128)},
                          {"rock", TextureSynthesis::rock(128)},        {"snow", TextureSynthesis::snow(128)},
                          {"dark rock", TextureSynthesis::darkRock(128)}};
    for (const Case& c : cases) {
        const Picture& p = c.picture;
        auto columnStep = [&](int a, int b) {
            double sum = 0;
            for (int y = 0; y < p.height(); ++y)
                for (int k = 0; k < 3; ++k) sum += std::abs(p.pixel(a, y)[k] - p.pixel(b, y)[k]);
            return sum / (p.height() * 3);
        };
        auto rowStep = [&](int a, int b) {
            double sum = 0;
            for (int x = 0; x < p.width(); ++x)
                for (int k = 0; k < 3; ++k) sum += std::abs(p.pixel(x, a)[k] - p.pixel(x, b)[k]);
            return sum / (p.width() * 3);
        };
        double inside = 0;
        for (int i = 1; i < p.width(); ++i) inside += columnStep(i - 1, i);
        inside /= p.width() - 1;
        EXPECT_LT(columnStep(p.width() - 1, 0), 2.5 * inside + 2.0) << c.name;
        double insideRows = 0;
        for (int i = 1; i < p.height(); ++i) insideRows += rowStep(i - 1, i);
        insideRows /= p.height() - 1;
        EXPECT_LT(rowStep(p.height() - 1, 0), 2.5 * insideRows + 2.0) << c.name;
    }
}

// Mean colour of the rows [y0, y1).
static std::array<double, 3> meanRows(const Picture& p, int y0, int y1) {
    std::array<double, 3> m{};
    for (int y = y0; y < y1; ++y)
        for (int x = 0; x < p.width(); ++x)
            for (int k = 0; k < 3; ++k) m[k] += p.pixel(x, y)[k];
    for (double& v : m) v /= static_cast<double>(p.width()) * (y1 - y0);
    return m;
}

TEST(GeneratedTextures, ReflectionMapsShowSkyAboveAndWaterBelow) {
    const Picture ocean = TextureSynthesis::oceanReflection(128);
    const Picture bright = TextureSynthesis::brightReflection(128);
    for (const Picture* p : {&ocean, &bright}) {
        const auto sky = meanRows(*p, 0, 48), horizon = meanRows(*p, 60, 64), sea = meanRows(*p, 80, 128);
        EXPECT_GT(sky[2], sky[0]);  // blue sky
        EXPECT_GT(horizon[0] + horizon[1] + horizon[2], sea[0] + sea[1] + sea[2]);  // bright horizon, darker water
        EXPECT_GT(sea[2], sea[0]);
    }
    const auto o = meanRows(ocean, 0, 128), b = meanRows(bright, 0, 128);
    EXPECT_GT(b[0] + b[1] + b[2], (o[0] + o[1] + o[2]) * 1.3);
}

TEST(GeneratedTextures, ReliefHasRaisedAndSunkenShapes) {
    const Picture h = TextureSynthesis::reliefHeights(256);
    const int base = h.pixel(128, 4)[0];
    EXPECT_NEAR(base, 128, 2);
    EXPECT_GT(h.pixel(69, 69)[0], base + 80);    // dome centre
    EXPECT_GT(h.pixel(187, 69)[0], base + 70);   // plateau
    EXPECT_LT(h.pixel(187, 187)[0], base - 80);  // bowl centre
    EXPECT_LT(h.pixel(69 + 33, 187)[0], base - 50);  // on the groove ring
    EXPECT_NEAR(h.pixel(69, 187)[0], base, 3);   // inside the ring stays level
    EXPECT_GT(h.pixel(128, 128)[0], base + 40);  // the cross
}
