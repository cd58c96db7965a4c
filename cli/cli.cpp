#include "cli/cli.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <iostream>
#include <span>
#include <string>
#include <vector>

#include "cli/command.h"
#include "lookup/window_options.h"

namespace vestral {

// Every command: one cmd_NAME.cpp defining its CommandSpec, and one line here.
extern const CommandSpec kLookupCommand;
extern const CommandSpec kCreateCommand;
extern const CommandSpec kGenerateCommand;
extern const CommandSpec kCheckCommand;
extern const CommandSpec kCollectCommand;
extern const CommandSpec kSyncCommand;
extern const CommandSpec kSearchCommand;
extern const CommandSpec kLintCommand;
extern const CommandSpec kSetCommand;
extern const CommandSpec kRemoveCommand;
extern const CommandSpec kUpdateCommand;
extern const CommandSpec kLanguageCommand;

namespace {

const CommandSpec* const kCommands[] = {
    &kLookupCommand,  &kCreateCommand, &kGenerateCommand, &kCheckCommand,
    &kCollectCommand, &kSyncCommand,   &kSearchCommand,   &kLintCommand,
    &kSetCommand,     &kRemoveCommand, &kUpdateCommand,   &kLanguageCommand,
};

}  // namespace

std::span<const CommandSpec* const> AllCommands() { return kCommands; }

void HoldClosedStandardDescriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd)
    if (::fcntl(fd, F_GETFD) == -1 && errno == EBADF) {
      // The lowest free descriptor is this one: the ones below are open by now.
      const int held = ::open("/dev/null", O_RDONLY);
      if (held > STDERR_FILENO) ::close(held);
    }
}

bool IsCliInvocation(int argc, char** argv) {
  const std::span<char*> all(argv, static_cast<size_t>(argc));
  return !all.empty() && !IsWindowInvocation(std::vector<std::string>(all.begin() + 1, all.end()));
}

int RunCli(int argc, char** argv) {
  // Standard input is read in large blocks (a batch of codes), never mixed with C stdio.
  std::ios::sync_with_stdio(false);
  const std::span<char*> all(argv, static_cast<size_t>(argc));
  std::vector<std::string> args;
  for (size_t i = 1; i < all.size(); ++i) args.emplace_back(all[i]);
  TextOutput out(STDOUT_FILENO);
  TextOutput err(STDERR_FILENO, 0, TextOutput::OnFailure::kGoOn);
  CliStreams streams{out, err, std::cin, ::isatty(STDIN_FILENO) == 1, true};
  return RunCommandLine(args, kCommands, streams);
}

}  // namespace vestral
