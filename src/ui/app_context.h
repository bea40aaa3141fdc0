// The user interface's process-wide state: what the last query found and what the views share.
#pragma once

#include <QString>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "fare/result_row.h"
#include "fare/result_table.h"
#include "fare/row_order.h"
#include "journey/journey_planner.h"
#include "journey/journey_rows.h"

class QListWidget;

namespace zelvan {

class SoftKeyBar;
class UpdateNotifier;

// How the reader sorted a kind of table by clicking its headings: the column's key, reversed or
// not. Listed is the query's own order, the default.
struct TableSort {
    SortKey key = SortKey::Listed;
    bool descending = false;
};

// The outcome of the last query, handed from a query dialog to the results views and updated by
// the nested views. Each query overwrites only the fields of its own mode.
struct ResultContext {
    ResultMode mode = ResultMode::Direct;
    std::vector<ResultRow> rows;         // direct trains, candidate trains, or both transfer legs
    std::vector<ResultRow> trainRows;    // rows of the train-number query
    std::vector<ResultRow> stationRows;  // rows of the station query
    std::vector<std::u16string> transferStations;  // candidate transfer stations, best first
    // The earliest matched arrival through each candidate, as earliestMatchedArrival gives it
    // (-1: none); entry for entry with transferStations.
    std::vector<int> transferArrivals;
    std::u16string fromName;  // station-to-station names as typed
    std::u16string toName;
    std::u16string trainNumber;   // the train whose stops TrainStops shows
    std::u16string stationName;   // the station of the station query
    std::u16string transferName;  // the transfer station picked in Transfer mode
    int transferLegCount = 0;     // first-leg rows at the front of `rows`
    // The mode the next results view restores when it closes: the mode of the view beneath it.
    // Each view copies it when it opens, so every level restores its own opener's mode.
    ResultMode returnMode = ResultMode::Direct;
    std::vector<JourneyRow> journeys;  // journeys between fromName and toName
    JourneyOptions journeyOptions;     // ... and what they were searched with
    int journeyIndex = 0;              // the journey whose legs JourneyLegs shows
    // The sort of each TableKind, held for the session: a view opened later sorts the same way.
    std::array<TableSort, 6> sorts{};
    TableSort& sortOf(TableKind kind) { return sorts[static_cast<std::size_t>(kind)]; }
    const TableSort& sortOf(TableKind kind) const { return sorts[static_cast<std::size_t>(kind)]; }
    // Built from the database on the first journey question; dropped when it is reloaded.
    std::unique_ptr<JourneyPlanner> planner;
    // Where "加入日历" saves its files; empty: the user's download folder (else home).
    QString calendarFolder;
};

// One per process; the main window owns the widgets named here.
struct AppContext {
    QListWidget* mainList = nullptr;  // control 1000; null when the list could not be filled
    SoftKeyBar* menuBar = nullptr;    // the main window's soft keys
    std::unique_ptr<UpdateNotifier> updateNotifier;  // bound to the main window while it lives
    ResultContext results;
    std::vector<std::u16string> recommendedTitles;  // the downloads dialog's titles ...
    std::vector<std::u16string> recommendedLinks;   // ... and their links, entry for entry

    AppContext();
    ~AppContext();
    AppContext(const AppContext&) = delete;
    AppContext& operator=(const AppContext&) = delete;
};

}  // namespace zelvan
