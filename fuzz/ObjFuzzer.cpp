// The OBJ reader: any text must load what it can. Every mesh it builds has only indices inside its
// vertices and at most the vertices 16-bit indices name; the length of the input picks the flags.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "engine/MeshInstance.h"
#include "loaders/ObjLoader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  // A directory that does not exist: libraries the text names are looked for and not found.
  ObjLoader loader(text, "/nonexistent-fuzz-dir/model.obj", nullptr);
  RefPtr<Model> model = loader.createModel(size & 1, size & 2, size & 4);
  if (!model) return 0;
  for (const RefPtr<MeshInstance>& instance : model->instances()) {
    const Mesh& mesh = *instance->mesh();
    if (mesh.vertexCount() > ObjLoader::kMaxMeshVertices || mesh.indexCount() == 0) __builtin_trap();
    for (std::uint16_t index : mesh.indices()) {
      if (index >= mesh.vertexCount()) __builtin_trap();
    }
  }
  (void)model->clone();
  return 0;
}
