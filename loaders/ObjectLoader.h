#pragma once
#include <map>
#include <string>

#include "engine/Model.h"
#include "foundation/FailedFiles.h"
#include "foundation/RefCounted.h"
#include "foundation/RefPtr.h"
#include "loaders/XFileLoader.h"

class Renderer;
class TextureManager;

// The one entry point from a file to a Model, chosen by the extension as written (exactly, so
// ".X" is not ".x"): ".obj" through ObjLoader, ".x" through the DirectX reader (only while there is
// a renderer to draw it), ".lwo" and anything else give nothing. The first model read from a path
// is kept as its prototype; every caller gets a clone (own nodes, instances and materials, shared
// meshes), so one file is read once however often it is placed. Failures give null and are logged
// once: a later call for the same, unchanged file gives null quietly, and one for a file that was
// written, created or replaced since reads it again.
class ObjectLoader : public RefCounted {
 public:
  // Both are held; either may be null (no textures, or no ".x" files).
  ObjectLoader(RefPtr<TextureManager> textures, RefPtr<Renderer> renderer);
  ~ObjectLoader() override;

  // The program's object loader holder, null until the application fills it.
  static RefPtr<ObjectLoader>& instance();

  RefPtr<Model> loadObject(const std::string& path);

  // Read by the next file that is not yet a prototype.
  void setKeepMaterialColours(bool on) { options.keepMaterialColours = on; }
  void setRecomputeNormals(bool on) { options.recomputeNormals = on; }
  void setFlipTexCoordV(bool on) { options.flipTexCoordV = on; }
  const ModelLoadOptions& loadOptions() const { return options; }

  // The prototype kept for exactly that path, or null.
  const Model* prototype(const std::string& path) const;
  std::size_t prototypeCount() const { return prototypes.size(); }

 private:
  RefPtr<Model> read(const std::string& path);

  std::map<std::string, RefPtr<Model>> prototypes;
  FailedFiles failures;
  RefPtr<TextureManager> textures;
  RefPtr<Renderer> renderer;
  ModelLoadOptions options;
};
