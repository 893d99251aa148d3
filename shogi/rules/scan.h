// Reading fixed-format text the way the C library's scanf reads it, without its undefined
// cases: the book's lines and the record files both are read by this one scanner.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace shogi {

// White space as scanf sees it in the "C" locale.
constexpr bool IsScanSpace(char c) {
  return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\v' || c == '\f';
}

// A cursor over text matched against formats: a blank or line feed in a format skips any run
// of white space, other characters must match, %<w>d reads an integer of at most w characters
// and %<w>s a word of at most w bytes, both after white space (w = 0 or none: no limit).
// The literal parts of a format can be translated before they are matched (the records
// write their formats in UTF-8 and read CP932).
class FormatScanner {
 public:
  using Translate = std::function<std::optional<std::string>(std::string_view)>;

  explicit FormatScanner(std::string_view in, Translate translate = nullptr)
      : in_(in), translate_(std::move(translate)) {}

  // Matches the format at the cursor; the converted fields go to `fields` as text.
  bool Match(std::string_view format, std::vector<std::string>& fields);
  // True when nothing but white space is left (and skips it).
  bool AtEnd();
  // True when the cursor stands at the very end of the text.
  bool Consumed() const { return pos_ == in_.size(); }

 private:
  void SkipSpace();
  bool ReadInt(int width, std::string& out);
  bool ReadWord(int width, std::string& out);

  std::string_view in_;
  Translate translate_;
  std::size_t pos_ = 0;
};

// A field read by %d as an int: an optional sign and digits, nothing else; a number outside
// the range of int does not convert.
bool ScannedInt(const std::string& text, int& value);

}  // namespace shogi
