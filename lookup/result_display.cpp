#include "lookup/result_display.h"

#include "lookup/code_range.h"
#include "lookup/lookup.h"
#include "platform/codepage.h"

namespace vestral {

namespace {

// "База данных недоступна" (the database cannot be used), code page 1251.
constexpr const char* kUnusableDatabase =
    "\xC1\xE0\xE7\xE0 \xE4\xE0\xED\xED\xFB\xF5 \xED\xE5\xE4\xEE\xF1\xF2\xF3\xEF\xED\xE0";

}  // namespace

bool HintStillShown(std::string_view usrText) {
  return usrText.find(kStartupHint) != std::string_view::npos;
}

FindDisplay DescribeFind(const DatabaseView& db, std::string_view Val) {
  FindDisplay d;
  const LookupResult r = LookupCode(db, Val);
  if (!r.found()) {
    d.LblBDesc = kAbsentMessage;
    if (IsLetterForm(Val)) d.TxtUSR = AbsentCodeLine(Val, TextLanguage::Russian);
    return d;
  }
  d.found = true;
  d.LblCode.assign(r.entry.code);
  d.LblItem = r.entry.Text;
  d.LblBDesc = r.table->Name;
  d.TxtUSR = r.entry.Extension;
  return d;
}

FindDisplay DescribeFindNow(FollowedDatabase& db, std::string_view Val) {
  if (db.refresh().ok()) return DescribeFind(db.view(), Val);
  FindDisplay d;
  d.LblBDesc = kUnusableDatabase;
  d.LblItem = Utf8ToCp1251(db.status().message());
  return d;
}

std::string ResultLine(std::string_view letterForm, const FindDisplay& d) {
  std::string line(letterForm);
  line += '\t';
  line += OneLineField(d.found ? d.LblItem : d.LblBDesc);
  line += '\t';
  line += OneLineField(d.found || !d.TxtUSR.empty() ? d.TxtUSR : d.LblItem);
  return line;
}

}  // namespace vestral
