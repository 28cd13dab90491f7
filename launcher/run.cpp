#include "run.hpp"

#include "console_steps.hpp"
#include "version.hpp"

namespace vantrel {

namespace {

constexpr int failure_status = -1;

}  // namespace

std::int16_t low_16_bits(std::uint32_t value) {
  const auto low = static_cast<std::uint16_t>(value & 0xFFFFu);
  constexpr std::uint16_t sign_bit = 0x8000u;
  return low < sign_bit ? static_cast<std::int16_t>(low)
                        : static_cast<std::int16_t>(static_cast<int>(low) - 0x10000);
}

// Unsigned arithmetic: taking 1 off the lowest int wraps instead of
// overflowing, and its low 16 bits are the same either way.
SMALL_RECT window_rectangle(int left, int top, int right, int bottom) {
  return {low_16_bits(static_cast<std::uint32_t>(left)),
          low_16_bits(static_cast<std::uint32_t>(top)),
          low_16_bits(static_cast<std::uint32_t>(right) - 1u),
          low_16_bits(static_cast<std::uint32_t>(bottom) - 1u)};
}

COORD buffer_size(int bufferx, int buffery) {
  return {low_16_bits(static_cast<std::uint32_t>(bufferx)),
          low_16_bits(static_cast<std::uint32_t>(buffery))};
}

argparse::arg_parser& add_program_options(argparse::arg_parser& parser, argparse::process_io& io) {
  parser.set_program_name("vantrel");
  return parser
      .add_callback_option("-?", "--help", "show this help message",
                           [&parser] { parser.print_help(); })
      .add_callback_option("-v", "--version", "show version info",
                           [&io] {
                             io.write_out(version_text, false);
                             io.write_out("\n", true);
                           })
      .add_flag("-a", "--admin", "run bat file as admin or not.")
      .add_option("-l", "--left", "set cmd window's left position.\ndefault is 0", 0)
      .add_option("-t", "--top", "set cmd window's top position.\ndefault is 0", 0)
      .add_option("-r", "--right", "set cmd window's right position.\ndefault is 40", 40)
      .add_option("-b", "--bottom", "set cmd window's bottom position.\ndefault is 40", 40)
      .add_option("-w", "--bufferx", "set cmd window's buffer size's x.\ndefault is 1024", 1024)
      .add_option("-h", "--buffery", "set cmd window's buffer size's y.\ndefault is 720", 720);
}

int run(int argc, const char* const* argv, platform& system, argparse::process_io& io) {
  argparse::arg_parser parser(program_description, io);
  add_program_options(parser, io).parse(argc, argv);

  const int left = parser.get<int>("--left");
  const int top = parser.get<int>("--top");
  const int right = parser.get<int>("--right");
  const int bottom = parser.get<int>("--bottom");
  const int bufferx = parser.get<int>("--bufferx");
  const int buffery = parser.get<int>("--buffery");
  const SMALL_RECT window = window_rectangle(left, top, right, bottom);

  if (parser.get<bool>("--admin") && !relaunch_elevated(system, io)) {
    return failure_status;
  }
  return size_console(system, io, window, buffer_size(bufferx, buffery)) ? 0 : failure_status;
}

}  // namespace vantrel
