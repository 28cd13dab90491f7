#pragma once

// The command-line parser: one `arg_parser` holds a program's options and
// arguments, parses its command line, prints its usage line and help listing,
// and hands the values back by name.
//
// Failures are not returned. Every "(build error) ", "(parse error) " and
// "(get error) " report is one line on the error stream of the parser's
// `process_io`, and the process then ends with status -1. The bare usage line
// and a callback option end it with status 0. `parse` and `get` return only
// on success.

#include <argparse/process_io.hpp>
#include <argparse/value_text.hpp>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <typeinfo>
#include <unordered_map>
#include <utility>
#include <vector>

namespace argparse {

/// An option that runs an action and then ends the process with status 0
/// (help, version).
struct callback_option {
  std::string short_name;  ///< empty, or "-" and one character
  std::string long_name;   ///< "--" and at least one character
  std::string help;
  std::function<void()> action;
};

/// A flag (type name "bool", value "0" or "1") or an option with a typed value.
struct typed_option {
  std::string short_name;
  std::string long_name;
  std::string help;
  std::string type_name;  ///< "bool" or "int"
  std::string value;      ///< the default until the command line gives one

  /// A flag is named alone on the command line, never followed by a value
  /// text, and the help listing shows no type for it.
  bool is_flag() const noexcept { return type_name == type_name_of<bool>(); }
};

/// An argument given as name=value.
struct named_argument {
  std::string name;
  std::string help;
  std::string type_name;
  std::string value;  ///< empty, or the default, until the command line gives one
};

/// An argument given by its place among the texts left over.
struct position_argument {
  std::string name;
  std::string help;
  std::string type_name;
  std::string value;
};

/// Maps a short character to the index of its option in that option's own
/// list; callback and typed options share the one map.
using short_name_map = std::unordered_map<char, std::uint64_t>;

class arg_parser {
 public:
  /// Texts go to `io` and the process ends through it; by default that is
  /// standard output, standard error and std::exit.
  explicit arg_parser(std::string description, process_io& io = standard_io());

  const std::string& description() const noexcept { return description_; }
  /// The name shown in the usage line. When it is empty, `parse` takes the
  /// invocation text (argv[0]).
  const std::string& program_name() const noexcept { return program_name_; }
  void set_program_name(std::string name) { program_name_ = std::move(name); }

  // Registration. Each operation checks the names, appends one record and
  // returns the parser, so calls chain. A long name is "--" and at least one
  // character, unique over all options; a short name is empty or "-" and one
  // character, unique over all options. A bad or taken name is a build error.

  /// An option whose action runs when it is given, before anything else on
  /// the command line is judged; the process then ends with status 0. An
  /// empty action does nothing.
  arg_parser& add_callback_option(std::string short_name, std::string long_name, std::string help,
                                  std::function<void()> action);

  /// A bool option that is false unless given. It takes no value text.
  arg_parser& add_flag(std::string short_name, std::string long_name, std::string help);

  /// An option of type bool or int with a default. The text that follows the
  /// option's name on the command line becomes its value; bool behaves as a
  /// flag. Any other type is a build error.
  template <typename T>
  arg_parser& add_option(std::string short_name, std::string long_name, std::string help,
                         const T& default_value);

  /// An argument written name=value anywhere after the options; the command
  /// line must give it.
  template <typename T>
  arg_parser& add_named_argument(std::string name, std::string help);

  /// An argument written name=value; without one on the command line it keeps
  /// `default_value`. A count comes first, though: when fewer texts are left
  /// after the options than there are named arguments, parsing fails with
  /// "not enough named_arguments" before any text is matched, whatever the
  /// defaults.
  template <typename T>
  arg_parser& add_named_argument(std::string name, std::string help, const T& default_value);

  /// An argument taken from the texts left over, in registration order; the
  /// number of texts left must equal the number of position arguments.
  template <typename T>
  arg_parser& add_position_argument(std::string name, std::string help);

  /// Parses the command line into the values. With no arguments at all it
  /// prints the usage line and ends the process with status 0. Returns only
  /// when the command line was accepted. Call it once, after registration.
  arg_parser& parse(int argc, const char* const* argv);

  /// Writes the usage line and flushes the output stream.
  void print_usage() const;
  /// Writes the usage line (flushed) and the rest of the help listing (not
  /// flushed).
  void print_help() const;

  /// The value of the flag or typed option named `key` (short or long name).
  /// An unknown name or a type other than the registered one is a get error.
  template <typename T>
  T get(const std::string& key) const;

  /// The value of the named argument, or else of the position argument,
  /// called `name`. An unknown name or a type other than the registered one
  /// is a get error.
  template <typename T>
  T get_argument(const std::string& name) const;

  // Read-only views of what has been registered, in registration order.
  const std::vector<callback_option>& callback_options() const noexcept {
    return callback_options_;
  }
  const std::vector<typed_option>& typed_options() const noexcept { return typed_options_; }
  const short_name_map& short_name_index() const noexcept { return short_name_index_; }
  const std::vector<named_argument>& named_arguments() const noexcept { return named_arguments_; }
  const std::vector<position_argument>& position_arguments() const noexcept {
    return position_arguments_;
  }

 private:
  using pending_list = std::vector<std::string_view>;

  [[noreturn]] void end_process(int status) const;
  /// Writes one of the reports and ends the process with status -1.
  [[noreturn]] void fail(std::string_view report_line) const;
  [[noreturn]] void fail_unsupported_type(const std::type_info& type) const;
  [[noreturn]] void run_action_and_exit(const callback_option& option) const;

  void check_long_name(const std::string& long_name) const;
  void check_short_name(const std::string& short_name) const;
  void index_short_name(const std::string& short_name, std::size_t index);
  arg_parser& append_typed_option(std::string short_name, std::string long_name, std::string help,
                                  std::string_view type_name, std::string value);

  const std::string& typed_value_text(const std::string& key, std::string_view type_name) const;
  const std::string& argument_value_text(const std::string& name, std::string_view type_name) const;

  void run_named_callback(const pending_list& pending) const;
  void take_typed_options(pending_list& pending);
  void take_short_flag_group(pending_list& pending);
  void take_named_arguments(pending_list& pending);
  void take_position_arguments(const pending_list& pending);

  std::string help_after_usage() const;

  std::string description_;
  std::string program_name_;
  std::vector<callback_option> callback_options_;
  std::vector<typed_option> typed_options_;
  short_name_map short_name_index_;
  std::vector<named_argument> named_arguments_;
  std::vector<position_argument> position_arguments_;
  process_io* io_;
};

// The names and the default go unused for a type that is refused.
template <typename T>
arg_parser& arg_parser::add_option([[maybe_unused]] std::string short_name,
                                   [[maybe_unused]] std::string long_name,
                                   [[maybe_unused]] std::string help,
                                   [[maybe_unused]] const T& default_value) {
  if constexpr (is_value_type<T>) {
    return append_typed_option(std::move(short_name), std::move(long_name), std::move(help),
                               type_name_of<T>(), to_value_text(default_value));
  } else {
    fail_unsupported_type(typeid(T));
  }
}

template <typename T>
arg_parser& arg_parser::add_named_argument(std::string name, std::string help) {
  static_assert(is_value_type<T>, "arguments are bool or int");
  named_arguments_.push_back(
      {std::move(name), std::move(help), std::string(type_name_of<T>()), std::string()});
  return *this;
}

template <typename T>
arg_parser& arg_parser::add_named_argument(std::string name, std::string help,
                                           const T& default_value) {
  static_assert(is_value_type<T>, "arguments are bool or int");
  named_arguments_.push_back({std::move(name), std::move(help), std::string(type_name_of<T>()),
                              to_value_text(default_value)});
  return *this;
}

template <typename T>
arg_parser& arg_parser::add_position_argument(std::string name, std::string help) {
  static_assert(is_value_type<T>, "arguments are bool or int");
  position_arguments_.push_back(
      {std::move(name), std::move(help), std::string(type_name_of<T>()), std::string()});
  return *this;
}

template <typename T>
T arg_parser::get(const std::string& key) const {
  static_assert(is_value_type<T>, "values are read as bool or int");
  return from_value_text<T>(typed_value_text(key, type_name_of<T>()));
}

template <typename T>
T arg_parser::get_argument(const std::string& name) const {
  static_assert(is_value_type<T>, "values are read as bool or int");
  return from_value_text<T>(argument_value_text(name, type_name_of<T>()));
}

}  // namespace argparse
