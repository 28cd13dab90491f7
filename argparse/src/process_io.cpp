#include <argparse/process_io.hpp>

#include <cstdlib>
#include <iostream>

namespace argparse {

namespace {

class standard_process_io final : public process_io {
 public:
  std::ostream& out() override { return std::cout; }
  std::ostream& err() override { return std::cerr; }
  [[noreturn]] void exit(int status) override { std::exit(status); }
};

}  // namespace

process_io& standard_io() noexcept {
  static standard_process_io io;
  return io;
}

}  // namespace argparse
