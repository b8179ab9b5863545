#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "foundation/ZipArchive.h"
#include "image/Image.h"
#include "image/Texture.h"
#include "image/TextureManager.h"
#include "device/RecordingDevice.h"
#include "tests/foundation/TestSupport.h"
#include "tests/image/ImageTestSupport.h"
#include "tests/image/TestFiles.h"

using imagetest::pixelAt;
using imagetest::pixelBytes;
using testfiles::Bytes;
using testfiles::concat;
using testfiles::tgaHeader;

namespace {

constexpr std::uint32_t kTag = 1;

// 2 x 2, bottom row first, B G R.
const Bytes& kTga24Pixels = testfiles::kTga2x2Pixels;
const Bytes kTga24AsBgra = {10, 20, 30, 255, 40, 50, 60, 255, 70, 80, 90, 255, 100, 110, 120, 255};
const Bytes kTga32Pixels = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};

std::string writeScratch(const std::string& name, const Bytes& bytes) {
  const std::string path = testfiles::scratchPath(name);
  testfiles::writeFile(path, bytes);
  return path;
}

std::string tga24File(const std::string& name) {
  return writeScratch(name, testfiles::tga2x2());
}

// A 16 x 16 JPEG whose picture is red in its top half and blue in its bottom half.
std::string halvesJpeg(const std::string& name) {
  Bytes pixels(16 * 16 * 3, 0);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) pixels[(y * 16 + x) * 3 + (y < 8 ? 2 : 0)] = 255;
  }
  Image picture(16, 16, ImageFormat::kRgb, pixels.data());  // rows count from the bottom
  const std::string path = testfiles::scratchPath(name);
  picture.save(ImageFileType::kJpg, path);
  return path;
}

const DeviceCall& onlyCall(const RecordingDevice& device, const std::string& name) {
  static const DeviceCall none;
  const auto calls = device.callsNamed(name);
  EXPECT_EQ(calls.size(), 1u) << name;
  return calls.empty() ? none : *device.lastCall(name);
}

// Red in the texture's first row: the JPEG file's top row came first, so nothing flipped it.
bool firstRowIsRed(const RecordingDevice& device, const Texture& texture) {
  const Bytes& bytes = device.contents(texture.deviceTexture());
  return bytes.size() >= 4 && bytes[2] > 200 && bytes[0] < 60;  // B, G, R, A
}

class TextureTest : public ::testing::Test {
 protected:
  RefPtr<RecordingDevice> device{new RecordingDevice(true)};
};

TEST_F(TextureTest, TwentyFourBitImageMakesAnOpaqueTexture) {
  const std::string path = tga24File("opaque.tga");
  RefPtr<Texture> texture(new Texture(path, *device, 7));
  EXPECT_EQ(texture->name(), path);
  EXPECT_EQ(texture->tag(), 7u);
  EXPECT_FALSE(texture->hasAlpha());
  ASSERT_NE(texture->deviceTexture(), nullptr);
  const DeviceCall& created = onlyCall(*device, "createTexture");
  EXPECT_EQ(created.ints[0], 2);
  EXPECT_EQ(created.ints[1], 2);
  EXPECT_EQ(created.ints[2], D3DFMT_X8R8G8B8);
  EXPECT_EQ(device->contents(texture->deviceTexture()), kTga24AsBgra);
  EXPECT_EQ(device->callCount("lockRect"), 1);
  EXPECT_EQ(device->callCount("unlockRect"), 1);
}

TEST_F(TextureTest, ThirtyTwoBitImageMakesATextureWithAlpha) {
  const std::string path = writeScratch("alpha.tga", concat(tgaHeader(2, 2, 2, 32, 8), kTga32Pixels));
  RefPtr<Texture> texture(new Texture(path, *device, kTag));
  EXPECT_TRUE(texture->hasAlpha());
  EXPECT_EQ(onlyCall(*device, "createTexture").ints[2], D3DFMT_A8R8G8B8);
  EXPECT_EQ(device->contents(texture->deviceTexture()), kTga32Pixels);
}

TEST_F(TextureTest, OnlyJpegExtensionsFlipTheFilePicture) {
  struct Case {
    std::string name;
    bool flipped;
  };
  const Case cases[] = {{"photo.jpg", true},   {"PHOTO.JPG", true},   {"photo.jpeg", true},
                        {"photo.JpEg", true},  {"photo.jpe", false},  {"photo.jfif", false},
                        {"dir.jpg/photo", false}};
  std::filesystem::create_directories(testfiles::scratchPath("dir.jpg"));
  for (const Case& c : cases) {
    const std::string path = halvesJpeg(c.name);
    RefPtr<Texture> texture(new Texture(path, *device, kTag));
    ASSERT_NE(texture->deviceTexture(), nullptr) << c.name;
    EXPECT_EQ(texture->deviceTexture()->width(), 16u) << c.name;
    // The file's rows come top first; a flip puts the blue bottom half first.
    EXPECT_EQ(firstRowIsRed(*device, *texture), !c.flipped) << c.name;
  }
  // A TGA keeps the row order of its file.
  RefPtr<Texture> tga(new Texture(tga24File("unflipped.tga"), *device, kTag));
  EXPECT_EQ(Bytes(device->contents(tga->deviceTexture()).begin(), device->contents(tga->deviceTexture()).begin() + 4),
            (Bytes{10, 20, 30, 255}));
}

TEST_F(TextureTest, ImageIsUploadedFromACopy) {
  const Bytes rgb = {1, 2, 3, 4, 5, 6};
  RefPtr<Image> image(new Image(2, 1, ImageFormat::kRgb, rgb.data()));
  RefPtr<Texture> texture(new Texture(image.get(), "made", *device, kTag));
  EXPECT_EQ(texture->name(), "made");
  EXPECT_EQ(image->format(), ImageFormat::kRgb);
  EXPECT_EQ(pixelBytes(*image), rgb);
  EXPECT_EQ(device->contents(texture->deviceTexture()), (Bytes{3, 2, 1, 255, 6, 5, 4, 255}));
}

TEST_F(TextureTest, LuminanceImageBecomesThirtyTwoBits) {
  const Bytes grey = {9, 200};
  Image image(1, 2, ImageFormat::kLuminance, grey.data());
  RefPtr<Texture> texture(new Texture(&image, "grey", *device, kTag));
  EXPECT_FALSE(texture->hasAlpha());
  EXPECT_EQ(onlyCall(*device, "createTexture").ints[2], D3DFMT_X8R8G8B8);
  EXPECT_EQ(device->contents(texture->deviceTexture()), (Bytes{9, 9, 9, 255, 200, 200, 200, 255}));
}

TEST_F(TextureTest, MissingOrDamagedPictureBecomesAMagentaPlaceholder) {
  const std::string missing = testfiles::scratchPath("no_such_texture.tga");
  RefPtr<Texture> fromFile(new Texture(missing, *device, kTag));
  Image empty;
  RefPtr<Texture> fromEmpty(new Texture(&empty, "empty", *device, kTag));
  RefPtr<Texture> fromNull(new Texture(nullptr, "null", *device, kTag));
  // A TGA cut inside its pixels once loaded as a blank picture, with no message.
  const Bytes whole = testfiles::tga2x2();
  RefPtr<Texture> truncated(new Texture(writeScratch("cut.tga", Bytes(whole.begin(), whole.end() - 5)), *device, kTag));
  const std::vector<std::string> lines = imagetest::logLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_TRUE(imagetest::endsWith(lines[lines.size() - 2], "cut.tga\" not found.")) << lines[lines.size() - 2];
  EXPECT_NE(lines.back().find("cut.tga\": truncated"), std::string::npos) << lines.back();
  RefPtr<Texture> garbage(new Texture(writeScratch("garbage.bmp", Bytes(300, 'B')), *device, kTag));
  for (Texture* texture : {fromFile.get(), fromEmpty.get(), fromNull.get(), truncated.get(), garbage.get()}) {
    ASSERT_NE(texture->deviceTexture(), nullptr) << texture->name();
    EXPECT_FALSE(texture->hasAlpha());
    EXPECT_EQ(texture->deviceTexture()->width(), 1u);
    EXPECT_EQ(texture->deviceTexture()->height(), 1u);
    EXPECT_EQ(texture->deviceTexture()->format(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(device->contents(texture->deviceTexture()), (Bytes{255, 0, 255, 255})) << texture->name();
  }
}

TEST_F(TextureTest, APipeNamedAsATextureGivesThePlaceholderWithoutWaiting) {
  const std::string pipe = testfiles::scratchPath("pipe_texture.jpg");
  ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
  RefPtr<Texture> texture;
  EXPECT_TRUE(testsupport::returnsWithoutWaitingOnPipe(pipe, [&] { texture = new Texture(pipe, *device, kTag); }));
  const std::vector<std::string> lines = imagetest::logLines();
  ASSERT_GE(lines.size(), 2u);
  EXPECT_TRUE(imagetest::endsWith(lines[lines.size() - 2], "pipe_texture.jpg\" not found.")) << lines[lines.size() - 2];
  EXPECT_NE(lines.back().find("pipe_texture.jpg\": unreadable (a pipe)"), std::string::npos) << lines.back();
  ASSERT_NE(texture->deviceTexture(), nullptr);
  EXPECT_EQ(texture->deviceTexture()->width(), 1u);
  EXPECT_EQ(device->contents(texture->deviceTexture()), (Bytes{255, 0, 255, 255}));
}

TEST_F(TextureTest, RefusedDeviceTextureLeavesTheTextureWithoutOne) {
  device->failOn("createTexture");
  RefPtr<Texture> texture(new Texture(tga24File("refused.tga"), *device, kTag));
  EXPECT_EQ(texture->deviceTexture(), nullptr);
  EXPECT_EQ(device->callCount("lockRect"), 0);
  EXPECT_EQ(texture->toImage(), nullptr);
}

// A device that makes textures no larger than 2 x 2, as one limited to small sizes would.
class SmallTextureDevice : public RecordingDevice {
 public:
  SmallTextureDevice() : RecordingDevice(true) {}
  int createTexture(std::uint32_t width, std::uint32_t height, std::uint32_t format,
                    RefPtr<DeviceTexture>& texture) override {
    return RecordingDevice::createTexture(std::min(width, 2u), std::min(height, 2u), format, texture);
  }
};

TEST(TextureUploadTest, CopyStaysInsideASmallerLevel) {
  RefPtr<SmallTextureDevice> small(new SmallTextureDevice);
  Bytes bgra(4 * 3 * 4);
  for (std::size_t i = 0; i < bgra.size(); ++i) bgra[i] = static_cast<std::uint8_t>(i);
  Image image(4, 3, ImageFormat::kBgra, bgra.data());
  RefPtr<Texture> texture(new Texture(&image, "big", *small, kTag));
  ASSERT_NE(texture->deviceTexture(), nullptr);
  Bytes expected(bgra.begin(), bgra.begin() + 8);
  expected.insert(expected.end(), bgra.begin() + 16, bgra.begin() + 24);
  EXPECT_EQ(small->contents(texture->deviceTexture()), expected);
}

TEST_F(TextureTest, ToImageReadsLevelZeroAsBgra) {
  const std::string path = writeScratch("readback.tga", concat(tgaHeader(2, 2, 2, 32, 8), kTga32Pixels));
  RefPtr<Texture> texture(new Texture(path, *device, kTag));
  RefPtr<Image> image = texture->toImage();
  ASSERT_TRUE(image);
  EXPECT_EQ(image->width(), 2u);
  EXPECT_EQ(image->height(), 2u);
  EXPECT_EQ(image->format(), ImageFormat::kBgra);
  EXPECT_EQ(pixelBytes(*image), kTga32Pixels);
}

TEST_F(TextureTest, WrappedTextureTakesAlphaFromItsFormat) {
  for (std::uint32_t format : {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8}) {
    RefPtr<DeviceTexture> made;
    ASSERT_EQ(device->createTexture(3, 5, format, made), D3D_OK);
    RefPtr<Texture> texture(new Texture(made, "wrapped", kTag));
    EXPECT_EQ(texture->deviceTexture(), made.get());
    EXPECT_EQ(texture->hasAlpha(), format == D3DFMT_A8R8G8B8);
    RefPtr<Image> image = texture->toImage();
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 3u);
    EXPECT_EQ(image->height(), 5u);
    EXPECT_EQ(image->format(), ImageFormat::kBgra);
  }
  RefPtr<Texture> none(new Texture(RefPtr<DeviceTexture>(), "none", kTag));
  EXPECT_EQ(none->toImage(), nullptr);
  EXPECT_FALSE(none->hasAlpha());
}

TEST_F(TextureTest, LastReferenceReleasesTheDeviceTexture) {
  RefPtr<Texture> texture(new Texture(tga24File("released.tga"), *device, kTag));
  const std::int64_t id = device->idOf(texture->deviceTexture());
  EXPECT_EQ(device->callCount("releaseTexture"), 0);
  texture.reset();
  ASSERT_EQ(device->callCount("releaseTexture"), 1);
  EXPECT_EQ(device->lastCall("releaseTexture")->ints[0], id);
}

TEST_F(TextureTest, DefaultFilterIsLinear) {
  RefPtr<Texture> texture(new Texture(nullptr, "filtered", *device, kTag));
  EXPECT_EQ(texture->filterMode(), Texture::kFilterLinear);
  texture->setFilterMode(Texture::kFilterPoint);
  EXPECT_EQ(texture->filterMode(), 0u);
}

class TextureManagerTest : public ::testing::Test {
 protected:
  RefPtr<RecordingDevice> device{new RecordingDevice(true)};
  RefPtr<TextureManager> manager{new TextureManager(device, kTag)};
};

TEST_F(TextureManagerTest, SamePathGivesOneTextureReadOnce) {
  const std::string path = tga24File("cached.tga");
  RefPtr<Texture> first = manager->createFromFile(path);
  std::filesystem::remove(path);  // a second read would now fail
  RefPtr<Texture> second = manager->createFromFile(path);
  EXPECT_EQ(first.get(), second.get());
  EXPECT_EQ(device->callCount("createTexture"), 1);
  EXPECT_EQ(device->contents(second->deviceTexture()), kTga24AsBgra);
  EXPECT_EQ(first->tag(), kTag);
  EXPECT_EQ(manager->size(), 1u);
}

TEST_F(TextureManagerTest, PathsThatDifferInCaseAreTwoTextures) {
  const std::string path = tga24File("Mixed.tga");
  const std::string lower = testfiles::scratchPath("mixed.tga");
  Texture* a = manager->createFromFile(path);
  Texture* b = manager->createFromFile(lower);
  EXPECT_NE(a, b);
  EXPECT_EQ(manager->size(), 2u);
  EXPECT_EQ(a->name(), path);
  EXPECT_EQ(b->name(), lower);
  // Both find the one file through the case-insensitive resolver.
  EXPECT_EQ(device->contents(b->deviceTexture()), kTga24AsBgra);
}

TEST_F(TextureManagerTest, ArchiveMembersAreKeyedByMemberNameAndNeverFlipped) {
  const std::string jpeg = halvesJpeg("member.jpg");
  const std::string archivePath = testfiles::scratchPath("textures.pk3");
  ASSERT_TRUE(testfiles::writeZip(archivePath, {{"models/skin.jpg", testfiles::readFile(jpeg)},
                                                {"models/skin.tga", testfiles::tga2x2()}}));
  ZipArchive archive(archivePath);
  Texture* skin = manager->createFromArchive(archive, "models/skin.jpg");
  EXPECT_EQ(skin->name(), "models/skin.jpg");
  EXPECT_TRUE(firstRowIsRed(*device, *skin));  // the file's top (red) row stays first
  Texture* tga = manager->createFromArchive(archive, "MODELS/SKIN.TGA");
  EXPECT_EQ(device->contents(tga->deviceTexture()), kTga24AsBgra);

  archive.close();
  EXPECT_EQ(manager->createFromArchive(archive, "models/skin.jpg"), skin);
  EXPECT_EQ(device->callCount("createTexture"), 2);
}

TEST_F(TextureManagerTest, NamedImageIsCachedAndLaterImagesAreIgnored) {
  const Bytes first = {1, 2, 3};
  const Bytes second = {7, 8, 9};
  Image a(1, 1, ImageFormat::kBgr, first.data());
  Image b(1, 1, ImageFormat::kBgr, second.data());
  Texture* made = manager->createFromImage(&a, "Terrain");
  EXPECT_EQ(manager->createFromImage(&b, "Terrain"), made);
  EXPECT_EQ(device->contents(made->deviceTexture()), (Bytes{1, 2, 3, 255}));
  EXPECT_EQ(manager->find("Terrain"), made);
  EXPECT_EQ(manager->find("terrain"), nullptr);
}

TEST_F(TextureManagerTest, RemoveForgetsTheKeyButHoldersKeepTheTexture) {
  const Bytes first = {1, 2, 3};
  const Bytes second = {7, 8, 9};
  Image a(1, 1, ImageFormat::kBgr, first.data());
  Image b(1, 1, ImageFormat::kBgr, second.data());
  RefPtr<Texture> held = manager->createFromImage(&a, "Terrain");
  EXPECT_EQ(held->referenceCount(), 2u);
  manager->remove("terrain");  // exact keys only
  EXPECT_EQ(manager->size(), 1u);
  manager->remove("Terrain");
  EXPECT_EQ(manager->size(), 0u);
  EXPECT_EQ(held->referenceCount(), 1u);
  EXPECT_EQ(device->callCount("releaseTexture"), 0);

  RefPtr<Texture> replaced = manager->createFromImage(&b, "Terrain");
  EXPECT_EQ(device->callCount("createTexture"), 2);
  EXPECT_NE(device->idOf(replaced->deviceTexture()), device->idOf(held->deviceTexture()));
  EXPECT_EQ(device->contents(replaced->deviceTexture()), (Bytes{7, 8, 9, 255}));
  EXPECT_EQ(device->contents(held->deviceTexture()), (Bytes{1, 2, 3, 255}));
}

TEST_F(TextureManagerTest, DestroyingTheManagerReleasesEveryEntry) {
  manager->createFromFile(tga24File("one.tga"));
  manager->createFromImage(nullptr, "two");
  EXPECT_EQ(device->liveObjectCount(), 2);
  manager.reset();
  EXPECT_EQ(device->liveObjectCount(), 0);
  EXPECT_EQ(device->callCount("releaseTexture"), 2);
}

TEST(TextureManagerHolderTest, HolderIsOneSlotFilledByItsOwner) {
  RefPtr<TextureManager>& holder = TextureManager::instance();
  EXPECT_EQ(&holder, &TextureManager::instance());
  EXPECT_FALSE(holder);
  RefPtr<RecordingDevice> device(new RecordingDevice(true));
  holder = new TextureManager(device, kTag);
  EXPECT_EQ(TextureManager::instance()->tag(), kTag);
  holder.reset();
}

}  // namespace
