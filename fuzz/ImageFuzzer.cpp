// Image files from anywhere: the header probe, then decoding by content and by a ".tga" name (TGA
// has no signature), then what a texture does with the result (conversion and a bounded copy into
// a device texture). Any input must decode to a picture whose fields describe its pixels, or be
// refused.
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/RecordingDevice.h"
#include "image/Image.h"
#include "image/ImageProbe.h"
#include "image/Texture.h"

namespace {

void useDecoded(const unsigned char* bytes, std::size_t size, const std::string& label) {
  Image image(bytes, size, label);
  if (image.isEmpty()) return;
  // Touch the first and last pixel byte the fields promise.
  const std::uint8_t* pixels = image.data();
  const std::size_t total = std::size_t(image.rowBytes()) * image.height();
  volatile std::uint8_t sink = pixels[0];
  sink = pixels[total - 1];
  (void)sink;
  RefPtr<RecordingDevice> device(new RecordingDevice(true));
  Texture texture(&image, label, *device, 1);
  image.convert(ImageFormat::kHls);
  image.convert(ImageFormat::kRgb);
  image.flip();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)probeImageExtent(data, size, "fuzz.tga");
  (void)probeImageExtent(data, size, "fuzz");
  useDecoded(data, size, "fuzz");
  useDecoded(data, size, "fuzz.tga");
  return 0;
}
