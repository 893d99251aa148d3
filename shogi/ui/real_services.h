// The game program's real sound and record files: the audio interface on the SDL2_mixer
// layer with the voice clips from the program's resources, and the record slots as the
// files kifu01.dat .. kifu05.dat in the current directory.
#pragma once

#include <QObject>

#include "shogi/sound/mixer_audio.h"
#include "shogi/ui/game_audio.h"
#include "shogi/ui/record_store.h"

namespace shogi::ui {

// The WAVE bytes of the voice clip of that name from the program's resources.
std::vector<uint8_t> ClipFromResources(std::string_view name);

class MixerGameAudio : public GameAudio {
 public:
  // Without a sound device the game plays silently, and says so once on stderr.
  MixerGameAudio();
  ~MixerGameAudio() override;

  bool PlaySoundResource(std::string_view name) override;
  void ReadMoveAloud(const GameHistory& gs) override;
  bool ClipsIdle() const override { return mixer_.IsIdle(); }
  bool StartOpeningMusic(const std::string& file) override { return mixer_.OpenMusic(file); }
  bool StartTrack(const std::string& file) override { return mixer_.OpenMusic(file); }
  void StopMusic() override { mixer_.CloseMusic(); }
  void SetMusicNotify(std::function<void()> notify) override;

  bool DeviceOpen() const { return mixer_.IsOpen(); }

 private:
  QObject context_;  // queued work for the window thread dies with this object
  sound::MixerAudio mixer_;
};

class FileRecordStore : public RecordStore {
 public:
  bool Save(const GameHistory& gs, int slot, std::string* why = nullptr) override;
  int Load(GameHistory& gs, int slot) override;
};

}  // namespace shogi::ui
