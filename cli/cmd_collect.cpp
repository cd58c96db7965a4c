#include <filesystem>

#include "cli/code_argument.h"
#include "cli/command.h"
#include "editor/collector.h"

namespace vestral {

namespace {

constexpr OptionSpec kOptions[] = {
    {"", "code",
     "Collect this code (letter form, P0100); repeat for more, in the order wanted. Without "
     "--code the whole database is collected.",
     "CODE"},
    {"", "utf8", "Write UTF-8 instead of code page 1251 (generate reads both)."},
};
constexpr ArgumentSpec kArguments[] = {
    {"OUT", "The text file to write (the generator's source format).", ""},
};

// A code as the editor's code box would hold it after typing `typed` key by key:
// p, c, b, u upper-cased, other keys swallowed, at most five characters.
std::string boxText(const std::string& typed) {
  std::string box;
  for (char key : typed) {
    const std::optional<char> c = FilterCodeKey(key);
    // Backspace edits the box; it is no character of a code.
    if (!c || *c == '\b') continue;
    if (box.size() < kListCodeLength) box += *c;
  }
  return box;
}

int run(CommandContext& ctx) {
  if (ctx.args.size() != 1)
    return ctx.usageError(ctx.args.empty() ? "no output file given"
                                           : "give exactly one output file");
  const std::string& outPath = ctx.args.front();
  if (outPath.empty()) return ctx.usageError("the output file name is empty");

  std::vector<std::string> codes;
  for (const std::string& typed : ctx.options.values("code")) {
    std::string code = boxText(typed);
    if (code.size() < kListCodeLength)
      return ctx.usageError(QuotedInput(typed) + " is not a code: only " +
                            std::to_string(code.size()) +
                            " of its characters are P, C, B, U or digits, and a code needs 5");
    std::string upper = typed;
    for (char& c : upper)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (upper != code) ctx.warn(QuotedInput(typed) + " is taken as " + code);
    codes.push_back(std::move(code));
  }

  DtcDatabase db;
  if (!ReadDatabaseOrReport(ctx, ctx.databasePath, db)) return kExitFailure;
  // Even with Yes to the overwrite question, text over the database read is a slip.
  std::error_code ec;
  if (std::filesystem::equivalent(outPath, ctx.databasePath, ec))
    return ctx.fail("\"" + outPath + "\" is the database being collected; choose another file");
  const CollectResult result =
      Collect(db, outPath, codes.empty(), codes, ctx.log, ctx.questions, ctx.options.isSet("utf8"));
  if (result.done()) return kExitOk;
  if (result.declined) return ctx.fail("\"" + outPath + "\" exists and was left as it was");
  if (!result.status.ok()) return ctx.fail("\"" + outPath + "\" was not written");
  // Both kinds are reported; the file holds the other entries.
  for (const UncarriedEntry& e : result.notCarried)
    ctx.warn(Cp1251ToUtf8(e.code) + " was not collected: " + e.why +
             ", so generate would not read it back");
  std::string absent;
  for (const std::string& code : result.notFound) absent += (absent.empty() ? "" : ", ") + code;
  if (!absent.empty()) return ctx.fail("not in the database, so not collected: " + absent);
  return ctx.fail(std::to_string(result.notCarried.size()) +
                  (result.notCarried.size() == 1 ? " entry was" : " entries were") +
                  " left out of \"" + outPath + "\"; the others were written");
}

}  // namespace

extern const CommandSpec kCollectCommand;  // listed in cli.cpp
const CommandSpec kCollectCommand{
    .name = "collect",
    .synopsis = "[--db FILE] OUT [--code CODE]... [--utf8] [--yes|--no]",
    .summary = "Write the database, or the codes named, out as source text",
    .features = CommandSpec::kDatabase | CommandSpec::kQuestions,
    .options = kOptions,
    .arguments = kArguments,
    .run = run,
};

}  // namespace vestral
