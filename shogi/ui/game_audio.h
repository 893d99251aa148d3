// The game program's sound and music, as the game and music controllers call them. They
// decide when a sound is due and check the settings (soundOn for effects, readAloud for the
// read-out, music on or off) before they call; an implementation only plays.
//
// Threading: every call comes from the window thread and returns at once (no call waits for
// a clip to finish). Clips queue and play one after another in the order of the calls.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "shogi/rules/game_state.h"

namespace shogi::ui {

class GameAudio {
 public:
  virtual ~GameAudio() = default;

  // Queues the voice clip of that resource name, e.g. "IDSOUND_KOMA", "IDSOUND_OUTE",
  // "IDSOUND_ONEGAI", "IDSOUND_MATTA", "IDSOUND_THANKS", "IDSOUND_MAKE". Returns false when
  // no such clip exists (nothing is heard, nothing is reported).
  virtual bool PlaySoundResource(std::string_view name) = 0;

  // Queues the read-out of move record gs.moveNumber: the side clip, the square (or
  // IDSOUND_ONAJI), the piece clip and IDSOUND_NARI, chosen from gs as the game's rules for
  // reading moves say. Everything needed is read from gs before the call returns; gs may
  // change afterwards. Called only when readAloud is on.
  virtual void ReadMoveAloud(const GameHistory& gs) = 0;

  // True when no clip is playing and none is queued. The view polls it on its 100 ms timer:
  // the computer waits with its thinking until the player's move has been spoken in full.
  virtual bool ClipsIdle() const = 0;

  // Music, one piece at a time on one device.
  // Opens and plays the opening piece (file name as given, relative to the current
  // directory, normally "BGM00.mid"). Returns false when it cannot be opened.
  virtual bool StartOpeningMusic(const std::string& file) = 0;
  // Opens and plays a track file (programDir + "BGM0n.mid"). Returns false when it cannot be
  // opened; then no notification follows.
  virtual bool StartTrack(const std::string& file) = 0;
  // Closes the music device. A piece that was playing counts as ended: its notification
  // follows. Closing when nothing plays does nothing and notifies nothing.
  virtual void StopMusic() = 0;
  // Sets the notification the view wants exactly once for every piece started successfully,
  // when it ends or is stopped. The implementation may call it from any thread; it posts to
  // the window thread itself.
  virtual void SetMusicNotify(std::function<void()> notify) = 0;
};

}  // namespace shogi::ui
