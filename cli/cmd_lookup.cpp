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

// The longest line read as a possible code; the rest of a longer line is skipped, so
// memory stays bounded whatever the input holds.
constexpr size_t kLongestLine = 4096;

// Reads the next line of standard input into `line` (without its end, at most
// kLongestLine bytes kept). False at the end of the input.
bool readLine(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* buf = in.rdbuf();
  for (;;) {
    const int c = buf->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in.setstate(std::ios::eofbit);
      return !line.empty();
    }
    if (c == '\n') return true;
    if (line.size() < kLongestLine) line.push_back(static_cast<char>(c));
  }
}

// Every line of standard input that is not blank becomes a query, answered as soon as
// it is read; malformed lines are reported and skipped. Returns false when any line
// was malformed.
template <typename Answer>
bool answerLines(CommandContext& ctx, Answer&& answer) {
  bool allGood = true;
  size_t lineNo = 0;
  std::string all;
  while (readLine(ctx.in, all)) {
    std::string_view line(all);
    ++lineNo;
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
      line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (!line.empty()) {
      CodeArgument c = ParseCodeArgument(line);
      if (!c.ok()) {
        ctx.warn("line " + std::to_string(lineNo) + ": " + QuotedInput(line) +
                 " is not a code: " + c.problem);
        allGood = false;
      } else {
        answer(Query{std::string(line), std::move(c.letterForm)});
      }
    }
    // A writer waiting for this answer gets it before the next line is awaited.
    if (ctx.in.rdbuf()->in_avail() <= 0) ctx.out.flush();
  }
  ctx.in.clear();
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
void writeField(TextOutput& out, std::string_view text) {
  if (text.find_first_of("\t\r\n") == std::string::npos) {
    out.writeCp1251(text);
    return;
  }
  std::string flat(text);
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

  DatabaseFile file;
  if (!ReadDatabaseOrReport(ctx, ctx.databasePath, file)) return kExitFailure;
  const DatabaseView& db = file.view();

  // A few codes are cheaper to find by walking the tables; past that, one index.
  size_t answered = 0;
  std::shared_ptr<LookupIndex> index;
  const bool json = ctx.options.isSet("json");
  QJsonArray array;
  QStringDecoder decoder("windows-1251", QStringConverter::Flag::Stateless);
  auto unicode = [&decoder](std::string_view s) {
    return QString(decoder.decode(QByteArrayView(s.data(), static_cast<qsizetype>(s.size()))));
  };
  bool allFound = true;
  auto answer = [&](const Query& q) {
    if (!index && ++answered > kIndexFrom) index = std::make_shared<LookupIndex>(db);
    const LookupResult r = index ? index->find(q.code) : LookupCode(db, q.code);
    allFound = allFound && r.found();
    if (json) {
      QJsonObject o;
      o["input"] = QString::fromStdString(q.input);
      o["code"] = QString::fromStdString(q.code);
      o["found"] = r.found();
      o["system"] = r.table ? QJsonValue(unicode(r.table->Name)) : QJsonValue();
      o["text"] = r.found() ? QJsonValue(unicode(r.entry.Text)) : QJsonValue();
      o["extension"] = r.found() ? QJsonValue(unicode(r.entry.Extension)) : QJsonValue();
      o["range"] = CodeRangeName(RangeOfCode(q.code));
      array.append(o);
      return;
    }
    ctx.out.write(q.code);
    ctx.out.write("\t");
    if (r.found()) {
      writeField(ctx.out, r.table->Name);
      ctx.out.write("\t");
      writeField(ctx.out, r.entry.Text);
      ctx.out.write("\t");
      writeField(ctx.out, r.entry.Extension);
    } else {
      ctx.out.writeCp1251(kAbsentMessage);
      ctx.out.write("\t");
      ctx.out.write(rangeNote(RangeOfCode(q.code)));
    }
    ctx.out.write("\n");
  };

  bool linesGood = true;
  bool stdinRead = false;
  for (const QString& arg : ctx.args) {
    if (arg == u"-") {
      if (!stdinRead) linesGood = answerLines(ctx, answer) && linesGood;
      stdinRead = true;
      continue;
    }
    std::string typed = arg.toStdString();
    std::string code = ParseCodeArgument(typed).letterForm;
    answer(Query{std::move(typed), std::move(code)});
  }
  if (json) {
    WriteJson(ctx.out, array);
  }
  ReleaseAtExit(ctx, std::move(index));
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
