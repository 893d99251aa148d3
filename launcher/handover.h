// Hand-over: starting the command of START.TXT, detached from the launcher.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace launcher {

enum class HandOver {
  kFailed,  // empty command, no such file, or it could not be started
  kRun,     // the file is a program and runs
  kOpened,  // another file, handed to the desktop's opener (xdg-open)
};

// Starts `command`, a program or file name; a relative name is taken from `dir`, which is
// also the started program's working directory. No shell is involved: the whole command is one
// file name, and nothing in it is interpreted. A program (a regular file that may be executed)
// runs directly; any other existing file is opened with xdg-open. The started process belongs
// to a session of its own and is not a child of the caller, so it outlives the launcher.
HandOver StartCommand(const std::string& command, const std::filesystem::path& dir);

// Runs argv[0] (a path) with the arguments that follow, detached as above, in directory `dir`.
// True when the program was executed.
bool SpawnDetached(const std::vector<std::string>& argv, const std::filesystem::path& dir);

// The first executable regular file `name` on $PATH (empty entries are skipped), or empty.
std::filesystem::path FindInPath(std::string_view name);

}  // namespace launcher
