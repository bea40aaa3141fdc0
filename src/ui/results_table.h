// Filling the results table of a view: the columns, cells and row colours of each result mode.
#pragma once

#include <QString>
#include <vector>

#include "fare/result_table.h"

class QTableWidget;

namespace zelvan {

class TimetableDb;
struct JourneyRow;
struct ResultContext;

// Sets up `table` (grid, full-row single selection, no sorting, no editing) and fills it with
// the table of `mode` from the lists of `results` as they are now. Each row's first item carries
// its row index as data; the colours are those of the rows shown. Every column is as wide as its
// widest text, heading or cell, and the first row is selected. Returns the running status of
// every row shown, or of the train whose stops are shown (none when there is no train).
std::vector<int> fillResultTable(QTableWidget& table, ResultMode mode, const ResultContext& results,
                                 const TimetableDb& db);

// Widens every column of `table` to its widest text, heading or cell, measured with the table's
// own font, plus the margin of the headings; never narrower than the heading alone makes it.
void fitColumns(QTableWidget& table);

// The line over a dated answer: the day of travel with its weekday and what the markers of
// `statuses` mean; for a train's stops, that train's status. Empty for modes without a date.
QString dateLineText(ResultMode mode, int date, const std::vector<int>& statuses,
                     const ResultContext& results);

// The caption of a view of `mode`.
QString resultCaption(ResultMode mode, const ResultContext& results);

// The journey whose legs a JourneyLegs view shows; null when journeyIndex names none.
const JourneyRow* shownJourney(const ResultContext& results);

}  // namespace zelvan
