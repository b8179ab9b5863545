#include "image/Texture.h"

#include <algorithm>

#include "foundation/Path.h"
#include "foundation/StringUtils.h"

namespace {

// B, G, R, A of the placeholder that stands in for a picture that could not be had.
constexpr std::uint8_t kPlaceholderPixel[4] = {0xFF, 0x00, 0xFF, 0xFF};

// 0x190A here is the library's own luminance-alpha format (16 bits), not the HLS marker, since
// HLS images are 24 or 32 bits.
bool formatHasAlpha(std::uint32_t format) {
  return format == ImageFormat::kRgba || format == ImageFormat::kBgra || format == ImageFormat::kHls;
}

}  // namespace

Texture::Texture(const std::string& path, GraphicsDevice& device, std::uint32_t tag)
    : textureName(path), creatorTag(tag) {
  Image image(path);
  const std::string extension = toLower(Path(path).extension());
  if (extension == ".jpg" || extension == ".jpeg") image.flip();
  upload(image, device);
}

Texture::Texture(const Image* image, const std::string& name, GraphicsDevice& device,
                 std::uint32_t tag)
    : textureName(name), creatorTag(tag) {
  if (image) {
    Image copy(*image);
    upload(copy, device);
  } else {
    Image empty;
    upload(empty, device);
  }
}

Texture::Texture(RefPtr<DeviceTexture> wrapped, const std::string& name, std::uint32_t tag)
    : textureName(name),
      creatorTag(tag),
      alpha(wrapped && wrapped->format() == D3DFMT_A8R8G8B8),
      texture(std::move(wrapped)) {}

void Texture::upload(Image& image, GraphicsDevice& device) {
  bool usable = !image.isEmpty();
  bool withAlpha = false;
  if (usable) {
    const std::uint32_t bits = image.bitsPerPixel();
    withAlpha = bits == 32 ? true : bits == 24 ? false : formatHasAlpha(image.format());
    image.convert(ImageFormat::kBgra);
    usable = image.format() == ImageFormat::kBgra && image.bitsPerPixel() == 32;
  }

  const std::uint32_t width = usable ? image.width() : 1;
  const std::uint32_t height = usable ? image.height() : 1;
  alpha = usable && withAlpha;
  RefPtr<DeviceTexture> made;
  if (deviceFailed(device.createTexture(width, height, alpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8, made)) ||
      !made) {
    return;
  }
  texture = made;

  D3DSURFACE_DESC desc;
  if (deviceFailed(texture->getLevelDesc(0, desc))) return;
  D3DLOCKED_RECT locked;
  if (deviceFailed(texture->lockRect(0, locked, 0)) || !locked.pBits) return;
  if (usable) {
    // The device may have made another size than asked for; stay inside the level.
    image.copyTo(locked.pBits, locked.Pitch, desc.Height, desc.Width * 4);
  } else {
    auto* row = static_cast<std::uint8_t*>(locked.pBits);
    for (std::uint32_t y = 0; y < desc.Height; ++y, row += locked.Pitch) {
      for (std::uint32_t x = 0; x < desc.Width; ++x) std::copy(kPlaceholderPixel, kPlaceholderPixel + 4, row + 4 * x);
    }
  }
  texture->unlockRect(0);
}

RefPtr<Image> Texture::toImage() const {
  if (!texture) return nullptr;
  D3DSURFACE_DESC desc;
  if (deviceFailed(texture->getLevelDesc(0, desc))) return nullptr;
  RefPtr<Image> image(new Image(desc.Width, desc.Height, ImageFormat::kBgra, nullptr));
  D3DLOCKED_RECT locked;
  if (deviceFailed(texture->lockRect(0, locked, 0))) return nullptr;
  image->copyFrom(locked.pBits, locked.Pitch);
  texture->unlockRect(0);
  return image;
}
