// elSystem: start and end of the media library, its message boxes and the keyboard.
#pragma once

#include <SDL.h>

#include <functional>
#include <set>
#include <string>
#include <string_view>

namespace el {

// What a message box asks for and what the person answered.
enum class MessageKind { kError, kQuestion };
enum class MessageAnswer { kOk, kYes, kNo };

// Shows one message box and returns the answer. The default shows a real SDL message box;
// tests and headless runs install their own, because a real box never returns without a person.
using MessageHook = std::function<MessageAnswer(MessageKind kind, const std::string& title,
                                                const std::string& text)>;

// Title of every error box of the media library.
inline constexpr std::string_view kErrorTitle = "エラー発生";

class elSystem {
 public:
  elSystem() = default;
  elSystem(const elSystem&) = delete;
  elSystem& operator=(const elSystem&) = delete;
  ~elSystem() { Shutdown(); }

  // Starts SDL's video and event services, and its audio when a device driver is there.
  // Returns false when there is no video at all.
  bool Init();
  void Shutdown();
  bool audioAvailable() const { return audio_; }

  // Replaces the message box (an empty hook restores the real one). Returns the previous hook.
  static MessageHook SetMessageHook(MessageHook hook);
  // Window that message boxes are shown over; may be null.
  static void SetMessageParent(SDL_Window* window);

  // The error box: title "エラー発生", text "<operation> : <message>".
  static void ErrorBox(std::string_view operation, std::string_view message);
  // A yes/no question; true for yes.
  static bool Ask(const std::string& title, const std::string& text);

 private:
  bool video_ = false;
  bool audio_ = false;
};

// Keyboard state kept from SDL's key events.
class elKeyboard {
 public:
  // Feed every event here; returns true when it was a key event.
  bool HandleEvent(const SDL_Event& event);
  bool IsDown(SDL_Keycode key) const { return down_.count(key) != 0; }
  // True when the key was pressed (auto-repeat included) since the last call for that key.
  bool TakePress(SDL_Keycode key);

 private:
  std::set<SDL_Keycode> down_;
  std::set<SDL_Keycode> pressed_;
};

}  // namespace el
