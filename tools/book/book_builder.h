// Builds the opening book file from its readable source.
//
// The source is a set of text files of opening lines. Every line that is not blank and not a
// comment ('#' starts a comment anywhere) reads
//
//   <colour> <type> [<colour> <type>] <name>: <move> <move> ...
//
// where <colour> is "black", "white" or "both", <type> the opening type (0, 1 or 2) the
// computer follows when it plays that colour in this line, <name> a short description and the
// moves are USI moves from the start position, seen from black. A colour that is not named
// gives no entries: the line then only shows what the computer answers as the other colour.
//
// For every position of a line in which a named colour is to move, the book gets an entry
// with that move for the computer playing that colour (black: firstMover 2, white:
// firstMover 1). Lines through one position give several candidates; identical moves are
// kept once, with the type of the first line. Where the candidates of one position differ in
// type, the type of the first line through it is written last, so that it is the type the
// lookup leaves behind.
//
// The build refuses, with the file, line and move named: an illegal move; a position that
// occurs with both colours to move (the book's key does not say who is to move); a candidate
// that is not legal in every position of the book sharing its key (the key leaves out the
// pieces in hand); more than 30 candidates for a position; more than 998 entries; and a line
// whose last book position would leave the computer with another opening type than its own.
#pragma once

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "shogi/engine/book.h"
#include "shogi/rules/analyze.h"
#include "shogi/rules/game_state.h"
#include "shogi/rules/notation.h"

namespace shogi::book_tool {

inline constexpr int kBlack = UsiPosition::kBlack;
inline constexpr int kWhite = UsiPosition::kWhite;
// Entry numbers run from 1; 999 ends the book, so 998 entries fit.
inline constexpr int kMaxEntries = 998;

// One opening line of the source.
struct SourceLine {
  std::string file;
  int lineNumber = 0;
  std::array<int, 3> type{-1, -1, -1};  // by USI colour; -1: no entries for that colour
  std::string name;
  std::vector<std::string> moves;

  std::string Where() const { return file + ":" + std::to_string(lineNumber); }
};

// The computer's firstMover when it plays a USI colour.
constexpr int FirstMoverOfComputer(int colour) {
  return colour == kBlack ? kComputerSide : kPlayerSide;
}

inline std::string Trim(std::string_view s) {
  const auto b = s.find_first_not_of(" \t\r");
  if (b == std::string_view::npos) return {};
  const auto e = s.find_last_not_of(" \t\r");
  return std::string(s.substr(b, e - b + 1));
}

inline std::vector<std::string> SplitWords(std::string_view s) {
  std::vector<std::string> words;
  std::istringstream in{std::string(s)};
  std::string w;
  while (in >> w) words.push_back(w);
  return words;
}

// Parses the text of one source file. On failure returns false with a message naming the
// file and line.
inline bool ParseSource(const std::string& fileName, std::string_view text,
                        std::vector<SourceLine>& lines, std::string& error) {
  int number = 0;
  while (!text.empty()) {
    const auto nl = text.find('\n');
    std::string_view raw = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view{} : text.substr(nl + 1);
    ++number;
    const auto hash = raw.find('#');
    if (hash != std::string_view::npos) raw = raw.substr(0, hash);
    const std::string content = Trim(raw);
    if (content.empty()) continue;

    SourceLine line;
    line.file = fileName;
    line.lineNumber = number;
    auto fail = [&](const std::string& why) {
      error = line.Where() + ": " + why;
      return false;
    };
    const auto colon = content.rfind(':');  // moves never contain one; names may
    if (colon == std::string::npos) return fail("missing ':' between the name and the moves");
    std::string_view head = content;
    head = head.substr(0, colon);
    line.moves = SplitWords(std::string_view(content).substr(colon + 1));
    if (line.moves.empty()) return fail("no moves");

    // Colours and types, then the name.
    const std::vector<std::string> words = SplitWords(head);
    std::size_t w = 0;
    while (w < words.size() && (words[w] == "black" || words[w] == "white" || words[w] == "both")) {
      const std::string& colourWord = words[w];
      const std::string typeText = w + 1 < words.size() ? words[w + 1] : "";
      if (typeText.size() != 1 || typeText[0] < '0' || typeText[0] > '2')
        return fail("'" + colourWord + "' must be followed by an opening type 0, 1 or 2");
      for (int colour : {kBlack, kWhite}) {
        if (colourWord != "both" && (colourWord == "black") != (colour == kBlack)) continue;
        if (line.type[colour] >= 0) return fail("colour named twice");
        line.type[colour] = typeText[0] - '0';
      }
      w += 2;
    }
    if (w == 0) return fail("a line starts with 'black <type>', 'white <type>' or 'both <type>'");
    for (; w < words.size(); ++w) line.name += (line.name.empty() ? "" : " ") + words[w];
    if (line.name.empty()) return fail("the line has no name");
    lines.push_back(std::move(line));
  }
  return true;
}

// Reads every *.txt file of a directory, in the order of their names.
inline bool ReadSourceDirectory(const std::filesystem::path& dir, std::vector<SourceLine>& lines,
                                std::string& error) {
  std::vector<std::filesystem::path> files;
  std::error_code ec;
  for (const auto& e : std::filesystem::directory_iterator(dir, ec))
    if (e.is_regular_file() && e.path().extension() == ".txt") files.push_back(e.path());
  if (ec) {
    error = dir.string() + ": " + ec.message();
    return false;
  }
  if (files.empty()) {
    error = dir.string() + ": no .txt files";
    return false;
  }
  std::sort(files.begin(), files.end());
  for (const auto& path : files) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      error = path.string() + ": cannot read";
      return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!ParseSource(path.filename().string(), text.str(), lines, error)) return false;
  }
  return true;
}

// The key of snapshot[index] as a string of 162 bytes.
inline std::string KeyOf(const GameState& gs, int index) {
  char key[kBookKeyLength + 1];
  BuildBookKey(gs, index, key);
  return std::string(key, kBookKeyLength);
}

// Whether the move is in the analysed list of `side` in `pos` and not illegal.
inline bool IsLegal(GameState& gs, const Position& pos, int side, const MoveRec& move) {
  AnalyzeMoves(gs, pos, side, 0);
  for (int i = 0; i < gs.moveListCount; ++i)
    if (gs.moveList[i].move == move) return gs.moveList[i].illegal == 0;
  return false;
}

// The fields of one entry in the book's notation (sente's view).
struct BookMove {
  int toFile = 0, toRank = 0, fromFile = 0, fromRank = 0, promote = 0, dropKind = 0;
  bool operator==(const BookMove&) const = default;
};

inline BookMove ToBookMove(const MoveRec& m, int firstMover) {
  BookMove b;
  InternalToUsi(firstMover, m.toFile, m.toRank, b.toFile, b.toRank);
  if (m.dropKind > 0)
    b.dropKind = m.dropKind;  // a drop has no origin; it is written as 0, 0
  else
    InternalToUsi(firstMover, m.fromFile, m.fromRank, b.fromFile, b.fromRank);
  b.promote = m.promote;
  return b;
}

struct Candidate {
  BookMove move;
  MoveRec internal;
  std::string usi;
  int type = 0;
  std::string where;  // the first source line that gave it
};

// One position of the book: its key, every full position (with the pieces in hand) that
// reaches it, and its candidates.
struct BookPosition {
  std::string key;
  int firstMover = 0;
  int primaryType = 0;
  std::string firstWhere;
  std::vector<Position> positions;
  std::vector<Candidate> candidates;
};

// Builds the text of the book file from the source lines. On failure returns false with a
// message.
inline bool BuildBook(const std::vector<SourceLine>& lines, std::string& out, int& entryCount,
                      std::string& error) {
  auto gs = std::make_unique<GameState>();
  std::vector<BookPosition> book;
  std::map<std::string, std::size_t> byKey;
  // Where each line's last book position is, by colour.
  std::vector<std::array<std::optional<std::size_t>, 3>> lineEnds(lines.size());

  for (std::size_t li = 0; li < lines.size(); ++li) {
    const SourceLine& line = lines[li];
    // Every line is replayed with both values of firstMover, so that the moves are checked
    // against both variants of the move generator, named colours or not.
    for (int computerColour : {kBlack, kWhite}) {
      const int fm = FirstMoverOfComputer(computerColour);
      ResetGameState(*gs);
      gs->firstMover = fm;
      for (std::size_t ply = 0; ply < line.moves.size(); ++ply) {
        const std::string& text = line.moves[ply];
        const int colour = ply % 2 == 0 ? kBlack : kWhite;
        const int side = SideOfColor(fm, colour);
        const std::string what = line.Where() + ": move " + std::to_string(ply + 1) + " (" + text +
                                 ") of \"" + line.name + "\"";
        const std::optional<MoveRec> move = ParseUsiMove(text, fm);
        if (!move) {
          error = what + " is not a USI move";
          return false;
        }
        const Position before = gs->snapshot[gs->moveNumber];
        if (!IsLegal(*gs, before, side, *move)) {
          error = what + " is not a legal move in its position";
          return false;
        }
        if (colour == computerColour && line.type[colour] >= 0) {
          const std::string key = KeyOf(*gs, gs->moveNumber);
          auto [it, fresh] = byKey.try_emplace(key, book.size());
          if (fresh) {
            BookPosition p;
            p.key = key;
            p.firstMover = fm;
            p.primaryType = line.type[colour];
            p.firstWhere = what;
            book.push_back(std::move(p));
          }
          BookPosition& p = book[it->second];
          if (p.firstMover != fm) {
            error = what + ": its position is also reached with the other colour to move, at " +
                    p.firstWhere;
            return false;
          }
          if (std::find(p.positions.begin(), p.positions.end(), before) == p.positions.end())
            p.positions.push_back(before);
          const BookMove bm = ToBookMove(*move, fm);
          const bool known = std::any_of(p.candidates.begin(), p.candidates.end(),
                                         [&](const Candidate& c) { return c.move == bm; });
          if (!known) p.candidates.push_back({bm, *move, text, line.type[colour], what});
          lineEnds[li][colour] = it->second;
        }
        CommitMove(*gs, *move, side);
      }
    }
  }

  // The key ignores the hands, so several positions can share it: each candidate has to be
  // legal in all of them.
  for (BookPosition& p : book) {
    if (static_cast<int>(p.candidates.size()) > kBookCandidates) {
      error = p.firstWhere + ": its position has " + std::to_string(p.candidates.size()) +
              " book moves; at most " + std::to_string(kBookCandidates) + " are used";
      return false;
    }
    for (const Position& pos : p.positions) {
      for (const Candidate& c : p.candidates) {
        if (!IsLegal(*gs, pos, kComputerSide, c.internal)) {
          error = c.where + " is not legal in another position with the same board (" +
                  p.firstWhere + ")";
          return false;
        }
      }
    }
    // The type of the first line through the position is written last.
    std::stable_partition(p.candidates.begin(), p.candidates.end(),
                          [&](const Candidate& c) { return c.type != p.primaryType; });
  }

  // After the last book move of a line, the computer continues with the type the lookup of
  // that position left behind.
  for (std::size_t li = 0; li < lines.size(); ++li) {
    for (int colour : {kBlack, kWhite}) {
      if (!lineEnds[li][colour]) continue;
      const BookPosition& p = book[*lineEnds[li][colour]];
      if (p.primaryType != lines[li].type[colour]) {
        error = lines[li].Where() + ": as " + (colour == kBlack ? "black" : "white") +
                " the line ends in a position of opening type " + std::to_string(p.primaryType) +
                " (first reached at " + p.firstWhere + "), not " +
                std::to_string(lines[li].type[colour]);
        return false;
      }
    }
  }

  // Output: the positions of the computer as black, then as white, each in the order in
  // which the source first reaches them.
  std::string text;
  int number = 0;
  char buf[64];
  for (int fm : {kComputerSide, kPlayerSide}) {
    for (const BookPosition& p : book) {
      if (p.firstMover != fm) continue;
      for (const Candidate& c : p.candidates) {
        if (++number > kMaxEntries) {
          error = "the book has more than " + std::to_string(kMaxEntries) + " entries";
          return false;
        }
        std::snprintf(buf, sizeof buf, "%d,", number);
        text += buf;
        text += p.key;
        std::snprintf(buf, sizeof buf, ",%d,%d,%d,%d,%d,%d,%d,%d,%d\n", 0, c.move.toFile,
                      c.move.toRank, c.move.fromFile, c.move.fromRank, c.move.promote,
                      c.move.dropKind, c.type, 0);
        text += buf;
      }
    }
  }
  // The end line carries the empty board as its key; the lookup stops before it.
  text += "999,";
  for (int i = 0; i < 81; ++i) text += "\x81\xA0";
  text += ",0,0,0,0,0,0,0,0,0\n";
  out = std::move(text);
  entryCount = number;
  return true;
}

}  // namespace shogi::book_tool
