#include "cli/option_parser.h"

#include <gtest/gtest.h>

namespace vestral {
namespace {

const std::vector<OptionSpec> kOptions = {
    {"h", "help", "Help."},
    {"q", "quiet", "Quiet."},
    {"", "color", "Colour.", "when", "auto"},
    {"", "db", "Database.", "FILE"},
    {"d", "dir", "A folder.", "DIR"},
};

// The options found with their values, the last value, then the positional arguments;
// or the error.
std::string parsed(const std::vector<std::string>& args) {
  OptionParser p(kOptions);
  if (!p.parse(args)) return p.errorText();
  std::string s;
  for (const OptionSpec& o : kOptions) {
    if (!p.isSet(o.longName)) continue;
    s += std::string(o.longName);
    for (const std::string& v : p.values(o.longName)) s += "=" + v;
    s += " ";
  }
  s += "(" + p.value("color") + p.value("db") + ") |";
  for (const std::string& a : p.positionalArguments()) s += " " + a;
  return s;
}

TEST(OptionParser, TakesOptionsValuesAndArgumentsByTheCommonRules) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"a", "--quiet", "-", "b"}, "quiet (auto) | a - b"},
      {{"-qh"}, "help quiet (auto) |"},
      {{"--h", "-q"}, "help quiet (auto) |"},
      {{"--db=x", "--color", "never", "--db", "y", "--db="}, "color=never db=x=y= (never) |"},
      {{"--db", "--quiet", "--db", "z"}, "db=--quiet=z (autoz) |"},
      {{"-dX", "-d=Y", "-qd", "Z"}, "quiet dir=X=Y=Z (auto) |"},
      {{"--", "--quiet", "-q"}, "(auto) | --quiet -q"},
      {{"--db"}, "Missing value after '--db'."},
      {{"--db", "x", "-d"}, "Missing value after '-d'."},
      {{"--quiet=yes"}, "Unexpected value after '--quiet'."},
      {{"-q=1"}, "Unexpected value after '-q'."},
      {{"--frob"}, "Unknown option 'frob'."},
      {{"-quiet"}, "Unknown options: u, i, e, t."},
      {{"--=x", "-qz", "--bad=1"}, "Unknown options: , z, bad."},
      {{"-\xFF", "--\xD0\xB6"}, "Unknown options: \xEF\xBF\xBD, \xD0\xB6."},
  };
  for (const auto& [args, expected] : cases) {
    std::string shown;
    for (const std::string& a : args) shown += "[" + a + "]";
    EXPECT_EQ(parsed(args), expected) << shown;
  }
}

// Names in a column as wide as the longest (at most 50: longer names go on below),
// descriptions wrapped at a blank, at a line break, or where a word fills the line.
TEST(OptionParser, HelpListsOptionsAndArgumentsInWrappedColumns) {
  const std::string longName(52, 'n'), longWord = "Too long a word: " + std::string(40, 'z');
  const OptionParser p({
      {"h", "help", "Show this help."},
      {"", "db", "Colour the log: auto (when standard output is a terminal), always or never.",
       "FILE"},
      {"", longName, longWord},
  });
  const ArgumentSpec arguments[] = {{"CODE", "A code.\n A second line.", ""}};
  auto row = [](const std::string& names, const std::string& text) {
    return "  " + names + std::string(50 - names.size(), ' ') + " " + text + "\n";
  };
  EXPECT_EQ(p.helpText("What it does", arguments),
            "What it does\n\nOptions:\n" + row("-h, --help", "Show this help.") +
                row("--db <FILE>", "Colour the log: auto (when") + row("", "standard output is a") +
                row("", "terminal), always or never.") +
                row("--" + std::string(48, 'n'), "Too long a word:") +
                row("nnnn", std::string(27, 'z')) + row("", std::string(13, 'z')) +
                "\nArguments:\n" + row("CODE", "A code.") + row("", "A second line."));
}

}  // namespace
}  // namespace vestral
