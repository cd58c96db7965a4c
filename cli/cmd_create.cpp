#include <filesystem>

#include "cli/command.h"

namespace vestral {

namespace {

constexpr ArgumentSpec kArguments[] = {
    {"FILE", "The database file to make; it must not exist yet.", ""},
};

int run(CommandContext& ctx) {
  if (ctx.args.size() != 1)
    return ctx.usageError(ctx.args.empty() ? "no file given" : "give exactly one file");
  const std::string& path = ctx.args.front();
  if (path.empty()) return ctx.usageError("the file name is empty");
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::file_status st = fs::symlink_status(path, ec);
  if (fs::is_directory(fs::status(path, ec)))
    return ctx.fail("\"" + path + "\" is a folder, not a file");
  // An existing file may be someone's database: never overwrite it from here.
  if (fs::exists(st)) return ctx.fail("\"" + path + "\" already exists; it was left as it was");
  const Status s = CreateDatabase(path);
  if (!s.ok()) return ctx.fail(s.ToString());
  return kExitOk;
}

}  // namespace

extern const CommandSpec kCreateCommand;  // listed in cli.cpp
const CommandSpec kCreateCommand{
    .name = "create",
    .synopsis = "FILE",
    .summary = "Write a new, empty database file",
    .features = 0,
    .options = {},
    .arguments = kArguments,
    .run = run,
};

}  // namespace vestral
