#include "image/TextureManager.h"

#include "image/Image.h"

TextureManager::TextureManager(RefPtr<GraphicsDevice> device, std::uint32_t tag)
    : graphicsDevice(std::move(device)), creatorTag(tag) {}

RefPtr<TextureManager>& TextureManager::instance() {
  static RefPtr<TextureManager> holder;
  return holder;
}

Texture* TextureManager::createFromFile(const std::string& path) {
  if (Texture* cached = find(path)) return cached;
  return store(path, new Texture(path, *graphicsDevice, creatorTag));
}

Texture* TextureManager::createFromArchive(ZipArchive& archive, const std::string& memberName) {
  if (Texture* cached = find(memberName)) return cached;
  const Image image(archive, memberName);
  return store(memberName, new Texture(&image, memberName, *graphicsDevice, creatorTag));
}

Texture* TextureManager::createFromImage(const Image* image, const std::string& name) {
  if (Texture* cached = find(name)) return cached;
  return store(name, new Texture(image, name, *graphicsDevice, creatorTag));
}

void TextureManager::remove(const std::string& name) { textures.erase(name); }

Texture* TextureManager::find(const std::string& name) const {
  const auto found = textures.find(name);
  return found == textures.end() ? nullptr : found->second.get();
}

Texture* TextureManager::store(const std::string& key, Texture* texture) {
  textures[key] = texture;
  return texture;
}
