#include "foundation/InputSource.h"

namespace {

InputSource*& installedSource() {
  static InputSource* source = nullptr;
  return source;
}

}  // namespace

void InputSource::install(InputSource* source) { installedSource() = source; }

InputSource* InputSource::installed() { return installedSource(); }
