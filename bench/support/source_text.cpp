#include "support/source_text.h"
#include "database/table_order.h"

#include <algorithm>
#include <filesystem>
#include <random>

namespace vestral::bench {

namespace {

// "0A3F": a first character 0-3, then three hex digits.
void putCode(char* out, int n) {
  static const char hex[] = "0123456789ABCDEF";
  out[0] = static_cast<char>('0' + (n >> 12) % 4);
  out[1] = hex[(n >> 8) & 15];
  out[2] = hex[(n >> 4) & 15];
  out[3] = hex[n & 15];
}

}  // namespace

std::string MakeSourceText(int lines) {
  std::string text;
  text.reserve(static_cast<size_t>(lines) * 80);
  char code[4];
  for (int i = 0; i < lines; ++i) {
    text += kTableLetters[i % 4];
    putCode(code, i / 4);
    text.append(code, 4);
    text += " Sensor circuit ";
    text += std::to_string(i);
    text += " range/performance, bank 1";
    if (i % 4 == 1) text += " | \xD0\xE0\xE7\xFA\xB8\xEC \xE4\xE0\xF2\xF7\xE8\xEA\xE0";
    text += "\r\n";
  }
  return text;
}

DtcDatabase MakeHalfDamagedDatabase(int entries) {
  DtcDatabase db = EmptyDatabase();
  std::mt19937 rng(42);
  char code[4];
  for (int i = 0; i < entries; ++i) {
    DtcEntry e;
    putCode(code, i / 4);
    std::copy_n(code, 4, e.Code.begin());
    e.Text = "Sensor circuit " + std::to_string(i) + " range/performance";
    if (i % 2 == 1) {
      switch (rng() % 3) {
        case 0: e.Code[0] = '7'; break;
        case 1: e.Text.clear(); break;
        default:
          e.Code = {};
          e.Text.clear();
          break;
      }
    }
    if (i % 5 == 0) e.Extension = "extension text";
    db.table(kTableLetters[(i / 2) % 4])->Entries.push_back(std::move(e));
  }
  return db;
}

ScratchDir::ScratchDir() {
  std::random_device rd;
  path_ = (std::filesystem::temp_directory_path() /
           ("vestral-bench-" + std::to_string(rd()) + std::to_string(rd())))
              .string();
  std::filesystem::create_directories(path_);
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

std::string ScratchDir::file(const std::string& name) const {
  return (std::filesystem::path(path_) / name).string();
}

}  // namespace vestral::bench
