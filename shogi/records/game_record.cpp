#include "shogi/records/game_record.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <memory>
#include <tuple>

#include "shogi/records/cp932.h"
#include "shogi/records/record_file.h"
#include "shogi/rules/coordinates.h"
#include "shogi/rules/legality.h"
#include "shogi/rules/notation.h"

namespace shogi::records {

namespace {

// ---------------------------------------------------------------------------------------
// Legality: every move from a file passes the rules' legality check; the computer's own generator
// has no say here.
struct Judge {
  bool Legal(const Position& pos, int side, const MoveRec& m) const {
    return IsLegalMove(pos, side, m);
  }
  bool AnyLegal(const Position& pos, int side) const { return HasLegalMove(pos, side); }
};

int SideOfMove(int firstMover, int moveIndex0) {
  return moveIndex0 % 2 == 0 ? firstMover : Opponent(firstMover);
}

// ---------------------------------------------------------------------------------------
// Small text helpers.

bool Eat(std::string_view& s, std::string_view token) {
  if (!s.starts_with(token)) return false;
  s.remove_prefix(token.size());
  return true;
}

void SkipBlanks(std::string_view& s) {
  for (;;) {
    if (!s.empty() && (s[0] == ' ' || s[0] == '\t')) {
      s.remove_prefix(1);
      continue;
    }
    if (!Eat(s, "　")) return;
  }
}

std::string_view Trim(std::string_view s) {
  SkipBlanks(s);
  for (;;) {
    if (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
      s.remove_suffix(1);
    else if (s.ends_with("　"))
      s.remove_suffix(3);
    else
      return s;
  }
}

std::vector<std::string_view> SplitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    std::string_view line = text.substr(0, end);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.push_back(line);
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

std::string Printf(const char* format, auto... args) {
  char buffer[160];
  const int n = std::snprintf(buffer, sizeof buffer, format, args...);
  return std::string(buffer, n > 0 ? std::min<std::size_t>(n, sizeof buffer - 1) : 0);
}

bool ValidUtf8(std::string_view s, bool& nonAscii) {
  nonAscii = false;
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    int extra = 0;
    if (c < 0x80) {
      ++i;
      continue;
    }
    nonAscii = true;
    if (c >= 0xC2 && c <= 0xDF)
      extra = 1;
    else if (c >= 0xE0 && c <= 0xEF)
      extra = 2;
    else if (c >= 0xF0 && c <= 0xF4)
      extra = 3;
    else
      return false;
    if (i + extra >= s.size()) return false;
    for (int k = 1; k <= extra; ++k)
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    i += extra + 1;
  }
  return true;
}

// The text of a file as UTF-8: a byte-order mark or valid UTF-8 with non-ASCII bytes is
// UTF-8, anything else is CP932. Nothing for bytes that are not text.
std::optional<std::string> DecodeText(std::string_view bytes) {
  if (bytes.find('\0') != std::string_view::npos) return std::nullopt;
  if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  bool nonAscii = false;
  if (ValidUtf8(bytes, nonAscii)) return std::string(bytes);
  return Cp932ToUtf8(bytes);
}

std::pair<int, int> Notation(int firstMover, int f, int r) {
  int file = 0, rank = 0;
  InternalToNotation(firstMover, f, r, file, rank);
  return {file, rank};
}

// Whether `side` may promote a piece moving between these internal squares.
bool InZone(int firstMover, int side, int rankIndex) {
  // Sente's zone is ranks 1..3 in notation.
  int file = 0, rank = 0;
  InternalToNotation(firstMover, 0, rankIndex, file, rank);
  return side == firstMover ? rank <= 3 : rank >= 7;
}

// Checks that the move fits the position (own piece or piece in hand, target not own) and
// gives the kind of the moving piece before the move.
std::optional<int> MovingKind(const Position& pos, int side, const MoveRec& m) {
  if (!OnBoard(m.toFile, m.toRank) || pos.Owner(m.toFile, m.toRank) == side) return std::nullopt;
  if (m.dropKind != 0) {
    if (m.dropKind < 1 || m.dropKind > 7 || pos.Hand(side, m.dropKind) <= 0) return std::nullopt;
    return m.dropKind;
  }
  if (!OnBoard(m.fromFile, m.fromRank) || pos.Owner(m.fromFile, m.fromRank) != side)
    return std::nullopt;
  const int kind = pos.KindAt(m.fromFile, m.fromRank);
  if (m.promote != 0 && !CanPromote(kind)) return std::nullopt;
  return kind;
}

// ---------------------------------------------------------------------------------------
// Names of pieces and endings.

constexpr std::array<std::string_view, 16> kKifNames = {"",   "歩", "香", "桂",   "銀",   "金",
                                                        "角", "飛", "と", "成香", "成桂", "成銀",
                                                        "",   "馬", "龍", "玉"};
constexpr std::array<std::string_view, 16> kCsaNames = {
    "", "FU", "KY", "KE", "GI", "KI", "KA", "HI", "TO", "NY", "NK", "NG", "", "UM", "RY", "OU"};
struct Alias {
  std::string_view name;
  int kind;
};
constexpr Alias kKifAliases[] = {
    {"成香", kProLance}, {"成桂", kProKnight}, {"成銀", kProSilver}, {"歩", kPawn},
    {"香", kLance},      {"桂", kKnight},      {"銀", kSilver},      {"金", kGold},
    {"角", kBishop},     {"飛", kRook},        {"と", kProPawn},     {"杏", kProLance},
    {"圭", kProKnight},  {"全", kProSilver},   {"馬", kHorse},       {"龍", kDragon},
    {"竜", kDragon},     {"玉", kKing},        {"王", kKing}};

struct EndingName {
  Ending ending;
  std::string_view kif;
  std::string_view csa;
};
constexpr EndingName kEndings[] = {
    {Ending::kResign, "投了", "%TORYO"},
    {Ending::kMate, "詰み", "%TSUMI"},
    {Ending::kInterrupt, "中断", "%CHUDAN"},
    {Ending::kRepetition, "千日手", "%SENNICHITE"},
    {Ending::kImpasse, "持将棋", "%JISHOGI"},
    {Ending::kTimeUp, "切れ負け", "%TIME_UP"},
    {Ending::kIllegalWin, "反則勝ち", "%ILLEGAL_MOVE"},
    {Ending::kIllegalLoss, "反則負け", "%ILLEGAL_MOVE"},
    {Ending::kEnteringKing, "入玉勝ち", "%KACHI"},
};

const EndingName& NameOfEnding(Ending e) {
  for (const auto& n : kEndings)
    if (n.ending == e) return n;
  return kEndings[2];  // a record that simply stops was interrupted
}

constexpr std::array<std::string_view, 10> kWideDigits = {"０", "１", "２", "３", "４",
                                                          "５", "６", "７", "８", "９"};
constexpr std::array<std::string_view, 10> kKanjiDigits = {"〇", "一", "二", "三", "四",
                                                           "五", "六", "七", "八", "九"};

int EatDigit(std::string_view& s) {
  if (!s.empty() && s[0] >= '1' && s[0] <= '9') {
    const int d = s[0] - '0';
    s.remove_prefix(1);
    return d;
  }
  for (int d = 1; d <= 9; ++d)
    if (Eat(s, kWideDigits[d]) || Eat(s, kKanjiDigits[d])) return d;
  return 0;
}

// ---------------------------------------------------------------------------------------
// Reading: the state shared by the readers.

struct Reader {
  GameRecord record;
  Position pos = StartPosition();
  Judge judge;
  ReadError* error = nullptr;
  bool haveSecondsComment = false;

  bool Fail(int line, std::string reason) {
    if (error) *error = ReadError{line, std::move(reason)};
    return false;
  }
  int Side() const { return SideOfMove(record.firstMover, static_cast<int>(record.moves.size())); }

  // Takes a move after the legality check.
  bool Take(int line, const MoveRec& m, int seconds) {
    if (record.moves.size() >= static_cast<std::size_t>(kMaxMoves))
      return Fail(line, "手数が多すぎます（" + std::to_string(kMaxMoves) + "手まで）");
    const int side = Side();
    if (!MovingKind(pos, side, m) || !judge.Legal(pos, side, m))
      return Fail(line, "指せない手です");
    ApplyMove(pos, m, side);
    record.moves.push_back(m);
    record.seconds.push_back(std::max(0, seconds));
    return true;
  }

  // Totals from the time columns when the file gives none of its own.
  void Finish() {
    if (haveSecondsComment) return;
    record.computerSeconds = record.playerSeconds = 0;
    for (std::size_t i = 0; i < record.seconds.size(); ++i) {
      const bool person = SideOfMove(record.firstMover, static_cast<int>(i)) == kPlayerSide;
      (person ? record.playerSeconds : record.computerSeconds) += record.seconds[i];
    }
  }

  // The two comment lines the game writes for what KIF and CSA have no place for.
  bool GameComment(int line, std::string_view text) {
    int a = 0, b = 0;
    const std::string t(text);
    if (std::sscanf(t.c_str(), "レベル：%d", &a) == 1) {
      if (a < 0 || a > 3) return Fail(line, "レベルは0から3です");
      record.level = a;
    } else if (std::sscanf(t.c_str(), "消費時間：Man %d秒、Com %d秒", &a, &b) == 2) {
      if (a < 0 || b < 0 || a > 99999999 || b > 99999999) return Fail(line, "消費時間が不正です");
      record.playerSeconds = a;
      record.computerSeconds = b;
      haveSecondsComment = true;
    }
    return true;
  }
};

bool IsEvenStart(const UsiPosition& u) {
  return u == UsiStartPosition();
}

constexpr std::string_view kNotEven = "平手の初期局面からの対局しか読み込めません";

// ---------------------------------------------------------------------------------------
// KIF.

struct KifMove {
  bool same = false;
  int file = 0, rank = 0;
  int kind = 0;
  bool promote = false, noPromote = false, drop = false;
  int fromFile = 0, fromRank = 0;  // 0 when not given
};

// Parses the move text of a KIF move line. Returns false for text that is no move.
bool ParseKifMove(std::string_view& s, KifMove& mv) {
  if (Eat(s, "同") || Eat(s, "仝")) {
    mv.same = true;
    SkipBlanks(s);
  } else {
    mv.file = EatDigit(s);
    mv.rank = EatDigit(s);
    if (mv.file == 0 || mv.rank == 0) return false;
  }
  for (const Alias& a : kKifAliases)
    if (Eat(s, a.name)) {
      mv.kind = a.kind;
      break;
    }
  if (mv.kind == 0) return false;
  // Words that tell apart two pieces in hand-written notation; the origin decides instead.
  static constexpr std::string_view kHints[] = {"右", "左", "直", "上", "寄", "引", "行", "入"};
  for (bool more = true; more;) {
    more = false;
    for (auto h : kHints) more = more || Eat(s, h);
  }
  if (Eat(s, "不成") || Eat(s, "生"))
    mv.noPromote = true;
  else if (Eat(s, "成"))
    mv.promote = true;
  else if (Eat(s, "打"))
    mv.drop = true;
  if (Eat(s, "(")) {
    if (s.size() < 3 || s[0] < '1' || s[0] > '9' || s[1] < '1' || s[1] > '9' || s[2] != ')')
      return false;
    mv.fromFile = s[0] - '0';
    mv.fromRank = s[1] - '0';
    s.remove_prefix(3);
  }
  return true;
}

// Reads "( m:ss/hh:mm:ss)" and gives the seconds of the move; 0 when absent.
bool ParseKifTime(std::string_view s, int& seconds) {
  seconds = 0;
  s = Trim(s);
  if (!s.empty() && s.back() == '+') s = Trim(s.substr(0, s.size() - 1));
  if (s.empty()) return true;
  const std::string t(s);
  int m = 0, sec = 0, h = 0, hm = 0, hs = 0;
  char close = 0;
  if (std::sscanf(t.c_str(), "( %d:%d/%d:%d:%d%c", &m, &sec, &h, &hm, &hs, &close) == 6 &&
      close == ')' && m >= 0 && m < 100000 && sec >= 0 && sec < 60) {
    seconds = m * 60 + sec;
    return true;
  }
  if (std::sscanf(t.c_str(), "( %d:%d%c", &m, &sec, &close) == 3 && close == ')' && m >= 0 &&
      m < 100000 && sec >= 0 && sec < 60) {
    seconds = m * 60 + sec;
    return true;
  }
  return false;
}

// The diagram of a KIF file: its nine rows, read into a position.
bool ParseDiagramRow(std::string_view row, int rank, UsiPosition& u) {
  Eat(row, "|");
  for (int file = 9; file >= 1; --file) {
    int color = UsiPosition::kBlack;
    if (Eat(row, "v"))
      color = UsiPosition::kWhite;
    else if (!Eat(row, " ") && !Eat(row, "^"))
      return false;
    if (Eat(row, "・")) continue;
    int kind = 0;
    for (const Alias& a : kKifAliases)
      if (a.name.size() == 3 && Eat(row, a.name)) {
        kind = a.kind;
        break;
      }
    if (kind == 0) return false;
    u.color[file][rank] = color;
    u.kind[file][rank] = kind;
  }
  return Eat(row, "|");
}

bool ReadKif(std::string_view text, Reader& rd) {
  const auto lines = SplitLines(text);
  UsiPosition diagram;
  diagram.sideToMove = UsiPosition::kBlack;
  int diagramRows = 0, diagramLine = 0;
  bool recognised = false, ended = false, inMoves = false;
  int lastFile = 0, lastRank = 0;
  for (std::size_t i = 0; i < lines.size() && !ended; ++i) {
    const int no = static_cast<int>(i) + 1;
    std::string_view line = Trim(lines[i]);
    if (line.empty() || line.starts_with("#") || line.starts_with("&")) continue;
    if (line.starts_with("*")) {
      if (!inMoves && !rd.GameComment(no, Trim(line.substr(1)))) return false;
      continue;
    }
    if (line.starts_with("変化：") || line.starts_with("変化:")) break;
    if (line.starts_with("手数＝") || line.starts_with("まで") || line.starts_with("手数--")) {
      recognised = recognised || line.starts_with("手数--");
      continue;
    }
    if (line.starts_with("|")) {
      if (diagramRows == 0) diagramLine = no;
      if (diagramRows >= 9 || !ParseDiagramRow(line, diagramRows + 1, diagram))
        return rd.Fail(no, "局面図の行が読めません");
      ++diagramRows;
      continue;
    }
    if (line.starts_with("+---") || line.starts_with("９ ８") || line.starts_with("9 8")) continue;
    if (line == "先手番" || line == "下手番") continue;
    if (line == "後手番" || line == "上手番") return rd.Fail(no, std::string(kNotEven));
    if (line[0] >= '0' && line[0] <= '9') {
      // A move line: its number, the move or an ending, the time column.
      std::string_view s = line;
      int number = 0;
      while (!s.empty() && s[0] >= '0' && s[0] <= '9' && number < 100000)
        number = number * 10 + (s.front() - '0'), s.remove_prefix(1);
      SkipBlanks(s);
      recognised = inMoves = true;
      if (number != static_cast<int>(rd.record.moves.size()) + 1)
        return rd.Fail(no, "手数が続いていません");
      bool isEnding = false;
      for (const auto& e : kEndings)
        if (s.starts_with(e.kif)) {
          rd.record.ending = e.ending;
          isEnding = ended = true;
          break;
        }
      if (isEnding) continue;
      if (s.starts_with("不詰") || s.starts_with("封じ手")) {
        rd.record.ending = Ending::kInterrupt;
        ended = true;
        continue;
      }
      KifMove mv;
      if (!ParseKifMove(s, mv)) return rd.Fail(no, "指し手が読めません");
      int seconds = 0;
      if (!ParseKifTime(s, seconds)) return rd.Fail(no, "消費時間が読めません");
      if (mv.same) {
        if (lastFile == 0) return rd.Fail(no, "「同」の前に指し手がありません");
        mv.file = lastFile;
        mv.rank = lastRank;
      }
      const int side = rd.Side();
      MoveRec m;
      NotationToInternal<int32_t>(rd.record.firstMover, mv.file, mv.rank, m.toFile, m.toRank);
      if (mv.drop) {
        if (mv.kind > kRook || mv.promote || mv.fromFile != 0)
          return rd.Fail(no, "指し手が読めません");
        m.dropKind = mv.kind;
      } else if (mv.fromFile != 0) {
        NotationToInternal<int32_t>(rd.record.firstMover, mv.fromFile, mv.fromRank, m.fromFile,
                                    m.fromRank);
        m.promote = mv.promote ? 1 : 0;
        const int at = rd.pos.Owner(m.fromFile, m.fromRank) == side
                           ? rd.pos.KindAt(m.fromFile, m.fromRank)
                           : 0;
        if (at != mv.kind) return rd.Fail(no, "移動元の駒が合いません");
      } else {
        // No origin: the one piece of that kind that can make the move, else a drop.
        std::vector<MoveRec> found;
        for (int f = 0; f < 9; ++f)
          for (int r = 0; r < 9; ++r)
            if (rd.pos.Owner(f, r) == side && rd.pos.KindAt(f, r) == mv.kind) {
              const MoveRec c{f, r, m.toFile, m.toRank, mv.promote ? 1 : 0, 0};
              if (MovingKind(rd.pos, side, c) && rd.judge.Legal(rd.pos, side, c))
                found.push_back(c);
            }
        if (found.size() > 1) return rd.Fail(no, "どの駒の指し手か決まりません");
        if (found.size() == 1) {
          m = found[0];
        } else if (mv.kind <= kRook && !mv.promote && !mv.noPromote) {
          m.dropKind = mv.kind;
        } else {
          return rd.Fail(no, "指せない手です");
        }
      }
      if (!rd.Take(no, m, seconds)) return false;
      lastFile = mv.file;
      lastRank = mv.rank;
      continue;
    }
    // A header line "key：value".
    const auto colon = line.find("：");
    const std::string_view key = Trim(line.substr(0, colon));
    const std::string_view value =
        colon == std::string_view::npos ? std::string_view() : Trim(line.substr(colon + 3));
    if (colon == std::string_view::npos) continue;  // text the game has no use for
    if (inMoves) continue;
    recognised = true;
    if (key == "手合割") {
      if (value != "平手") return rd.Fail(no, std::string(kNotEven));
    } else if (key == "先手" || key == "下手") {
      rd.record.firstMover = value == "Com" ? 2 : 1;
    } else if (key == "開始日時") {
      rd.record.startTime = std::string(value);
    } else if (key == "先手の持駒" || key == "後手の持駒" || key == "下手の持駒" ||
               key == "上手の持駒") {
      if (!value.empty() && value != "なし") return rd.Fail(no, std::string(kNotEven));
    }
  }
  if (diagramRows != 0 && (diagramRows != 9 || !IsEvenStart(diagram)))
    return rd.Fail(diagramLine, std::string(kNotEven));
  if (!recognised) return rd.Fail(0, "棋譜ではありません");
  rd.Finish();
  return true;
}

std::string PadTo(std::string text, int width) {
  // Full-width characters take two columns, as the other programs count them.
  int columns = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const int len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    columns += len == 1 ? 1 : 2;
    i += len;
  }
  text.append(static_cast<std::size_t>(std::max(1, width - columns)), ' ');
  return text;
}

std::string WinnerSentence(const GameRecord& rec) {
  const int n = static_cast<int>(rec.moves.size());
  const std::string lastMover = n % 2 == 1 ? "先手" : "後手";
  const std::string toMove = n % 2 == 1 ? "後手" : "先手";
  const std::string head = "まで" + std::to_string(n) + "手で";
  switch (rec.ending) {
    case Ending::kResign:
    case Ending::kMate:
    case Ending::kTimeUp:
    case Ending::kIllegalLoss:
      return head + lastMover + "の勝ち";
    case Ending::kIllegalWin:
    case Ending::kEnteringKing:
      return head + toMove + "の勝ち";
    case Ending::kRepetition:
      return head + "千日手";
    case Ending::kImpasse:
      return head + "持将棋";
    case Ending::kNone:
    case Ending::kInterrupt:
      break;
  }
  return head + "中断";
}

std::optional<std::string> WriteKif(const GameRecord& rec) {
  const bool personFirst = rec.firstMover == 1;
  std::string out;
  if (!rec.startTime.empty()) out += "開始日時：" + rec.startTime + "\n";
  out += "手合割：平手\n";
  out += std::string("先手：") + (personFirst ? "Man" : "Com") + "\n";
  out += std::string("後手：") + (personFirst ? "Com" : "Man") + "\n";
  out += Printf("*レベル：%d\n", rec.level);
  out += Printf("*消費時間：Man %d秒、Com %d秒\n", rec.playerSeconds, rec.computerSeconds);
  out += "手数----指手---------消費時間--\n";
  Position pos = StartPosition();
  int totals[3] = {};
  int lastTo = -1;
  for (std::size_t i = 0; i < rec.moves.size(); ++i) {
    const MoveRec& m = rec.moves[i];
    const int side = SideOfMove(rec.firstMover, static_cast<int>(i));
    const auto kind = MovingKind(pos, side, m);
    if (!kind) return std::nullopt;
    const auto [file, rank] = Notation(rec.firstMover, m.toFile, m.toRank);
    std::string text;
    if (m.toFile * 10 + m.toRank == lastTo) {
      text = "同　";
    } else {
      text = std::string(kWideDigits[file]) + std::string(kKanjiDigits[rank]);
    }
    text += kKifNames[*kind];
    if (m.dropKind != 0) {
      text += "打";
    } else {
      if (m.promote)
        text += "成";
      else if (CanPromote(*kind) &&
               (InZone(rec.firstMover, side, m.fromRank) || InZone(rec.firstMover, side, m.toRank)))
        text += "不成";
      const auto [ff, fr] = Notation(rec.firstMover, m.fromFile, m.fromRank);
      text += Printf("(%d%d)", ff, fr);
    }
    const int sec = i < rec.seconds.size() ? std::max(0, rec.seconds[i]) : 0;
    totals[side] += sec;
    const int t = totals[side];
    out += Printf("%4d ", static_cast<int>(i) + 1) + PadTo(text, 13) +
           Printf("(%2d:%02d/%02d:%02d:%02d)\n", sec / 60, sec % 60, t / 3600, t / 60 % 60, t % 60);
    ApplyMove(pos, m, side);
    lastTo = m.toFile * 10 + m.toRank;
  }
  out += Printf("%4d ", static_cast<int>(rec.moves.size()) + 1) +
         std::string(NameOfEnding(rec.ending).kif) + "\n";
  out += WinnerSentence(rec) + "\n";
  return out;
}

// ---------------------------------------------------------------------------------------
// CSA.

bool CsaBoardRow(std::string_view text, int rank, UsiPosition& u) {
  // Lines lose their trailing blanks on the way; an empty last square is " * ".
  std::string padded(text);
  if (padded.size() < 27) padded.resize(27, ' ');
  std::string_view row = padded;
  for (int file = 9; file >= 1; --file) {
    if (row.size() < 3) return false;
    const std::string_view cell = row.substr(0, 3);
    row.remove_prefix(3);
    if (cell == " * ") continue;
    const int color = cell[0] == '+'   ? UsiPosition::kBlack
                      : cell[0] == '-' ? UsiPosition::kWhite
                                       : 0;
    int kind = 0;
    for (int k = 1; k < 16; ++k)
      if (!kCsaNames[k].empty() && cell.substr(1) == kCsaNames[k]) kind = k;
    if (color == 0 || kind == 0) return false;
    u.color[file][rank] = color;
    u.kind[file][rank] = kind;
  }
  return Trim(row).empty();
}

bool ReadCsa(std::string_view text, Reader& rd) {
  const auto lines = SplitLines(text);
  UsiPosition board;
  int boardRows = 0, boardLine = 0;
  bool inMoves = false, ended = false, recognised = false;
  for (std::size_t i = 0; i < lines.size() && !ended; ++i) {
    const int no = static_cast<int>(i) + 1;
    const std::string_view whole = Trim(lines[i]);
    if (whole.starts_with("'")) {
      const std::string_view c = Trim(whole.substr(1));
      int a = 0, b = 0;
      const std::string t(c);
      if (!inMoves && std::sscanf(t.c_str(), "level %d", &a) == 1) {
        if (a < 0 || a > 3) return rd.Fail(no, "レベルは0から3です");
        rd.record.level = a;
      } else if (!inMoves && std::sscanf(t.c_str(), "seconds Man %d Com %d", &a, &b) == 2) {
        if (a < 0 || b < 0 || a > 99999999 || b > 99999999)
          return rd.Fail(no, "消費時間が不正です");
        rd.record.playerSeconds = a;
        rd.record.computerSeconds = b;
        rd.haveSecondsComment = true;
      }
      continue;
    }
    if (whole == "/") break;  // the next game of a multi-game file
    // Several statements may share one line, separated by commas.
    std::string_view rest = whole;
    while (!rest.empty() && !ended) {
      const auto comma = rest.find(',');
      std::string_view st = Trim(rest.substr(0, comma));
      rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
      if (st.empty()) continue;
      const char c = st[0];
      if (c == 'V') {
        recognised = true;
      } else if (c == 'N') {
        recognised = true;
        if (st.starts_with("N+") && st.substr(2) == "Com") rd.record.firstMover = 2;
      } else if (c == '$') {
        if (st.starts_with("$START_TIME:")) rd.record.startTime = std::string(st.substr(12));
      } else if (c == 'P') {
        recognised = true;
        if (inMoves) return rd.Fail(no, "指し手の後に局面があります");
        if (st.starts_with("PI")) {
          if (!Trim(st.substr(2)).empty()) return rd.Fail(no, std::string(kNotEven));
        } else if (st.size() >= 2 && st[1] >= '1' && st[1] <= '9') {
          if (boardRows == 0) boardLine = no;
          if (st[1] - '0' != boardRows + 1 || !CsaBoardRow(st.substr(2), boardRows + 1, board))
            return rd.Fail(no, "局面の行が読めません");
          ++boardRows;
        } else if (st.starts_with("P+") || st.starts_with("P-")) {
          if (!Trim(st.substr(2)).empty()) return rd.Fail(no, std::string(kNotEven));
        } else {
          return rd.Fail(no, "局面の行が読めません");
        }
      } else if ((c == '+' || c == '-') && st.size() == 1) {
        recognised = true;
        if (c == '-') return rd.Fail(no, std::string(kNotEven));
        if (boardRows != 0 && (boardRows != 9 || !IsEvenStart(board)))
          return rd.Fail(boardLine, std::string(kNotEven));
      } else if (c == '+' || c == '-') {
        recognised = true;
        if (boardRows != 0 && (boardRows != 9 || !IsEvenStart(board)))
          return rd.Fail(boardLine, std::string(kNotEven));
        inMoves = true;
        const int side = rd.Side();
        const bool senteToMove = side == rd.record.firstMover;
        if ((c == '+') != senteToMove) return rd.Fail(no, "手番が違います");
        if (st.size() != 7) return rd.Fail(no, "指し手が読めません");
        auto digit = [&](int k) { return st[k] >= '0' && st[k] <= '9' ? st[k] - '0' : -1; };
        const int ff = digit(1), fr = digit(2), tf = digit(3), tr = digit(4);
        int kind = 0;
        for (int k = 1; k < 16; ++k)
          if (!kCsaNames[k].empty() && st.substr(5) == kCsaNames[k]) kind = k;
        if (ff < 0 || fr < 0 || tf < 1 || tr < 1 || kind == 0)
          return rd.Fail(no, "指し手が読めません");
        MoveRec m;
        NotationToInternal<int32_t>(rd.record.firstMover, tf, tr, m.toFile, m.toRank);
        if (ff == 0 && fr == 0) {
          if (kind > kRook) return rd.Fail(no, "指し手が読めません");
          m.dropKind = kind;
        } else {
          if (ff < 1 || fr < 1) return rd.Fail(no, "指し手が読めません");
          NotationToInternal<int32_t>(rd.record.firstMover, ff, fr, m.fromFile, m.fromRank);
          const int at = rd.pos.Owner(m.fromFile, m.fromRank) == side
                             ? rd.pos.KindAt(m.fromFile, m.fromRank)
                             : 0;
          if (at == 0) return rd.Fail(no, "移動元の駒が合いません");
          if (kind != at) {
            if (!CanPromote(at) || kind != at + kPromoteOffset)
              return rd.Fail(no, "移動元の駒が合いません");
            m.promote = 1;
          }
        }
        if (!rd.Take(no, m, 0)) return false;
      } else if (c == 'T') {
        int sec = 0;
        const std::string t(st.substr(1));
        if (!inMoves || std::sscanf(t.c_str(), "%d", &sec) != 1 || sec < 0 || sec > 99999999)
          return rd.Fail(no, "消費時間が読めません");
        rd.record.seconds.back() = sec;
      } else if (c == '%') {
        recognised = true;
        ended = true;
        rd.record.ending = Ending::kInterrupt;
        for (const auto& e : kEndings)
          if (st == e.csa) {
            rd.record.ending = e.ending;
            break;
          }
        if (st == "%ILLEGAL_MOVE") rd.record.ending = Ending::kIllegalLoss;
        if (st == "%+ILLEGAL_ACTION" || st == "%-ILLEGAL_ACTION") {
          const bool senteToMove = rd.Side() == rd.record.firstMover;
          rd.record.ending =
              (st[1] == '+') == senteToMove ? Ending::kIllegalLoss : Ending::kIllegalWin;
        }
      } else {
        return rd.Fail(no, "読めない行です");
      }
    }
  }
  if (!recognised) return rd.Fail(0, "棋譜ではありません");
  if (boardRows != 0 && (boardRows != 9 || !IsEvenStart(board)))
    return rd.Fail(boardLine, std::string(kNotEven));
  rd.Finish();
  return true;
}

// CSA writes times as "YYYY/MM/DD HH:MM:SS" in ASCII; KIF files often add the weekday
// ("2024/01/05(金) 19:30:00"), which is left out. Empty when there is no date.
std::string CsaTime(const std::string& text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, sec = 0;
  if (std::sscanf(text.c_str(), "%4d/%2d/%2d", &y, &mo, &d) != 3) return {};
  std::size_t rest = text.find(' ');
  if (rest == std::string::npos) return Printf("%04d/%02d/%02d", y, mo, d);
  const int n = std::sscanf(text.c_str() + rest, " %2d:%2d:%2d", &h, &mi, &sec);
  if (n < 2) return Printf("%04d/%02d/%02d", y, mo, d);
  return Printf("%04d/%02d/%02d %02d:%02d:%02d", y, mo, d, h, mi, n == 3 ? sec : 0);
}

std::optional<std::string> WriteCsa(const GameRecord& rec) {
  const bool personFirst = rec.firstMover == 1;
  std::string out = "V2.2\n";
  out += std::string("N+") + (personFirst ? "Man" : "Com") + "\n";
  out += std::string("N-") + (personFirst ? "Com" : "Man") + "\n";
  if (const std::string start = CsaTime(rec.startTime); !start.empty())
    out += "$START_TIME:" + start + "\n";
  out += Printf("'level %d\n", rec.level);
  out += Printf("'seconds Man %d Com %d\n", rec.playerSeconds, rec.computerSeconds);
  out += "PI\n+\n";
  Position pos = StartPosition();
  for (std::size_t i = 0; i < rec.moves.size(); ++i) {
    const MoveRec& m = rec.moves[i];
    const int side = SideOfMove(rec.firstMover, static_cast<int>(i));
    const auto kind = MovingKind(pos, side, m);
    if (!kind) return std::nullopt;
    const auto [tf, tr] = Notation(rec.firstMover, m.toFile, m.toRank);
    int ff = 0, fr = 0;
    if (m.dropKind == 0) std::tie(ff, fr) = Notation(rec.firstMover, m.fromFile, m.fromRank);
    const int after = *kind + (m.promote ? kPromoteOffset : 0);
    out += Printf("%c%d%d%d%d", i % 2 == 0 ? '+' : '-', ff, fr, tf, tr) +
           std::string(kCsaNames[after]) + "\n";
    out += Printf("T%d\n", i < rec.seconds.size() ? std::max(0, rec.seconds[i]) : 0);
    ApplyMove(pos, m, side);
  }
  out += std::string(NameOfEnding(rec.ending).csa) + "\n";
  return out;
}

// ---------------------------------------------------------------------------------------
// USI position lines and SFEN.

std::vector<std::string_view> Words(std::string_view s) {
  std::vector<std::string_view> w;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && (s[i] == ' ' || s[i] == '\t' || s[i] == '\r' || s[i] == '\n')) ++i;
    std::size_t j = i;
    while (j < s.size() && !(s[j] == ' ' || s[j] == '\t' || s[j] == '\r' || s[j] == '\n')) ++j;
    if (j > i) w.push_back(s.substr(i, j - i));
    i = j;
  }
  return w;
}

bool ReadUsi(std::string_view text, Reader& rd) {
  const auto lines = SplitLines(text);
  int no = 0;
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (!Trim(lines[i]).empty()) {
      if (no != 0) return rd.Fail(static_cast<int>(i) + 1, "USIの局面は1行です");
      no = static_cast<int>(i) + 1;
    }
  if (no == 0) return rd.Fail(0, "棋譜ではありません");
  const auto w = Words(lines[no - 1]);
  std::size_t k = 0;
  if (k < w.size() && w[k] == "position") ++k;
  if (k < w.size() && w[k] == "startpos") {
    ++k;
  } else if (k < w.size() && w[k] == "sfen") {
    if (k + 3 >= w.size()) return rd.Fail(no, "SFENが読めません");
    std::string why;
    const auto u = ParseSfen(w[k + 1], w[k + 2], w[k + 3], &why);
    if (!u) return rd.Fail(no, "SFENが読めません");
    if (!IsEvenStart(*u)) return rd.Fail(no, std::string(kNotEven));
    k += 4;
    if (k < w.size() && w[k] != "moves") ++k;  // the move number
  } else {
    return rd.Fail(no, "position startpos または position sfen で始まりません");
  }
  if (k < w.size()) {
    if (w[k] != "moves") return rd.Fail(no, "moves がありません");
    for (++k; k < w.size(); ++k) {
      const auto m = ParseUsiMove(w[k], rd.record.firstMover);
      if (!m) return rd.Fail(no, std::to_string(rd.record.moves.size() + 1) + "手目が読めません");
      if (!rd.Take(no, *m, 0)) {
        if (rd.error)
          rd.error->reason =
              std::to_string(rd.record.moves.size() + 1) + "手目：" + rd.error->reason;
        return false;
      }
    }
  }
  rd.Finish();
  return true;
}

std::optional<Position> PositionAfter(const GameRecord& rec, int count) {
  if (count < 0 || count > static_cast<int>(rec.moves.size())) return std::nullopt;
  Position pos = StartPosition();
  for (int i = 0; i < count; ++i) {
    const int side = SideOfMove(rec.firstMover, i);
    if (!MovingKind(pos, side, rec.moves[i])) return std::nullopt;
    ApplyMove(pos, rec.moves[i], side);
  }
  return pos;
}

std::optional<std::string> WriteUsi(const GameRecord& rec) {
  if (!PositionAfter(rec, static_cast<int>(rec.moves.size()))) return std::nullopt;
  std::string out = "position startpos";
  if (!rec.moves.empty()) out += " moves";
  for (const MoveRec& m : rec.moves) out += " " + MoveToUsi(m, rec.firstMover);
  return out + "\n";
}

// ---------------------------------------------------------------------------------------
// The slot format, through the slot code.

std::optional<GameRecord> ReadSlot(std::string_view bytes, ReadError* error) {
  std::string why;
  const auto data = ParseRecord(bytes, &why);
  if (!data) {
    if (error) *error = ReadError{0, why};
    return std::nullopt;
  }
  GameRecord rec;
  rec.firstMover = data->firstMover;
  rec.level = data->level;
  rec.computerSeconds = data->computerSeconds;
  rec.playerSeconds = data->playerSeconds;
  rec.moves = data->moves;
  rec.seconds.assign(rec.moves.size(), 0);
  return rec;
}

std::optional<std::string> WriteSlot(const GameRecord& rec) {
  auto gs = std::make_unique<GameHistory>();
  if (PutIntoGame(rec, *gs) < 0) return std::nullopt;
  gs->moveNumber = static_cast<int>(rec.moves.size());
  return FormatRecord(*gs);
}

bool Prepare(const GameRecord& rec) {
  return rec.moves.size() <= static_cast<std::size_t>(kMaxMoves) &&
         (rec.firstMover == 1 || rec.firstMover == 2);
}

}  // namespace

std::string ReadError::Text() const {
  if (line <= 0) return reason;
  return std::to_string(line) + "行目：" + reason;
}

std::optional<Format> FormatOfName(std::string_view name) {
  static constexpr std::pair<std::string_view, Format> kNames[] = {
      {"dat", Format::kSlot}, {"kif", Format::kKif}, {"kifu", Format::kKifu},
      {"csa", Format::kCsa},  {"usi", Format::kUsi}, {"sfen", Format::kSfen}};
  std::string lower;
  for (char c : name) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  for (const auto& [n, f] : kNames)
    if (lower == n) return f;
  return std::nullopt;
}

std::optional<Format> FormatOfPath(std::string_view path) {
  const auto dot = path.rfind('.');
  const auto slash = path.rfind('/');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash))
    return std::nullopt;
  return FormatOfName(path.substr(dot + 1));
}

std::optional<GameRecord> ReadGame(std::string_view bytes, Format format, ReadError* error) {
  if (format == Format::kSlot) return ReadSlot(bytes, error);
  Reader rd;
  rd.error = error;
  const auto text = DecodeText(bytes);
  if (!text) {
    rd.Fail(0, "テキストのファイルではありません");
    return std::nullopt;
  }
  bool ok = false;
  switch (format) {
    case Format::kKif:
    case Format::kKifu:
      ok = ReadKif(*text, rd);
      break;
    case Format::kCsa:
      ok = ReadCsa(*text, rd);
      break;
    case Format::kUsi:
      ok = ReadUsi(*text, rd);
      break;
    case Format::kSfen:
      rd.Fail(0, "SFENは局面だけで、棋譜としては読み込めません");
      break;
    case Format::kSlot:
      break;
  }
  if (!ok) return std::nullopt;
  return std::move(rd.record);
}

std::optional<GameRecord> ReadPastedGame(std::string_view bytes, ReadError* error) {
  const auto text = DecodeText(bytes);
  if (!text) {
    if (error) *error = ReadError{0, "テキストではありません"};
    return std::nullopt;
  }
  const std::string_view t = Trim(*text);
  const auto w = Words(t);
  if (!w.empty() && (w[0] == "position" || w[0] == "startpos" || w[0] == "sfen"))
    return ReadGame(*text, Format::kUsi, error);
  if (w.size() >= 3 && w.size() <= 4 && std::count(w[0].begin(), w[0].end(), '/') == 8) {
    std::string why;
    const auto u = ParseSfen(w[0], w[1], w[2], &why);
    if (!u || !IsEvenStart(*u)) {
      if (error) *error = ReadError{0, std::string(kNotEven)};
      return std::nullopt;
    }
    return GameRecord{};
  }
  for (std::string_view line : SplitLines(t)) {
    line = Trim(line);
    if (line.starts_with("V2") || line.starts_with("PI") || line.starts_with("N+") ||
        line.starts_with("P1") ||
        (line.size() == 7 && (line[0] == '+' || line[0] == '-') && line[1] >= '0' &&
         line[1] <= '9'))
      return ReadGame(*text, Format::kCsa, error);
  }
  return ReadGame(*text, Format::kKif, error);
}

std::optional<std::string> WriteGame(const GameRecord& rec, Format format) {
  if (!Prepare(rec)) return std::nullopt;
  switch (format) {
    case Format::kSlot:
      return WriteSlot(rec);
    case Format::kKif: {
      const auto text = WriteKif(rec);
      if (!text) return std::nullopt;
      return Utf8ToCp932(*text);
    }
    case Format::kKifu:
      return WriteKif(rec);
    case Format::kCsa:
      return WriteCsa(rec);
    case Format::kUsi:
      return WriteUsi(rec);
    case Format::kSfen: {
      const auto s = SfenAfter(rec, static_cast<int>(rec.moves.size()));
      if (!s) return std::nullopt;
      return *s + "\n";
    }
  }
  return std::nullopt;
}

std::optional<std::string> SfenAfter(const GameRecord& rec, int count) {
  const auto pos = PositionAfter(rec, count);
  if (!pos) return std::nullopt;
  const int color = count % 2 == 0 ? UsiPosition::kBlack : UsiPosition::kWhite;
  return ToSfen(FromInternal(*pos, rec.firstMover, color)) + " " + std::to_string(count + 1);
}

GameRecord RecordOfGame(const GameHistory& gs, int count, Ending ending) {
  GameRecord rec;
  rec.firstMover = gs.firstMover;
  rec.level = gs.level;
  rec.computerSeconds = gs.computerSeconds;
  rec.playerSeconds = gs.playerSeconds;
  count = std::clamp(count, 0, kMaxMoves);
  for (int i = 1; i <= count; ++i) {
    rec.moves.push_back(gs.moveRec[i]);
    rec.seconds.push_back(std::max(0, gs.moveSeconds[i]));
  }
  rec.ending = ending;
  if (ending == Ending::kNone) {
    if (const auto pos = PositionAfter(rec, count)) {
      Judge judge;
      if (count > 0 && !judge.AnyLegal(*pos, SideOfMove(rec.firstMover, count)))
        rec.ending = Ending::kMate;
    }
  }
  return rec;
}

bool CheckGameMoves(const GameRecord& rec, GameHistory& scratch, ReadError* error) {
  auto fail = [&](int move, const char* why) {
    if (error) *error = ReadError{0, std::to_string(move) + "手目：" + why};
    return false;
  };
  if (!Prepare(rec)) return fail(kMaxMoves + 1, "手数が多すぎます");
  ResetHistory(scratch);
  scratch.firstMover = rec.firstMover;
  Judge judge;
  for (std::size_t i = 0; i < rec.moves.size(); ++i) {
    const int side = SideOfMove(rec.firstMover, static_cast<int>(i));
    const MoveRec& m = rec.moves[i];
    if (!MovingKind(scratch.Current(), side, m) || !judge.Legal(scratch.Current(), side, m))
      return fail(static_cast<int>(i) + 1, "指せない手です");
    if (!CommitMove(scratch, m, side)) return fail(static_cast<int>(i) + 1, "手数が多すぎます");
  }
  return true;
}

int PutIntoGame(const GameRecord& rec, GameHistory& gs, ReadError* error) {
  auto scratch = std::make_unique<GameHistory>();
  if (!CheckGameMoves(rec, *scratch, error)) return -1;
  const int n = static_cast<int>(rec.moves.size());
  ResetHistory(gs);
  gs.firstMover = rec.firstMover;
  gs.level = rec.level;
  gs.computerSeconds = rec.computerSeconds;
  gs.playerSeconds = rec.playerSeconds;
  for (int i = 1; i <= n; ++i) {
    gs.moveRec[i] = rec.moves[i - 1];
    gs.moveSeconds[i] = i - 1 < static_cast<int>(rec.seconds.size()) ? rec.seconds[i - 1] : 0;
    gs.snapshot[i] = scratch->snapshot[i];
  }
  gs.moveNumber = 0;
  return n;
}

std::string MoveListText(const GameRecord& rec) {
  GameRecord plain = rec;
  plain.startTime.clear();
  const auto kif = WriteKif(plain);
  if (!kif) return {};
  std::string out;
  for (std::string_view line : SplitLines(*kif)) {
    const std::string_view t = Trim(line);
    if (t.empty() || t[0] < '0' || t[0] > '9') continue;
    // Without the time column.
    if (line.find('/') != std::string_view::npos) line = line.substr(0, line.rfind('('));
    out += std::string(Trim(line)) + "\n";
  }
  return out;
}

}  // namespace shogi::records
