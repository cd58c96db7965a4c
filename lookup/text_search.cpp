#include "lookup/text_search.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <tuple>

#include "database/table_order.h"
#include "lookup/synonyms.h"
#include "lookup/word_forms.h"
#include "platform/codepage.h"

namespace vestral {

FoldTable IdentityFold() {
  FoldTable t{};
  for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i);
  return t;
}

namespace {

// The small letter of a capital the code page holds; others as they are.
char32_t smallLetter(char32_t c) {
  if ((c >= 'A' && c <= 'Z') || (c >= 0x0410 && c <= 0x042F)) return c + 0x20;  // A-Z, А-Я
  if (c >= 0x0400 && c <= 0x040F) return c + 0x50;                              // Ѐ-Џ
  if (c == 0x0490) return 0x0491;                                               // Ґ
  return c;
}

}  // namespace

FoldTable Cp1251CaseFold() {
  FoldTable t = IdentityFold();
  for (int b = 0; b < 256; ++b) {
    const char32_t c = Cp1251ToUnicode(static_cast<unsigned char>(b));
    const char32_t small = smallLetter(c);
    if (small == c) continue;
    for (int s = 0; s < 256; ++s)
      if (Cp1251ToUnicode(static_cast<unsigned char>(s)) == small)
        t[b] = static_cast<unsigned char>(s);
  }
  return t;
}

bool IsCodeStart(std::string_view w) {
  // Folded, a system letter is small.
  if (w.size() < 2 || w.size() > 5 || w[0] < 'a' || TableSlot(static_cast<char>(w[0] - 32)) < 0)
    return false;
  if (w[1] < '0' || w[1] > '3') return false;
  return std::all_of(w.begin() + 1, w.end(),
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

namespace {

// A term is a stem's number; the top bits mark a word joined to the one before it, and
// one that starts a sentence.
constexpr uint32_t kJoined = 1u << 31;
constexpr uint32_t kSentence = 1u << 30;
constexpr uint32_t kStemBits = kSentence - 1;
constexpr int kScattered = 63;               // the rank's bit for a query spread over sentences
constexpr uint32_t kNoStem = kStemBits;      // a stem no entry holds
constexpr uint32_t kPrefix = kStemBits - 1;  // any stem the unfinished last word starts
// Beyond it words are no longer indexed, so that term positions and stem numbers stay
// below kPrefix: an index that large would hold 4 GB of terms.
constexpr uint32_t kMaxTerms = kPrefix - 2 * 65536;

// One entry: where its words lie among the index's terms.
struct Doc {
  uint32_t begin = 0;  // the description's words, then the second text's
  uint16_t textWords = 0;
  uint16_t extWords = 0;
  std::array<char, 4> code{};
};

// Words that must stand together in one text, each a term or kPrefix.
using Phrase = std::vector<uint32_t>;

// What one word of the query (or one name, or a word with its number) asks for: any of
// its phrases.
struct Unit {
  std::vector<Phrase> phrases;
};

struct Query {
  std::vector<std::string> codeStarts;  // folded: p03
  std::vector<Unit> units;
  bool impossible = false;  // a unit no entry can meet
};

// Where a unit matched: in the description (field 0) or the second text (1), from
// which word, over how many.
struct Occurrence {
  uint32_t field = 0, at = 0, words = 0;
  bool operator<(const Occurrence& o) const {
    return field != o.field ? field < o.field : at < o.at;
  }
};

struct Found {
  uint64_t rank;
  uint32_t slot;
  int32_t index;
};

const FoldTable& caseFold() {
  static const FoldTable t = Cp1251CaseFold();
  return t;
}

// Strings numbered 0, 1, 2 ... in the order they were first added: one buffer of their
// bytes and an open-addressed table of numbers, so that a million distinct words cost
// a few bytes each beyond their own rather than a node of a map each.
class StringTable {
 public:
  size_t size() const { return starts_.size() - 1; }
  std::string_view operator[](uint32_t id) const {
    return std::string_view(chars_).substr(starts_[id], starts_[id + 1] - starts_[id]);
  }
  // The number of `s`, or npos.
  uint32_t find(std::string_view s) const {
    if (slots_.empty()) return kNone;
    const uint64_t h = hash(s);
    for (size_t i = h & mask(); slots_[i]; i = (i + 1) & mask()) {
      const auto id = static_cast<uint32_t>(slots_[i]) - 1;
      if ((slots_[i] >> 32) == (h >> 32) && (*this)[id] == s) return id;
    }
    return kNone;
  }
  // The number of `s`, adding it when new.
  uint32_t add(std::string_view s) {
    if (const uint32_t id = find(s); id != kNone) return id;
    if (4 * (size() + 1) > 3 * slots_.size()) grow();  // at most three quarters full
    const auto id = static_cast<uint32_t>(size());
    chars_.append(s);
    starts_.push_back(static_cast<uint32_t>(chars_.size()));
    place(id);
    return id;
  }
  size_t bytes() const {
    return chars_.capacity() + starts_.capacity() * sizeof(uint32_t) +
           slots_.capacity() * sizeof(uint64_t);
  }

  static constexpr uint32_t kNone = UINT32_MAX;

 private:
  static uint64_t hash(std::string_view s) { return std::hash<std::string_view>{}(s); }
  size_t mask() const { return slots_.size() - 1; }
  void place(uint32_t id) {
    const uint64_t h = hash((*this)[id]);
    size_t i = h & mask();
    while (slots_[i]) i = (i + 1) & mask();
    slots_[i] = (h >> 32 << 32) | (id + 1);
  }
  void grow() {
    slots_.assign(std::max<size_t>(64, slots_.size() * 2), 0);
    for (uint32_t id = 0; id < size(); ++id) place(id);
  }

  std::string chars_;
  std::vector<uint32_t> starts_{0};
  // The upper half of a string's hash and its number + 1; 0 is free.
  std::vector<uint64_t> slots_;
};

// Words already stemmed, while an index is built: each word's stem number.
struct StemCache {
  StringTable words;
  std::vector<uint32_t> stems;
};

}  // namespace

struct SearchIndex::Impl {
  const DatabaseView* view = nullptr;
  const DtcDatabase* db = nullptr;
  std::array<std::vector<Doc>, 4> docs;        // by table slot, position - 1
  std::array<std::vector<size_t>, 4> offsets;  // over a view: where each entry starts
  std::vector<uint32_t> terms;
  size_t deadTerms = 0;  // terms of entries indexed again or erased
  StringTable stems;
  Stemmer stemmer;
  // Scratch, reused from query to query.
  std::string folded;
  std::vector<WordSpan> words;
  // By stem: which of the first eight units a phrase starting with it serves; a byte,
  // so that the table of a large vocabulary stays in the cache.
  std::vector<uint8_t> firstMask;
  std::vector<uint32_t> maskedStems;
  std::vector<uint8_t> prefixStems;  // by stem: started by the unfinished last word
  std::vector<Occurrence> occurrences;

  uint32_t findStem(std::string_view stem) const {
    const uint32_t id = stems.find(stem);
    return id == StringTable::kNone ? kNoStem : id;
  }

  // Appends the words of `text`, at most 65,535 of them; returns how many. `cache` maps
  // words already stemmed to their stems' numbers.
  uint16_t addWords(std::string_view text, StemCache& cache) {
    SplitWords(text, folded, words);
    const size_t n = terms.size() < kMaxTerms ? std::min<size_t>(words.size(), 65535) : 0;
    for (size_t i = 0; i < n; ++i) {
      const WordSpan& w = words[i];
      const std::string_view word = std::string_view(folded).substr(w.begin, w.size);
      uint32_t id = 0;
      if (w.number) {
        id = stems.add(word);
      } else if (const uint32_t known = cache.words.add(word); known < cache.stems.size()) {
        id = cache.stems[known];
      } else {
        id = stems.add(stemmer.stem(word));
        cache.stems.push_back(id);
      }
      terms.push_back(id | (w.joined ? kJoined : 0) | (w.sentence ? kSentence : 0));
    }
    return static_cast<uint16_t>(n);
  }

  Doc makeDoc(std::string_view code, std::string_view text, std::string_view ext,
              StemCache& cache) {
    Doc d;
    d.begin = static_cast<uint32_t>(terms.size());
    d.textWords = addWords(text, cache);
    d.extWords = addWords(ext, cache);
    std::copy_n(code.begin(), std::min<size_t>(code.size(), 4), d.code.begin());
    return d;
  }

  // Drops the terms of replaced and erased entries once they are the greater part.
  void compactIfWasteful() {
    if (deadTerms * 2 <= terms.size()) return;
    std::vector<uint32_t> kept;
    kept.reserve(terms.size() - deadTerms);
    for (auto& table : docs)
      for (Doc& d : table) {
        const auto from = terms.begin() + d.begin;
        d.begin = static_cast<uint32_t>(kept.size());
        kept.insert(kept.end(), from, from + d.textWords + d.extWords);
      }
    terms = std::move(kept);
    deadTerms = 0;
  }

  Query parse(std::string_view query);
  void prepareMasks(const Query& q);
  void clearMasks();
  uint32_t find(const Phrase& p, uint32_t begin, uint32_t end) const;
  bool inOneSentence(const Doc& d, const Query& q) const;
  bool score(const Doc& d, const Query& q, uint64_t& rank);
  std::vector<Found> match(const Query& q);
  EntryView entryOf(uint32_t slot, int32_t index) const;
};

SearchIndex::SearchIndex() : impl_(std::make_unique<Impl>()) {}

SearchIndex::SearchIndex(const DatabaseView& db) : SearchIndex() {
  impl_->view = &db;
  StemCache cache;
  for (uint32_t slot = 0; slot < 4; ++slot) {
    const TableView& table = *db.table(kTableLetters[slot]);
    for (auto it = table.entries().begin(), end = table.entries().end(); it != end; ++it) {
      impl_->docs[slot].push_back(impl_->makeDoc(it->code, it->Text, it->Extension, cache));
      impl_->offsets[slot].push_back(table.offsetOf(it));
    }
  }
  impl_->terms.shrink_to_fit();  // growing left up to half of it unused
}

SearchIndex::SearchIndex(const DtcDatabase& db) : SearchIndex() {
  impl_->db = &db;
  StemCache cache;
  for (uint32_t slot = 0; slot < 4; ++slot) {
    const std::vector<DtcEntry>& entries = db.table(kTableLetters[slot])->Entries;
    for (size_t i = 1; i < entries.size(); ++i)
      impl_->docs[slot].push_back(
          impl_->makeDoc(entries[i].code(), entries[i].Text, entries[i].Extension, cache));
  }
  impl_->terms.shrink_to_fit();
}

SearchIndex::SearchIndex(SearchIndex&&) noexcept = default;
SearchIndex& SearchIndex::operator=(SearchIndex&&) noexcept = default;
SearchIndex::~SearchIndex() = default;

void SearchIndex::reindex(char letter, int32_t index) {
  const int slot = TableSlot(letter);
  if (!impl_->db || slot < 0 || index < 1) return;
  const std::vector<DtcEntry>& entries = impl_->db->table(letter)->Entries;
  std::vector<Doc>& docs = impl_->docs[static_cast<size_t>(slot)];
  const auto at = static_cast<size_t>(index - 1);
  if (at >= entries.size() - 1 || at > docs.size()) return;
  const DtcEntry& e = entries[at + 1];
  StemCache cache;
  const Doc d = impl_->makeDoc(e.code(), e.Text, e.Extension, cache);
  if (at == docs.size()) {
    docs.push_back(d);
    return;
  }
  impl_->deadTerms += docs[at].textWords + docs[at].extWords;
  docs[at] = d;
  impl_->compactIfWasteful();
}

void SearchIndex::erase(char letter, const std::vector<bool>& gone) {
  const int slot = TableSlot(letter);
  if (slot < 0) return;
  std::vector<Doc>& docs = impl_->docs[static_cast<size_t>(slot)];
  size_t kept = 0;
  for (size_t i = 0; i < docs.size(); ++i) {
    if (i + 1 < gone.size() && gone[i + 1]) {
      impl_->deadTerms += docs[i].textWords + docs[i].extWords;
      continue;
    }
    docs[kept++] = docs[i];
  }
  docs.resize(kept);
  impl_->compactIfWasteful();
}

size_t SearchIndex::entries() const {
  size_t n = 0;
  for (const auto& table : impl_->docs) n += table.size();
  return n;
}

size_t SearchIndex::memoryBytes() const {
  const Impl& m = *impl_;
  size_t bytes = sizeof(Impl) + m.terms.capacity() * sizeof(uint32_t) + m.stems.bytes();
  for (size_t slot = 0; slot < 4; ++slot)
    bytes += m.docs[slot].capacity() * sizeof(Doc) + m.offsets[slot].capacity() * sizeof(size_t);
  return bytes;
}

namespace {

// A word of the query on its way to a unit.
struct QueryWord {
  std::string folded, stem;
  bool number = false;
};

// A run of query words that makes one unit, before its stems are looked up: a word, a
// number, or a name of the synonym table.
struct Draft {
  enum Kind { kWord, kNumber, kName } kind = kWord;
  size_t word = 0;
  const SynonymGroup* group = nullptr;
};

// The longest name of the synonym table that the words from `at` spell, or none.
const SynonymGroup* nameAt(const std::vector<QueryWord>& words, size_t at, size_t& length) {
  const SynonymGroup* found = nullptr;
  length = 0;
  for (const SynonymGroup& g : Synonyms())
    for (const std::vector<std::string>& name : g.stems) {
      if (name.size() <= length || at + name.size() > words.size()) continue;
      bool same = true;
      for (size_t k = 0; k < name.size() && same; ++k) same = words[at + k].stem == name[k];
      if (same) {
        found = &g;
        length = name.size();
      }
    }
  return found;
}

std::vector<Draft> draftUnits(const std::vector<QueryWord>& words) {
  std::vector<Draft> drafts;
  for (size_t i = 0; i < words.size();) {
    size_t length = 0;
    if (const SynonymGroup* g = nameAt(words, i, length)) {
      drafts.push_back({Draft::kName, i, g});
      i += length;
    } else {
      drafts.push_back({words[i].number ? Draft::kNumber : Draft::kWord, i, nullptr});
      ++i;
    }
  }
  return drafts;
}

}  // namespace

// Reads the query into code starts and units. A number belongs to the word before it
// (cylinder 3, банк 2: the entry must hold the two in that order); a number that opens
// the query or follows a name belongs to the word after it, in either order (3 цилиндр
// finds "цилиндр 3"), unless that word has a number of its own.
Query SearchIndex::Impl::parse(std::string_view query) {
  Query q;
  SplitWords(query, folded, words);
  std::vector<QueryWord> qwords;
  bool unfinished = false;
  for (const WordSpan& w : words) {
    std::string word = folded.substr(w.begin, w.size);
    if (IsCodeStart(word)) {
      q.codeStarts.push_back(std::move(word));
      continue;
    }
    unfinished = !w.number && w.begin + w.size == query.size();
    std::string stem = w.number ? word : std::string(stemmer.stem(word));
    qwords.push_back({std::move(word), std::move(stem), w.number});
  }
  const auto term = [&](const QueryWord& w, bool last) {
    if (!last || !unfinished) return findStem(w.stem);
    prefixStems.assign(stems.size(), 0);
    bool any = false;
    for (uint32_t s = 0; s < stems.size(); ++s)
      if (const std::string_view stem = stems[s];
          (!stem.empty() && stem[0] == w.folded[0] && stem.starts_with(w.folded)) ||
          stem == w.stem) {
        prefixStems[s] = 1;
        any = true;
      }
    return any ? kPrefix : kNoStem;
  };
  const std::vector<Draft> drafts = draftUnits(qwords);
  for (size_t i = 0; i < drafts.size(); ++i) {
    const Draft& d = drafts[i];
    const bool last = d.word + 1 == qwords.size();
    Unit u;
    if (d.kind == Draft::kName) {
      for (const std::vector<std::string>& name : d.group->stems) {
        Phrase p;
        for (const std::string& s : name) p.push_back(findStem(s));
        if (std::find(p.begin(), p.end(), kNoStem) == p.end()) u.phrases.push_back(std::move(p));
      }
    } else if (i + 1 < drafts.size() && drafts[i + 1].kind == Draft::kNumber &&
               d.kind == Draft::kWord) {
      u.phrases.push_back({term(qwords[d.word], false), findStem(qwords[d.word + 1].stem)});
      ++i;
    } else if (d.kind == Draft::kNumber && i + 1 < drafts.size() &&
               drafts[i + 1].kind == Draft::kWord &&
               !(i + 2 < drafts.size() && drafts[i + 2].kind == Draft::kNumber)) {
      const uint32_t number = findStem(qwords[d.word].stem);
      const Draft& next = drafts[++i];
      const uint32_t word = term(qwords[next.word], next.word + 1 == qwords.size());
      u.phrases = {{number, word}, {word, number}};
    } else {
      u.phrases.push_back({term(qwords[d.word], last)});
    }
    std::erase_if(u.phrases, [](const Phrase& p) {
      return std::find(p.begin(), p.end(), kNoStem) != p.end();
    });
    q.impossible = q.impossible || u.phrases.empty();
    q.units.push_back(std::move(u));
  }
  return q;
}

void SearchIndex::Impl::prepareMasks(const Query& q) {
  firstMask.resize(stems.size(), 0);
  const auto set = [this](uint32_t stem, uint8_t bit) {
    if (!firstMask[stem]) maskedStems.push_back(stem);
    firstMask[stem] |= bit;
  };
  for (size_t u = 0; u < q.units.size() && u < 8; ++u)
    for (const Phrase& p : q.units[u].phrases) {
      if (p[0] != kPrefix) {
        set(p[0], static_cast<uint8_t>(1u << u));
        continue;
      }
      for (uint32_t s = 0; s < prefixStems.size(); ++s)
        if (prefixStems[s]) set(s, static_cast<uint8_t>(1u << u));
    }
}

void SearchIndex::Impl::clearMasks() {
  for (uint32_t s : maskedStems) firstMask[s] = 0;
  maskedStems.clear();
}

namespace {

bool codeStartsMatch(const Doc& d, uint32_t slot, const Query& q) {
  if (q.codeStarts.empty()) return true;
  const FoldTable& f = caseFold();
  const std::array<char, 5> code{static_cast<char>(f[static_cast<uint8_t>(kTableLetters[slot])]),
                                 static_cast<char>(f[static_cast<uint8_t>(d.code[0])]),
                                 static_cast<char>(f[static_cast<uint8_t>(d.code[1])]),
                                 static_cast<char>(f[static_cast<uint8_t>(d.code[2])]),
                                 static_cast<char>(f[static_cast<uint8_t>(d.code[3])])};
  const std::string_view folded(code.data(), code.size());
  return std::all_of(q.codeStarts.begin(), q.codeStarts.end(),
                     [&](const std::string& w) { return folded.starts_with(w); });
}

}  // namespace

// Where `p` first stands among the terms [begin, end), or `end`.
uint32_t SearchIndex::Impl::find(const Phrase& p, uint32_t begin, uint32_t end) const {
  for (uint32_t at = begin; at + p.size() <= end; ++at) {
    bool all = true;
    for (size_t k = 0; k < p.size() && all; ++k) {
      const uint32_t t = terms[at + k];
      const uint32_t stem = t & kStemBits;
      all = (k == 0 || (t & kJoined)) && (p[k] == kPrefix ? prefixStems[stem] != 0 : stem == p[k]);
    }
    if (all) return at;
  }
  return end;
}

// True when one sentence of one text holds every unit.
bool SearchIndex::Impl::inOneSentence(const Doc& d, const Query& q) const {
  const uint32_t fields[3] = {d.begin, d.begin + d.textWords, d.begin + d.textWords + d.extWords};
  for (int f = 0; f < 2; ++f)
    for (uint32_t from = fields[f]; from < fields[f + 1];) {
      uint32_t to = from + 1;
      while (to < fields[f + 1] && !(terms[to] & kSentence)) ++to;
      const bool all = std::all_of(q.units.begin(), q.units.end(), [&](const Unit& u) {
        return std::any_of(u.phrases.begin(), u.phrases.end(),
                           [&](const Phrase& p) { return find(p, from, to) < to; });
      });
      if (all) return true;
      from = to;
    }
  return false;
}

// The rank of an entry that holds every unit, compared as a number, smaller first:
//  0. whether no sentence of one text holds every unit (a word found only in another
//     sentence, such as a hint of what to check, says less about the fault);
//  1. how many units it holds only in its second text (the description comes first);
//  2. how many units stand before the unit the query names before them (word order),
//     each unit taken where it first occurs, in the description before the second text;
//  3. how many words of the texts it holds units in are not part of a unit (fewer
//     extra words: a description that says just this comes first).
// Ties keep the order of the tables and their entries.
bool SearchIndex::Impl::score(const Doc& d, const Query& q, uint64_t& rank) {
  occurrences.clear();
  const uint32_t fields[3] = {d.begin, d.begin + d.textWords, d.begin + d.textWords + d.extWords};
  for (const Unit& u : q.units) {
    Occurrence best{2, 0, 0};
    for (const Phrase& p : u.phrases)
      for (uint32_t f = 0; f < 2 && f <= best.field; ++f) {
        const uint32_t at = find(p, fields[f], fields[f + 1]);
        const Occurrence o{f, at - fields[f], static_cast<uint32_t>(p.size())};
        if (at < fields[f + 1] && o < best) best = o;
      }
    if (best.field == 2) return false;
    occurrences.push_back(best);
  }
  uint64_t outside = 0, disorder = 0, covered = 0;
  bool inText = false, inExt = false;
  for (size_t u = 0; u < occurrences.size(); ++u) {
    const Occurrence& o = occurrences[u];
    outside += o.field;
    inText = inText || o.field == 0;
    inExt = inExt || o.field == 1;
    covered += o.words;
    if (u > 0 && o < occurrences[u - 1]) ++disorder;
  }
  const uint64_t words = (inText ? d.textWords : 0u) + (inExt ? d.extWords : 0u);
  const bool scattered = q.units.size() > 1 && !inOneSentence(d, q);
  rank = uint64_t{scattered} << kScattered | std::min<uint64_t>(outside, 0x7FFF) << 48 |
         std::min<uint64_t>(disorder, 0xFFFF) << 32 | (words > covered ? words - covered : 0);
  return true;
}

std::vector<Found> SearchIndex::Impl::match(const Query& q) {
  std::vector<Found> found;
  if (q.impossible) return found;
  prepareMasks(q);
  const auto need = static_cast<uint8_t>((1u << std::min<size_t>(q.units.size(), 8)) - 1);
  for (uint32_t slot = 0; slot < 4; ++slot) {
    const std::vector<Doc>& table = docs[slot];
    for (size_t i = 0; i < table.size(); ++i) {
      const Doc& d = table[i];
      if (!codeStartsMatch(d, slot, q)) continue;
      uint8_t seen = 0;
      for (uint32_t k = d.begin, end = d.begin + d.textWords + d.extWords; k < end; ++k)
        seen |= firstMask[terms[k] & kStemBits];
      uint64_t rank = 0;
      if ((seen & need) != need || !score(d, q, rank)) continue;
      found.push_back({rank, slot, static_cast<int32_t>(i + 1)});
    }
  }
  clearMasks();
  // When some entries hold the whole query in one sentence, those that hold it spread
  // over several are left out.
  if (std::any_of(found.begin(), found.end(),
                  [](const Found& f) { return !(f.rank >> kScattered); }))
    std::erase_if(found, [](const Found& f) { return f.rank >> kScattered; });
  return found;
}

EntryView SearchIndex::Impl::entryOf(uint32_t slot, int32_t index) const {
  if (view) {
    const TableView& table = *view->table(kTableLetters[slot]);
    return table.entryAt(offsets[slot][static_cast<size_t>(index - 1)]);
  }
  const DtcEntry& e = db->table(kTableLetters[slot])->Entries[static_cast<size_t>(index)];
  return {e.code(), e.Text, e.Extension};
}

std::vector<SearchHit> FindForPeople(const SearchIndex& index, std::string_view queryCp1251,
                                     size_t limit) {
  SearchIndex::Impl& m = *index.impl_;
  const Query q = m.parse(queryCp1251);
  if (q.units.empty() && q.codeStarts.empty()) return {};
  std::vector<Found> found = m.match(q);
  const size_t n = std::min(limit, found.size());
  std::partial_sort(found.begin(), found.begin() + static_cast<ptrdiff_t>(n), found.end(),
                    [](const Found& a, const Found& b) {
                      return std::tie(a.rank, a.slot, a.index) < std::tie(b.rank, b.slot, b.index);
                    });
  std::vector<SearchHit> hits;
  hits.reserve(n);
  for (size_t i = 0; i < n; ++i)
    hits.push_back(
        {kTableLetters[found[i].slot], found[i].index, m.entryOf(found[i].slot, found[i].index)});
  return hits;
}

std::vector<SearchHit> FilterForPeople(const SearchIndex& index, std::string_view queryCp1251) {
  SearchIndex::Impl& m = *index.impl_;
  const Query q = m.parse(queryCp1251);
  std::vector<SearchHit> hits;
  for (const Found& f : m.match(q))
    hits.push_back({kTableLetters[f.slot], f.index, m.entryOf(f.slot, f.index)});
  return hits;
}

}  // namespace vestral
