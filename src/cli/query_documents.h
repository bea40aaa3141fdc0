// The JSON documents of the query commands: what --json prints and what batch answers, each
// appended to a string as one line without its line feed.
#pragma once

#include <iostream>
#include <string>
#include <vector>

#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "journey/journey_rows.h"

namespace zelvan::cli {

// {"rows": [ROW...]} (route, train, station).
void appendRowsDocument(std::string& out, const std::vector<ResultRow>& rows);
// {"runs": [ROW...]}: a route's runs to choose from (stops NAME without --run).
void appendRunsDocument(std::string& out, const std::vector<ResultRow>& runs);
// {"rows": [...], "transferLegCount": N} (transfer --via).
void appendTransferRowsDocument(std::string& out, const std::vector<ResultRow>& rows, int legCount);
// {"stations": [...]} (transfer).
void appendTransferStationsDocument(std::string& out, const std::vector<std::u16string>& stations);
// {"names": [...]} (suggest, find).
void appendNamesDocument(std::string& out, const std::vector<std::u16string>& names);
// The train `stops` shows for a whole number (no name and no stops when there is none), and
// its document.
void findStops(TimetableDb& db, const std::u16string& number, TrainRecord& train);
void appendStopsDocument(std::string& out, const TimetableDb& db, const TrainRecord& train);
// {"journeys": [...]} (journey).
void appendJourneysDocument(std::string& out, const std::vector<JourneyRow>& journeys);
// {"error": TEXT} (a batch line that cannot be answered).
void appendErrorDocument(std::string& out, std::u16string_view text);

// Writes one of the documents, built by `append`, as a line of stdout.
template <typename Append>
void printDocument(Append append) {
    std::string document;
    append(document);
    document += '\n';
    std::cout << document;
}

}  // namespace zelvan::cli
