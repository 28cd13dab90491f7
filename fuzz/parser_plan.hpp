#pragma once

// What the parser fuzzer does with one input: a registration table, a
// command line and lookups, decoded from the fuzz bytes.
//
// The input is a sequence of records, each an operation letter and its fields
// (bytes and texts, see fuzz_input.hpp). A byte that is no operation letter
// stands for the letter at its value modulo the number of letters.
//
//   D <text>                            description
//   m <text>                            program name, set before registration
//   c <action> <short> <long> <help>    callback option; action 'h' prints
//                                       help, 'u' the usage line, '0' is an
//                                       empty action, any other writes a marker
//   f <short> <long> <help>             flag
//   i <short> <long> <help> <default>   int option; the default is a decimal
//                                       text, or else folded from its bytes
//   b <short> <long> <help> <default>   bool option; true when the default's
//                                       first byte is odd ('1')
//   d <short> <long> <help>             option of type double (unsupported)
//   n <type> <name> <help>              named argument; type 'b' is bool,
//                                       any other int
//   N <type> <name> <help> <default>    named argument with a default
//   p <type> <name> <help>              position argument
//   0 <text>                            invocation text (argv[0])
//   Z                                   no texts at all: argc is 0
//   a <text>                            argument text
//   r <k> <s>                           name of registration k (modulo the
//                                       count): its short name when s is 's'
//   g <ks>                              "-" and the short characters of the
//                                       registrations ks (a byte itself when
//                                       its registration has no short name)
//   e <k> <text>                        name of registration k, "=", the text
//   k <type> <key>                      get<T>(key), after parse
//   K <type> <k> <s>                    get<T> by a name of registration k
//   x <type> <name>                     get_argument<T>(name)
//   X <type> <k>                        get_argument<T> by the name of k

#include "fuzz_input.hpp"

#include <charconv>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz_support {

enum class registration_kind {
  callback,
  flag,
  int_option,
  bool_option,
  unsupported_option,
  named,
  named_with_default,
  position,
};

struct registration {
  registration_kind kind = registration_kind::flag;
  char action = 0;         // callbacks: what the action does
  bool bool_type = false;  // arguments: bool, else int
  std::string short_name;
  std::string name;  // an option's long name, an argument's name
  std::string help;
  int int_default = 0;
  bool bool_default = false;
};

struct lookup {
  bool of_argument;  // get_argument, else get
  bool bool_type;
  std::string key;
};

struct parser_plan {
  std::string description;
  std::optional<std::string> program_name;
  std::vector<registration> registrations;
  bool no_texts = false;
  std::string invocation = "fuzz";
  std::vector<std::string> arguments;
  std::vector<lookup> lookups;
};

namespace plan_decoding {

constexpr std::string_view operations = "DmcfibdnNp0ZargekKxX";

inline char operation_of(unsigned char byte) {
  const char letter = static_cast<char>(byte);
  return operations.find(letter) != std::string_view::npos ? letter
                                                           : operations[byte % operations.size()];
}

// A decimal text gives its number; any other text folds its bytes, so that
// every int can be reached.
inline int int_from_text(const std::string& text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc() && end == text.data() + text.size() && !text.empty()) {
    return value;
  }
  std::uint32_t folded = 0;
  for (const char character : text) {
    folded = folded * 257u + static_cast<unsigned char>(character);
  }
  return static_cast<int>(folded);
}

inline bool bool_from_text(const std::string& text) {
  return !text.empty() && (static_cast<unsigned char>(text.front()) & 1u) != 0;
}

inline registration read_option(fuzz_input& input, registration_kind kind) {
  registration option;
  option.kind = kind;
  option.short_name = input.text();
  option.name = input.text();
  option.help = input.text();
  if (kind == registration_kind::int_option) {
    option.int_default = int_from_text(input.text());
  } else if (kind == registration_kind::bool_option) {
    option.bool_default = bool_from_text(input.text());
  }
  return option;
}

inline registration read_argument(fuzz_input& input, registration_kind kind) {
  registration argument;
  argument.kind = kind;
  argument.bool_type = input.byte() == 'b';
  argument.name = input.text();
  argument.help = input.text();
  if (kind == registration_kind::named_with_default) {
    const std::string text = input.text();
    argument.int_default = int_from_text(text);
    argument.bool_default = bool_from_text(text);
  }
  return argument;
}

inline registration read_callback(fuzz_input& input) {
  const char action = static_cast<char>(input.byte());
  registration callback = read_option(input, registration_kind::callback);
  callback.action = action;
  return callback;
}

// The registration that byte `k` picks, if there is any.
inline const registration* pick(const parser_plan& plan, unsigned char k) {
  return plan.registrations.empty() ? nullptr : &plan.registrations[k % plan.registrations.size()];
}

inline std::string picked_name(const parser_plan& plan, unsigned char k, unsigned char which) {
  const registration* picked = pick(plan, k);
  if (picked == nullptr) {
    return {};
  }
  return which == 's' ? picked->short_name : picked->name;
}

inline std::string short_flag_group(const parser_plan& plan, const std::string& picks) {
  std::string group = "-";
  for (const char k : picks) {
    const registration* picked = pick(plan, static_cast<unsigned char>(k));
    group.push_back(picked != nullptr && picked->short_name.size() == 2 ? picked->short_name[1]
                                                                        : k);
  }
  return group;
}

inline void read_argument_text(fuzz_input& input, char operation, parser_plan& plan) {
  std::string text;
  if (operation == 'a') {
    text = input.text();
  } else if (operation == 'r') {
    const unsigned char k = input.byte();
    text = picked_name(plan, k, input.byte());
  } else if (operation == 'g') {
    text = short_flag_group(plan, input.text());
  } else {
    text = picked_name(plan, input.byte(), 'l') + "=" + input.text();
  }
  plan.arguments.push_back(without_nul(std::move(text)));
}

inline void read_lookup(fuzz_input& input, char operation, parser_plan& plan) {
  lookup next{operation == 'x' || operation == 'X', input.byte() == 'b', {}};
  if (operation == 'k' || operation == 'x') {
    next.key = input.text();
  } else {
    const unsigned char k = input.byte();
    next.key = picked_name(plan, k, operation == 'K' ? input.byte() : 'l');
  }
  plan.lookups.push_back(std::move(next));
}

inline void read_record(fuzz_input& input, parser_plan& plan) {
  const char operation = operation_of(input.byte());
  switch (operation) {
    case 'D':
      plan.description = input.text();
      break;
    case 'm':
      plan.program_name = input.text();
      break;
    case 'c':
      plan.registrations.push_back(read_callback(input));
      break;
    case 'f':
      plan.registrations.push_back(read_option(input, registration_kind::flag));
      break;
    case 'i':
      plan.registrations.push_back(read_option(input, registration_kind::int_option));
      break;
    case 'b':
      plan.registrations.push_back(read_option(input, registration_kind::bool_option));
      break;
    case 'd':
      plan.registrations.push_back(read_option(input, registration_kind::unsupported_option));
      break;
    case 'n':
      plan.registrations.push_back(read_argument(input, registration_kind::named));
      break;
    case 'N':
      plan.registrations.push_back(read_argument(input, registration_kind::named_with_default));
      break;
    case 'p':
      plan.registrations.push_back(read_argument(input, registration_kind::position));
      break;
    case '0':
      plan.invocation = without_nul(input.text());
      break;
    case 'Z':
      plan.no_texts = true;
      break;
    case 'a':
    case 'r':
    case 'g':
    case 'e':
      read_argument_text(input, operation, plan);
      break;
    default:
      read_lookup(input, operation, plan);
      break;
  }
}

}  // namespace plan_decoding

inline parser_plan decode_parser_plan(fuzz_input& input) {
  parser_plan plan;
  while (!input.at_end()) {
    plan_decoding::read_record(input, plan);
  }
  if (plan.no_texts) {
    plan.arguments.clear();
  }
  return plan;
}

}  // namespace fuzz_support
