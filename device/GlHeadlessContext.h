#pragma once
#include <memory>

// An OpenGL 3.3 core context on Mesa's surfaceless EGL platform: no window, no X server. Drawing
// goes to framebuffer objects. The EGL display is shared by all contexts of the process and
// terminated with the last one.
class GlHeadlessContext {
 public:
  // Null (with a log line) when EGL or the context cannot be had.
  static std::unique_ptr<GlHeadlessContext> create();
  ~GlHeadlessContext();

  GlHeadlessContext(const GlHeadlessContext&) = delete;
  GlHeadlessContext& operator=(const GlHeadlessContext&) = delete;

  bool makeCurrent();

 private:
  GlHeadlessContext() = default;

  void* display = nullptr;
  void* context = nullptr;
};
