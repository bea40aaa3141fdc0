// The user interface's process-wide state: what the last query found and what the views share.
#pragma once

#include <QString>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "db/timetable_days.h"
#include "fare/result_row.h"
#include "fare/result_table.h"
#include "fare/row_order.h"
#include "journey/journey_planner.h"
#include "journey/journey_rows.h"

class QListWidget;

namespace zelvan {

class SoftKeyBar;
class UpdateNotifier;

// How a table is sorted: the column's key, reversed or not. Listed is the query's own order.
struct TableSort {
    SortKey key = SortKey::Listed;
    bool descending = false;
    bool operator==(const TableSort&) const = default;
};

// The outcome of the last query, handed from a query dialog to the results views and updated by
// the nested views. Each query overwrites only the fields of its own mode; each view keeps a
// copy of what it shows, so that a view beneath can fill its table again (a new language)
// after the views over it refilled the lists.
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
    std::u16string trainNumber;  // the train whose stops TrainStops shows
    // ... and its train index, the run a row stood for (several runs may share one number);
    // -1: the run of trainNumber that findTrainRun gives.
    int trainIndex = -1;
    std::u16string stationName;   // the station of the station query
    std::u16string transferName;  // the transfer station picked in Transfer mode
    int transferLegCount = 0;     // first-leg rows at the front of `rows`
    // The mode the next results view restores when it closes: the mode of the view beneath it.
    // Each view copies it when it opens, so every level restores its own opener's mode.
    ResultMode returnMode = ResultMode::Direct;
    std::vector<JourneyRow> journeys;  // journeys between fromName and toName
    JourneyOptions journeyOptions;     // ... and what they were searched with
    int journeyIndex = 0;              // the journey whose legs JourneyLegs shows
    // The time a station's trains or the trains between two stations are shown from (minutes
    // after midnight): the next view opens scrolled there; -1: at the first train.
    int fromMinutes = -1;
    // The day of travel every query dialog opens on, until the traveller picks another
    // (DateKey; 0 before the main window chose one).
    int travelDay = 0;
    // The days the timetable covers, found on first use; dropped when it is reloaded.
    std::optional<TimetableDays> days;
    // Built from the database on the first journey question; dropped when it is reloaded.
    // Shared with the copies the views keep of what they show.
    std::shared_ptr<JourneyPlanner> planner;
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
