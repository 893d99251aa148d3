// Conversions between UTF-8 (the program's own text) and the Japanese code page CP932 used by
// the record files. glibc's iconv is used under the name "CP932"; its "SHIFT_JIS" lacks
// characters the records need (Ⅱ, ①).
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace shogi::records {

// UTF-8 → CP932. Nothing when a character has no CP932 form or the converter is missing.
std::optional<std::string> Utf8ToCp932(std::string_view utf8);

// CP932 → UTF-8. Nothing for a byte sequence that is not CP932.
std::optional<std::string> Cp932ToUtf8(std::string_view cp932);

}  // namespace shogi::records
