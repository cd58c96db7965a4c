#include <memory>

#include "cli/code_argument.h"
#include "cli/command.h"
#include "cli/entry_output.h"
#include "database/code_index.h"
#include "lookup/code_range.h"
#include "lookup/lookup.h"

namespace vestral {

namespace {

struct Query {
  std::string input;  // as typed, UTF-8
  std::string code;   // letter form
};

constexpr OptionSpec kOptions[] = {
    {"", "json", "Write a JSON array of {input, code, found, system, text, extension, range}."},
};
constexpr ArgumentSpec kArguments[] = {
    {"CODE",
     "A code in hex form (0100) or letter form (P0100), any case; - reads codes from standard "
     "input, one a line.",
     "CODE... | -"},
};

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

// Answers each query on standard output as soon as it is asked: one line a code, or
// one object of a JSON array. A few codes are cheaper to find by walking the tables;
// past that, one index serves the rest.
class Answers {
 public:
  Answers(CommandContext& ctx, const DatabaseView& db)
      : ctx_(ctx), db_(db), json_(ctx.options.isSet("json")), array_(ctx.out) {}

  void operator()(const Query& q) {
    if (!index_ && ++answered_ > kIndexWorthFrom) index_ = std::make_shared<LookupIndex>(db_);
    const LookupResult r = index_ ? index_->find(q.code) : LookupCode(db_, q.code);
    allFound_ = allFound_ && r.found();
    if (json_)
      writeJson(q, r);
    else
      writeLine(q, r);
  }

  // Ends the output; true when every code was found.
  bool finish() {
    if (json_) array_.finish();
    ReleaseAtExit(ctx_, std::move(index_));
    return allFound_;
  }

 private:
  void writeJson(const Query& q, const LookupResult& r) {
    const bool found = r.found();
    array_.add({
        {"input", JsonText(q.input)},
        {"code", JsonText(q.code)},
        {"found", found ? "true" : "false"},
        {"system", r.table ? JsonText(r.table->Name) : "null"},
        {"text", found ? JsonText(r.entry.Text) : "null"},
        {"extension", found ? JsonText(r.entry.Extension) : "null"},
        {"range", JsonText(CodeRangeName(RangeOfCode(q.code)))},
    });
  }

  void writeLine(const Query& q, const LookupResult& r) {
    TextOutput& out = ctx_.out;
    out.write(q.code);
    out.write("\t");
    if (r.found()) {
      WriteFlatCp1251(out, r.table->Name);
      out.write("\t");
      WriteFlatCp1251(out, r.entry.Text);
      out.write("\t");
      WriteFlatCp1251(out, r.entry.Extension);
    } else {
      out.writeCp1251(kAbsentMessage);
      out.write("\t");
      out.write(AbsentCodeLine(q.code, TextLanguage::English));
    }
    out.write("\n");
  }

  CommandContext& ctx_;
  const DatabaseView& db_;
  const bool json_;
  JsonArrayWriter array_;
  size_t answered_ = 0;
  std::shared_ptr<LookupIndex> index_;
  bool allFound_ = true;
};

// Malformed arguments stop the command before any work; each is named. Returns the
// status to stop with, or kExitOk.
int refuseMalformed(CommandContext& ctx) {
  if (ctx.args.empty())
    return ctx.usageError(
        "no code given; name codes (0100, P0100) or - to read them from standard input");
  std::vector<std::string> problems;
  for (const std::string& arg : ctx.args) {
    if (arg == "-") continue;
    const CodeArgument c = ParseCodeArgument(arg);
    if (!c.ok()) problems.push_back(QuotedInput(arg) + " is not a code: " + c.problem);
  }
  if (problems.empty()) return kExitOk;
  for (size_t i = 0; i + 1 < problems.size(); ++i) ctx.warn(problems[i]);
  return ctx.usageError(problems.back());
}

int run(CommandContext& ctx) {
  if (const int s = refuseMalformed(ctx); s != kExitOk) return s;
  DatabaseFile file;
  if (!ReadDatabaseOrReport(ctx, ctx.databasePath, file)) return kExitFailure;
  Answers answer(ctx, file.view());
  bool linesGood = true;
  bool stdinRead = false;
  for (const std::string& arg : ctx.args) {
    if (arg != "-") {
      answer(Query{arg, ParseCodeArgument(arg).letterForm});
    } else if (!stdinRead) {
      linesGood = answerLines(ctx, answer);
      stdinRead = true;
    }
  }
  const bool allFound = answer.finish();
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
    .options = kOptions,
    .arguments = kArguments,
    .run = run,
};

}  // namespace vestral
