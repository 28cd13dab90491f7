// Replays fuzz inputs without libFuzzer: every file named on the command
// line, and every file of a folder named there, is fed once to the fuzz
// target's LLVMFuzzerTestOneInput, in name order. A broken rule aborts and an
// uncaught exception terminates, so either fails the run, and the input named
// last on standard error is the one that did it. The run also fails when it
// finds no input at all, so that a wrong folder cannot pass unnoticed.
//
//   <target>_replay <file or folder>...

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

// The file itself, or the regular files of a folder in name order.
std::vector<fs::path> inputs_at(const fs::path& path) {
  if (!fs::is_directory(path)) {
    return {path};
  }
  std::vector<fs::path> files;
  for (const fs::directory_entry& entry : fs::directory_iterator(path)) {
    if (entry.is_regular_file()) {
      files.push_back(entry.path());
    }
  }
  std::sort(files.begin(), files.end());
  return files;
}

std::optional<std::string> contents_of(const fs::path& file) {
  std::ifstream stream(file, std::ios::binary);
  if (!stream) {
    return std::nullopt;
  }
  return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int i = 1; i < argc; ++i) {
    for (const fs::path& file : inputs_at(argv[i])) {
      const std::optional<std::string> input = contents_of(file);
      if (!input) {
        std::fprintf(stderr, "cannot read %s\n", file.string().c_str());
        return 1;
      }
      std::fprintf(stderr, "replaying %s\n", file.string().c_str());
      std::fflush(stderr);
      LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(input->data()), input->size());
      ++replayed;
    }
  }
  if (replayed == 0) {
    std::fprintf(stderr, "no input to replay\n");
    return 1;
  }
  std::fprintf(stderr, "%zu inputs replayed\n", replayed);
  return 0;
}
