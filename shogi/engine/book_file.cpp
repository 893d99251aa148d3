#include "shogi/engine/book_file.h"

#include <system_error>

namespace shogi {

std::string FindBookFile(const std::string& name, const std::filesystem::path& program) {
  namespace fs = std::filesystem;
  const fs::path given(name);
  std::error_code ec;
  if (name.empty() || given.is_absolute() || fs::exists(given, ec) || program.empty()) return name;
  const fs::path installed = program.parent_path() / ".." / "share" / "games" / "shogi" / given;
  if (fs::is_regular_file(installed, ec)) return installed.lexically_normal().string();
  return name;
}

std::string FindBookFile(const std::string& name) {
  std::error_code ec;
  const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", ec);
  return FindBookFile(name, ec ? std::filesystem::path() : self);
}

}  // namespace shogi
