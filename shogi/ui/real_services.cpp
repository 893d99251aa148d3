#include "shogi/ui/real_services.h"

#include <QFile>
#include <QMetaObject>
#include <cstdio>

#include "shogi/records/record_file.h"
#include "shogi/sound/read_out.h"

namespace shogi::ui {

std::vector<uint8_t> ClipFromResources(std::string_view name) {
  QFile file(QStringLiteral(":/sounds/%1.wav")
                 .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()))));
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray bytes = file.readAll();
  return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

MixerGameAudio::MixerGameAudio() : mixer_(ClipFromResources) {
  if (!mixer_.IsOpen())
    std::fputs("shogi: no sound device could be opened; the game plays without sound\n", stderr);
  // The mixer's threads only ask for a Pump on the window thread.
  mixer_.SetWakeFunction([this] {
    QMetaObject::invokeMethod(
        &context_, [this] { mixer_.Pump(); }, Qt::QueuedConnection);
  });
}

MixerGameAudio::~MixerGameAudio() {
  mixer_.SetWakeFunction(nullptr);
}

bool MixerGameAudio::PlaySoundResource(std::string_view name) {
  if (!mixer_.LoadClip(name)) return false;
  mixer_.PlayClip(name);
  return true;
}

void MixerGameAudio::ReadMoveAloud(const GameHistory& gs) {
  for (const std::string& clip : sound::ReadMoveAloud(gs)) mixer_.PlayClip(clip);
}

void MixerGameAudio::SetMusicNotify(std::function<void()> notify) {
  mixer_.SetPieceEndedCallback(std::move(notify));
}

bool FileRecordStore::Save(const GameHistory& gs, int slot, std::string* why) {
  const std::string file = records::SlotFileName(slot);
  return !file.empty() && records::SaveRecord(gs, file, records::DefaultFileSystem(), why);
}

int FileRecordStore::Load(GameHistory& gs, int slot) {
  const std::string file = records::SlotFileName(slot);
  if (file.empty()) return -1;
  const records::LoadResult result = records::LoadRecord(file, gs);
  return result.Loaded() ? result.replayLastMove : -1;
}

}  // namespace shogi::ui
