#include <argparse/arg_parser.hpp>

#include <iostream>

int main(int argc, char** argv) {
  argparse::arg_parser parser("embeds the parser");
  parser.add_option("-c", "--count", "how many", 1).parse(argc, argv);
  std::cout << "count=" << parser.get<int>("-c") << '\n';
  return 0;
}
