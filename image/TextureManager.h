#pragma once
#include <cstdint>
#include <map>
#include <string>

#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"
#include "image/Texture.h"

class Image;
class ZipArchive;

// Hands out textures by name and keeps them, so that every file, archive member or named image
// becomes at most one device texture. Keys are compared exactly (letter case counts). The
// returned pointers are owned by the cache; callers keep them in a RefPtr.
class TextureManager : public RefCounted {
 public:
  TextureManager(RefPtr<GraphicsDevice> device, std::uint32_t tag);
  ~TextureManager() override = default;

  // The program's texture manager holder, null until the application fills it.
  static RefPtr<TextureManager>& instance();

  // Keyed by path.
  Texture* createFromFile(const std::string& path);
  // Keyed by memberName; the member is decoded from memory and never flipped.
  Texture* createFromArchive(ZipArchive& archive, const std::string& memberName);
  // Keyed by name; on a hit image is ignored.
  Texture* createFromImage(const Image* image, const std::string& name);

  // Forgets the texture kept under exactly that name; materials still holding it keep it alive.
  void remove(const std::string& name);
  // The texture kept under that name, or null.
  Texture* find(const std::string& name) const;
  std::size_t size() const { return textures.size(); }

  std::uint32_t tag() const { return creatorTag; }
  GraphicsDevice* device() const { return graphicsDevice.get(); }

 private:
  Texture* store(const std::string& key, Texture* texture);

  std::map<std::string, RefPtr<Texture>> textures;
  RefPtr<GraphicsDevice> graphicsDevice;
  std::uint32_t creatorTag;
};
