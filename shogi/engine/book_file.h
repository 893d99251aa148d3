// Where the engine looks for its opening book when a shogi GUI starts it from some other folder.
#pragma once

#include <filesystem>
#include <string>

namespace shogi {

// The book file to open for the name `name`: the name itself when it is absolute or exists from
// the current directory; otherwise, when it exists there, the file of that name in
// ../share/games/shogi relative to the folder of `program` (the installed layout); otherwise
// the name unchanged, so that opening it fails as before.
std::string FindBookFile(const std::string& name, const std::filesystem::path& program);

// The same for the running program (/proc/self/exe).
std::string FindBookFile(const std::string& name);

}  // namespace shogi
