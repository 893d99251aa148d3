// The command of START.TXT: what the launcher starts when it hands over.
#pragma once

#include <cstddef>
#include <filesystem>
#include <span>
#include <string>

namespace launcher {

// Bytes of the command file that are read; a longer command is cut there.
inline constexpr std::size_t kMaxCommandBytes = 50;

// The command held by the first bytes of the file: it ends at the first carriage return, line
// feed or zero byte among the first 50 bytes, or after them; blanks and tabs at its end are
// dropped.
std::string ParseStartCommand(std::span<const unsigned char> bytes);

// Reads the command file in binary mode; a missing or unreadable file gives an empty command.
std::string ReadStartCommand(const std::filesystem::path& file);

}  // namespace launcher
