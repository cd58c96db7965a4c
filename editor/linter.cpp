#include "editor/linter.h"

#include <cstdio>
#include <unordered_map>

#include "database/file_io.h"
#include "editor/checker.h"
#include "editor/generator.h"
#include "platform/codepage.h"

namespace vestral {

const char* LintKindName(LintKind kind) {
  switch (kind) {
    case LintKind::kDuplicateCode: return "duplicate code";
    case LintKind::kMalformedCode: return "malformed code";
    case LintKind::kCheckerRemoves: return "removed by the checker";
    case LintKind::kBlankEdges: return "blank at the start or end of a text";
    case LintKind::kControlCharacter: return "control character in a text";
    case LintKind::kBarInText: return "\"|\" in a description";
    case LintKind::kMojibake: return "UTF-8 stored as code page 1251";
    case LintKind::kSourceNotCp1251: return "source file not in code page 1251";
    case LintKind::kSourceError: return "source line the generator stops at";
  }
  return "?";
}

namespace {

std::string hexByte(unsigned char c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "0x%02X", c);
  return buf;
}

bool isHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

struct EntryRef {
  char table;
  int32_t position;
  int32_t line;
};

class Linter {
 public:
  explicit Linter(std::vector<LintFinding>& out) : out_(out) {}

  void entry(const EntryRef& at, std::string_view code, std::string_view text,
             std::string_view extension) {
    const std::string codeText(code);
    auto add = [&](LintKind kind, std::string detail) {
      out_.push_back({kind, at.table, at.position, codeText, at.line, std::move(detail)});
    };

    const int slot = at.table == 'P' ? 0 : at.table == 'C' ? 1 : at.table == 'B' ? 2 : 3;
    auto [it, first] = seen_[slot].try_emplace(codeText, at);
    if (!first)
      add(LintKind::kDuplicateCode,
          "the same code stands at position " + std::to_string(it->second.position) +
              (it->second.line ? " (line " + std::to_string(it->second.line) + ")" : "") +
              "; lookups never reach this one");

    const bool wellFormed = code.size() == 4 && code[0] >= '0' && code[0] <= '3' &&
                            isHex(code[1]) && isHex(code[2]) && isHex(code[3]);
    if (!wellFormed)
      add(LintKind::kMalformedCode, "the code is not a digit 0-3 and three hex digits");

    std::string reasons;
    const unsigned broken = BrokenEntryRules(code, text);
    for (size_t r = 0; r < kEntryRuleMessages.size(); ++r)
      if ((broken & (1u << r)) != 0) reasons += kEntryRuleMessages[r];
    if (!reasons.empty()) add(LintKind::kCheckerRemoves, reasons);

    textChecks(add, "description", text);
    textChecks(add, "second text", extension);
    if (text.find('|') != std::string_view::npos)
      add(LintKind::kBarInText, "the description holds a \"|\"; a source line would split there");
  }

 private:
  template <typename Add>
  void textChecks(Add& add, const char* which, std::string_view t) {
    if (!t.empty() && (t.front() == ' ' || t.back() == ' '))
      add(LintKind::kBlankEdges,
          std::string("the ") + which + (t.front() == ' ' ? " starts" : " ends") + " with a blank");
    for (char ch : t) {
      const auto c = static_cast<unsigned char>(ch);
      if (c < 0x20 || c == 0x7F) {
        add(LintKind::kControlCharacter,
            std::string("the ") + which + " holds the control character " + hexByte(c));
        break;
      }
    }
    if (LooksLikeUtf8(t))
      add(LintKind::kMojibake,
          std::string("the ") + which + " looks like UTF-8 text stored as code page 1251");
  }

  std::vector<LintFinding>& out_;
  std::unordered_map<std::string, EntryRef> seen_[4];
};

}  // namespace

std::vector<LintFinding> LintDatabase(const DatabaseView& db) {
  std::vector<LintFinding> findings;
  Linter linter(findings);
  for (char letter : {'P', 'C', 'B', 'U'}) {
    const TableView& t = *db.table(letter);
    for (auto it = t.entries().begin(), end = t.entries().end(); it != end; ++it)
      linter.entry({letter, it.position(), 0}, it->code, it->Text, it->Extension);
  }
  return findings;
}

std::vector<LintFinding> LintSourceBytes(std::string_view bytes, bool* convertedFromUtf8) {
  std::vector<LintFinding> findings;
  const SourceText source = DecodeSourceText(bytes);
  if (convertedFromUtf8) *convertedFromUtf8 = source.utf8;
  if (bytes.find('\0') != std::string_view::npos) {
    findings.push_back({LintKind::kSourceNotCp1251, 0, 0, "", 0,
                        "the file holds NUL bytes: it is binary, not a text"});
  } else if (!source.utf8 && bytes.find('\x98') != std::string_view::npos) {
    findings.push_back({LintKind::kSourceNotCp1251, 0, 0, "", 0,
                        "the file holds the byte 0x98, which code page 1251 does not define"});
  }

  Linter linter(findings);
  int32_t counts[4] = {0, 0, 0, 0};
  int32_t lineNo = 0;
  for (std::string_view line : SplitSourceLines(source.text())) {
    ++lineNo;
    SourceLine parsed;
    if (!ParseSourceLine(line, parsed)) {
      findings.push_back({LintKind::kSourceError, 0, 0, "", lineNo,
                          line.empty() ? "the line is empty"
                                       : "the code before the first blank is not 5 characters"});
      continue;
    }
    const int slot = parsed.letter == 'P'   ? 0
                     : parsed.letter == 'C' ? 1
                     : parsed.letter == 'B' ? 2
                     : parsed.letter == 'U' ? 3
                                            : -1;
    if (slot < 0) {
      findings.push_back(
          {LintKind::kSourceError, 0, 0, std::string(parsed.code), lineNo,
           "the table letter " + std::string(1, parsed.letter) + " is none of P, C, B, U"});
      continue;
    }
    const bool tooLong =
        parsed.text.size() > kMaxTextBytes || parsed.extension.size() > kMaxTextBytes;
    if (tooLong) {
      findings.push_back({LintKind::kSourceError, parsed.letter, 0, std::string(parsed.code),
                          lineNo, "a text is longer than 65535 bytes"});
      continue;
    }
    linter.entry({parsed.letter, ++counts[slot], lineNo}, parsed.code, parsed.text,
                 parsed.extension);
  }
  // The generator stops converting here, so the lines behind are not read.
  if (source.stopLine > 0)
    findings.push_back({LintKind::kSourceError, 0, 0, "", source.stopLine, source.stopReason()});
  return findings;
}

Status LintSource(const std::string& path, std::vector<LintFinding>& findings,
                  bool* convertedFromUtf8) {
  std::string bytes;
  if (Status s = ReadWholeFile(path, bytes); !s.ok()) return s;
  findings = LintSourceBytes(bytes, convertedFromUtf8);
  return Status::OK();
}

}  // namespace vestral
