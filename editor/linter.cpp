#include "editor/linter.h"

#include <cstdio>
#include <vector>

#include "database/code_index.h"
#include "database/table_order.h"
#include "editor/checker.h"
#include "editor/generator.h"
#include "platform/codepage.h"
#include "platform/file_io.h"

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

// 0-15 for a hex digit 0-9, A-F; -1 otherwise.
int hexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

constexpr int kWellFormedCodes = 4 * 16 * 16 * 16;

// A well-formed code (a digit 0-3 and three hex digits, the only codes a lookup asks
// for) as a number below kWellFormedCodes; -1 for any other code.
int wellFormedSlot(std::string_view code) {
  if (code.size() != 4 || code[0] < '0' || code[0] > '3') return -1;
  int slot = code[0] - '0';
  for (size_t i = 1; i < 4; ++i) {
    const int h = hexValue(code[i]);
    if (h < 0) return -1;
    slot = slot * 16 + h;
  }
  return slot;
}

struct EntryRef {
  char table = 0;
  int32_t position = 0;  // 0: none
  int32_t line = 0;
};

// Where the first entry of each code of one table stands, told entry by entry in table
// order. A well-formed code has a fixed slot, so a table of such codes costs the same
// whatever its size; other codes are indexed as they come.
class FirstEntries {
 public:
  // The first entry with the code of `at`: `at` itself when it is the first.
  EntryRef firstOf(std::string_view code, const EntryRef& at) {
    if (const int slot = wellFormedSlot(code); slot >= 0) {
      EntryRef& first = wellFormed_[static_cast<size_t>(slot)];
      if (first.position == 0) first = at;
      return first;
    }
    if (code.size() != 4) return at;  // no code of a file or a source line
    EntryRef first{at.table, 0, 0};
    if (otherPositions_.find(code, first.position)) {
      (void)otherLines_.find(code, first.line);
      return first;
    }
    otherPositions_.appended(EntryView{code, {}, {}}, at.position);
    if (at.line > 0) otherLines_.appended(EntryView{code, {}, {}}, at.line);
    return at;
  }

 private:
  std::vector<EntryRef> wellFormed_ = std::vector<EntryRef>(kWellFormedCodes);
  CodeIndex otherPositions_, otherLines_;
};

class Linter {
 public:
  explicit Linter(LintReport& report) : report_(report) {}

  // `first`: the first entry of the table with the same code; `at` itself when it is.
  void entry(const EntryRef& at, const EntryRef& first, std::string_view code,
             std::string_view text, std::string_view extension) {
    const std::string codeText(code);
    auto add = [&](LintKind kind, std::string detail) {
      report_.add({kind, at.table, at.position, codeText, at.line, std::move(detail)});
    };

    if (first.position != at.position)
      add(LintKind::kDuplicateCode,
          "the same code stands at position " + std::to_string(first.position) +
              (first.line ? " (line " + std::to_string(first.line) + ")" : "") +
              "; lookups never reach this one");

    if (wellFormedSlot(code) < 0)
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

  LintReport& report_;
};

}  // namespace

void LintDatabase(const DatabaseView& db, LintReport& report) {
  Linter linter(report);
  for (const char letter : kTableLetters) {
    const TableView& t = *db.table(letter);
    FirstEntries firsts;
    for (auto it = t.entries().begin(), end = t.entries().end(); it != end; ++it) {
      const EntryRef at{letter, it.position(), 0};
      linter.entry(at, firsts.firstOf(it->code, at), it->code, it->Text, it->Extension);
    }
  }
}

void LintSourceBytes(std::string_view bytes, LintReport& report) {
  const SourceText source = DecodeSourceText(bytes);
  if (source.utf8) report.convertedFromUtf8();
  if (bytes.find('\0') != std::string_view::npos) {
    report.add({LintKind::kSourceNotCp1251, 0, 0, "", 0,
                "the file holds NUL bytes: it is binary, not a text"});
  } else if (!source.utf8 && bytes.find('\x98') != std::string_view::npos) {
    report.add({LintKind::kSourceNotCp1251, 0, 0, "", 0,
                "the file holds the byte 0x98, which code page 1251 does not define"});
  }

  Linter linter(report);
  FirstEntries firsts[4];
  int32_t counts[4] = {0, 0, 0, 0};
  int32_t lineNo = 0;
  SourceLines lines(source.text());
  for (std::string_view line; lines.next(line);) {
    ++lineNo;
    SourceLine parsed;
    if (!ParseSourceLine(line, parsed)) {
      report.add({LintKind::kSourceError, 0, 0, "", lineNo,
                  line.empty() ? "the line is empty"
                               : "the code before the first blank is not 5 characters"});
      continue;
    }
    const int slot = TableSlot(parsed.letter);
    if (slot < 0) {
      report.add({LintKind::kSourceError, 0, 0, std::string(parsed.code), lineNo,
                  "the table letter " + std::string(1, parsed.letter) + " is none of P, C, B, U"});
      continue;
    }
    const bool tooLong =
        parsed.text.size() > kMaxTextBytes || parsed.extension.size() > kMaxTextBytes;
    if (tooLong) {
      report.add({LintKind::kSourceError, parsed.letter, 0, std::string(parsed.code), lineNo,
                  "a text is longer than 65535 bytes"});
      continue;
    }
    const EntryRef at{parsed.letter, ++counts[slot], lineNo};
    linter.entry(at, firsts[slot].firstOf(parsed.code, at), parsed.code, parsed.text,
                 parsed.extension);
  }
  // The generator stops converting here, so the lines behind are not read.
  if (source.stopLine > 0)
    report.add({LintKind::kSourceError, 0, 0, "", source.stopLine, source.stopReason()});
}

Status LintSource(const std::string& path, LintReport& report) {
  std::string bytes;
  if (Status s = ReadWholeFile(path, bytes); !s.ok()) return s;
  LintSourceBytes(bytes, report);
  return Status::OK();
}

}  // namespace vestral
