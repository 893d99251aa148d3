#include "el_draw.h"

#include <algorithm>

#include "el_system.h"

namespace el {
namespace {

constexpr Uint32 kPixelFormat = SDL_PIXELFORMAT_ARGB8888;

// Where a window of the full client size would be placed: centred on the first display.
SDL_Point CentredOrigin(int width, int height) {
  SDL_Rect bounds{0, 0, width, height};
  if (SDL_GetDisplayBounds(0, &bounds) != 0) return {0, 0};
  return {bounds.x + (bounds.w - width) / 2, bounds.y + (bounds.h - height) / 2};
}

}  // namespace

bool elDraw::Create(const DisplayConfig& config) {
  Destroy();
  config_ = config;
  config_.hiddenTopRows = std::clamp(config_.hiddenTopRows, 0, config_.height - 1);
  error_.clear();
  declined_ = false;

  // SDL names every direct-colour format; a display it cannot name (X11 PseudoColor, for one)
  // has a palette, so it counts as below 16 bits.
  SDL_DisplayMode mode{};
  int bits = 32;
  if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
    bits = static_cast<int>(SDL_BITSPERPIXEL(mode.format));
  }
  const DisplayMode choice = ChooseDisplayMode(bits, [&] {
    return elSystem::Ask(config_.title,
                         "画面の色数が16ビット未満です。フルスクリーンで実行しますか？");
  });
  if (choice == DisplayMode::kQuit) {
    declined_ = true;
    return false;
  }

  const bool made = choice == DisplayMode::kFullScreen ? CreateFullScreen() : CreateWindowed();
  if (!made || !CreateRendererAndBuffer()) {
    error_ = SDL_GetError();
    Destroy();
    return false;
  }
  elSystem::SetMessageParent(window_.get());
  Clear();
  Present();
  return true;
}

bool elDraw::CreateWindowed() {
  const int w = config_.width;
  const int h = config_.height;
  const SDL_Point origin = CentredOrigin(w, h);

  // The client area without its top rows: a borderless window just as high as the part that
  // is shown, placed where that part of a centred full-height client area would be. (SDL's
  // shaped windows would do the same with a mask, but on X11 with SDL 2.26 they stay off
  // screen and unshaped.)
  const int shown = h - config_.hiddenTopRows;
  window_.reset(SDL_CreateWindow(config_.title.c_str(), origin.x, origin.y + config_.hiddenTopRows,
                                 w, shown, SDL_WINDOW_BORDERLESS | SDL_WINDOW_ALWAYS_ON_TOP));
  cut_ = WindowCut::kCrop;
  return window_ != nullptr;
}

bool elDraw::CreateFullScreen() {
  window_.reset(SDL_CreateWindow(config_.title.c_str(), SDL_WINDOWPOS_CENTERED,
                                 SDL_WINDOWPOS_CENTERED, config_.width, config_.height,
                                 SDL_WINDOW_FULLSCREEN_DESKTOP));
  cut_ = WindowCut::kNone;
  return window_ != nullptr;
}

bool elDraw::CreateRendererAndBuffer() {
  renderer_.reset(SDL_CreateRenderer(window_.get(), -1, 0));
  if (renderer_ == nullptr) return false;
  backBuffer_.reset(SDL_CreateTexture(renderer_.get(), kPixelFormat, SDL_TEXTUREACCESS_TARGET,
                                      config_.width, config_.height));
  return backBuffer_ != nullptr;
}

void elDraw::Destroy() {
  if (window_ != nullptr) elSystem::SetMessageParent(nullptr);
  // The texture belongs to the renderer and the renderer to the window: freed in that order.
  backBuffer_.reset();
  renderer_.reset();
  window_.reset();
}

void elDraw::SelectBackBuffer() {
  if (renderer_ != nullptr) SDL_SetRenderTarget(renderer_.get(), backBuffer_.get());
}

void elDraw::Clear() {
  if (renderer_ == nullptr) return;
  SelectBackBuffer();
  SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
  SDL_RenderClear(renderer_.get());
}

void elDraw::Present() {
  if (renderer_ == nullptr) return;
  SDL_SetRenderTarget(renderer_.get(), nullptr);
  SDL_SetRenderDrawColor(renderer_.get(), 0, 0, 0, 255);
  SDL_RenderClear(renderer_.get());
  SDL_Rect src{0, 0, config_.width, config_.height};
  SDL_Rect dst = src;
  if (cut_ == WindowCut::kCrop) {
    src.y = config_.hiddenTopRows;
    src.h -= config_.hiddenTopRows;
    dst = {0, 0, src.w, src.h};
  } else if (cut_ == WindowCut::kNone) {
    // Full screen: as large as fits, keeping the shape, centred on black.
    int outW = 0;
    int outH = 0;
    SDL_GetRendererOutputSize(renderer_.get(), &outW, &outH);
    const double scale = std::min(static_cast<double>(outW) / config_.width,
                                  static_cast<double>(outH) / config_.height);
    dst.w = static_cast<int>(config_.width * scale);
    dst.h = static_cast<int>(config_.height * scale);
    dst.x = (outW - dst.w) / 2;
    dst.y = (outH - dst.h) / 2;
  }
  SDL_RenderCopy(renderer_.get(), backBuffer_.get(), &src, &dst);
  SDL_RenderPresent(renderer_.get());
  SelectBackBuffer();
}

void elDraw::Raise() {
  if (window_ == nullptr) return;
  if (SDL_GetWindowFlags(window_.get()) & SDL_WINDOW_MINIMIZED) SDL_RestoreWindow(window_.get());
  SDL_ShowWindow(window_.get());
  SDL_RaiseWindow(window_.get());
}

bool elDraw::ReadBackBuffer(std::vector<uint32_t>* pixels) {
  if (renderer_ == nullptr) return false;
  SelectBackBuffer();
  pixels->assign(static_cast<size_t>(config_.width) * config_.height, 0);
  return SDL_RenderReadPixels(renderer_.get(), nullptr, kPixelFormat, pixels->data(),
                              config_.width * 4) == 0;
}

}  // namespace el
