#include "run.hpp"

#if defined(_WIN32)

#include <string>
#include <vector>

#include <windows.h>

namespace {

// The argument as UTF-8. Windows turns a character that cannot be converted
// (an unpaired surrogate) into U+FFFD, so every argument gives a text.
std::string utf8_text(const wchar_t* argument) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, argument, -1, nullptr, 0, nullptr, nullptr);
  if (size <= 1) {
    return {};
  }
  std::string text(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, argument, -1, text.data(), size, nullptr, nullptr);
  text.pop_back();  // the terminating null, which the string keeps anyway
  return text;
}

}  // namespace

// The command line as it was typed, read from its wide form: a narrow main()
// would get it in the ANSI code page, where Windows replaces a character the
// code page lacks with a look-alike ("best fit"), so that a fullwidth hyphen
// or a minus sign would arrive as '-' and be taken for an option. The parser
// gets each argument as UTF-8 instead, and a look-alike stays what it is.
extern "C" int wmain(int argc, wchar_t** wide_argv) {
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) {
    arguments.push_back(utf8_text(wide_argv[i]));
  }
  std::vector<const char*> argv;
  argv.reserve(arguments.size() + 1);
  for (const std::string& argument : arguments) {
    argv.push_back(argument.c_str());
  }
  argv.push_back(nullptr);
  return vantrel::run(argc, argv.data(), vantrel::host_platform(), argparse::standard_io());
}

#else

int main(int argc, char** argv) {
  return vantrel::run(argc, argv, vantrel::host_platform(), argparse::standard_io());
}

#endif
