// The scripted-input format (--input): any text must parse or be refused line by line.
#include <cstddef>
#include <cstdint>
#include <string>

#include "foundation/ScriptedInputSource.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  ScriptedInputSource script;
  script.loadText(std::string(reinterpret_cast<const char*>(data), size));
  (void)script.lastEventFrame();
  return 0;
}
