// make_book: turns the opening lines of data/book/*.txt into the book file joseki.dat.
//
//   make_book <source directory> <book file>           writes the book file
//   make_book --check <source directory> <book file>   fails unless the file is up to date
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tools/book/book_builder.h"

namespace {

int Usage() {
  std::cerr << "usage: make_book [--check] <source directory> <book file>\n";
  return 2;
}

// Writes through a temporary file and a rename, so that a reader never sees half a book.
bool WriteFile(const std::filesystem::path& path, const std::string& text, std::string& error) {
  std::filesystem::path tmp = path;
  tmp += ".tmp" + std::to_string(std::random_device{}());
  {
    std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out) {
      error = "cannot write " + tmp.string();
      std::filesystem::remove(tmp);
      return false;
    }
  }
  std::error_code ec;
  std::filesystem::rename(tmp, path, ec);
  if (ec) {
    error = "cannot replace " + path.string() + ": " + ec.message();
    std::filesystem::remove(tmp);
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  bool check = false;
  if (!args.empty() && args[0] == "--check") {
    check = true;
    args.erase(args.begin());
  }
  if (args.size() != 2) return Usage();
  const std::filesystem::path sourceDir = args[0], bookFile = args[1];

  using namespace shogi::book_tool;
  std::vector<SourceLine> lines;
  std::string error, text;
  int entries = 0;
  if (!ReadSourceDirectory(sourceDir, lines, error) || !BuildBook(lines, text, entries, error)) {
    std::cerr << "make_book: " << error << "\n";
    return 1;
  }

  if (check) {
    std::ifstream in(bookFile, std::ios::binary);
    std::ostringstream committed;
    if (in.is_open()) committed << in.rdbuf();
    if (!in.is_open() || committed.str() != text) {
      std::cerr << "make_book: " << bookFile.string() << " is not the book built from "
                << sourceDir.string() << "; rebuild it with make_book\n";
      return 1;
    }
    std::cout << bookFile.string() << ": up to date, " << entries << " entries from "
              << lines.size() << " lines\n";
    return 0;
  }
  if (!WriteFile(bookFile, text, error)) {
    std::cerr << "make_book: " << error << "\n";
    return 1;
  }
  std::cout << "make_book: " << entries << " entries from " << lines.size() << " lines\n";
  return 0;
}
