// Arbitrary bytes as a source text: splitting into lines and taking each line apart
// must stay inside the input and give the pieces the format promises.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "editor/generator.h"

namespace {

bool inside(std::string_view part, std::string_view whole) {
  return part.empty() ||
         (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace vestral;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  size_t total = 0;
  for (std::string_view line : SplitSourceLines(text)) {
    if (!inside(line, text) || line.find_first_of("\r\n") != std::string_view::npos) std::abort();
    total += line.size();
    SourceLine parsed;
    if (!ParseSourceLine(line, parsed)) continue;
    if (line.size() < 6 || line[5] != ' ' || line.substr(0, 5).find(' ') != std::string_view::npos)
      std::abort();
    if (parsed.letter != line[0] || parsed.code != line.substr(1, 4)) std::abort();
    if (!inside(parsed.text, line) || !inside(parsed.extension, line)) std::abort();
    if (parsed.text.find('|') != std::string_view::npos) std::abort();
    if (parsed.text.size() + parsed.extension.size() > line.size() - 6) std::abort();
  }
  if (total > size) std::abort();
  return 0;
}
