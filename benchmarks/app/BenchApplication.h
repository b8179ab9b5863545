#pragma once
#include <memory>

#include "app/OffscreenSurface.h"
#include "app/TestApplication.h"

// The test application of a benchmark process: one for the whole run, built on first use like the
// program's singletons, so that the renderer is released before it at exit. The engine has one
// renderer, so a run measures one kind of device, the first one asked for (madeFor tells which);
// setUp fills the settings and the timer before the application is made.
inline TestApplication& benchApplication(OffscreenSurface::Kind kind, void (*setUp)(),
                                         OffscreenSurface::Kind& madeFor) {
  static OffscreenSurface::Kind firstKind = kind;
  static TestApplication* app = [setUp] {
    setUp();
    static TestApplication instance;
    instance.setSurfaceFactory([](const SurfaceRequest& request) -> std::unique_ptr<RenderSurface> {
      return OffscreenSurface::create(firstKind, request);
    });
    instance.init();
    return &instance;
  }();
  madeFor = firstKind;
  return *app;
}
