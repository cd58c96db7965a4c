#pragma once

#include <array>

namespace vestral {

// The four tables of a database in the order a file holds them, each named by the system
// letter of its codes: P (powertrain), C (chassis), B (body), U (network communications).
// A table's slot is its place in this order.
inline constexpr std::array<char, 4> kTableLetters = {'P', 'C', 'B', 'U'};

// The order in which the editor's operations go through the tables and log them.
inline constexpr std::array<char, 4> kEditorTableOrder = {'B', 'C', 'P', 'U'};

// The slot of the table a system letter names (upper case only), or -1.
constexpr int TableSlot(char letter) {
  for (int slot = 0; slot < 4; ++slot)
    if (kTableLetters[slot] == letter) return slot;
  return -1;
}

}  // namespace vestral
