#include "log/operation_log.h"

#include <algorithm>

#include "database/table_order.h"
#include "platform/file_io.h"

namespace vestral {

namespace {

template <typename Database>
std::array<int32_t, 4> upperBoundsOf(const Database& db) {
  std::array<int32_t, 4> bounds{};
  for (size_t slot = 0; slot < bounds.size(); ++slot)
    bounds[slot] = db.table(kTableLetters[slot])->upperBound();
  return bounds;
}

}  // namespace

std::string BasePositionLine(char letter, const DtcTable& table) {
  return BasePositionLine(letter, table.upperBound());
}

std::string BasePositionLine(char letter, int32_t upperBound) {
  // A table that was never filled has no entries either.
  const int32_t count = std::max<int32_t>(0, upperBound);
  return std::string(1, letter) + " - base positions " + std::to_string(count);
}

void LogBasePositions(LogSink& log, const std::array<int32_t, 4>& upperBounds) {
  for (const char letter : kEditorTableOrder)
    log.LOG(BasePositionLine(letter, upperBounds[static_cast<size_t>(TableSlot(letter))]),
            kTabModeLineEnd, color::kYellow);
}

void LogBasePositions(LogSink& log, const DtcDatabase& db) {
  LogBasePositions(log, upperBoundsOf(db));
}

void LogBasePositions(LogSink& log, const DatabaseView& db) {
  LogBasePositions(log, upperBoundsOf(db));
}

std::string KeptCopyText(const std::string& path) {
  return "the previous file is kept as \"" + BackupPath(path) + "\"";
}

void LogKeptCopy(LogSink& log, const std::string& path) {
  log.LOG(Capitalized(LogText(KeptCopyText(path))), kTabModeLineEnd, color::kBrightWhite);
}

}  // namespace vestral
