#pragma once
#include <cstdint>
#include <string>

#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"
#include "image/Image.h"
#include "device/GraphicsDevice.h"

// A named device texture of one level made from an Image. The image's rows land in the texture's
// rows in the order the image holds them; JPEG files are flipped on loading, so every texture made
// from a file has its picture's bottom row first. An image that is neither 24 nor 32 bits is made
// 32 bits first; an image without pixels (a failed load) becomes a 1 × 1 opaque magenta
// placeholder, so a texture always has a device texture unless the device refused to make one.
class Texture : public RefCounted {
 public:
  // Filter modes a material applies to the stage that samples this texture.
  static constexpr std::uint32_t kFilterPoint = 0;
  static constexpr std::uint32_t kFilterLinear = 1;

  // Loads the file; a ".jpg" or ".jpeg" extension in any case flips the picture vertically first.
  Texture(const std::string& path, GraphicsDevice& device, std::uint32_t tag);
  // Uploads a copy of image (the caller's image keeps its format); null uploads the placeholder.
  Texture(const Image* image, const std::string& name, GraphicsDevice& device, std::uint32_t tag);
  // Wraps a texture the caller made; hasAlpha follows its format.
  Texture(RefPtr<DeviceTexture> texture, const std::string& name, std::uint32_t tag);

  // Level 0 read back as an IL_BGRA image; null without a device texture or when it cannot be
  // locked.
  RefPtr<Image> toImage() const;

  DeviceTexture* deviceTexture() const { return texture.get(); }
  const std::string& name() const { return textureName; }
  std::uint32_t tag() const { return creatorTag; }
  // True when made from a picture with alpha (A8R8G8B8); X8R8G8B8 textures sample alpha as 1.
  bool hasAlpha() const { return alpha; }
  std::uint32_t filterMode() const { return filter; }
  void setFilterMode(std::uint32_t mode) { filter = mode; }

 private:
  void upload(Image& image, GraphicsDevice& device);

  std::string textureName;
  std::uint32_t creatorTag = 0;
  bool alpha = false;
  RefPtr<DeviceTexture> texture;
  std::uint32_t filter = kFilterLinear;
};
