// elDraw: the display. One window (or the full screen), a renderer and a back buffer of the
// configured screen size that is drawn into and then presented.
#pragma once

#include <SDL.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace el {

// Owners of SDL's windows, renderers and textures.
struct SdlDestroyer {
  void operator()(SDL_Window* p) const { SDL_DestroyWindow(p); }
  void operator()(SDL_Renderer* p) const { SDL_DestroyRenderer(p); }
  void operator()(SDL_Texture* p) const { SDL_DestroyTexture(p); }
};
using SdlWindowPtr = std::unique_ptr<SDL_Window, SdlDestroyer>;
using SdlRendererPtr = std::unique_ptr<SDL_Renderer, SdlDestroyer>;
using SdlTexturePtr = std::unique_ptr<SDL_Texture, SdlDestroyer>;

struct DisplayConfig {
  std::string title = "MOVE";
  int width = 480;        // client area, and size of the back buffer
  int height = 316;       // client area, and size of the back buffer
  int hiddenTopRows = 4;  // rows at the top of the client area that are cut away in a window
};

enum class DisplayMode { kWindow, kFullScreen, kQuit };

// How to run on a display of the given depth: a window from 16 bits per pixel up; below that
// the person is asked (ask returns true for yes) whether to run full screen, and no means quit.
template <typename Ask>
DisplayMode ChooseDisplayMode(int bitsPerPixel, Ask&& ask) {
  if (bitsPerPixel >= 16) return DisplayMode::kWindow;
  return ask() ? DisplayMode::kFullScreen : DisplayMode::kQuit;
}

// How much of the back buffer the window shows.
enum class WindowCut {
  kCrop,  // a borderless window without the hidden top rows, placed as if they were there
  kNone,  // full screen: the whole back buffer, scaled to fit
};

class elDraw {
 public:
  elDraw() = default;
  elDraw(const elDraw&) = delete;
  elDraw& operator=(const elDraw&) = delete;
  ~elDraw() { Destroy(); }

  // Display set-up. Returns false when the program is to end: the person declined full screen
  // on a display below 16 bits per pixel, or no window could be made (then error() says why).
  bool Create(const DisplayConfig& config);
  void Destroy();
  bool created() const { return window_ != nullptr; }
  // After a failed Create(): true when the person declined full screen.
  bool declined() const { return declined_; }
  const std::string& error() const { return error_; }

  // Clears the back buffer to black.
  void Clear();
  // Copies the back buffer to the window and shows it.
  void Present();
  // Brings the window to the front (restoring it when minimized).
  void Raise();

  SDL_Window* window() const { return window_.get(); }
  SDL_Renderer* renderer() const { return renderer_.get(); }
  Uint32 windowId() const { return window_ ? SDL_GetWindowID(window_.get()) : 0; }
  WindowCut cut() const { return cut_; }
  const DisplayConfig& config() const { return config_; }

  // Makes the back buffer the drawing target again (drawing operations do this themselves).
  void SelectBackBuffer();
  // Reads the back buffer as ARGB8888 pixels, width * height of them; for checks.
  bool ReadBackBuffer(std::vector<uint32_t>* pixels);

 private:
  bool CreateWindowed();
  bool CreateFullScreen();
  bool CreateRendererAndBuffer();

  DisplayConfig config_;
  SdlWindowPtr window_;
  SdlRendererPtr renderer_;
  SdlTexturePtr backBuffer_;
  WindowCut cut_ = WindowCut::kNone;
  bool declined_ = false;
  std::string error_;
};

}  // namespace el
