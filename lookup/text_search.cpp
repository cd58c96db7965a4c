#include "lookup/text_search.h"

#include <algorithm>
#include <string>
#include <string_view>

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

namespace {

void foldInto(std::string_view text, const FoldTable& fold, std::string& out) {
  out.resize(text.size());
  for (size_t i = 0; i < text.size(); ++i)
    out[i] = static_cast<char>(fold[static_cast<unsigned char>(text[i])]);
}

}  // namespace

// A first, plain matcher: every blank-separated word must occur in either text.
struct SearchIndex::Impl {
  const DatabaseView* view = nullptr;
  const DtcDatabase* db = nullptr;

  template <typename F>
  void forEach(F&& f) const {
    for (char letter : {'P', 'C', 'B', 'U'}) {
      if (view) {
        const TableView& table = *view->table(letter);
        for (auto it = table.entries().begin(), end = table.entries().end(); it != end; ++it)
          f(SearchHit{letter, it.position(), *it});
      } else if (db) {
        const std::vector<DtcEntry>& entries = db->table(letter)->Entries;
        for (size_t i = 1; i < entries.size(); ++i)
          f(SearchHit{letter, static_cast<int32_t>(i),
                      EntryView{entries[i].code(), entries[i].Text, entries[i].Extension}});
      }
    }
  }
};

SearchIndex::SearchIndex() : impl_(std::make_unique<Impl>()) {}
SearchIndex::SearchIndex(const DatabaseView& db) : SearchIndex() { impl_->view = &db; }
SearchIndex::SearchIndex(const DtcDatabase& db) : SearchIndex() { impl_->db = &db; }
SearchIndex::SearchIndex(SearchIndex&&) noexcept = default;
SearchIndex& SearchIndex::operator=(SearchIndex&&) noexcept = default;
SearchIndex::~SearchIndex() = default;
void SearchIndex::reindex(char, int32_t) {}
void SearchIndex::erase(char, const std::vector<bool>&) {}
size_t SearchIndex::entries() const {
  size_t n = 0;
  impl_->forEach([&n](const SearchHit&) { ++n; });
  return n;
}
size_t SearchIndex::memoryBytes() const { return sizeof(Impl); }

std::vector<SearchHit> FilterForPeople(const SearchIndex& index, std::string_view query) {
  static const FoldTable fold = Cp1251CaseFold();
  std::vector<std::string> words;
  std::string folded;
  foldInto(query, fold, folded);
  for (size_t at = 0; at < folded.size();) {
    const size_t start = folded.find_first_not_of(' ', at);
    if (start == std::string::npos) break;
    const size_t end = std::min(folded.find(' ', start), folded.size());
    words.push_back(folded.substr(start, end - start));
    at = end;
  }
  std::vector<SearchHit> hits;
  std::string text, extension;
  index.impl_->forEach([&](const SearchHit& h) {
    foldInto(h.entry.Text, fold, text);
    foldInto(h.entry.Extension, fold, extension);
    for (const std::string& w : words)
      if (text.find(w) == std::string::npos && extension.find(w) == std::string::npos) return;
    hits.push_back(h);
  });
  return hits;
}

std::vector<SearchHit> FindForPeople(const SearchIndex& index, std::string_view query,
                                     size_t limit) {
  if (query.find_first_not_of(' ') == std::string_view::npos) return {};
  std::vector<SearchHit> hits = FilterForPeople(index, query);
  if (hits.size() > limit) hits.resize(limit);
  return hits;
}

}  // namespace vestral
