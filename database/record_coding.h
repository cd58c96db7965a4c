#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

namespace vestral {

// The byte layout of a database record, spelled out here once; the reader, the writer
// and the views decode and encode through this header (docs/database-format.md
// describes the same layout for people). Counts are little-endian.
//
//   record:  the four tables, in the order of table_order.h
//   table:   name count (u16), name, dimension count (u16, always 1),
//            element count (u32, the placeholder included), lower bound (u32, always 0),
//            then the elements
//   element: code (4 bytes), text count (u16), text, extension count (u16), extension

inline constexpr size_t kCodeBytes = 4;
// The largest text a 16-bit count holds.
inline constexpr size_t kMaxTextBytes = 65535;
// What a table takes besides its name and its elements, and an element besides its texts.
inline constexpr size_t kTableFixedBytes = 2 + 2 + 4 + 4;
inline constexpr size_t kElementFixedBytes = kCodeBytes + 2 + 2;
// The code of the placeholder, the element every table starts with.
inline constexpr std::string_view kPlaceholderCode("\0\0\0\0", kCodeBytes);

// One element as it lies in a record.
struct EntryView {
  std::string_view code;  // kCodeBytes bytes
  std::string_view Text;
  std::string_view Extension;
};

inline uint32_t DecodeU16(const char* p) {
  return static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8);
}

inline uint32_t DecodeU32(const char* p) { return DecodeU16(p) | (DecodeU16(p + 2) << 16); }

// Each Encode writes at `p` and returns where the next byte goes.
inline char* EncodeU16(char* p, size_t v) {
  p[0] = static_cast<char>(v & 0xFF);
  p[1] = static_cast<char>((v >> 8) & 0xFF);
  return p + 2;
}

inline char* EncodeU32(char* p, uint32_t v) { return EncodeU16(EncodeU16(p, v & 0xFFFF), v >> 16); }

inline char* EncodeBytes(char* p, std::string_view bytes) {
  if (!bytes.empty()) std::memcpy(p, bytes.data(), bytes.size());
  return p + bytes.size();
}

// The bytes an element with these texts takes.
inline size_t ElementBytes(std::string_view text, std::string_view extension) {
  return kElementFixedBytes + text.size() + extension.size();
}

// The bytes the element at the start of `bytes` takes; 0 when it does not lie whole in
// them.
inline size_t ElementSize(std::string_view bytes) {
  if (bytes.size() < kElementFixedBytes) return 0;
  const size_t text = DecodeU16(bytes.data() + kCodeBytes);
  if (bytes.size() < kElementFixedBytes + text) return 0;
  const size_t size = kElementFixedBytes + text + DecodeU16(bytes.data() + kCodeBytes + 2 + text);
  return bytes.size() < size ? 0 : size;
}

// The element at the start of `bytes`. REQUIRES: it lies whole in them (ElementSize).
inline EntryView DecodeElement(std::string_view bytes) {
  const size_t text = DecodeU16(bytes.data() + kCodeBytes);
  const size_t extensionAt = kCodeBytes + 2 + text;
  return {bytes.substr(0, kCodeBytes), bytes.substr(kCodeBytes + 2, text),
          bytes.substr(extensionAt + 2, DecodeU16(bytes.data() + extensionAt))};
}

// REQUIRES: room for ElementBytes(text, extension); `code` kCodeBytes long; texts at most
// kMaxTextBytes long.
inline char* EncodeElement(char* p, std::string_view code, std::string_view text,
                           std::string_view extension) {
  p = EncodeBytes(p, code);
  p = EncodeBytes(EncodeU16(p, text.size()), text);
  return EncodeBytes(EncodeU16(p, extension.size()), extension);
}

// A table's part before its elements. REQUIRES: room for kTableFixedBytes + name.
inline char* EncodeTableHead(char* p, std::string_view name, uint32_t elements) {
  p = EncodeBytes(EncodeU16(p, name.size()), name);
  p = EncodeU16(p, 1);  // one dimension
  p = EncodeU32(p, elements);
  return EncodeU32(p, 0);  // its lower bound
}

}  // namespace vestral
