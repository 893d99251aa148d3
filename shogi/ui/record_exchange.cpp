// Records from and to other programs: opening KIF, KIFU and CSA files (by the open command or
// by dropping them on the window), pasting a game, writing the game out and copying it.
#include <QClipboard>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>

#include "shogi/records/record_file.h"
#include "shogi/ui/game_controller.h"
#include "shogi/ui/move_checks.h"
#include "shogi/ui/shogi_view.h"

namespace shogi::ui {

namespace {

QString U(const std::string& s) {
  return QString::fromStdString(s);
}

}  // namespace

void CGameController::ShowRefusal(const QString& text) {
  QMessageBox box(QMessageBox::Warning, QString::fromUtf8("棋譜"), text, QMessageBox::Ok, &view_);
  ask_(box);
}

bool CGameController::TakeRecord(const records::GameRecord& record, const QString& source) {
  records::ReadError error;
  const int count = records::PutIntoGame(record, gs(), &error);
  if (count >= 0) ps_.computer->NewGame();  // the game starts afresh from the record
  if (count < 0) {
    ShowRefusal(QString::fromUtf8("棋譜を読み込めません：%1\n%2").arg(source, U(error.Text())));
    return false;
  }
  loadedEnding_ = record.ending;
  startTime_ = record.startTime;
  EnterReplay(count);
  return true;
}

bool CGameController::OpenRecordFile(const QString& path) {
  if (!CommandEnabled(Command::kOpenFile, ps_.turn, ps_.runningFromCd)) return false;
  const QString name = QFileInfo(path).fileName();
  const auto refuse = [&](const std::string& why) {
    ShowRefusal(QString::fromUtf8("棋譜を読み込めません：%1\n%2").arg(name, U(why)));
    return false;
  };
  const auto format = records::FormatOfPath(path.toStdString());
  if (!format || *format == records::Format::kSfen || *format == records::Format::kSlot)
    return refuse("KIF・KIFU・CSA・USIのファイルではありません");
  // Read without waiting: a pipe or a device at the name is refused, not waited on.
  std::string bytes;
  if (records::ReadRegularFile(path.toStdString(), records::kMaxForeignRecordBytes, bytes) !=
      records::RecordFileSystem::ReadStatus::kOk)
    return refuse("ファイルを開けません");
  if (bytes.size() > records::kMaxForeignRecordBytes) return refuse("棋譜にしては大きすぎます");
  records::ReadError error;
  const auto record = records::ReadGame(bytes, *format, &error);
  if (!record) return refuse(error.Text());
  return TakeRecord(*record, name);
}

void CGameController::OnOpenRecordFile() {
  if (!CommandEnabled(Command::kOpenFile, ps_.turn, ps_.runningFromCd)) return;
  QFileDialog dlg(&view_, QString::fromUtf8("棋譜ファイルを開く"), QString(),
                  QString::fromUtf8("棋譜ファイル (*.kif *.kifu *.csa)"));
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setAcceptMode(QFileDialog::AcceptOpen);
  if (ask_(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  OpenRecordFile(dlg.selectedFiles().front());
}

void CGameController::OnPasteRecord() {
  if (!CommandEnabled(Command::kPaste, ps_.turn, ps_.runningFromCd)) return;
  const QByteArray text = QGuiApplication::clipboard()->text().toUtf8();
  records::ReadError error;
  const auto record =
      records::ReadPastedGame(std::string_view(text.constData(), text.size()), &error);
  const QString source = QString::fromUtf8("クリップボード");
  if (!record) {
    ShowRefusal(QString::fromUtf8("棋譜を読み込めません：%1\n%2").arg(source, U(error.Text())));
    return;
  }
  TakeRecord(*record, source);
}

records::GameRecord CGameController::RecordToWrite() const {
  const GameHistory& g = gs();
  records::GameRecord r;
  if (ps_.turn == Turn::kReplay) {
    r = records::RecordOfGame(g, ps_.replayLastMove, loadedEnding_);
  } else if (ps_.turn == Turn::kPlayerToMove) {
    r = records::RecordOfGame(g, g.moveNumber, records::Ending::kInterrupt);
  } else {
    // A finished game ended in mate, in a resignation or at the move limit.
    r = records::RecordOfGame(g, g.moveNumber);
    if (r.ending == records::Ending::kNone && g.moveNumber > 0 && g.moveNumber < kMaxMoves)
      r.ending = records::Ending::kResign;
  }
  r.startTime = startTime_;
  return r;
}

void CGameController::OnExportRecord() {
  if (!CommandEnabled(Command::kExport, ps_.turn, ps_.runningFromCd)) return;
  const QString kif = QString::fromUtf8("KIF (*.kif)");
  const QString kifu = QString::fromUtf8("KIFU (*.kifu)");
  const QString csa = QString::fromUtf8("CSA (*.csa)");
  QFileDialog dlg(&view_, QString::fromUtf8("棋譜を書き出す"), QString(),
                  kif + ";;" + kifu + ";;" + csa);
  dlg.setAcceptMode(QFileDialog::AcceptSave);
  dlg.setFileMode(QFileDialog::AnyFile);
  if (ask_(dlg) != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return;
  QString path = dlg.selectedFiles().front();
  auto format = records::FormatOfPath(path.toStdString());
  if (!format || (*format != records::Format::kKif && *format != records::Format::kKifu &&
                  *format != records::Format::kCsa)) {
    const QString filter = dlg.selectedNameFilter();
    const char* suffix = filter == csa ? ".csa" : filter == kifu ? ".kifu" : ".kif";
    path += suffix;
    format = records::FormatOfPath(path.toStdString());
  }
  const auto bytes = records::WriteGame(RecordToWrite(), *format);
  bool ok = false;
  if (bytes) {
    auto& fs = records::DefaultFileSystem();
    const std::string target = path.toStdString();
    const std::string temporary = records::TemporaryPathFor(target);
    ok = fs.WriteAll(temporary, *bytes) == records::RecordFileSystem::WriteStatus::kOk &&
         fs.Rename(temporary, target);
    if (!ok) fs.Remove(temporary);
  }
  if (!ok)
    ShowRefusal(
        QString::fromUtf8("棋譜を書き出せませんでした：%1").arg(QFileInfo(path).fileName()));
}

void CGameController::OnCopySfen() {
  if (!CommandEnabled(Command::kCopySfen, ps_.turn, ps_.runningFromCd)) return;
  const GameHistory& g = gs();
  const records::GameRecord r = records::RecordOfGame(g, g.moveNumber, records::Ending::kInterrupt);
  if (const auto sfen = records::SfenAfter(r, g.moveNumber))
    QGuiApplication::clipboard()->setText(U(*sfen));
}

void CGameController::OnCopyKif() {
  if (!CommandEnabled(Command::kCopyKif, ps_.turn, ps_.runningFromCd)) return;
  if (const auto text = records::WriteGame(RecordToWrite(), records::Format::kKifu))
    QGuiApplication::clipboard()->setText(U(*text));
}

}  // namespace shogi::ui
