#pragma once

#include <string>
#include <string_view>

namespace vestral {

// A code as typed on the command line (UTF-8). Four characters are the hex form
// (0-9, A-F, any case) and are converted with Cnvrt; five are the letter form: P, C,
// B or U, a digit 0-3, three of 0-9, A-F, any case. Both come out upper-cased in
// letter form ("0a80" -> "P0A80", "u0100" -> "U0100").
struct CodeArgument {
  std::string letterForm;  // set when the input is a code
  std::string problem;     // otherwise why not, naming the character at fault
  bool ok() const { return problem.empty(); }
};

CodeArgument ParseCodeArgument(std::string_view typed);

// `typed` in double quotes as ShownText shows it, for messages; a long text is cut
// after 40 characters and its length is told.
std::string QuotedInput(std::string_view typed);

// A path in double quotes, whole, as ShownText shows it: for what a command prints.
std::string QuotedPath(std::string_view path);

}  // namespace vestral
