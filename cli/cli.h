#pragma once

#include <span>

namespace vestral {

struct CommandSpec;

// Every command `vestral` knows, in the order its help lists them.
std::span<const CommandSpec* const> AllCommands();

// A standard descriptor (0, 1, 2) the program was started without would go to the next
// file it opens, and its output into that file: each is held with /dev/null open for
// reading, so output to it fails, and is reported, instead. Call first.
void HoldClosedStandardDescriptors();

// True when argv[1] names a command (or --help / --version) rather than the windows
// (nothing, --editor or --db).
bool IsCliInvocation(int argc, char** argv);

// Runs `vestral COMMAND ...` headless and returns the exit status: 0 all done,
// 1 a reported failure, a declined question or an absent code, 2 wrong usage.
int RunCli(int argc, char** argv);

}  // namespace vestral
