#include "shogi/engine/computer_player.h"

#include <vector>

#include "shogi/engine/clock.h"
#include "shogi/engine/deep_search.h"

namespace shogi {

ComputerPlayer::ComputerPlayer(OpeningBook& book) : book_(book) {
  ResetScratch(*scratch_);
  ResetSearch(*search_);
}

ComputerPlayer::~ComputerPlayer() {
  Abandon();
}

void ComputerPlayer::NewGame() {
  Abandon();
  ResetScratch(*scratch_);
  ResetSearch(*search_);
}

template <class Fn>
void ComputerPlayer::Launch(const GameHistory& game, int64_t deadline, Fn&& think) {
  Abandon();
  *work_ = game;
  search_->stopThink.store(0, std::memory_order_relaxed);
  search_->thinkDeadline.store(deadline, std::memory_order_relaxed);
  search_->progressTotal.store(0, std::memory_order_relaxed);
  search_->progressDone.store(0, std::memory_order_relaxed);
  done_.store(false, std::memory_order_relaxed);
  thread_ = std::thread([this, think] {
    result_ = think();
    done_.store(true, std::memory_order_release);
  });
}

void ComputerPlayer::Start(const GameHistory& game, int64_t deadline) {
  Launch(game, deadline, [this] { return ThinkDriver(*work_, *scratch_, *search_, book_); });
}

void ComputerPlayer::StartMateSearch(const GameHistory& game, int64_t deadline) {
  Launch(game, deadline, [this] {
    // The searches read the position before the coming move at moveNumber - 1.
    work_->moveNumber += 1;
    search_->thinkCut = 0;
    std::vector<MoveRec> line;
    ThinkResult r;
    r.depth = SolveMate(*work_, *scratch_, *search_, line);
    work_->moveNumber -= 1;
    for (const MoveRec& m : line) {
      if (r.lineLength == static_cast<int>(r.line.size())) break;
      r.line[r.lineLength++] = m;
    }
    r.cut = r.depth < 0;
    return r;
  });
}

std::optional<ThinkResult> ComputerPlayer::TakeResult() {
  if (!Ready()) return std::nullopt;
  thread_.join();
  return result_;
}

ThinkResult ComputerPlayer::Wait() {
  if (!Busy()) return ThinkResult{};
  thread_.join();
  return result_;
}

void ComputerPlayer::Stop() {
  search_->stopThink.store(1, std::memory_order_relaxed);
}

void ComputerPlayer::SetDeadline(int64_t steadyNanos) {
  search_->thinkDeadline.store(steadyNanos, std::memory_order_relaxed);
}

void ComputerPlayer::Abandon() {
  if (!Busy()) return;
  Stop();
  thread_.join();
  search_->thinkDeadline.store(0, std::memory_order_relaxed);
}

ComputerPlayer::Progress ComputerPlayer::CurrentProgress() const {
  return {search_->progressDone.load(std::memory_order_relaxed),
          search_->progressTotal.load(std::memory_order_relaxed)};
}

}  // namespace shogi
