#include <argparse/arg_parser.hpp>

#include <algorithm>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <optional>

#if defined(__GNUG__)
#include <cxxabi.h>
#endif

namespace argparse {

namespace {

// ---------------------------------------------------------------------------
// Every report the parser writes, each a line on the error stream before the
// process ends with status -1. Scripts match these texts, so they stay as they
// are, typos included. A report begins with the prefix of its kind.
namespace report {

constexpr std::string_view build_error = "(build error) ";  // registration
constexpr std::string_view parse_error = "(parse error) ";
constexpr std::string_view get_error = "(get error) ";  // lookup

std::string joined(std::initializer_list<std::string_view> pieces) {
  std::string text;
  for (const std::string_view piece : pieces) {
    text.append(piece);
  }
  return text;
}

// Registration.
std::string unsupported_type(std::string_view type) {
  return joined({build_error, "unsupport type for option: ", type});
}
std::string long_name_empty() { return joined({build_error, "long option name cannot be empty"}); }
std::string long_name_shape() {
  return joined({build_error, "long option name must be `--` followed by one or more characters"});
}
std::string long_name_taken(std::string_view name) {
  return joined({build_error, "long option name ", name, " already exists"});
}
std::string short_name_shape() {
  return joined({build_error, "short option name must be `-` followed by one character"});
}
std::string short_name_taken(std::string_view name) {
  return joined({build_error, "short option name ", name, " already exists"});
}

// Parsing, in the order of its steps.
std::string option_without_value(std::string_view short_name, std::string_view long_name) {
  return joined({parse_error, "option ", short_name, " ", long_name, " should have value"});
}
std::string bare_dash() { return joined({parse_error, "bare unexcepted '-'"}); }
std::string unrecognized_option(std::string_view text) {
  return joined({parse_error, "unrecognized option", text});
}
std::string unrecognized_short_character(char character, std::string_view text) {
  return joined({parse_error, "unrecognized short name option '", {&character, 1}, "' in ", text});
}
std::string grouped_option_not_flag() {
  return joined({parse_error, "aggregation short name option must be bool"});
}
std::string too_few_texts_for_named_arguments() {
  return joined({parse_error, "not enough named_arguments"});
}
std::string named_argument_without_value(std::string_view name) {
  return joined({parse_error, "named_argument ", name, " should have value"});
}
// The one report of more than one line: the counts, then every text left.
std::string position_count_mismatch(const std::vector<std::string_view>& left, std::size_t needed) {
  std::string text = joined({parse_error, "position argument number missmatching, give ",
                             std::to_string(left.size()), ", but need ", std::to_string(needed),
                             "\nuncaptured command line arguments:"});
  for (const std::string_view argument : left) {
    text.append(1, '\n').append(argument);
  }
  return text;
}

// Lookup: get reads options; get_argument, named and position arguments.
std::string option_not_found(std::string_view key) {
  return joined({get_error, "option not found: ", key});
}
std::string argument_not_found(std::string_view name) {
  return joined({get_error, "argument not found: ", name});
}
std::string type_mismatch(std::string_view what, std::string_view set, std::string_view asked) {
  return joined(
      {get_error, what, " type mismatch: set '", set, "' but you try get with '", asked, "'"});
}
std::string option_type_mismatch(std::string_view set, std::string_view asked) {
  return type_mismatch("option", set, asked);
}
std::string argument_type_mismatch(std::string_view set, std::string_view asked) {
  return type_mismatch("argument", set, asked);
}

}  // namespace report

// A flag given on the command line holds "1".
void set_flag(typed_option& option) { option.value.assign(1, '1'); }

// A text names an option when it equals the option's short or long name
// whole; an empty short name is never matched, so an empty text names nothing.
template <typename Option>
bool names(const Option& option, std::string_view text) {
  return (!option.short_name.empty() && text == option.short_name) || text == option.long_name;
}

template <typename Option>
bool names_any(const std::vector<Option>& options, const std::string& long_name) {
  return std::any_of(options.begin(), options.end(),
                     [&](const Option& option) { return option.long_name == long_name; });
}

// The index entry of a short character may belong to the other list, so the
// record it points at is confirmed against its own short character.
template <typename Option>
std::optional<std::size_t> index_for_short_character(const short_name_map& index,
                                                     const std::vector<Option>& options,
                                                     char character) {
  const auto entry = index.find(character);
  if (entry == index.end() || entry->second >= options.size()) {
    return std::nullopt;
  }
  const auto position = static_cast<std::size_t>(entry->second);
  const std::string& short_name = options[position].short_name;
  if (short_name.empty() || short_name.back() != character) {
    return std::nullopt;
  }
  return position;
}

// True when `text` has the form name=value with `argument.name` before the
// first "="; the rest of the text (possibly empty) is then stored as the
// argument's value.
bool match_named_argument(std::string_view text, named_argument& argument) {
  const auto equals = text.find('=');
  if (equals == std::string_view::npos || text.substr(0, equals) != argument.name) {
    return false;
  }
  argument.value = text.substr(equals + 1);
  return true;
}

// The name of a type as run-time type information gives it, demangled where
// the compiler mangles it.
std::string readable_type_name(const std::type_info& type) {
#if defined(__GNUG__)
  int status = 0;
  const std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  if (status == 0 && demangled) {
    return demangled.get();
  }
#endif
  return type.name();
}

}  // namespace

arg_parser::arg_parser(std::string description, process_io& io)
    : description_(std::move(description)), io_(&io) {}

// ---------------------------------------------------------------------------
// Ending the process

// An exit that returns must not let the run go on past a failure, so
// end_process aborts after it. MSVC and Clang rightly find that line
// unreachable for every exit that keeps its word. MSVC decides its
// code-generation warnings (C4702 among them) by the state at the start of
// the function, so the warning is off for the whole definition, and the
// function stays out of line, so that the line is in no caller's body.
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4702)
#define ALWAYS_OUT_OF_LINE __declspec(noinline)
#else
#define ALWAYS_OUT_OF_LINE
#endif
#if defined(__clang__)
#pragma clang diagnostic push
#pragma clang diagnostic ignored "-Wunreachable-code"
#endif
ALWAYS_OUT_OF_LINE void arg_parser::end_process(int status) const {
  io_->exit(status);
  std::abort();
}
#if defined(__clang__)
#pragma clang diagnostic pop
#endif
#undef ALWAYS_OUT_OF_LINE
#if defined(_MSC_VER)
#pragma warning(pop)
#endif

void arg_parser::fail(std::string_view report_line) const {
  io_->write_err(std::string(report_line).append(1, '\n'));
  end_process(-1);
}

void arg_parser::fail_unsupported_type(const std::type_info& type) const {
  fail(report::unsupported_type(readable_type_name(type)));
}

void arg_parser::run_action_and_exit(const callback_option& option) const {
  if (option.action) {
    option.action();
  }
  end_process(0);
}

// ---------------------------------------------------------------------------
// Registration

void arg_parser::check_long_name(const std::string& long_name) const {
  if (long_name.empty()) {
    fail(report::long_name_empty());
  }
  if (long_name.size() < 3 || long_name.compare(0, 2, "--") != 0) {
    fail(report::long_name_shape());
  }
  if (names_any(typed_options_, long_name) || names_any(callback_options_, long_name)) {
    fail(report::long_name_taken(long_name));
  }
}

void arg_parser::check_short_name(const std::string& short_name) const {
  if (short_name.size() != 2 || short_name[0] != '-') {
    fail(report::short_name_shape());
  }
  if (short_name_index_.find(short_name[1]) != short_name_index_.end()) {
    fail(report::short_name_taken(short_name));
  }
}

// Checks a non-empty short name and points its character at `index`, the
// place the new record is about to take in its list.
void arg_parser::index_short_name(const std::string& short_name, std::size_t index) {
  if (short_name.empty()) {
    return;
  }
  check_short_name(short_name);
  short_name_index_.emplace(short_name[1], index);
}

arg_parser& arg_parser::add_callback_option(std::string short_name, std::string long_name,
                                            std::string help, std::function<void()> action) {
  check_long_name(long_name);
  index_short_name(short_name, callback_options_.size());
  callback_options_.push_back(
      {std::move(short_name), std::move(long_name), std::move(help), std::move(action)});
  return *this;
}

arg_parser& arg_parser::add_flag(std::string short_name, std::string long_name, std::string help) {
  return append_typed_option(std::move(short_name), std::move(long_name), std::move(help),
                             type_name_of<bool>(), "0");
}

arg_parser& arg_parser::append_typed_option(std::string short_name, std::string long_name,
                                            std::string help, std::string_view type_name,
                                            std::string value) {
  check_long_name(long_name);
  index_short_name(short_name, typed_options_.size());
  typed_options_.push_back({std::move(short_name), std::move(long_name), std::move(help),
                            std::string(type_name), std::move(value)});
  return *this;
}

// ---------------------------------------------------------------------------
// Lookup

const std::string& arg_parser::typed_value_text(const std::string& key,
                                                std::string_view type_name) const {
  auto found =
      std::find_if(typed_options_.begin(), typed_options_.end(), [&](const typed_option& option) {
        return !option.short_name.empty() && option.short_name == key;
      });
  if (found == typed_options_.end()) {
    found = std::find_if(typed_options_.begin(), typed_options_.end(),
                         [&](const typed_option& option) { return option.long_name == key; });
  }
  if (found == typed_options_.end()) {
    fail(report::option_not_found(key));
  }
  if (found->type_name != type_name) {
    fail(report::option_type_mismatch(found->type_name, type_name));
  }
  return found->value;
}

const std::string& arg_parser::argument_value_text(const std::string& name,
                                                   std::string_view type_name) const {
  const auto has_name = [&](const auto& argument) { return argument.name == name; };
  const std::string* set_type = nullptr;
  const std::string* value = nullptr;
  if (const auto named = std::find_if(named_arguments_.begin(), named_arguments_.end(), has_name);
      named != named_arguments_.end()) {
    set_type = &named->type_name;
    value = &named->value;
  } else if (const auto position =
                 std::find_if(position_arguments_.begin(), position_arguments_.end(), has_name);
             position != position_arguments_.end()) {
    set_type = &position->type_name;
    value = &position->value;
  } else {
    fail(report::argument_not_found(name));
  }
  if (*set_type != type_name) {
    fail(report::argument_type_mismatch(*set_type, type_name));
  }
  return *value;
}

// ---------------------------------------------------------------------------
// Parsing

arg_parser& arg_parser::parse(int argc, const char* const* argv) {
  if (argc >= 1 && program_name_.empty()) {
    program_name_ = argv[0];
  }
  if (argc == 1) {
    print_usage();
    end_process(0);
  }
  pending_list pending;
  if (argc > 1) {
    pending.assign(argv + 1, argv + argc);
  }
  run_named_callback(pending);
  take_typed_options(pending);
  take_short_flag_group(pending);
  take_named_arguments(pending);
  take_position_arguments(pending);
  return *this;
}

// A callback option given anywhere wins over everything after it, and the one
// registered first wins over the others.
void arg_parser::run_named_callback(const pending_list& pending) const {
  for (const callback_option& option : callback_options_) {
    for (const std::string_view text : pending) {
      if (names(option, text)) {
        run_action_and_exit(option);
      }
    }
  }
}

// Options take their turns in registration order, each its first occurrence
// and, unless it is a flag, the text right behind it as value.
void arg_parser::take_typed_options(pending_list& pending) {
  for (typed_option& option : typed_options_) {
    auto text = std::find_if(pending.begin(), pending.end(),
                             [&](std::string_view candidate) { return names(option, candidate); });
    if (text == pending.end()) {
      continue;
    }
    text = pending.erase(text);
    if (option.is_flag()) {
      set_flag(option);
      continue;
    }
    if (text == pending.end()) {
      fail(report::option_without_value(option.short_name, option.long_name));
    }
    option.value = *text;
    pending.erase(text);
  }
}

// Only the first text left that begins with "-" is judged, as a group of
// short characters behind one "-".
void arg_parser::take_short_flag_group(pending_list& pending) {
  const auto found = std::find_if(pending.begin(), pending.end(), [](std::string_view text) {
    return !text.empty() && text.front() == '-';
  });
  if (found == pending.end()) {
    return;
  }
  const std::string_view text = *found;
  if (text.size() == 1) {
    fail(report::bare_dash());
  }
  if (text[1] == '-') {
    fail(report::unrecognized_option(text));
  }
  const std::string_view group = text.substr(1);
  for (const char character : group) {
    if (const auto index =
            index_for_short_character(short_name_index_, callback_options_, character)) {
      run_action_and_exit(callback_options_[*index]);
    }
  }
  for (const char character : group) {
    const auto index = index_for_short_character(short_name_index_, typed_options_, character);
    if (!index) {
      fail(report::unrecognized_short_character(character, text));
    }
    typed_option& option = typed_options_[*index];
    if (!option.is_flag()) {
      fail(report::grouped_option_not_flag());
    }
    set_flag(option);
  }
  pending.erase(found);
}

void arg_parser::take_named_arguments(pending_list& pending) {
  if (pending.size() < named_arguments_.size()) {
    fail(report::too_few_texts_for_named_arguments());
  }
  for (named_argument& argument : named_arguments_) {
    const auto text = std::find_if(pending.begin(), pending.end(), [&](std::string_view candidate) {
      return match_named_argument(candidate, argument);
    });
    if (text != pending.end()) {
      pending.erase(text);
    }
    if (argument.value.empty()) {
      fail(report::named_argument_without_value(argument.name));
    }
  }
}

void arg_parser::take_position_arguments(const pending_list& pending) {
  if (pending.size() != position_arguments_.size()) {
    fail(report::position_count_mismatch(pending, position_arguments_.size()));
  }
  for (std::size_t i = 0; i < pending.size(); ++i) {
    position_arguments_[i].value = pending[i];
  }
}

}  // namespace argparse
