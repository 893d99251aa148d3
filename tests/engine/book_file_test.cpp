// Where the engine finds its book when started from another folder.
#include "shogi/engine/book_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(FindBookFile, LooksBesideTheProgramOnlyForMissingRelativeNames) {
  const fs::path root = fs::temp_directory_path() / ("book_file_test_" + std::to_string(getpid()));
  fs::remove_all(root);
  fs::create_directories(root / "usr/games");
  fs::create_directories(root / "usr/share/games/shogi");
  fs::create_directories(root / "cwd");
  std::ofstream(root / "usr/share/games/shogi/joseki.dat") << "x";
  std::ofstream(root / "cwd/here.dat") << "x";
  const fs::path before = fs::current_path();
  fs::current_path(root / "cwd");
  const fs::path program = root / "usr/games/shogi-engine";
  const std::string installed = (root / "usr/share/games/shogi/joseki.dat").string();
  struct Case {
    std::string name;
    fs::path program;
    std::string expected;
  } cases[] = {
      {"joseki.dat", program, installed},             // missing here: the installed one
      {"here.dat", program, "here.dat"},              // found here: as given
      {"other.dat", program, "other.dat"},            // nowhere: as given, so opening fails
      {"/no/joseki.dat", program, "/no/joseki.dat"},  // absolute: as given
      {"joseki.dat", fs::path(), "joseki.dat"},       // program unknown
  };
  for (const Case& c : cases)
    EXPECT_EQ(shogi::FindBookFile(c.name, c.program), c.expected) << c.name;
  fs::current_path(before);
  fs::remove_all(root);
}
