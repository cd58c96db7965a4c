#include "cli/command.h"
#include "cli/entry_output.h"
#include "lookup/text_search.h"
#include "platform/codepage.h"

namespace vestral {

namespace {

constexpr OptionSpec kOptions[] = {
    {"", "json", "Write a JSON array of {code, system, text, extension, position}."},
};
constexpr ArgumentSpec kArguments[] = {
    {"WORD",
     "A word the entry must match in either text: any case and word form, a synonym, a "
     "whole number, a code start such as P03; little words (on, the, в, на) are ignored.",
     "WORD..."},
};

void writeHits(CommandContext& ctx, const DatabaseView& db, const std::vector<SearchHit>& hits) {
  if (ctx.options.isSet("json")) {
    JsonArrayWriter array(ctx.out);
    for (const SearchHit& h : hits)
      array.add({
          {"code", JsonText(LetterForm(h.letter, h.entry.code))},
          {"system", JsonText(db.table(h.letter)->Name)},
          {"text", JsonText(h.entry.Text)},
          {"extension", JsonText(h.entry.Extension)},
          {"position", std::to_string(h.index)},
      });
    array.finish();
    return;
  }
  for (const SearchHit& h : hits) {
    ctx.out.writeCp1251(LetterForm(h.letter, h.entry.code));
    ctx.out.write("\t");
    WriteFlatCp1251(ctx.out, db.table(h.letter)->Name);
    ctx.out.write("\t");
    WriteFlatCp1251(ctx.out, h.entry.Text);
    ctx.out.write("\t");
    WriteFlatCp1251(ctx.out, h.entry.Extension);
    ctx.out.write("\n");
  }
}

int run(CommandContext& ctx) {
  if (ctx.args.empty()) return ctx.usageError("no word given");
  // Each argument is a finished word: the blank behind the last says so.
  std::string query;
  bool matchable = true;
  for (const std::string& arg : ctx.args) {
    std::string word;
    // A word with a character code page 1251 lacks can stand in no entry.
    if (!Utf8ToCp1251Exactly(arg, word)) matchable = false;
    query += word;
    query += ' ';
  }

  DatabaseFile file;
  if (!ReadDatabaseOrReport(ctx, ctx.databasePath, file)) return kExitFailure;
  std::vector<SearchHit> hits;
  if (matchable) hits = FindForPeople(SearchIndex(file.view()), query, kAllHits);
  writeHits(ctx, file.view(), hits);
  if (hits.empty()) return ctx.fail("no entry holds every word given");
  return kExitOk;
}

}  // namespace

extern const CommandSpec kSearchCommand;  // listed in cli.cpp
const CommandSpec kSearchCommand{
    .name = "search",
    .synopsis = "[--db FILE] [--json] WORD...",
    .summary = "Find the entries that match every word given, best first",
    .features = CommandSpec::kDatabase,
    .options = kOptions,
    .arguments = kArguments,
    .run = run,
};

}  // namespace vestral
