#include "el_system.h"

#include <cstdio>
#include <mutex>
#include <utility>

namespace el {
namespace {

std::mutex g_hookMutex;
MessageHook g_hook;
SDL_Window* g_parent = nullptr;

// When no box can be shown (no message system, no fonts on the X server), the text goes to
// standard error rather than nowhere.
void ReportUnshown(const std::string& title, const std::string& text) {
  std::fprintf(stderr, "%s: %s\n", title.c_str(), text.c_str());
}

MessageAnswer ShowRealBox(MessageKind kind, const std::string& title, const std::string& text,
                          SDL_Window* parent) {
  if (kind == MessageKind::kError) {
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, title.c_str(), text.c_str(), parent) != 0) {
      ReportUnshown(title, text);
    }
    return MessageAnswer::kOk;
  }
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "いいえ"},
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "はい"},
  };
  SDL_MessageBoxData data{};
  data.flags = SDL_MESSAGEBOX_INFORMATION;
  data.window = parent;
  data.title = title.c_str();
  data.message = text.c_str();
  data.numbuttons = SDL_arraysize(buttons);
  data.buttons = buttons;
  int pressed = 0;
  if (SDL_ShowMessageBox(&data, &pressed) != 0) {
    ReportUnshown(title, text);
    return MessageAnswer::kNo;
  }
  return pressed == 1 ? MessageAnswer::kYes : MessageAnswer::kNo;
}

MessageAnswer Show(MessageKind kind, const std::string& title, const std::string& text) {
  MessageHook hook;
  SDL_Window* parent = nullptr;
  {
    std::lock_guard lock(g_hookMutex);
    hook = g_hook;
    parent = g_parent;
  }
  if (hook) return hook(kind, title, text);
  return ShowRealBox(kind, title, text, parent);
}

}  // namespace

bool elSystem::Init() {
  if (video_) return true;
  // SDL's own SIGINT/SIGTERM handlers would only queue a quit event; keep the default actions
  // so that the launcher can always be stopped.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
    const std::string error = SDL_GetError();
    SDL_Quit();
    SDL_SetError("%s", error.c_str());
    return false;
  }
  video_ = true;
  // Without a sound device the movie plays silently.
  audio_ = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
  return true;
}

void elSystem::Shutdown() {
  if (!video_) return;
  SetMessageParent(nullptr);
  SDL_Quit();
  video_ = false;
  audio_ = false;
}

MessageHook elSystem::SetMessageHook(MessageHook hook) {
  std::lock_guard lock(g_hookMutex);
  return std::exchange(g_hook, std::move(hook));
}

void elSystem::SetMessageParent(SDL_Window* window) {
  std::lock_guard lock(g_hookMutex);
  g_parent = window;
}

void elSystem::ErrorBox(std::string_view operation, std::string_view message) {
  std::string text;
  text.append(operation).append(" : ").append(message);
  Show(MessageKind::kError, std::string(kErrorTitle), text);
}

bool elSystem::Ask(const std::string& title, const std::string& text) {
  return Show(MessageKind::kQuestion, title, text) == MessageAnswer::kYes;
}

bool elKeyboard::HandleEvent(const SDL_Event& event) {
  if (event.type == SDL_KEYDOWN) {
    down_.insert(event.key.keysym.sym);
    pressed_.insert(event.key.keysym.sym);
    return true;
  }
  if (event.type == SDL_KEYUP) {
    down_.erase(event.key.keysym.sym);
    return true;
  }
  return false;
}

bool elKeyboard::TakePress(SDL_Keycode key) {
  return pressed_.erase(key) != 0;
}

}  // namespace el
