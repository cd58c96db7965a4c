#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vestral {

// One option of a command. The names are matched exactly (case matters); either
// name may follow one dash or two (`-q`, `--q`, `--quiet`).
struct OptionSpec {
  std::string_view shortName;  // one letter, or empty
  std::string_view longName;
  std::string_view description;
  std::string_view valueName = {};     // set when the option takes a value
  std::string_view defaultValue = {};  // its value when it is not given
};

// A positional argument, for the help only.
struct ArgumentSpec {
  std::string_view name;
  std::string_view description;
  std::string_view syntax;  // what the usage line shows; the name when empty
};

// Options and positional arguments of one command line, by the common rules: `--name`,
// `--name=value` or `--name value`; `-abc` for the one-letter options a, b and c, a
// value after the letter that takes one (`-dFILE`, `-d=FILE`, `-d FILE`); a lone `-`
// is positional; after `--` everything is positional; options may follow arguments.
class OptionParser {
 public:
  explicit OptionParser(std::vector<OptionSpec> options) : options_(std::move(options)) {}

  // Parses `args` (without the program's name). False when an option is unknown or
  // misses its value, or has one it takes none of; errorText() says which.
  [[nodiscard]] bool parse(const std::vector<std::string>& args);
  // "Unknown option 'x'.", "Unknown options: x, y.", "Missing value after '--db'." or
  // "Unexpected value after '--json'.".
  std::string errorText() const;

  // By either name of a known option.
  bool isSet(std::string_view name) const;
  // The last value given, else the option's default.
  std::string value(std::string_view name) const;
  // Every value given, in order.
  std::vector<std::string> values(std::string_view name) const;
  const std::vector<std::string>& positionalArguments() const { return positional_; }

  // The help below the usage line: `description`, the options and the arguments,
  // in columns wrapped to 79 characters.
  std::string helpText(std::string_view description, std::span<const ArgumentSpec> arguments) const;

 private:
  using Args = std::vector<std::string>;
  int find(std::string_view name) const;
  bool found(std::string_view name);
  bool takeValue(std::string_view name, const std::string& arg, Args::const_iterator& it,
                 Args::const_iterator end);
  bool parseShort(const std::string& arg, Args::const_iterator& it, Args::const_iterator end);

  std::vector<OptionSpec> options_;
  std::vector<int> found_;                        // indices of the options found, in order
  std::vector<std::vector<std::string>> values_;  // per option
  std::vector<std::string> unknown_;
  std::vector<std::string> positional_;
  std::string error_;
};

}  // namespace vestral
