#include <array>

#include "cli/command.h"
#include "editor/linter.h"

namespace vestral {

namespace {

constexpr OptionSpec kOptions[] = {
    {"", "source", "Lint a source text, as the generator would read it, instead of a database.",
     "FILE"},
};

// "line 4, table P, position 3, code 0100: duplicate code: the same code ..."; the
// parts a finding lacks are left out, and one about the whole file names the file.
void writeFinding(TextOutput& out, const LintFinding& f, const std::string& file) {
  std::string where;
  auto part = [&where](const std::string& s) { where += (where.empty() ? "" : ", ") + s; };
  if (f.line > 0) part("line " + std::to_string(f.line));
  if (f.table != 0) part("table " + Cp1251ToUtf8(std::string_view(&f.table, 1)));
  if (f.position > 0) part("position " + std::to_string(f.position));
  if (where.empty() && f.code.empty()) where = "\"" + file + "\"";
  out.write(where);
  if (!f.code.empty()) {
    out.write(where.empty() ? "code " : ", code ");
    out.writeCp1251(f.code);
  }
  out.write(": ");
  out.write(LintKindName(f.kind));
  out.write(": ");
  // A source error's detail quotes the bytes of the line.
  out.writeCp1251(f.detail);
  out.write("\n");
}

int run(CommandContext& ctx) {
  if (!ctx.args.empty()) return ctx.usageError("lint takes no arguments; use --db or --source");
  const bool source = ctx.options.isSet("source");
  if (source && ctx.options.isSet("db"))
    return ctx.usageError("--db and --source exclude each other");

  std::vector<LintFinding> findings;
  std::string file = ctx.databasePath;
  if (source) {
    file = ctx.options.value("source");
    if (file.empty()) return ctx.usageError("--source needs a file name");
    bool utf8 = false;
    if (const Status s = LintSource(file, findings, &utf8); !s.ok()) return ctx.fail(s.ToString());
    if (utf8)
      ctx.out.write("\"" + file +
                    "\" is UTF-8: read as generate reads it, converted to code page 1251\n");
  } else {
    DatabaseFile db;
    if (!ReadDatabaseOrReport(ctx, file, db)) return kExitFailure;
    findings = LintDatabase(db.view());
  }
  if (findings.empty()) return kExitOk;

  std::array<size_t, kLintKindCount> perKind{};
  for (const LintFinding& f : findings) {
    writeFinding(ctx.out, f, file);
    ++perKind[static_cast<size_t>(f.kind)];
  }
  ctx.out.write("\n" + std::to_string(findings.size()) +
                (findings.size() == 1 ? " finding" : " findings") + " in \"" + file + "\":\n");
  for (int k = 0; k < kLintKindCount; ++k) {
    if (perKind[k] == 0) continue;
    ctx.out.write("  " + std::to_string(perKind[k]) + "\t" +
                  LintKindName(static_cast<LintKind>(k)) + "\n");
  }
  return kExitFailure;
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
