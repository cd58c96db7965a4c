#include "lookup/entry_table_qt.h"

#include <QHeaderView>
#include <QTableView>

namespace vestral {

QString EntryColumnTitle(int column) {
  static const char* const kTitles[] = {"Код", "Описание", "Второй текст"};
  return QString::fromUtf8(kTitles[column]);
}

QTableView* NewEntryTable(QWidget* parent, const char* name, QAbstractItemModel* model,
                          int codeWidth, int textWidth) {
  auto* table = new QTableView(parent);
  table->setObjectName(QLatin1String(name));
  table->setModel(model);
  table->setSelectionBehavior(QAbstractItemView::SelectRows);
  table->setSelectionMode(QAbstractItemView::SingleSelection);
  table->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table->setWordWrap(false);
  table->verticalHeader()->hide();
  table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
  table->horizontalHeader()->setStretchLastSection(true);
  table->setColumnWidth(0, codeWidth);
  table->setColumnWidth(1, textWidth);
  return table;
}

}  // namespace vestral
