// Where the engine finds its book when started from another folder.
#include "shogi/engine/book_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

TEST(FindBookFile, LooksBesideTheProgramOnlyForMissingRelativeNames) {
  const fs::path root = fs::temp_directory_path() / ("book_file_test_" + std::to_string(getpid()));
  fs::create_directories(root / "usr/games");
  fs::create_directories(root / "usr/share/games/shogi");
  fs::create_directories(root / "cwd");
  std::ofstream(root / "usr/share/games/shogi/joseki.dat") << "x";
  std::ofstream(root / "cwd/here.dat") << "x";
  const fs::path before = fs::current_path(), program = root / "usr/games/shogi-engine";
  fs::current_path(root / "cwd");
  EXPECT_EQ(shogi::FindBookFile("joseki.dat", program),  // missing here: the installed one
            (root / "usr/share/games/shogi/joseki.dat").string());
  for (const char* asGiven : {"here.dat", "other.dat", "/no/joseki.dat"})  // found, nowhere,
    EXPECT_EQ(shogi::FindBookFile(asGiven, program), asGiven);             // absolute
  EXPECT_EQ(shogi::FindBookFile("joseki.dat", fs::path()), "joseki.dat");  // program unknown
  fs::current_path(before);
  fs::remove_all(root);
}
