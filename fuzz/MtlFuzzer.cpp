// The MTL reader: any text must give materials or nothing. Textures are made on a recording
// device, so the map statements' file names go all the way to the texture cache.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "device/RecordingDevice.h"
#include "image/TextureManager.h"
#include "loaders/MtlLibrary.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static RefPtr<RecordingDevice> device = new RecordingDevice(true);
  device->clearCalls();  // the record would otherwise grow with every input
  TextureManager textures(device, 1);
  MtlLibrary library(&textures);
  library.loadText(std::string_view(reinterpret_cast<const char*>(data), size), "/nonexistent-fuzz-dir/m.mtl");
  for (const char* name : {"robot_body", "robot_joints", "hull", ""}) {
    if (Material* material = library.find(name)) (void)material->getColor();
  }
  return 0;
}
