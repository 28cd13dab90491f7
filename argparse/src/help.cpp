#include <argparse/arg_parser.hpp>

#include <algorithm>

namespace argparse {

namespace {

// The name column is at least this wide, so that short names line up.
constexpr std::size_t min_name_column = 25;
// Every entry starts with this indent; further help lines are indented by the
// column width plus its length.
constexpr std::string_view entry_indent = "  ";
// A short name ("-x") and the ", " that follows it.
constexpr std::size_t short_name_width = 4;

template <typename Option>
std::size_t name_width(const Option& option) {
  return option.long_name.size() + (option.short_name.empty() ? 0 : short_name_width);
}

template <typename Option>
std::size_t widest_name(const std::vector<Option>& options, std::size_t width) {
  for (const Option& option : options) {
    width = std::max(width, name_width(option));
  }
  return width;
}

// Copies the help text and indents every line after the first.
void append_help(std::string& out, std::string_view help, std::size_t indent) {
  for (const char character : help) {
    out.push_back(character);
    if (character == '\n') {
      out.append(indent, ' ');
    }
  }
}

void append_type_part(std::string& out, std::string_view type_name) {
  out.append("(").append(type_name).append(") ");
}

template <typename Option>
void append_option_names(std::string& out, const Option& option, std::size_t column) {
  out.append(entry_indent);
  if (!option.short_name.empty()) {
    out.append(option.short_name).append(", ");
  }
  out.append(option.long_name).append(column - name_width(option), ' ');
}

void append_entry_end(std::string& out, std::string_view help, std::size_t column) {
  append_help(out, help, column + entry_indent.size());
  out.push_back('\n');
}

template <typename Argument>
void append_argument_section(std::string& out, std::string_view title,
                             const std::vector<Argument>& arguments) {
  if (arguments.empty()) {
    return;
  }
  out.append(title);
  std::size_t column = min_name_column;
  for (const Argument& argument : arguments) {
    column = std::max(column, argument.name.size());
  }
  for (const Argument& argument : arguments) {
    out.append(entry_indent).append(argument.name).append(column - argument.name.size(), ' ');
    append_type_part(out, argument.type_name);
    append_entry_end(out, argument.help, column);
  }
}

}  // namespace

void arg_parser::print_usage() const {
  std::string line = "usage: " + program_name_ + " [options]";
  for (const named_argument& argument : named_arguments_) {
    line.append(" [=").append(argument.name).append("]");
  }
  for (const position_argument& argument : position_arguments_) {
    line.append(" [").append(argument.name).append("]");
  }
  line.push_back('\n');
  io_->write_out(line, true);
}

void arg_parser::print_help() const {
  print_usage();
  io_->write_out(help_after_usage(), false);
}

std::string arg_parser::help_after_usage() const {
  std::string out = "\n" + description_ + "\n\nOptions:\n";
  const std::size_t column =
      widest_name(typed_options_, widest_name(callback_options_, min_name_column));
  for (const callback_option& option : callback_options_) {
    append_option_names(out, option, column);
    append_entry_end(out, option.help, column);
  }
  for (const typed_option& option : typed_options_) {
    append_option_names(out, option, column);
    if (!option.is_flag()) {
      append_type_part(out, option.type_name);
    }
    append_entry_end(out, option.help, column);
  }
  append_argument_section(out, "\nNamed arguments:\n", named_arguments_);
  append_argument_section(out, "\nPosition arguments:\n", position_arguments_);
  return out;
}

}  // namespace argparse
