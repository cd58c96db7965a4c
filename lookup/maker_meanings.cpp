#include "lookup/maker_meanings.h"

#include <algorithm>
#include <set>
#include <utility>

#include "lookup/code_range.h"
#include "platform/codepage.h"

namespace vestral {

extern const std::string_view kMakerMeaningsText;  // generated from data/maker-meanings.txt

namespace {

// A note reads "Otherwise on GM: ...; on Toyota: ..." ("Иначе на GM: ...; на Toyota:
// ..."): short, since the description label of a Russian-first database holds it too.
constexpr std::string_view kLeadEnglish = "Otherwise on ";
constexpr std::string_view kOnEnglish = "on ";
constexpr std::string_view kLeadRussian = "\xC8\xED\xE0\xF7\xE5 \xED\xE0 ";  // "Иначе на "
constexpr std::string_view kOnRussian = "\xED\xE0 ";                         // "на "

std::string_view leadOf(TextLanguage language) {
  return language == TextLanguage::English ? kLeadEnglish : kLeadRussian;
}

// How often `text` holds the sentence a note starts with.
size_t notesIn(std::string_view text, std::string_view lead) {
  size_t n = 0;
  for (size_t at = text.find(lead); at != std::string_view::npos; at = text.find(lead, at + 1)) ++n;
  return n;
}

std::vector<std::string_view> fieldsOf(std::string_view line) {
  std::vector<std::string_view> fields;
  for (size_t start = 0;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string_view::npos) return fields;
    start = tab + 1;
  }
}

bool plainText(std::string_view s) {
  return !s.empty() && s.front() != ' ' && s.back() != ' ' && s.find('|') == std::string::npos;
}

// What is wrong with one meaning's texts; empty when nothing is. Fills m.russian.
std::string checkTexts(std::string_view english, std::string_view russian, MakerMeaning& m) {
  if (!plainText(english) || !plainText(russian))
    return "a text is empty, starts or ends with a blank, or holds '|'";
  if (!std::all_of(english.begin(), english.end(), [](char c) { return c >= 0x20 && c < 0x7F; }))
    return "the English text must be printable ASCII";
  if (!Utf8ToCp1251Exactly(russian, m.russian))
    return "the Russian text holds a character code page 1251 lacks, or bytes that are no UTF-8";
  if (std::any_of(m.russian.begin(), m.russian.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20; }))
    return "a control character in the Russian text";
  if (!std::any_of(m.russian.begin(), m.russian.end(),
                   [](char c) { return static_cast<unsigned char>(c) >= 0xC0; }))
    return "the Russian text has no Cyrillic letter";
  m.english = std::string(english);
  return {};
}

// What is wrong with one code line; empty when nothing is. Fills `m`.
std::string checkCodeLine(const std::vector<std::string_view>& f, const MakerMeanings& list,
                          MakerMeaning& m) {
  if (f.size() != 4) return "expected four fields separated by tabs: code, maker, English, Russian";
  if (!IsLetterForm(f[0]))
    // Appended: GCC 12 warns falsely (-Wrestrict) on a literal + std::string.
    return std::string("\"").append(f[0]) +
           "\" is not a code (P, C, B or U and four upper-case hex digits)";
  if (RangeOfCode(f[0]) != CodeRange::Generic)
    return std::string(f[0]) + " lies in a " + CodeRangeName(RangeOfCode(f[0])) +
           " range, where every maker has its own meanings anyway";
  if (std::find(list.makers.begin(), list.makers.end(), f[1]) == list.makers.end())
    return "the maker \"" + std::string(f[1]) + "\" is not named on the makers line";
  m.code = std::string(f[0]);
  m.maker = std::string(f[1]);
  for (const MakerMeaning& o : list.meanings)
    if (o.code == m.code && o.maker == m.maker) return m.code + " is listed twice for " + m.maker;
  return checkTexts(f[2], f[3], m);
}

std::string checkMakersLine(const std::vector<std::string_view>& f, MakerMeanings& list) {
  if (!list.makers.empty()) return "a second makers line";
  for (size_t i = 1; i < f.size(); ++i) {
    if (!plainText(f[i])) return "a maker's name is empty or has blanks around it";
    if (std::find(list.makers.begin(), list.makers.end(), f[i]) != list.makers.end())
      return "the maker \"" + std::string(f[i]) + "\" is named twice";
    list.makers.emplace_back(f[i]);
  }
  return list.makers.empty() ? "the makers line names no maker" : "";
}

}  // namespace

MakerMeanings ParseMakerMeanings(std::string_view utf8, std::vector<std::string>& problems) {
  MakerMeanings list;
  int lineNo = 0;
  for (size_t start = 0; start < utf8.size();) {
    const size_t end = std::min(utf8.find('\n', start), utf8.size());
    std::string_view line = utf8.substr(start, end - start);
    start = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const std::vector<std::string_view> f = fieldsOf(line);
    MakerMeaning m;
    const std::string problem =
        f[0] == "makers" ? checkMakersLine(f, list) : checkCodeLine(f, list, m);
    if (!problem.empty())
      problems.push_back("line " + std::to_string(lineNo) + ": " + problem);
    else if (f[0] != "makers")
      list.meanings.push_back(std::move(m));
  }
  for (const std::string& maker : list.makers)
    if (std::none_of(list.meanings.begin(), list.meanings.end(),
                     [&](const MakerMeaning& m) { return m.maker == maker; }))
      problems.push_back("the maker \"" + maker + "\" is named on the makers line but never used");
  return list;
}

const MakerMeanings& BuiltInMakerMeanings() {
  // The build has checked the list; a problem cannot reach a running program.
  static const MakerMeanings list = [] {
    std::vector<std::string> ignored;
    return ParseMakerMeanings(kMakerMeaningsText, ignored);
  }();
  return list;
}

std::string MakerNote(const MakerMeanings& list, std::string_view code, TextLanguage language) {
  std::string note;
  for (const MakerMeaning& m : list.meanings) {
    if (m.code != code) continue;
    const bool english = language == TextLanguage::English;
    if (note.empty()) {
      note = leadOf(language);
    } else {
      note += "; ";
      note += english ? kOnEnglish : kOnRussian;
    }
    note += m.maker + ": " + (english ? m.english : m.russian);
  }
  return note;
}

std::string WithNote(std::string text, std::string_view note) {
  if (note.empty() || text.empty()) return text.empty() ? std::string(note) : text;
  text += text.back() == '.' ? " " : ". ";
  text += note;
  return text;
}

std::string AddMakerNote(const MakerMeanings& list, std::string_view code, std::string& english,
                         std::string& russian) {
  const std::string noteEnglish = MakerNote(list, code, TextLanguage::English);
  const size_t want = noteEnglish.empty() ? 0 : 1;
  if (notesIn(english, kLeadEnglish) + notesIn(russian, kLeadRussian) != 0)
    return want ? "holds a makers' note of its own; the build adds the one of the list"
                : "holds a makers' note, but the makers' list has no line for the code";
  english = WithNote(english, noteEnglish);
  russian = WithNote(russian, MakerNote(list, code, TextLanguage::Russian));
  if (notesIn(english, kLeadEnglish) != want || notesIn(russian, kLeadRussian) != want)
    return "lacks the makers' note of its list line";
  return {};
}

}  // namespace vestral
