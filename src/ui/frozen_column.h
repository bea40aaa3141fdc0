// Keeping a table's first columns (the train number and its time, the station) in view while
// the table scrolls sideways: a second view of the same model and selection that shows only
// those columns (the table's property "frozenColumns", default 1), laid over the table's left
// edge and scrolled up and down with it.
#pragma once

class QTableView;
class QTableWidget;

namespace zelvan {

// Lays the frozen first column over `table` and returns its view, owned by the table. Clicks on
// it select in the table; a double click and a click on its heading reach the table as the
// table's own (cellDoubleClicked, the heading's sectionClicked). It follows the table's columns,
// rows, spans of its first column and sort indicator whenever the table is filled anew.
QTableView* freezeFirstColumn(QTableWidget& table);

// Copies the table's first-column state (width, hidden columns, sort indicator, spans) to the
// frozen view again; freezeFirstColumn's view calls it itself on every change it can see.
void syncFrozenColumn(QTableWidget& table, QTableView& frozen);

}  // namespace zelvan
