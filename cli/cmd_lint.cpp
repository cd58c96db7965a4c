#include <array>

#include "cli/code_argument.h"
#include "cli/command.h"
#include "cli/entry_output.h"
#include "editor/linter.h"

namespace vestral {

namespace {

constexpr OptionSpec kOptions[] = {
    {"", "source", "Lint a source text, as the generator would read it, instead of a database.",
     "FILE"},
};

// Writes each finding as it comes, "line 4, table P, position 3, code 0100: duplicate
// code: the same code ..." (the parts a finding lacks left out; one about the whole file
// names the file), and counts them per kind for the summary.
class FindingWriter : public LintReport {
 public:
  FindingWriter(TextOutput& out, const std::string& file) : out_(out), file_(file) {}

  void convertedFromUtf8() override {
    out_.write(QuotedPath(file_) +
               " is UTF-8: read as generate reads it, converted to code page 1251\n");
  }

  void add(const LintFinding& f) override {
    ++perKind_[static_cast<size_t>(f.kind)];
    ++total_;
    std::string where;
    auto part = [&where](const std::string& s) { where += (where.empty() ? "" : ", ") + s; };
    if (f.line > 0) part("line " + std::to_string(f.line));
    if (f.table != 0) part("table " + Cp1251ToUtf8(std::string_view(&f.table, 1)));
    if (f.position > 0) part("position " + std::to_string(f.position));
    if (where.empty() && f.code.empty()) where = QuotedPath(file_);
    out_.write(where);
    if (!f.code.empty()) {
      out_.write(where.empty() ? "code " : ", code ");
      WriteFlatCp1251(out_, f.code);
    }
    out_.write(": ");
    out_.write(LintKindName(f.kind));
    out_.write(": ");
    // A source error's detail quotes bytes of the line.
    WriteFlatCp1251(out_, f.detail);
    out_.write("\n");
  }

  // The count of each kind found; returns the exit status.
  int finish() {
    if (total_ == 0) return kExitOk;
    // Appended: GCC 12 warns falsely (-Wrestrict) on a literal + std::string.
    out_.write(std::string("\n").append(std::to_string(total_)) +
               (total_ == 1 ? " finding" : " findings") + " in " + QuotedPath(file_) + ":\n");
    for (int k = 0; k < kLintKindCount; ++k) {
      if (perKind_[k] == 0) continue;
      out_.write("  " + std::to_string(perKind_[k]) + "\t" +
                 LintKindName(static_cast<LintKind>(k)) + "\n");
    }
    return kExitFailure;
  }

 private:
  TextOutput& out_;
  const std::string& file_;
  std::array<size_t, kLintKindCount> perKind_{};
  size_t total_ = 0;
};

int run(CommandContext& ctx) {
  if (!ctx.args.empty()) return ctx.usageError("lint takes no arguments; use --db or --source");
  const bool source = ctx.options.isSet("source");
  if (source && ctx.options.isSet("db"))
    return ctx.usageError("--db and --source exclude each other");

  const std::string file = source ? ctx.options.value("source") : ctx.databasePath;
  FindingWriter writer(ctx.out, file);
  if (source) {
    if (file.empty()) return ctx.usageError("--source needs a file name");
    if (const Status s = LintSource(file, writer); !s.ok()) return ctx.fail(s.ToString());
  } else {
    DatabaseFile db;
    if (!ReadDatabaseOrReport(ctx, file, db)) return kExitFailure;
    LintDatabase(db.view(), writer);
  }
  return writer.finish();
}

}  // namespace

extern const CommandSpec kLintCommand;  // listed in cli.cpp
const CommandSpec kLintCommand{
    .name = "lint",
    .synopsis = "[--db FILE] | --source FILE",
    .summary = "Report what in a database or a source text hides or garbles entries",
    .features = CommandSpec::kDatabase,
    .options = kOptions,
    .arguments = {},
    .insteadOfDatabase = "source",
    .run = run,
};

}  // namespace vestral
