// Filling the results table of a view: the columns, cells and row colours of each result mode,
// in the traveller's formats.
#pragma once

#include <QString>
#include <string>
#include <vector>

#include "fare/result_table.h"
#include "ui/app_context.h"

class QTableWidget;

namespace zelvan {

class TimetableDb;
struct JourneyRow;

// How one view shows its table: the order it chose and whether the trains that do not run on
// the day of travel stand below the others.
struct TableView {
    TableSort sort;
    bool notRunning = false;
};
// The order a view of `mode` opens in: its tables of trains by time (departure; a station's
// trains by their time there), the other tables as found.
TableSort defaultSort(ResultMode mode);

// What a filled table shows.
struct ShownRows {
    // The running status of every train row (or of the train whose stops are shown; none when
    // there is no train), and the colours of every row with an index.
    std::vector<int> statuses;
    std::vector<RowColours> colours;
    std::u16string runningDays;  // a train's stops: on which days it runs (runningDaysText)
    // Tables of trains: how many run that day, and how many more do not (shown or not).
    int running = 0;
    int notRunning = 0;
    bool notRunningShown = false;
    // A train's stops: the station of each stop by its position, and the minutes after
    // midnight it leaves (arrives at the last); -1 where it has none.
    std::vector<int> stopStations;
    std::vector<int> stopMinutes;
};

// Sets up `table` (grid, full-row selection of one row or several, no editing) and fills it
// with the table of `mode` from the lists of `results` as they are now, in the order and with
// the rows `view` asks for: the trains that run that day first, each run once, and the others
// behind the switch (shown anyway when none runs), grey with their marker. The headings of a
// kind that sorts take clicks and show the order. Each row's first item carries the row's
// index in its list as data; the colours are those of the rows shown. A transfer's second leg
// follows a row "第二程" over the whole width, which has no index (-1) and cannot be selected.
// Times, durations, distances and fares are in the traveller's formats (ui/locale_formats.h).
// Every column is as wide as its widest text, heading or cell, and the first row is selected.
ShownRows fillResultTable(QTableWidget& table, ResultMode mode, const ResultContext& results,
                          const TimetableDb& db, const TableView& view);

// Widens every column of `table` to its widest text, heading or cell, measured with the table's
// own font, plus the margin of the headings; never narrower than the heading alone makes it.
void fitColumns(QTableWidget& table);

// How many columns of `kind` stay in view while the table scrolls sideways: the train and its
// time at the station asked for, the stop's station, the journey's departure.
int frozenColumnCount(TableKind kind);

// The line over a dated answer: the day of travel, the time a list starts from (`fromMinutes`,
// -1: none) and what the markers of `statuses` mean; for a train's stops, that train's status.
// Empty for modes without a date.
QString dateLineText(ResultMode mode, int date, const std::vector<int>& statuses,
                     const ResultContext& results, int fromMinutes = -1);

// The caption of a view of `mode`: the question, and for a table of trains how many run that
// day and how many more do not (from `shown`; without it, every row counts as running).
QString resultCaption(ResultMode mode, const ResultContext& results,
                      const ShownRows* shown = nullptr);
// The question alone: "北京至上海", "Penn Station to Ronkonkoma", a station's name.
QString questionText(ResultMode mode, const ResultContext& results);

// The journey whose legs a JourneyLegs view shows; null when journeyIndex names none.
const JourneyRow* shownJourney(const ResultContext& results);

}  // namespace zelvan
