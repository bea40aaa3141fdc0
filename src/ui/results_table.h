// Filling the results table of a view: the columns, cells and row colours of each result mode.
#pragma once

#include <QString>

#include "fare/result_table.h"

class QTableWidget;

namespace zelvan {

class TimetableDb;
struct ResultContext;

// Sets up `table` (grid, full-row single selection, no sorting, no editing) and fills it with
// the table of `mode` from the lists of `results` as they are now. Each row's first item carries
// its row index as data; the colours are those of the rows shown.
void fillResultTable(QTableWidget& table, ResultMode mode, const ResultContext& results,
                     const TimetableDb& db);

// The caption of a view of `mode`.
QString resultCaption(ResultMode mode, const ResultContext& results);

}  // namespace zelvan
