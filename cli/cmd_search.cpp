#include <QJsonArray>
#include <QJsonObject>

#include "cli/command.h"
#include "cli/entry_output.h"
#include "lookup/text_search_qt.h"
#include "platform/codepage_qt.h"

namespace vestral {

namespace {

void addOptions(QCommandLineParser& parser) {
  parser.addOption(QCommandLineOption(
      "json", "Write a JSON array of {code, system, text, extension, position}."));
  parser.addPositionalArgument(
      "WORD", "A word the text or the extension must hold, in any case; every word must occur.",
      "WORD...");
}

int run(CommandContext& ctx) {
  if (ctx.args.isEmpty()) return ctx.usageError("no word given");
  std::vector<std::string> words;
  bool matchable = true;
  for (const QString& arg : ctx.args) {
    std::string word;
    // A word with a character code page 1251 lacks can stand in no entry.
    if (!ToCp1251(arg, word)) matchable = false;
    words.push_back(std::move(word));
  }

  DatabaseFile file;
  if (!ReadDatabaseOrReport(ctx, ctx.databasePath, file)) return kExitFailure;
  const DatabaseView& db = file.view();
  std::vector<SearchHit> hits;
  if (matchable) {
    static const FoldTable fold = UnicodeFold();
    hits = SearchEntries(db, words, fold);
  }

  if (ctx.options.isSet("json")) {
    QJsonArray array;
    for (const SearchHit& h : hits) {
      QJsonObject o;
      o["code"] = JsonText(LetterForm(h.letter, h.entry.code));
      o["system"] = JsonText(h.table->Name);
      o["text"] = JsonText(h.entry.Text);
      o["extension"] = JsonText(h.entry.Extension);
      o["position"] = h.index;
      array.append(o);
    }
    WriteJson(ctx.out, array);
  } else {
    for (const SearchHit& h : hits) {
      ctx.out.writeCp1251(LetterForm(h.letter, h.entry.code));
      ctx.out.write("\t");
      WriteFlatCp1251(ctx.out, h.table->Name);
      ctx.out.write("\t");
      WriteFlatCp1251(ctx.out, h.entry.Text);
      ctx.out.write("\t");
      WriteFlatCp1251(ctx.out, h.entry.Extension);
      ctx.out.write("\n");
    }
  }
  if (hits.empty()) return ctx.fail("no entry holds every word given");
  return kExitOk;
}

}  // namespace

extern const CommandSpec kSearchCommand;  // listed in cli.cpp
const CommandSpec kSearchCommand{
    .name = "search",
    .synopsis = "[--db FILE] [--json] WORD...",
    .summary = "Find the entries whose texts hold every word given",
    .features = CommandSpec::kDatabase,
    .addOptions = addOptions,
    .run = run,
};

}  // namespace vestral
