// The ".x" path: any bytes go through assimp and the conversion into engine meshes, which must keep
// every index inside its mesh's vertices; the length of the input picks the options.
//
// By default each input goes the program's way, through the trial child process (about 20 inputs
// a second). With TESTBED_XFILE_IN_PROCESS=1 assimp reads in this process, about a hundred times
// faster: run it with -fork=N -ignore_crashes=1, and every crash it saves is a library fault that
// the trial guards against; replaying those files without the variable shows the program's answer.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "device/RecordingDevice.h"
#include "engine/MeshInstance.h"
#include "image/TextureManager.h"
#include "loaders/XFileLoader.h"

// assimp's ".x" parser leaks what it had built when it gives up on a broken file; those leaks are
// the library's (the stacks are inside libassimp), not this program's.
extern "C" const char* __lsan_default_suppressions() { return "leak:libassimp.so\n"; }

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  const char* inProcess = std::getenv("TESTBED_XFILE_IN_PROCESS");
  if (inProcess && std::strcmp(inProcess, "1") == 0) setXFileTrialImport(false);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static RefPtr<RecordingDevice> device = new RecordingDevice(true);
  device->clearCalls();  // the record would otherwise grow with every input
  TextureManager textures(device, 1);
  ModelLoadOptions options;
  options.keepMaterialColours = size & 1;
  options.recomputeNormals = size & 2;
  options.flipTexCoordV = size & 4;
  RefPtr<Model> model = loadXFileFromMemory(data, size, "/nonexistent-fuzz-dir/m.x", &textures, options);
  if (!model) return 0;
  for (const RefPtr<MeshInstance>& instance : model->instances()) {
    const Mesh& mesh = *instance->mesh();
    for (std::uint16_t index : mesh.indices()) {
      if (index >= mesh.vertexCount()) __builtin_trap();
    }
  }
  return 0;
}
