#include <argparse/arg_parser.hpp>

#include <iostream>

int main(int argc, char** argv) {
  argparse::arg_parser parser("consumer of the installed package");
  parser.add_flag("-q", "--quiet", "say less")
      .add_option("-c", "--count", "how many", 1)
      .parse(argc, argv);
  std::cout << "count=" << parser.get<int>("--count") << " quiet=" << parser.get<bool>("-q")
            << '\n';
  return 0;
}
