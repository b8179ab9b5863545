#include "app/MainWindow.h"

#include <algorithm>

#include "foundation/Logger.h"
#include "device/GlDevice.h"

namespace {

// A client area of less than one pixel cannot hold a frame buffer.
int atLeastOnePixel(int size) { return std::max(size, 1); }

}  // namespace

std::unique_ptr<MainWindow> MainWindow::create(const SurfaceRequest& request) {
  // SIGINT and SIGTERM stay the program's own (an orderly stop), not a quit event of SDL's.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
    Logger::instance().line(2) << "Couldn't open the window: " << SDL_GetError() << std::endl;
    return nullptr;
  }
  std::unique_ptr<MainWindow> self(new MainWindow());
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 24);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 8);

  const int width = atLeastOnePixel(request.width);
  const int height = atLeastOnePixel(request.height);
  // SDL places and sizes the client area; the frame is added around it.
  self->window = SDL_CreateWindow(request.title.c_str(), request.x, request.y, width, height,
                                  SDL_WINDOW_OPENGL | SDL_WINDOW_SHOWN | SDL_WINDOW_RESIZABLE);
  if (!self->window) {
    Logger::instance().line(2) << "Couldn't open the window: " << SDL_GetError() << std::endl;
    return nullptr;
  }
  self->glContext = SDL_GL_CreateContext(self->window);
  if (!self->glContext || SDL_GL_MakeCurrent(self->window, self->glContext) != 0) {
    Logger::instance().line(2) << "Couldn't create the OpenGL context: " << SDL_GetError()
                               << std::endl;
    return nullptr;
  }
  // Vertical sync where the driver offers it; pacing otherwise comes from the device alone.
  SDL_GL_SetSwapInterval(1);

  MainWindow* raw = self.get();
  RefPtr<GlDevice> device = GlDevice::createForCurrentContext(width, height, [raw] { raw->swapBuffers(); });
  if (!device) return nullptr;
  self->glDevice = device.get();
  self->graphicsDevice = device;
  self->input.setClientOrigin(self->clientX(), self->clientY());
  return self;
}

MainWindow::~MainWindow() {
  // The device's GL objects go while their context is still current.
  glDevice = nullptr;
  graphicsDevice.reset();
  if (glContext) SDL_GL_DeleteContext(glContext);
  if (window) SDL_DestroyWindow(window);
  SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool MainWindow::processEvents() {
  SDL_Event event;
  bool resized = false;
  while (SDL_PollEvent(&event)) {
    input.handleEvent(event);
    if (event.type == SDL_QUIT) closed = true;
    if (event.type != SDL_WINDOWEVENT) continue;
    switch (event.window.event) {
      case SDL_WINDOWEVENT_CLOSE:
        closed = true;
        break;
      case SDL_WINDOWEVENT_MOVED:
        input.setClientOrigin(event.window.data1, event.window.data2);
        break;
      case SDL_WINDOWEVENT_MINIMIZED:
        minimised = true;
        break;
      case SDL_WINDOWEVENT_RESTORED:
      case SDL_WINDOWEVENT_MAXIMIZED:
        // The drawable's size decides whether there is an area again.
        minimised = false;
        hasArea = true;
        resized = true;
        break;
      case SDL_WINDOWEVENT_SIZE_CHANGED:
        // Some systems report a minimised window as a client area of 0 x 0.
        hasArea = event.window.data1 > 0 && event.window.data2 > 0;
        resized = true;
        break;
      default:
        break;
    }
  }
  if (resized && !closed) followClientSize();
  if (closed && window) SDL_HideWindow(window);
  return !closed;
}

void MainWindow::waitForEvents(int timeoutMs) { SDL_WaitEventTimeout(nullptr, timeoutMs); }

void MainWindow::followClientSize() {
  if (!hasArea || !glDevice) return;
  int width = 0, height = 0;
  SDL_GL_GetDrawableSize(window, &width, &height);
  hasArea = width > 0 && height > 0;
  if (!hasArea) return;
  if (width == glDevice->backBufferWidth() && height == glDevice->backBufferHeight()) return;
  if (glDevice->resizeWindow(width, height)) {
    Logger::instance().line(1) << "Window resized to " << width << " x " << height << std::endl;
  } else {
    Logger::instance().line(2) << "Couldn't resize the back buffer to " << width << " x " << height
                               << std::endl;
  }
}

int MainWindow::clientWidth() const {
  int w = 0, h = 0;
  if (window) SDL_GetWindowSize(window, &w, &h);
  return w;
}

int MainWindow::clientHeight() const {
  int w = 0, h = 0;
  if (window) SDL_GetWindowSize(window, &w, &h);
  return h;
}

int MainWindow::clientX() const {
  int x = 0, y = 0;
  if (window) SDL_GetWindowPosition(window, &x, &y);
  return x;
}

int MainWindow::clientY() const {
  int x = 0, y = 0;
  if (window) SDL_GetWindowPosition(window, &x, &y);
  return y;
}

InputSource* MainWindow::inputSource() { return &input; }

bool MainWindow::requestCapture() {
  // The last capture stays until the next present replaces it, so that a loop ended by closing
  // the window still has the last presented frame.
  captureRequested = true;
  return true;
}

bool MainWindow::takeCapture(std::vector<std::uint8_t>& rgba, int& width, int& height) {
  if (!captureReady) return false;
  rgba = capture;
  width = captureWidth;
  height = captureHeight;
  return true;
}

void MainWindow::swapBuffers() {
  if (captureRequested && graphicsDevice) {
    captureReady = graphicsDevice->readFrame(capture, captureWidth, captureHeight) >= 0;
    captureRequested = false;
  }
  SDL_GL_SwapWindow(window);
}
