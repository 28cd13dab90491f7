#include <argparse/arg_parser.hpp>

#include <iostream>

int main(int argc, char** argv) {
  argparse::arg_parser parser("copies blocks");
  parser.add_callback_option("-?", "--help", "show this help", [&parser] { parser.print_help(); })
      .add_flag("-q", "--quiet", "say less")
      .add_option("-c", "--count", "how many copies", 1)
      .add_named_argument<int>("mode", "copy mode", 0)
      .add_position_argument<int>("size", "block size")
      .parse(argc, argv);
  std::cout << "count=" << parser.get<int>("--count") << " quiet=" << parser.get<bool>("-q")
            << " mode=" << parser.get_argument<int>("mode")
            << " size=" << parser.get_argument<int>("size") << '\n';
  return 0;
}
