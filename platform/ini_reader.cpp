#include "platform/ini_reader.h"

#include <ini.h>

#include <strings.h>
#include <cstdio>
#include <span>

#include "platform/file_io.h"

namespace vestral {

namespace {

constexpr size_t kBufferSize = 255;
// A settings file is a few lines; what lies past this is no setting of ours.
constexpr size_t kMaxIniBytes = size_t{64} * 1024;

struct Query {
  const std::string& key;
  const std::string& section;
  bool found = false;
  std::string value;
};

int onValue(void* user, const char* section, const char* name, const char* value) {
  auto* q = static_cast<Query*>(user);
  if (!q->found && strcasecmp(section, q->section.c_str()) == 0 &&
      strcasecmp(name, q->key.c_str()) == 0) {
    q->found = true;
    q->value = value ? value : "";
  }
  return 1;  // keep going: a syntax error further on must not hide a found value
}

// Hands inih one line per call. Leading blanks are dropped, so an indented key is a
// key of its own and never taken as more text for the key above it. A line longer
// than inih's buffer is cut and its rest skipped: left in the stream, the rest would
// be parsed as a line of its own, and the tail of a long comment could set a key.
char* readLine(char* str, int num, void* stream) {
  if (num <= 0) return nullptr;
  const std::span<char> buf(str, static_cast<size_t>(num));
  auto* f = static_cast<FILE*>(stream);
  int c = std::fgetc(f);
  while (c == ' ' || c == '\t') c = std::fgetc(f);
  if (c == EOF) return nullptr;
  size_t n = 0;
  for (; c != EOF; c = std::fgetc(f)) {
    if (n + 1 < buf.size()) buf[n++] = static_cast<char>(c);
    if (c == '\n') break;
  }
  buf[n] = '\0';
  return str;
}

}  // namespace

std::string ReadIniValue(const std::string& key, const std::string& section,
                         const std::string& file) {
  Query q{key, section, false, {}};
  // Read through the file layer: a pipe or device is no settings file and must not
  // block the caller.
  std::string text;
  if (ReadFileStart(file, kMaxIniBytes, text).ok() && !text.empty()) {
    if (FILE* f = ::fmemopen(text.data(), text.size(), "rb")) {
      ini_parse_stream(readLine, f, onValue, &q);
      std::fclose(f);
    }
  }
  if (!q.found) {
    std::string buffer(kBufferSize, ' ');
    buffer[0] = '\x02';
    buffer[1] = '\x01';
    buffer[2] = '\0';
    return buffer;
  }
  std::string v = q.value;
  if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front())
    v = v.substr(1, v.size() - 2);
  if (v.size() > kBufferSize - 1) v.resize(kBufferSize - 1);
  return v;
}

}  // namespace vestral
