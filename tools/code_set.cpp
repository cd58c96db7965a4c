// Builds the shipped code set: vestral_code_set OUT.txt [--makers LIST.txt] MASTER.txt...
// and turns the default database it gives into the Russian-first one:
// vestral_code_set --russian-first IN.DAT OUT.DAT
//
// The master files (data/codes/*.txt) are UTF-8, one code a line: the code, a tab, the
// English title, a tab, the Russian text; '#' starts a comment line. LIST is the list of
// makers' own meanings (data/maker-meanings.txt), whose note every listed entry gets in
// both languages. OUT is the source text the generator reads (code page 1251, CR LF).
// Every problem is reported with its file and line, and any problem fails the build: the
// shipped data is either whole and clean or not built at all.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "database/dtc_database.h"
#include "database/text_language.h"
#include "lookup/code_range.h"
#include "lookup/maker_meanings.h"
#include "platform/codepage.h"

namespace {

using namespace vestral;

struct Code {
  std::string english;
  std::string russian;  // code page 1251
  std::string where;    // file:line of the master line
};

bool isUpperHex(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'); }

// The code page 1251 form of a UTF-8 text, or a problem: a character the code page
// lacks, or bytes that are no UTF-8.
bool toCp1251(std::string_view utf8, std::string& out, std::string& problem) {
  out = Utf8ToCp1251(utf8);
  std::string back;
  for (char c : out) AppendUtf8(back, Cp1251ToUnicode(static_cast<unsigned char>(c)));
  if (back == utf8) return true;
  problem = "a character that code page 1251 lacks, or bytes that are no UTF-8";
  return false;
}

std::string checkLine(std::string_view line, std::string& key, Code& code) {
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string_view::npos) break;
    start = tab + 1;
  }
  if (fields.size() != 3) return "expected three fields separated by tabs: code, English, Russian";
  const std::string_view c = fields[0];
  if (c.size() != 5 || std::string_view("PCBU").find(c[0]) == std::string_view::npos ||
      c[1] < '0' || c[1] > '3' || !std::all_of(c.begin() + 1, c.end(), isUpperHex))
    // Appended: GCC 12 warns falsely (-Wrestrict) on a literal + std::string.
    return std::string("\"").append(c) +
           "\" is not a code (P, C, B or U and four upper-case hex digits)";
  if (RangeOfCode(c) != CodeRange::Generic)
    return std::string(c) + " lies in a " + CodeRangeName(RangeOfCode(c)) +
           " range; only generic codes are shipped";
  for (size_t i = 1; i < 3; ++i) {
    const std::string_view f = fields[i];
    if (f.empty()) return std::string(i == 1 ? "English" : "Russian") + " text is empty";
    if (f.front() == ' ' || f.back() == ' ' || f.find("  ") != std::string_view::npos)
      return "blanks at the ends of a text or doubled inside it";
    if (f.find('|') != std::string_view::npos) return "'|' separates the texts in the source";
  }
  for (char ch : fields[1])
    if (ch < 0x20 || ch > 0x7E) return "the English text must be printable ASCII";
  std::string problem;
  if (!toCp1251(fields[2], code.russian, problem)) return "Russian text: " + problem;
  if (!std::any_of(code.russian.begin(), code.russian.end(),
                   [](char ch) { return static_cast<unsigned char>(ch) >= 0xC0; }))
    return "the Russian text has no Cyrillic letter";
  for (char ch : code.russian)
    if (static_cast<unsigned char>(ch) < 0x20) return "a control character in the Russian text";
  key = std::string(c);
  code.english = std::string(fields[1]);
  return {};
}

// Twin codes name opposite faults of one thing: their English titles are the same word for
// word except one word of the fault part (after the title's first colon; the whole title
// when it has none), and those two words are opposites below. Low speed and high speed
// buses differ in the subject, so they are no twins. Opposite faults have different
// causes, so twins must not carry the same hint, the Russian text after "Проверить:"
// (blanks and a final full stop aside): a copied hint sends the mechanic the wrong way,
// to hunt an air leak where the mixture runs rich. Reports each copy with both lines.
template <typename Codes>
int checkTwinHints(const Codes& codes) {
  static constexpr std::pair<std::string_view, std::string_view> kOpposites[] = {
      {"lean", "rich"},           {"low", "high"},   {"lower", "higher"},
      {"open", "closed"},         {"open", "short"}, {"advanced", "retarded"},
      {"minimum", "maximum"},     {"early", "late"}, {"on", "off"},
      {"overboost", "underboost"}};
  const std::string marker = Utf8ToCp1251("Проверить:");
  auto hintOf = [&](const Code& code) -> std::string {
    const size_t at = code.russian.find(marker);
    if (at == std::string::npos) return {};
    std::string hint = code.russian.substr(at + marker.size());
    while (!hint.empty() && (hint.back() == ' ' || hint.back() == '.')) hint.pop_back();
    return hint.substr(std::min(hint.find_first_not_of(' '), hint.size()));
  };
  // Each code once per opposite word of its fault: the title with that word left out,
  // its place and the pair, as the key that twins share.
  std::map<std::string, std::vector<std::pair<std::string, const std::string*>>> groups;
  for (const auto& [key, code] : codes) {
    std::vector<std::string> words;
    size_t faultStart = 0;
    std::string word;
    auto endWord = [&] {
      if (!word.empty()) words.push_back(std::move(word));
      word.clear();
    };
    for (char ch : code.english) {
      if (std::isalnum(static_cast<unsigned char>(ch))) {
        word += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        continue;
      }
      endWord();
      if (ch == ':' && faultStart == 0) faultStart = words.size();
    }
    endWord();
    for (size_t i = faultStart; i < words.size(); ++i)
      for (size_t pair = 0; pair < std::size(kOpposites); ++pair) {
        if (words[i] != kOpposites[pair].first && words[i] != kOpposites[pair].second) continue;
        std::string shared = std::to_string(i) + '#' + std::to_string(pair);
        for (size_t j = 0; j < words.size(); ++j) shared += ' ' + (j == i ? "*" : words[j]);
        groups[shared].emplace_back(words[i], &key);
      }
  }
  int problems = 0;
  for (const auto& [shared, members] : groups)
    for (size_t a = 0; a < members.size(); ++a)
      for (size_t b = a + 1; b < members.size(); ++b) {
        if (members[a].first == members[b].first) continue;  // the same word: no opposites
        const Code& first = codes.at(*members[a].second);
        const Code& second = codes.at(*members[b].second);
        const std::string hint = hintOf(first);
        if (hint.empty() || hint != hintOf(second)) continue;
        std::fprintf(stderr, "%s: %s carries the hint of its twin %s (%s); write one that fits\n",
                     second.where.c_str(), members[b].second->c_str(), members[a].second->c_str(),
                     first.where.c_str());
        ++problems;
      }
  return problems;
}

// The makers' list at `path`, each problem reported with the file; false on any.
bool readMakerMeanings(const char* path, MakerMeanings& list) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  if (!in) {
    std::fprintf(stderr, "%s: cannot be read\n", path);
    return false;
  }
  std::vector<std::string> problems;
  list = ParseMakerMeanings(text.str(), problems);
  for (const std::string& p : problems) std::fprintf(stderr, "%s: %s\n", path, p.c_str());
  return problems.empty();
}

// Gives every listed code's texts the makers' note from the list; returns the problems.
template <typename Codes>
int addMakerNotes(Codes& codes, const MakerMeanings& list, const char* listPath) {
  int problems = 0;
  for (auto& [key, code] : codes) {
    const std::string problem = AddMakerNote(list, key, code.english, code.russian);
    if (problem.empty()) continue;
    std::fprintf(stderr, "%s: %s %s (%s)\n", code.where.c_str(), key.c_str(), problem.c_str(),
                 listPath);
    ++problems;
  }
  return problems;
}

// Writes the Russian-first default database: IN turned, with nothing behind its record.
int russianFirst(const char* in, const char* out) {
  DtcDatabase db;
  std::string bytes;
  Status s = ReadDatabase(in, db);
  if (s.ok()) {
    TurnToLanguage(db, TextLanguage::Russian);
    s = FirstLanguageOf(db) == TextLanguage::Russian
            ? SerializeDatabase(db, bytes)
            : Status::InvalidArgument(std::string(in) + " holds no entry to turn to Russian first");
  }
  if (s.ok()) s = ReplaceFile(out, bytes);
  if (s.ok()) return 0;
  std::fprintf(stderr, "vestral_code_set: %s\n", s.ToString().c_str());
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string_view(argv[1]) == "--russian-first")
    return russianFirst(argv[2], argv[3]);
  if (argc < 3) {
    std::fprintf(stderr,
                 "usage: vestral_code_set OUT.txt [--makers LIST.txt] MASTER.txt...\n"
                 "       vestral_code_set --russian-first IN.DAT OUT.DAT\n");
    return 2;
  }
  MakerMeanings makers;
  const char* makersPath = nullptr;
  int firstMaster = 2;
  if (argc > 3 && std::string_view(argv[2]) == "--makers") {
    makersPath = argv[3];
    firstMaster = 4;
  }
  // Sorted by letter order of the database (P, C, B, U), then by code.
  auto order = [](const std::string& a, const std::string& b) {
    const std::string_view letters = "PCBU";
    const size_t la = letters.find(a[0]), lb = letters.find(b[0]);
    return la != lb ? la < lb : a < b;
  };
  std::map<std::string, Code, decltype(order)> codes(order);
  int problems = 0;
  if (makersPath && !readMakerMeanings(makersPath, makers)) ++problems;
  for (int i = firstMaster; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    if (!in) {
      std::fprintf(stderr, "%s: cannot be read\n", argv[i]);
      ++problems;
      continue;
    }
    std::string line;
    for (int lineNo = 1; std::getline(in, line); ++lineNo) {
      if (line.empty() || line[0] == '#') continue;
      const std::string where = std::string(argv[i]) + ":" + std::to_string(lineNo);
      std::string key;
      Code code;
      std::string problem = checkLine(line, key, code);
      if (problem.empty() && codes.count(key))
        problem = key + " is already defined at " + codes.at(key).where;
      if (!problem.empty()) {
        std::fprintf(stderr, "%s: %s\n", where.c_str(), problem.c_str());
        ++problems;
        continue;
      }
      code.where = where;
      codes.emplace(key, std::move(code));
    }
  }
  problems += checkTwinHints(codes);
  if (problems == 0 && makersPath) problems += addMakerNotes(codes, makers, makersPath);
  if (problems > 0) {
    std::fprintf(stderr, "vestral_code_set: %d problem(s); %s not written\n", problems, argv[1]);
    return 1;
  }

  // The collector's layout: description, bar, blank, second text.
  std::ostringstream text;
  std::map<std::string, int> perRange;
  for (const auto& [key, code] : codes) {
    text << key << ' ' << code.english << "| " << code.russian << "\r\n";
    ++perRange[key.substr(0, 2)];
  }
  const std::filesystem::path out = argv[1];
  const std::filesystem::path partial = out.string() + ".partial";
  {
    std::ofstream file(partial, std::ios::binary | std::ios::trunc);
    file << text.str();
    if (!file.flush()) {
      std::fprintf(stderr, "vestral_code_set: cannot write %s\n", partial.c_str());
      return 1;
    }
  }
  std::filesystem::rename(partial, out);
  std::printf("vestral_code_set: %zu codes:", codes.size());
  for (const auto& [range, n] : perRange) std::printf(" %sxxx %d", range.c_str(), n);
  std::printf("\n");
  return 0;
}
