#include <QJsonArray>
#include <QJsonObject>
#include <QStringDecoder>
#include <memory>

#include "cli/code_argument.h"
#include "cli/command.h"
#include "cli/entry_output.h"
#include "lookup/code_range.h"
#include "lookup/lookup.h"

namespace vestral {

namespace {

// Below this many codes a linear scan per code is cheaper than indexing every table.
constexpr size_t kIndexFrom = 32;

struct Query {
  std::string input;  // as typed, UTF-8
  std::string code;   // letter form
};

void addOptions(QCommandLineParser& parser) {
  parser.addOption(QCommandLineOption(
      "json", "Write a JSON array of {input, code, found, system, text, extension, range}."));
  parser.addPositionalArgument(
      "CODE",
      "A code in hex form (0100) or letter form (P0100), any case; - reads codes from "
      "standard input, one a line.",
      "CODE... | -");
}

// Every line of standard input that is not blank becomes a query; malformed lines are
// reported and skipped. Returns false when any line was malformed.
bool readQueries(CommandContext& ctx, std::vector<Query>& queries) {
  std::string all;
  char block[64 * 1024];
  while (ctx.in.read(block, sizeof block) || ctx.in.gcount() > 0)
    all.append(block, static_cast<size_t>(ctx.in.gcount()));
  ctx.in.clear();
  bool allGood = true;
  size_t lineNo = 0;
  size_t pos = 0;
  while (pos < all.size()) {
    size_t end = all.find('\n', pos);
    if (end == std::string::npos) end = all.size();
    std::string_view line(all.data() + pos, end - pos);
    pos = end + 1;
    ++lineNo;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty()) continue;
    CodeArgument c = ParseCodeArgument(line);
    if (!c.ok()) {
      ctx.warn("line " + std::to_string(lineNo) + ": " + QuotedInput(line) +
               " is not a code: " + c.problem);
      allGood = false;
      continue;
    }
    queries.push_back({std::string(line), std::move(c.letterForm)});
  }
  return allGood;
}

// Said after the absence, so the user knows whether a database can know the code at all.
const char* rangeNote(CodeRange range) {
  switch (range) {
    case CodeRange::Manufacturer:
      return "manufacturer range: each maker defines this code for its own vehicles";
    case CodeRange::Reserved: return "reserved range: the standard assigns no meaning yet";
    case CodeRange::Generic: break;
  }
  return "generic range: the same meaning on every vehicle, not in this database";
}

// One line a code must stay one line: tabs and line breaks inside a text become blanks.
void writeField(TextOutput& out, const std::string& text) {
  if (text.find_first_of("\t\r\n") == std::string::npos) {
    out.writeCp1251(text);
    return;
  }
  std::string flat = text;
  for (char& c : flat)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  out.writeCp1251(flat);
}

int run(CommandContext& ctx) {
  if (ctx.args.isEmpty())
    return ctx.usageError(
        "no code given; name codes (0100, P0100) or - to read them from "
        "standard input");
  // Malformed arguments stop the command before any work; each is named.
  std::vector<std::string> problems;
  for (const QString& arg : ctx.args) {
    if (arg == u"-") continue;
    const std::string typed = arg.toStdString();
    const CodeArgument c = ParseCodeArgument(typed);
    if (!c.ok()) problems.push_back(QuotedInput(typed) + " is not a code: " + c.problem);
  }
  if (!problems.empty()) {
    for (size_t i = 0; i + 1 < problems.size(); ++i) ctx.warn(problems[i]);
    return ctx.usageError(problems.back());
  }

  auto database = std::make_shared<DtcDatabase>();
  DtcDatabase& db = *database;
  if (!ReadDatabaseOrReport(ctx, ctx.databasePath, db)) return kExitFailure;

  std::vector<Query> queries;
  bool linesGood = true;
  bool stdinRead = false;
  for (const QString& arg : ctx.args) {
    if (arg == u"-") {
      if (!stdinRead) linesGood = readQueries(ctx, queries) && linesGood;
      stdinRead = true;
      continue;
    }
    std::string typed = arg.toStdString();
    std::string code = ParseCodeArgument(typed).letterForm;
    queries.push_back({std::move(typed), std::move(code)});
  }

  std::shared_ptr<LookupIndex> index;
  if (queries.size() >= kIndexFrom) index = std::make_shared<LookupIndex>(db);
  const bool json = ctx.options.isSet("json");
  QJsonArray array;
  QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
  auto unicode = [&decoder](const std::string& s) {
    return QString(decoder.decode(QByteArrayView(s.data(), static_cast<qsizetype>(s.size()))));
  };
  bool allFound = true;
  for (const Query& q : queries) {
    const LookupResult r = index ? index->find(q.code) : LookupCode(db, q.code);
    allFound = allFound && r.found();
    if (json) {
      QJsonObject o;
      o["input"] = QString::fromStdString(q.input);
      o["code"] = QString::fromStdString(q.code);
      o["found"] = r.found();
      o["system"] = r.table ? QJsonValue(unicode(r.table->Name)) : QJsonValue();
      o["text"] = r.found() ? QJsonValue(unicode(r.entry->Text)) : QJsonValue();
      o["extension"] = r.found() ? QJsonValue(unicode(r.entry->Extension)) : QJsonValue();
      o["range"] = CodeRangeName(RangeOfCode(q.code));
      array.append(o);
      continue;
    }
    ctx.out.write(q.code);
    ctx.out.write("\t");
    if (r.found()) {
      writeField(ctx.out, r.table->Name);
      ctx.out.write("\t");
      writeField(ctx.out, r.entry->Text);
      ctx.out.write("\t");
      writeField(ctx.out, r.entry->Extension);
    } else {
      ctx.out.writeCp1251(kAbsentMessage);
      ctx.out.write("\t");
      ctx.out.write(rangeNote(RangeOfCode(q.code)));
    }
    ctx.out.write("\n");
  }
  if (json) {
    WriteJson(ctx.out, array);
  }
  ReleaseAtExit(ctx, std::move(index));
  ReleaseAtExit(ctx, std::move(database));
  if (!linesGood) return kExitUsage;
  return allFound ? kExitOk : kExitFailure;
}

}  // namespace

extern const CommandSpec kLookupCommand;  // listed in cli.cpp
const CommandSpec kLookupCommand{
    .name = "lookup",
    .synopsis = "[--db FILE] [--json] CODE... | -",
    .summary = "Look codes up in the database, as the lookup window does",
    .features = CommandSpec::kDatabase,
    .addOptions = addOptions,
    .run = run,
};

}  // namespace vestral
