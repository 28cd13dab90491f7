// Drives the parser in-process with a registration table, a command line and
// lookups decoded from the fuzz input (parser_plan.hpp), and checks what it
// did against rules that hold for every input. A broken rule aborts, which
// the fuzzer reports as a crash together with the input.

#include "captured_io.hpp"
#include "count_report.hpp"
#include "fuzz_check.hpp"
#include "parser_plan.hpp"
#include "stream_extraction.hpp"

#include <argparse/arg_parser.hpp>

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace {

using argparse::arg_parser;
using fuzz_support::lines_of;
using fuzz_support::lookup;
using fuzz_support::parser_plan;
using fuzz_support::registration;
using fuzz_support::registration_kind;
using fuzz_support::require;
using test_support::captured_io;
using test_support::command_line;
using test_support::count_report_head;
using test_support::count_report_start;
using test_support::extracted_by_stream;
using test_support::outcome;

constexpr std::size_t min_name_column = 25;
constexpr std::size_t entry_indent = 2;
constexpr std::size_t short_name_width = 4;  // "-x, "

bool is_option(registration_kind kind) {
  return kind != registration_kind::named && kind != registration_kind::named_with_default &&
         kind != registration_kind::position;
}

bool is_bool_option(const registration& option) {
  return option.kind == registration_kind::flag || option.kind == registration_kind::bool_option;
}

std::string type_name(const registration& r) {
  return is_option(r.kind) ? (is_bool_option(r) ? "bool" : "int") : (r.bool_type ? "bool" : "int");
}

// The value text a registration starts with: "0" for a flag, the default's
// text, or empty for an argument without a default.
std::string default_text(const registration& r) {
  switch (r.kind) {
    case registration_kind::flag:
      return "0";
    case registration_kind::int_option:
      return argparse::to_value_text(r.int_default);
    case registration_kind::bool_option:
      return argparse::to_value_text(r.bool_default);
    case registration_kind::named_with_default:
      return r.bool_type ? argparse::to_value_text(r.bool_default)
                         : argparse::to_value_text(r.int_default);
    default:
      return {};
  }
}

bool names_option(const registration& option, std::string_view text) {
  return (!option.short_name.empty() && text == option.short_name) || text == option.name;
}

bool holds(const std::vector<std::string>& texts, std::string_view text) {
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

bool is_subsequence(const std::vector<std::string>& part, const std::vector<std::string>& whole) {
  auto next = whole.begin();
  for (const std::string& text : part) {
    next = std::find(next, whole.end(), text);
    if (next == whole.end()) {
      return false;
    }
    ++next;
  }
  return true;
}

std::size_t line_breaks(std::string_view text) {
  return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A help text with every further line indented.
std::size_t laid_out_size(std::string_view help, std::size_t indent) {
  return help.size() + line_breaks(help) * indent;
}

// The name rules of registration, kept apart from the parser so that its
// answers can be checked: the report a registration must end with, if any.
class name_rules {
 public:
  std::optional<std::string> refusal(const registration& r) const {
    if (r.kind == registration_kind::unsupported_option) {
      return "(build error) unsupport type for option: double";
    }
    if (!is_option(r.kind)) {
      return std::nullopt;
    }
    if (const auto refused = long_name_refusal(r.name)) {
      return refused;
    }
    return r.short_name.empty() ? std::nullopt : short_name_refusal(r.short_name);
  }

  void accept(const registration& r) {
    if (!is_option(r.kind)) {
      return;
    }
    long_names_.insert(r.name);
    if (!r.short_name.empty()) {
      short_characters_.insert(r.short_name[1]);
    }
  }

 private:
  std::optional<std::string> long_name_refusal(const std::string& name) const {
    if (name.empty()) {
      return "(build error) long option name cannot be empty";
    }
    if (name.size() < 3 || !name.starts_with("--")) {
      return "(build error) long option name must be `--` followed by one or more characters";
    }
    if (long_names_.contains(name)) {
      return "(build error) long option name " + name + " already exists";
    }
    return std::nullopt;
  }

  std::optional<std::string> short_name_refusal(const std::string& name) const {
    if (name.size() != 2 || name[0] != '-') {
      return "(build error) short option name must be `-` followed by one character";
    }
    if (short_characters_.contains(name[1])) {
      return "(build error) short option name " + name + " already exists";
    }
    return std::nullopt;
  }

  std::set<std::string> long_names_;
  std::set<char> short_characters_;
};

class parser_check {
 public:
  explicit parser_check(const parser_plan& plan)
      : plan_(plan), parser_(plan.description, io_), line_(command_line_texts(plan)) {}

  void run() {
    if (plan_.program_name) {
      parser_.set_program_name(*plan_.program_name);
    }
    for (const registration& r : plan_.registrations) {
      if (!register_one(r)) {
        return;
      }
    }
    check_printing();
    if (!parse_command_line()) {
      return;
    }
    for (const lookup& next : plan_.lookups) {
      if (!look_up(next)) {
        return;
      }
    }
    check_printing();
  }

 private:
  static std::vector<std::string> command_line_texts(const parser_plan& plan) {
    if (plan.no_texts) {
      return {};
    }
    std::vector<std::string> texts{plan.invocation};
    texts.insert(texts.end(), plan.arguments.begin(), plan.arguments.end());
    return texts;
  }

  outcome step(const std::function<void()>& code) { return test_support::capture(io_, code); }

  void check(bool rule_holds, std::string_view rule, const outcome& result) const {
    require(rule_holds, rule, result.out, result.err);
  }

  // ---- registration

  bool register_one(const registration& r) {
    const std::optional<std::string> refusal = rules_.refusal(r);
    const outcome result = step([&] { apply(r); });
    check(result.out.empty(), "registration writes no output", result);
    if (refusal) {
      check(result.status == -1 && result.err == *refusal + "\n",
            "a bad registration ends with its one-line build report", result);
      return false;
    }
    check(!result.status && result.err.empty(), "a good registration returns quietly", result);
    rules_.accept(r);
    list_of(r.kind).push_back(&r);
    return true;
  }

  std::vector<const registration*>& list_of(registration_kind kind) {
    switch (kind) {
      case registration_kind::callback:
        return callbacks_;
      case registration_kind::named:
      case registration_kind::named_with_default:
        return named_;
      case registration_kind::position:
        return positions_;
      default:
        return typed_;
    }
  }

  void apply(const registration& r) {
    switch (r.kind) {
      case registration_kind::callback:
        parser_.add_callback_option(r.short_name, r.name, r.help, action_for(r, callbacks_.size()));
        break;
      case registration_kind::flag:
        parser_.add_flag(r.short_name, r.name, r.help);
        break;
      case registration_kind::int_option:
        parser_.add_option<int>(r.short_name, r.name, r.help, r.int_default);
        break;
      case registration_kind::bool_option:
        parser_.add_option<bool>(r.short_name, r.name, r.help, r.bool_default);
        break;
      case registration_kind::unsupported_option:
        parser_.add_option<double>(r.short_name, r.name, r.help, 0.5);
        break;
      default:
        apply_argument(r);
        break;
    }
  }

  void apply_argument(const registration& r) {
    if (r.kind == registration_kind::position) {
      r.bool_type ? parser_.add_position_argument<bool>(r.name, r.help)
                  : parser_.add_position_argument<int>(r.name, r.help);
    } else if (r.kind == registration_kind::named) {
      r.bool_type ? parser_.add_named_argument<bool>(r.name, r.help)
                  : parser_.add_named_argument<int>(r.name, r.help);
    } else {
      r.bool_type ? parser_.add_named_argument<bool>(r.name, r.help, r.bool_default)
                  : parser_.add_named_argument<int>(r.name, r.help, r.int_default);
    }
  }

  std::function<void()> action_for(const registration& callback, std::size_t index) {
    if (callback.action == '0') {
      return {};
    }
    return [this, action = callback.action, index] {
      fired_.push_back(index);
      if (action == 'h') {
        parser_.print_help();
      } else if (action == 'u') {
        parser_.print_usage();
      } else {
        io_.write_out(marker(index), false);
      }
    };
  }

  static std::string marker(std::size_t index) {
    return "callback " + std::to_string(index) + "\n";
  }

  // ---- usage line and help listing

  std::string expected_usage() const {
    std::string line = "usage: " + parser_.program_name() + " [options]";
    for (const registration* argument : named_) {
      line.append(" [=").append(argument->name).append("]");
    }
    for (const registration* argument : positions_) {
      line.append(" [").append(argument->name).append("]");
    }
    return line + "\n";
  }

  std::size_t option_column() const {
    std::size_t column = min_name_column;
    for (const auto* list : {&callbacks_, &typed_}) {
      for (const registration* option : *list) {
        column = std::max(
            column, option->name.size() + (option->short_name.empty() ? 0 : short_name_width));
      }
    }
    return column;
  }

  // Size and line count of the listing after the usage line.
  std::pair<std::size_t, std::size_t> expected_help_body() const {
    std::size_t size = 1 + plan_.description.size() + 2 + std::string_view("Options:\n").size();
    std::size_t lines = 3 + line_breaks(plan_.description) + 1;
    const std::size_t column = option_column();
    for (const auto* list : {&callbacks_, &typed_}) {
      for (const registration* option : *list) {
        const bool shows_type =
            option->kind != registration_kind::callback && !is_bool_option(*option);
        size += entry_indent + column + (shows_type ? type_name(*option).size() + 3 : 0) +
                laid_out_size(option->help, column + entry_indent) + 1;
        lines += line_breaks(option->short_name) + line_breaks(option->name) +
                 line_breaks(option->help) + 1;
      }
    }
    add_argument_section(named_, "\nNamed arguments:\n", size, lines);
    add_argument_section(positions_, "\nPosition arguments:\n", size, lines);
    return {size, lines};
  }

  static void add_argument_section(const std::vector<const registration*>& arguments,
                                   std::string_view title, std::size_t& size, std::size_t& lines) {
    if (arguments.empty()) {
      return;
    }
    std::size_t column = min_name_column;
    for (const registration* argument : arguments) {
      column = std::max(column, argument->name.size());
    }
    size += title.size();
    lines += 2;
    for (const registration* argument : arguments) {
      size += entry_indent + column + type_name(*argument).size() + 3 +
              laid_out_size(argument->help, column + entry_indent) + 1;
      lines += line_breaks(argument->name) + line_breaks(argument->help) + 1;
    }
  }

  void check_printing() {
    const outcome usage = step([&] { parser_.print_usage(); });
    check(!usage.status && usage.err.empty() && usage.out == expected_usage(),
          "print_usage writes the usage line and returns", usage);
    const outcome help = step([&] { parser_.print_help(); });
    check(!help.status && help.err.empty() && help.out.starts_with(usage.out),
          "print_help begins with the usage line and returns", help);
    const auto [size, lines] = expected_help_body();
    check(help.out.size() == usage.out.size() + size, "the help listing has its laid-out size",
          help);
    check(line_breaks(help.out) == line_breaks(usage.out) + lines,
          "the help listing has one line per entry and help line", help);
    const outcome again = step([&] { parser_.print_help(); });
    check(again.out == help.out, "print_help writes the same listing every time", again);
  }

  // ---- parse

  bool parse_command_line() {
    const std::string name_before = parser_.program_name();
    const outcome result = step([&] { parser_.parse(line_.argc(), line_.argv()); });
    const std::string expected_name =
        !name_before.empty() || plan_.no_texts ? name_before : plan_.invocation;
    check(parser_.program_name() == expected_name,
          "parse takes the invocation text as program name only when there is none", result);
    if (line_.argc() == 1) {
      check(result.status == 0 && result.err.empty() && fired_.empty() &&
                result.out == expected_usage(),
            "a bare invocation prints the usage line and ends with status 0", result);
      return false;
    }
    if (!result.status) {
      check_accepted(result);
      return true;
    }
    if (*result.status == 0) {
      check_callback_end(result);
    } else {
      check(*result.status == -1, "parse ends with status 0 or -1", result);
      check_parse_report(result);
    }
    return false;
  }

  std::optional<std::size_t> first_callback_named_whole() const {
    for (std::size_t i = 0; i < callbacks_.size(); ++i) {
      for (const std::string& text : plan_.arguments) {
        if (names_option(*callbacks_[i], text)) {
          return i;
        }
      }
    }
    return std::nullopt;
  }

  bool named_in_a_group(const registration& callback) const {
    if (callback.short_name.size() != 2) {
      return false;
    }
    return std::any_of(plan_.arguments.begin(), plan_.arguments.end(), [&](const std::string& t) {
      return t.size() >= 2 && t[0] == '-' && t[1] != '-' &&
             t.find(callback.short_name[1], 1) != std::string::npos;
    });
  }

  std::string action_output(std::size_t index) {
    switch (callbacks_[index]->action) {
      case '0':
        return {};
      case 'u':
        return expected_usage();
      case 'h':
        return step([&] { parser_.print_help(); }).out;
      default:
        return marker(index);
    }
  }

  void check_callback_end(const outcome& result) {
    check(result.err.empty() && fired_.size() <= 1, "a callback option runs one action quietly",
          result);
    std::optional<std::size_t> ran;
    if (const auto whole = first_callback_named_whole()) {
      check(callbacks_[*whole]->action == '0' ? fired_.empty()
                                              : fired_ == std::vector<std::size_t>{*whole},
            "the first registered callback option named by a whole text runs", result);
      ran = whole;
    } else if (!fired_.empty()) {
      check(named_in_a_group(*callbacks_[fired_.front()]),
            "a callback option runs only when the command line names it", result);
      ran = fired_.front();
    } else {
      check(std::any_of(
                callbacks_.begin(), callbacks_.end(),
                [&](const registration* c) { return c->action == '0' && named_in_a_group(*c); }),
            "parse ends with status 0 only after the usage line or a callback option", result);
    }
    check(result.out == (ran ? action_output(*ran) : std::string()),
          "a callback option writes what its action writes and nothing else", result);
  }

  void check_accepted(const outcome& result) {
    check(result.out.empty() && result.err.empty() && fired_.empty(),
          "an accepted parse writes nothing and runs no action", result);
    check(!first_callback_named_whole(), "a callback option named on the command line runs",
          result);
    check_records_kept(result);
    check_typed_values(result);
    check_argument_values(result);
    check_texts_taken_once(result);
  }

  template <typename Record>
  bool same_entry(const Record& record, const registration& r) const {
    return record.help == r.help && record.type_name == type_name(r);
  }

  void check_records_kept(const outcome& result) const {
    const auto& callbacks = parser_.callback_options();
    const auto& typed = parser_.typed_options();
    bool kept = callbacks.size() == callbacks_.size() && typed.size() == typed_.size() &&
                parser_.named_arguments().size() == named_.size() &&
                parser_.position_arguments().size() == positions_.size();
    for (std::size_t i = 0; kept && i < callbacks.size(); ++i) {
      kept = callbacks[i].short_name == callbacks_[i]->short_name &&
             callbacks[i].long_name == callbacks_[i]->name &&
             callbacks[i].help == callbacks_[i]->help;
    }
    for (std::size_t i = 0; kept && i < typed.size(); ++i) {
      kept = typed[i].short_name == typed_[i]->short_name &&
             typed[i].long_name == typed_[i]->name && same_entry(typed[i], *typed_[i]);
    }
    for (std::size_t i = 0; kept && i < named_.size(); ++i) {
      kept = parser_.named_arguments()[i].name == named_[i]->name &&
             same_entry(parser_.named_arguments()[i], *named_[i]);
    }
    for (std::size_t i = 0; kept && i < positions_.size(); ++i) {
      kept = parser_.position_arguments()[i].name == positions_[i]->name &&
             same_entry(parser_.position_arguments()[i], *positions_[i]);
    }
    check(kept, "parse changes no name, help or type of a record", result);
  }

  void check_typed_values(const outcome& result) const {
    for (std::size_t i = 0; i < typed_.size(); ++i) {
      const std::string& value = parser_.typed_options()[i].value;
      const bool from_default = value == default_text(*typed_[i]);
      if (is_bool_option(*typed_[i])) {
        check(from_default || value == "1", "a bool option holds its default or \"1\"", result);
      } else {
        check(from_default || holds(plan_.arguments, value),
              "an option holds its default or a text of the command line", result);
      }
    }
  }

  // A named argument's value is its default or the part after the first "="
  // of a text that begins with its name and "=".
  bool given_as_named(const registration& argument, const std::string& value) const {
    return std::any_of(plan_.arguments.begin(), plan_.arguments.end(), [&](const std::string& t) {
      const auto equals = t.find('=');
      return equals != std::string::npos && t.compare(0, equals, argument.name) == 0 &&
             t.compare(equals + 1, std::string::npos, value) == 0;
    });
  }

  void check_argument_values(const outcome& result) const {
    for (std::size_t i = 0; i < named_.size(); ++i) {
      const std::string& value = parser_.named_arguments()[i].value;
      check(!value.empty() &&
                (value == default_text(*named_[i]) || given_as_named(*named_[i], value)),
            "a named argument holds its default or the value of its text", result);
    }
    std::vector<std::string> values;
    for (const auto& argument : parser_.position_arguments()) {
      values.push_back(argument.value);
    }
    check(is_subsequence(values, plan_.arguments),
          "position arguments hold texts of the command line in their order", result);
  }

  // Every text is taken by one step at most: the values that must have come
  // from a text of their own (an option's value other than its default, a
  // named argument's value other than its default, each position argument's
  // value) are no more texts than the command line holds.
  void check_texts_taken_once(const outcome& result) const {
    std::map<std::string, int> unused;
    for (const std::string& text : plan_.arguments) {
      ++unused[text];
    }
    bool enough = true;
    const auto take = [&](const std::string& text) { enough = --unused[text] >= 0 && enough; };
    for (std::size_t i = 0; i < typed_.size(); ++i) {
      const std::string& value = parser_.typed_options()[i].value;
      if (!is_bool_option(*typed_[i]) && value != default_text(*typed_[i])) {
        take(value);
      }
    }
    for (std::size_t i = 0; i < named_.size(); ++i) {
      const std::string& value = parser_.named_arguments()[i].value;
      if (value != default_text(*named_[i])) {
        take(named_[i]->name + "=" + value);
      }
    }
    for (const auto& argument : parser_.position_arguments()) {
      take(argument.value);
    }
    check(enough, "each text of the command line is taken once at most", result);
  }

  // ---- parse reports

  void check_parse_report(const outcome& result) const {
    const std::string& report = result.err;
    check(result.out.empty() && fired_.empty() && report.starts_with("(parse error) ") &&
              report.ends_with('\n'),
          "a parse error writes only its report, ended by a line break", result);
    if (report.starts_with(count_report_start)) {
      check_count_report(result);
      return;
    }
    check(plan_has_line_break() || line_breaks(report) == 1, "a parse report is one line", result);
    const std::string_view body =
        std::string_view(report).substr(14, report.size() - 15);  // no prefix, no line break
    check(is_known_parse_report(body), "a parse report is one of the parser's reports", result);
  }

  bool is_known_parse_report(std::string_view body) const {
    constexpr std::string_view short_head = "unrecognized short name option '";
    constexpr std::string_view long_head = "unrecognized option";
    constexpr std::string_view value_tail = " should have value";
    if (body == "bare unexcepted '-'") {
      return holds(plan_.arguments, "-");
    }
    constexpr std::string_view in = "' in ";
    if (body.starts_with(short_head) && body.size() > short_head.size() + 1 + in.size()) {
      const char character = body[short_head.size()];
      const std::string_view text = body.substr(short_head.size() + 1 + in.size());
      return body.substr(short_head.size() + 1, in.size()) == in && holds(plan_.arguments, text) &&
             text.size() >= 2 && text[0] == '-' && text[1] != '-' &&
             text.find(character, 1) != std::string_view::npos;
    }
    if (body.starts_with(long_head)) {
      const std::string_view text = body.substr(long_head.size());
      return text.starts_with("--") && holds(plan_.arguments, text);
    }
    if (body == "aggregation short name option must be bool") {
      return std::any_of(typed_.begin(), typed_.end(), [](const registration* option) {
        return !is_bool_option(*option) && !option->short_name.empty();
      });
    }
    if (body == "not enough named_arguments") {
      return !named_.empty();
    }
    if (body.starts_with("option ") && body.ends_with(value_tail)) {
      return names_valued_option(body.substr(7, body.size() - 7 - value_tail.size()));
    }
    if (body.starts_with("named_argument ") && body.ends_with(value_tail)) {
      const std::string_view name = body.substr(15, body.size() - 15 - value_tail.size());
      return std::any_of(named_.begin(), named_.end(),
                         [&](const registration* argument) { return argument->name == name; });
    }
    return false;
  }

  // "short long" of an option that takes a value and is named on the line.
  bool names_valued_option(std::string_view names) const {
    return std::any_of(typed_.begin(), typed_.end(), [&](const registration* option) {
      return !is_bool_option(*option) && names == option->short_name + " " + option->name &&
             std::any_of(plan_.arguments.begin(), plan_.arguments.end(),
                         [&](const std::string& text) { return names_option(*option, text); });
    });
  }

  void check_count_report(const outcome& result) const {
    const std::string& report = result.err;
    std::size_t given = 0;
    const char* const digits = report.data() + count_report_start.size();
    const auto error = std::from_chars(digits, report.data() + report.size(), given).ec;
    const std::string head = count_report_head(given, positions_.size());
    check(error == std::errc() && report.starts_with(head) && given != positions_.size() &&
              given <= plan_.arguments.size(),
          "the count report gives the texts left and the position arguments", result);
    const std::string_view left = std::string_view(report).substr(head.size());
    if (plan_has_line_break()) {
      check(line_breaks(left) >= given, "the count report lists the texts left", result);
      return;
    }
    const std::vector<std::string> listed = lines_of(left);
    check(listed.size() == given && is_subsequence(listed, plan_.arguments),
          "the count report lists the texts left, one a line, in their order", result);
  }

  bool plan_has_line_break() const {
    if (line_breaks(plan_.description) + line_breaks(plan_.invocation) > 0 ||
        (plan_.program_name && line_breaks(*plan_.program_name) > 0)) {
      return true;
    }
    for (const registration& r : plan_.registrations) {
      if (line_breaks(r.short_name) + line_breaks(r.name) > 0) {
        return true;
      }
    }
    return std::any_of(plan_.arguments.begin(), plan_.arguments.end(),
                       [](const std::string& text) { return line_breaks(text) > 0; }) ||
           std::any_of(plan_.lookups.begin(), plan_.lookups.end(),
                       [](const lookup& l) { return line_breaks(l.key) > 0; });
  }

  // ---- lookups

  // The report a lookup must end with, or else the value text it reads.
  struct lookup_expectation {
    std::optional<std::string> report;
    std::string value;
  };

  static lookup_expectation expect_type(const std::string& set_type, std::string_view asked,
                                        std::string_view what, const std::string& value) {
    if (set_type == asked) {
      return {std::nullopt, value};
    }
    return {"(get error) " + std::string(what) + " type mismatch: set '" + set_type +
                "' but you try get with '" + std::string(asked) + "'",
            {}};
  }

  lookup_expectation expect_option_lookup(const lookup& l) const {
    const auto& options = parser_.typed_options();
    auto found = std::find_if(options.begin(), options.end(), [&](const auto& option) {
      return !option.short_name.empty() && option.short_name == l.key;
    });
    if (found == options.end()) {
      found = std::find_if(options.begin(), options.end(),
                           [&](const auto& option) { return option.long_name == l.key; });
    }
    if (found == options.end()) {
      return {"(get error) option not found: " + l.key, {}};
    }
    return expect_type(found->type_name, l.bool_type ? "bool" : "int", "option", found->value);
  }

  lookup_expectation expect_argument_lookup(const lookup& l) const {
    const auto has_name = [&](const auto& argument) { return argument.name == l.key; };
    const auto& named = parser_.named_arguments();
    const auto& positions = parser_.position_arguments();
    const std::string_view asked = l.bool_type ? "bool" : "int";
    if (const auto found = std::find_if(named.begin(), named.end(), has_name);
        found != named.end()) {
      return expect_type(found->type_name, asked, "argument", found->value);
    }
    if (const auto found = std::find_if(positions.begin(), positions.end(), has_name);
        found != positions.end()) {
      return expect_type(found->type_name, asked, "argument", found->value);
    }
    return {"(get error) argument not found: " + l.key, {}};
  }

  template <typename T>
  outcome read(const lookup& l, T& value) {
    return step(
        [&] { value = l.of_argument ? parser_.get_argument<T>(l.key) : parser_.get<T>(l.key); });
  }

  bool look_up(const lookup& l) {
    const lookup_expectation expected =
        l.of_argument ? expect_argument_lookup(l) : expect_option_lookup(l);
    bool flag = false;
    int number = 0;
    const outcome result = l.bool_type ? read(l, flag) : read(l, number);
    check(result.out.empty(), "a lookup writes no output", result);
    if (expected.report) {
      check(result.status == -1 && result.err == *expected.report + "\n",
            "a failed lookup ends with its one-line get report", result);
      return false;
    }
    check(!result.status && result.err.empty(), "a lookup of a registered name returns", result);
    check(l.bool_type ? flag == extracted_by_stream<bool>(expected.value)
                      : number == extracted_by_stream<int>(expected.value),
          "a lookup reads the value text of the record it names as a stream extraction does",
          result);
    return true;
  }

  const parser_plan& plan_;
  captured_io io_;
  arg_parser parser_;
  command_line line_;
  name_rules rules_;
  // The registrations that were accepted, list by list, in order.
  std::vector<const registration*> callbacks_;
  std::vector<const registration*> typed_;
  std::vector<const registration*> named_;
  std::vector<const registration*> positions_;
  // Indexes of the callback options whose actions ran.
  std::vector<std::size_t> fired_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz_support::fuzz_input input(data, size);
  const parser_plan plan = fuzz_support::decode_parser_plan(input);
  parser_check(plan).run();
  return 0;
}
