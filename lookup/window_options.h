#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vestral {

// How `vestral` was asked for its windows: `vestral [--editor] [--db FILE]`.
struct WindowOptions {
  bool editor = false;   // run the editor gate at once, as Ctrl+Alt+Esc would
  std::string database;  // the database both windows use; empty: the main database
};

// True when the arguments (without the program's name) ask for the windows rather than
// a command: none at all, or --editor or --db first.
bool IsWindowInvocation(const std::vector<std::string>& args);

// Reads the window arguments: --editor, --db FILE and --db=FILE, in any order. False on
// wrong usage, with `error` saying what is wrong (a missing file name, an option given
// twice, an unknown option, an argument where none belongs).
bool ParseWindowOptions(const std::vector<std::string>& args, WindowOptions& options,
                        std::string& error);

// The window arguments of this process; on wrong usage it says what is wrong on standard
// error and gives none (the caller ends with the usage status, 2).
std::optional<WindowOptions> WindowOptionsOf(int argc, char** argv);

}  // namespace vestral
