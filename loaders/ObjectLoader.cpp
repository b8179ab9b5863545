#include "loaders/ObjectLoader.h"

#include "engine/Renderer.h"
#include "foundation/Logger.h"
#include "foundation/Path.h"
#include "image/TextureManager.h"
#include "loaders/ObjLoader.h"

ObjectLoader::ObjectLoader(RefPtr<TextureManager> textures, RefPtr<Renderer> renderer)
    : textures(std::move(textures)), renderer(std::move(renderer)) {}

ObjectLoader::~ObjectLoader() = default;

RefPtr<ObjectLoader>& ObjectLoader::instance() {
  static RefPtr<ObjectLoader> holder;
  return holder;
}

RefPtr<Model> ObjectLoader::loadObject(const std::string& path) {
  auto found = prototypes.find(path);
  if (found == prototypes.end()) {
    if (failures.unchanged(path)) return nullptr;
    RefPtr<Model> model = read(path);
    if (!model) {
      failures.record(path);
      return nullptr;
    }
    failures.remove(path);
    found = prototypes.insert_or_assign(path, std::move(model)).first;
  }
  return found->second->clone();
}

const Model* ObjectLoader::prototype(const std::string& path) const {
  const auto found = prototypes.find(path);
  return found == prototypes.end() ? nullptr : found->second.get();
}

RefPtr<Model> ObjectLoader::read(const std::string& path) {
  const std::string extension = Path(path).extension();
  Logger& log = Logger::instance();
  if (extension == ".obj") {
    return ObjLoader(path, textures.get())
        .createModel(options.keepMaterialColours, options.recomputeNormals, options.flipTexCoordV);
  }
  if (extension == ".x") {
    if (!renderer) {
      log.line(2) << "No renderer to load " << path << std::endl;
      return nullptr;
    }
    return loadXFile(path, textures.get(), options);
  }
  if (extension == ".lwo") {
    log.line(2) << "LightWave objects are not supported: " << path << std::endl;
  } else {
    log.line(2) << "Unknown object file type: " << path << std::endl;
  }
  return nullptr;
}
