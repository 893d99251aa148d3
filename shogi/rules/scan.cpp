#include "shogi/rules/scan.h"

#include <charconv>

namespace shogi {

bool FormatScanner::Match(std::string_view format, std::vector<std::string>& fields) {
  fields.clear();
  std::size_t i = 0;
  while (i < format.size()) {
    const char c = format[i];
    if (IsScanSpace(c)) {
      SkipSpace();
      ++i;
    } else if (c == '%') {
      ++i;
      int width = 0;
      while (i < format.size() && format[i] >= '0' && format[i] <= '9')
        width = width * 10 + (format[i++] - '0');
      if (i >= format.size()) return false;
      const char conv = format[i++];
      std::string field;
      if (conv == 'd' ? !ReadInt(width, field) : !ReadWord(width, field)) return false;
      fields.push_back(std::move(field));
    } else {
      std::size_t end = i;
      while (end < format.size() && !IsScanSpace(format[end]) && format[end] != '%') ++end;
      const std::string_view part = format.substr(i, end - i);
      const std::optional<std::string> literal =
          translate_ ? translate_(part) : std::optional<std::string>(part);
      if (!literal || in_.substr(pos_, literal->size()) != *literal) return false;
      pos_ += literal->size();
      i = end;
    }
  }
  return true;
}

bool FormatScanner::AtEnd() {
  SkipSpace();
  return pos_ == in_.size();
}

void FormatScanner::SkipSpace() {
  while (pos_ < in_.size() && IsScanSpace(in_[pos_])) ++pos_;
}

bool FormatScanner::ReadInt(int width, std::string& out) {
  SkipSpace();
  const std::size_t limit = width > 0 ? static_cast<std::size_t>(width) : in_.size();
  std::size_t n = 0;
  if (pos_ < in_.size() && (in_[pos_] == '-' || in_[pos_] == '+') && n < limit) {
    out += in_[pos_++];
    ++n;
  }
  std::size_t digits = 0;
  while (pos_ < in_.size() && n < limit && in_[pos_] >= '0' && in_[pos_] <= '9') {
    out += in_[pos_++];
    ++n;
    ++digits;
  }
  return digits > 0;
}

bool FormatScanner::ReadWord(int width, std::string& out) {
  SkipSpace();
  const std::size_t limit = width > 0 ? static_cast<std::size_t>(width) : in_.size();
  while (pos_ < in_.size() && out.size() < limit && !IsScanSpace(in_[pos_])) out += in_[pos_++];
  return !out.empty();
}

bool ScannedInt(const std::string& text, int& value) {
  const char* first = text.data();
  const char* last = text.data() + text.size();
  if (first != last && *first == '+') ++first;
  const auto [ptr, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && ptr == last;
}

}  // namespace shogi
