// What the README and the pages of docs/ say the program does, run against
// the program as built:
//  - a fenced block with a line beginning "C:\>" is a cmd transcript: each
//    "C:\>vantrel ARGS" line, the output under it and the number that the
//    "C:\>echo %ERRORLEVEL%" after it shows;
//  - in a table with the columns Message and Example, the Example's command
//    line writes the Message's code span first on standard error, and fails;
//  - every version that README.md, docs/ and bench/README.md name is the one
//    --version prints.
// The runs go through the run sequence in-process, on a console that takes
// every size, as a Windows console does. Option after the framework's own:
//   --source=DIR   the project's root, which holds README.md.

#include "program_run.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>

namespace {

namespace fs = std::filesystem;
using test_support::outcome;
using test_support::run_vantrel;
using text_lines = std::vector<std::string>;

constexpr std::string_view prompt = "C:\\>";
constexpr std::string_view status_command = "C:\\>echo %ERRORLEVEL%";

fs::path& source_root() {
  static fs::path root;
  return root;
}

// The files whose transcripts and message tables are checked, relative to
// the root: README.md, then docs/*.md in name order.
std::vector<fs::path> documents() {
  std::vector<fs::path> pages;
  std::error_code no_docs;
  for (const auto& entry : fs::directory_iterator(source_root() / "docs", no_docs)) {
    if (entry.path().extension() == ".md") {
      pages.push_back(fs::relative(entry.path(), source_root()));
    }
  }
  std::ranges::sort(pages);
  pages.insert(pages.begin(), "README.md");
  return pages;
}

// The file's lines without their line ends, "\n" or "\r\n".
text_lines read_lines(const fs::path& file) {
  std::ifstream stream(file, std::ios::binary);
  EXPECT_TRUE(stream) << "cannot read " << file.string() << " (see --source)";
  text_lines read;
  for (std::string line; std::getline(stream, line);) {
    read.push_back(line.ends_with('\r') ? line.substr(0, line.size() - 1) : line);
  }
  return read;
}

// The arguments after "vantrel" as the C runtime splits a Windows command
// line, as far as the README needs: blanks separate, quotes group. None for
// another command, unpaired quotes, or a backslash before a quote, whose
// rules are not kept.
std::optional<text_lines> vantrel_arguments(const std::string& command) {
  static const std::regex word(R"((?:"[^"]*"|[^\s"])+)");
  if (command.find("\\\"") != std::string::npos || std::ranges::count(command, '"') % 2 != 0) {
    return std::nullopt;
  }
  text_lines words;
  for (std::sregex_iterator match(command.begin(), command.end(), word), end; match != end;
       ++match) {
    words.push_back(std::regex_replace(match->str(), std::regex("\""), ""));
  }
  if (words.empty() || words.front() != "vantrel") {
    return std::nullopt;
  }
  return text_lines(words.begin() + 1, words.end());
}

// What a console shows of a run: standard output, then standard error,
// without one final line break.
std::string console_text(const outcome& run) {
  const std::string text = run.out + run.err;
  return text.ends_with('\n') ? text.substr(0, text.size() - 1) : text;
}

std::string shown(const std::string& what, const std::string& text, int status) {
  return "\n  " + what + ", then status " + std::to_string(status) + ":\n    |" +
         std::regex_replace(text, std::regex("\n"), "\n    |");
}

struct fenced_block {
  std::string file;        // as the root names it
  std::size_t first_line;  // the number of lines[0]
  text_lines lines;        // without the fence's indentation
};

std::vector<fenced_block> fenced_blocks(const fs::path& name) {
  const text_lines file = read_lines(source_root() / name);
  std::vector<fenced_block> blocks;
  std::optional<fenced_block> open;
  std::size_t indent = 0;
  for (std::size_t at = 0; at < file.size(); ++at) {
    const std::size_t start = file[at].find_first_not_of(' ');
    const bool fence = start != std::string::npos && file[at].compare(start, 3, "```") == 0;
    if (open && fence) {
      blocks.push_back(*std::exchange(open, std::nullopt));
    } else if (open) {
      open->lines.push_back(
          file[at].substr(std::min({indent, file[at].size(), file[at].find_first_not_of(' ')})));
    } else if (fence) {
      open = fenced_block{name.generic_string(), at + 2, {}};
      indent = start;
    }
  }
  return blocks;
}

// Runs each "C:\>vantrel" of a transcript against the output under it and
// the status after it, up to a line that breaks the form. Returns the runs'
// arguments.
std::vector<text_lines> check_transcript(const fenced_block& block) {
  std::vector<text_lines> runs;
  const text_lines& text = block.lines;
  for (std::size_t at = 0;; at += 2) {
    while (at < text.size() && text[at].find_first_not_of(" \t") == std::string::npos) ++at;
    if (at == text.size()) break;
    const std::string where =
        block.file + ":" + std::to_string(block.first_line + at) + ": " + text[at];
    const std::optional<text_lines> arguments =
        text[at].starts_with(prompt) ? vantrel_arguments(text[at].substr(prompt.size()))
                                     : std::nullopt;
    if (!arguments) {
      ADD_FAILURE() << where << "\n  is not a run of vantrel";
      return runs;
    }
    std::string expected;
    std::size_t end = at + 1;
    for (; end < text.size() && !text[end].starts_with(prompt); ++end) expected += text[end] + "\n";
    // Empty lines at the end are cmd's blank line before its next prompt.
    expected.erase(expected.find_last_not_of('\n') + 1);
    if (end + 1 >= text.size() || text[end] != status_command ||
        !std::regex_match(text[end + 1], std::regex("-?[0-9]{1,9}"))) {
      ADD_FAILURE() << where << "\n  is not followed by " << status_command << " and a number";
      return runs;
    }
    const int status = std::stoi(text[end + 1]);
    const outcome result = run_vantrel(*arguments).result;
    EXPECT_TRUE(console_text(result) == expected && result.status == status)
        << where << shown("the text shows", expected, status)
        << shown("the program writes", console_text(result), result.status.value_or(0));
    runs.push_back(*arguments);
    at = end;
  }
  EXPECT_FALSE(runs.empty()) << block.file << ":" << block.first_line
                             << ": a transcript with no run";
  return runs;
}

TEST(readme, transcripts_show_what_the_program_writes_and_returns) {
  std::vector<text_lines> runs;
  for (const fs::path& document : documents()) {
    for (const fenced_block& block : fenced_blocks(document)) {
      if (std::ranges::any_of(block.lines,
                              [](const auto& line) { return line.starts_with(prompt); })) {
        std::ranges::copy(check_transcript(block), std::back_inserter(runs));
      }
    }
  }
  EXPECT_TRUE(std::ranges::find(runs, text_lines{"--version"}) != runs.end())
      << "no transcript of \"vantrel --version\"";
  EXPECT_TRUE(std::ranges::find(runs, text_lines{"-?"}) != runs.end())
      << "no transcript of \"vantrel -?\"";
}

// A table row's cells, trimmed, without the outer pipes; none for a line
// that is not a table row.
text_lines table_cells(const std::string& line) {
  text_lines cells;
  const std::regex cell(R"(\s*((?:[^|\\]|\\.)*?)\s*\|)");
  const std::size_t start = line.find_first_not_of(' ');
  if (start == std::string::npos || line[start] != '|') return cells;
  const std::string row = line.substr(start + 1) + (line.ends_with('|') ? "" : "|");
  for (std::sregex_iterator match(row.begin(), row.end(), cell), end; match != end; ++match) {
    cells.push_back((*match)[1]);
  }
  return cells;
}

std::optional<std::string> first_code_span(const text_lines& cells, std::size_t column) {
  std::smatch span;
  if (column >= cells.size() || !std::regex_search(cells[column], span, std::regex("`([^`]*)`"))) {
    return std::nullopt;
  }
  return span[1];
}

// The Example's run fails and writes the Message first on standard error.
void check_message_row(const std::string& where, const text_lines& cells, std::size_t message,
                       std::size_t example) {
  const std::optional<std::string> expected = first_code_span(cells, message);
  const std::optional<std::string> command = first_code_span(cells, example);
  const std::optional<text_lines> arguments = command ? vantrel_arguments(*command) : std::nullopt;
  if (!expected || !arguments) {
    ADD_FAILURE() << where << "no `message` or no `vantrel ...` example in the row";
    return;
  }
  const outcome result = run_vantrel(*arguments).result;
  const std::string first_line = result.err.substr(0, result.err.find('\n'));
  EXPECT_TRUE(first_line == *expected && result.status == -1)
      << where << *command << shown("the text says", *expected, -1)
      << shown("standard error begins", first_line, result.status.value_or(0));
}

TEST(readme, message_tables_show_what_each_example_writes) {
  int tables = 0;
  for (const fs::path& document : documents()) {
    const std::string name = document.generic_string();
    const text_lines file = read_lines(source_root() / document);
    for (std::size_t at = 0; at < file.size(); ++at) {
      const text_lines header = table_cells(file[at]);
      const auto column = [&](const char* title) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), title) -
                                        header.begin());
      };
      const std::size_t message = column("Message");
      const std::size_t example = column("Example");
      if (message == header.size() || example == header.size()) continue;
      ++tables;
      const std::size_t first_row = at + 2;  // under the header's delimiter row
      for (at = first_row; at < file.size() && !table_cells(file[at]).empty(); ++at) {
        check_message_row(name + ":" + std::to_string(at + 1) + ": ", table_cells(file[at]),
                          message, example);
      }
      EXPECT_GT(at, first_row) << name << ":" << first_row - 1 << ": a message table with no row";
    }
  }
  EXPECT_GT(tables, 0) << "no table with the columns Message and Example";
}

// The versions a line names, each with the text it must be: release zip
// names, tags such as v1.2.3, versions with a pre-release suffix such as
// 1.2.3-beta, and Windows file versions such as 1.2.3.0.
std::vector<std::pair<std::string, std::string>> named_versions(const std::string& line,
                                                                const std::string& version) {
  static const std::regex zip_name(R"(vantrel-([0-9][-.0-9A-Za-z]*)-win64\.zip)");
  static const std::regex number(
      R"((^|[^.0-9])(v?)([0-9]+(\.[0-9]+)+)(-[.0-9A-Za-z]*[0-9A-Za-z])?)");
  std::vector<std::pair<std::string, std::string>> found;
  for (std::sregex_iterator zip(line.begin(), line.end(), zip_name), end; zip != end; ++zip) {
    found.emplace_back((*zip)[1], version);
  }
  const std::string rest = std::regex_replace(line, zip_name, " ");
  const std::string file_version = version.substr(0, version.find('-')) + ".0";
  for (std::sregex_iterator match(rest.begin(), rest.end(), number), end; match != end; ++match) {
    const std::string digits = (*match)[3];
    const std::string suffix = (*match)[5];
    const auto parts = std::count(digits.begin(), digits.end(), '.') + 1;
    if (((*match)[2] == "v" && parts >= 3) || (parts == 3 && !suffix.empty())) {
      found.emplace_back(digits + suffix, version);
    } else if (parts == 4 && suffix.empty() && digits.ends_with(".0")) {
      found.emplace_back(digits, file_version);
    }
  }
  return found;
}

TEST(readme, every_version_named_is_the_program_version) {
  const std::string version = console_text(run_vantrel({"--version"}).result);
  ASSERT_FALSE(version.empty()) << "--version printed nothing";
  std::vector<fs::path> files = {"README.md", "bench/README.md"};
  std::error_code no_docs;
  for (const auto& entry : fs::recursive_directory_iterator(source_root() / "docs", no_docs)) {
    if (entry.path().extension() == ".md") {
      files.push_back(fs::relative(entry.path(), source_root()));
    }
  }
  for (const fs::path& file : files) {
    const text_lines text = read_lines(source_root() / file);
    for (std::size_t at = 0; at < text.size(); ++at) {
      for (const auto& [named, expected] : named_versions(text[at], version)) {
        EXPECT_EQ(named, expected) << file.generic_string() << ":" << at + 1 << ": " << text[at];
      }
    }
  }
}

// The README travels in the release zip, so its links to the project's files
// are full URLs into the repository; docs/ links to its neighbours by name.
// Either way the file linked must be in this checkout.
TEST(readme, every_link_to_a_project_file_names_one_that_exists) {
  static const std::regex repository_link(
      R"(https://github\.com/[^/\s]+/[^/\s]+/blob/main/([^)#>\s]+))");
  static const std::regex relative_link(R"(\]\(([^):#\s]+\.md)\))");
  const std::vector<fs::path> files = documents();
  int links = 0;
  for (const fs::path& file : files) {
    const text_lines text = read_lines(source_root() / file);
    for (std::size_t at = 0; at < text.size(); ++at) {
      for (const auto& [pattern, base] : {std::pair{&repository_link, fs::path()},
                                          std::pair{&relative_link, file.parent_path()}}) {
        for (std::sregex_iterator link(text[at].begin(), text[at].end(), *pattern), end;
             link != end; ++link, ++links) {
          EXPECT_TRUE(fs::exists(source_root() / base / (*link)[1].str()))
              << file.generic_string() << ":" << at + 1 << ": links to " << (*link)[1]
              << ", which is not in the checkout";
        }
      }
    }
  }
  EXPECT_GT(links, 0) << "no link to a project file found";
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  constexpr std::string_view source_option = "--source=";
  for (int i = 1; i < argc; ++i) {
    const std::string_view option = argv[i];
    if (option.starts_with(source_option)) {
      source_root() = option.substr(source_option.size());
    }
  }
  return RUN_ALL_TESTS();
}
