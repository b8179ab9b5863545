#include "device/GlHeadlessContext.h"

#include <epoxy/egl.h>

#include "foundation/Logger.h"

namespace {

EGLDisplay sharedDisplay = EGL_NO_DISPLAY;
int displayUsers = 0;

EGLDisplay acquireDisplay() {
  if (displayUsers == 0) {
    if (!epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_MESA_platform_surfaceless") &&
        !epoxy_has_egl_extension(EGL_NO_DISPLAY, "EGL_EXT_platform_base")) {
      return EGL_NO_DISPLAY;
    }
    EGLDisplay display =
        eglGetPlatformDisplayEXT(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
    if (display == EGL_NO_DISPLAY) return EGL_NO_DISPLAY;
    EGLint major = 0, minor = 0;
    if (!eglInitialize(display, &major, &minor)) return EGL_NO_DISPLAY;
    sharedDisplay = display;
  }
  ++displayUsers;
  return sharedDisplay;
}

void releaseDisplay() {
  if (displayUsers > 0 && --displayUsers == 0) {
    eglTerminate(sharedDisplay);
    sharedDisplay = EGL_NO_DISPLAY;
  }
}

}  // namespace

std::unique_ptr<GlHeadlessContext> GlHeadlessContext::create() {
  EGLDisplay display = acquireDisplay();
  if (display == EGL_NO_DISPLAY) {
    Logger::instance().line(2) << "Couldn't open the headless EGL display" << std::endl;
    return nullptr;
  }
  std::unique_ptr<GlHeadlessContext> result(new GlHeadlessContext());
  result->display = display;

  if (!epoxy_has_egl_extension(display, "EGL_KHR_surfaceless_context") ||
      !eglBindAPI(EGL_OPENGL_API)) {
    Logger::instance().line(2) << "Headless EGL has no surfaceless OpenGL" << std::endl;
    return nullptr;
  }
  // Without windows the platform offers no window-surface configurations, so ask for none.
  const EGLint configAttributes[] = {EGL_RENDERABLE_TYPE, EGL_OPENGL_BIT, EGL_SURFACE_TYPE,
                                     EGL_DONT_CARE, EGL_NONE};
  EGLConfig config = nullptr;
  EGLint configCount = 0;
  if (!eglChooseConfig(display, configAttributes, &config, 1, &configCount) || configCount < 1) {
    Logger::instance().line(2) << "No EGL configuration for OpenGL" << std::endl;
    return nullptr;
  }
  const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION,
                                      3,
                                      EGL_CONTEXT_MINOR_VERSION,
                                      3,
                                      EGL_CONTEXT_OPENGL_PROFILE_MASK,
                                      EGL_CONTEXT_OPENGL_CORE_PROFILE_BIT,
                                      EGL_NONE};
  EGLContext context = eglCreateContext(display, config, EGL_NO_CONTEXT, contextAttributes);
  if (context == EGL_NO_CONTEXT) {
    Logger::instance().line(2) << "Couldn't create an OpenGL 3.3 core context" << std::endl;
    return nullptr;
  }
  result->context = context;
  if (!result->makeCurrent()) {
    Logger::instance().line(2) << "Couldn't make the headless context current" << std::endl;
    return nullptr;
  }
  return result;
}

GlHeadlessContext::~GlHeadlessContext() {
  if (!display) return;
  if (context) {
    if (eglGetCurrentContext() == context)
      eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    eglDestroyContext(display, context);
  }
  releaseDisplay();
}

bool GlHeadlessContext::makeCurrent() {
  if (eglGetCurrentContext() == context) return true;
  return eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, context) == EGL_TRUE;
}
