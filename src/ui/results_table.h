// Filling the results table of a view: the columns, cells and row colours of each result mode.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "fare/result_table.h"

class QTableWidget;

namespace zelvan {

class TimetableDb;
struct JourneyRow;
struct ResultContext;

// What a filled table shows: the running status of every train row (or of the train whose stops
// are shown; none when there is no train), and the colours of every row with an index.
struct ShownRows {
    std::vector<int> statuses;
    std::vector<RowColours> colours;
    std::u16string runningDays;  // a train's stops: on which days it runs (runningDaysText)
};

// Sets up `table` (grid, full-row single selection, no editing) and fills it with the table of
// `mode` from the lists of `results` as they are now, in the order of results.sortOf its kind
// (the headings of a kind that sorts take clicks and show that order). Each row's first item
// carries the row's index in its list as data; the colours are those of the rows shown. A
// transfer's second leg follows a row "第二程" over the whole width, which has no index (-1)
// and cannot be selected. Every column is as wide as its widest text, heading or cell, and the
// first row is selected.
ShownRows fillResultTable(QTableWidget& table, ResultMode mode, const ResultContext& results,
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
