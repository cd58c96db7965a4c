#pragma once

#include <QString>

class QAbstractItemModel;
class QTableView;
class QWidget;

namespace vestral {

// The title of each column in which the windows list entries: the code, the description,
// the second text.
QString EntryColumnTitle(int column);

// A list of entries in those columns, as the entries window and the search window show
// it: whole rows are chosen, one at a time, nothing is edited in place, and every row has
// one height, so the view places 100,000 rows without measuring one.
QTableView* NewEntryTable(QWidget* parent, const char* name, QAbstractItemModel* model,
                          int codeWidth, int textWidth);

}  // namespace vestral
