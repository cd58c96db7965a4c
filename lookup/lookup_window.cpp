#include "lookup/lookup_window.h"

#include <filesystem>

#include "lookup/lookup.h"

namespace vestral {

namespace {

// The same position in `to` replaces a character found in `from`; the last
// position of both is Backspace.
int filterKey(int KeyAscii, std::string_view from, std::string_view to) {
  if (KeyAscii <= 0 || KeyAscii > 255) return 0;
  const char c = static_cast<char>(KeyAscii);
  if (c == kBackspace) return kBackspace;
  const size_t pos = from.find(c);
  if (pos != std::string_view::npos) return static_cast<unsigned char>(to[pos]);
  return to.find(c) != std::string_view::npos ? KeyAscii : 0;
}

}  // namespace

int FilterHexKey(int KeyAscii) {
  return filterKey(KeyAscii, "abcdef0123456789", "ABCDEF0123456789");
}

int FilterLetterKey(int KeyAscii) {
  return filterKey(KeyAscii, "pcbu0123456789 ", "PCBU0123456789 ");
}

bool HintStillShown(std::string_view usrText) {
  return usrText.find(kStartupHint) != std::string_view::npos;
}

FindDisplay DescribeFind(const DatabaseView& db, std::string_view Val) {
  FindDisplay d;
  const LookupResult r = LookupCode(db, Val);
  if (!r.found()) {
    d.LblBDesc = kAbsentMessage;
    return d;
  }
  d.found = true;
  d.LblCode.assign(r.entry.code);
  d.LblItem = r.entry.Text;
  d.LblBDesc = r.table->Name;
  d.TxtUSR = r.entry.Extension;
  return d;
}

Status CreateMissingDatabase(const std::string& path, bool* created) {
  if (created) *created = false;
  // FileExists also says no for a folder or a dangling link; only when nothing is
  // there at all is a new database written (and never over one made meanwhile).
  if (FileExists(path)) return Status::OK();
  std::error_code ec;
  const auto st = std::filesystem::symlink_status(path, ec);
  if (st.type() != std::filesystem::file_type::not_found || path.empty()) return Status::OK();
  if (Status s = CreateDatabase(path); !s.ok()) return s;
  if (created) *created = true;
  return Status::OK();
}

}  // namespace vestral
