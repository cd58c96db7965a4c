#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
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

// Each Decode reads at the start of `b`, which holds the bytes it needs.
inline uint32_t DecodeU16(std::string_view b) {
  return static_cast<unsigned char>(b[0]) | (static_cast<unsigned char>(b[1]) << 8);
}

inline uint32_t DecodeU32(std::string_view b) {
  return DecodeU16(b) | (DecodeU16(b.substr(2)) << 16);
}

// Each Encode writes into `out` from `at`, where the caller made room, and returns where
// the next byte goes.
inline size_t EncodeU16(std::string& out, size_t at, size_t v) {
  out[at] = static_cast<char>(v & 0xFF);
  out[at + 1] = static_cast<char>((v >> 8) & 0xFF);
  return at + 2;
}

inline size_t EncodeU32(std::string& out, size_t at, uint32_t v) {
  return EncodeU16(out, EncodeU16(out, at, v & 0xFFFF), v >> 16);
}

inline size_t EncodeBytes(std::string& out, size_t at, std::string_view bytes) {
  if (!bytes.empty()) bytes.copy(&out[at], bytes.size());
  return at + bytes.size();
}

// The bytes an element with these texts takes.
inline size_t ElementBytes(std::string_view text, std::string_view extension) {
  return kElementFixedBytes + text.size() + extension.size();
}

// The bytes the element at the start of `bytes` takes; 0 when it does not lie whole in
// them.
inline size_t ElementSize(std::string_view bytes) {
  if (bytes.size() < kElementFixedBytes) return 0;
  const size_t text = DecodeU16(bytes.substr(kCodeBytes));
  if (bytes.size() < kElementFixedBytes + text) return 0;
  const size_t size = kElementFixedBytes + text + DecodeU16(bytes.substr(kCodeBytes + 2 + text));
  return bytes.size() < size ? 0 : size;
}

// The element at the start of `bytes`. REQUIRES: it lies whole in them (ElementSize).
inline EntryView DecodeElement(std::string_view bytes) {
  const size_t text = DecodeU16(bytes.substr(kCodeBytes));
  const size_t extensionAt = kCodeBytes + 2 + text;
  return {bytes.substr(0, kCodeBytes), bytes.substr(kCodeBytes + 2, text),
          bytes.substr(extensionAt + 2, DecodeU16(bytes.substr(extensionAt)))};
}

// REQUIRES: room for ElementBytes(text, extension) at `at`; `code` kCodeBytes long; texts
// at most kMaxTextBytes long.
inline size_t EncodeElement(std::string& out, size_t at, std::string_view code,
                            std::string_view text, std::string_view extension) {
  at = EncodeBytes(out, at, code);
  at = EncodeBytes(out, EncodeU16(out, at, text.size()), text);
  return EncodeBytes(out, EncodeU16(out, at, extension.size()), extension);
}

// A table's part before its elements. REQUIRES: room for kTableFixedBytes + name at `at`.
inline size_t EncodeTableHead(std::string& out, size_t at, std::string_view name,
                              uint32_t elements) {
  at = EncodeBytes(out, EncodeU16(out, at, name.size()), name);
  at = EncodeU16(out, at, 1);  // one dimension
  at = EncodeU32(out, at, elements);
  return EncodeU32(out, at, 0);  // its lower bound
}

}  // namespace vestral
