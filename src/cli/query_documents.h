// The JSON documents of the query commands: what --json prints and what batch answers.
#pragma once

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "db/timetable_db.h"
#include "fare/result_row.h"

namespace zelvan::cli {

// {"rows": [ROW...]} (route, train, station).
nlohmann::json rowsDocument(const std::vector<ResultRow>& rows);
// {"rows": [...], "transferLegCount": N} (transfer --via).
nlohmann::json transferRowsDocument(const std::vector<ResultRow>& rows, int legCount);
// {"stations": [...]} (transfer).
nlohmann::json transferStationsDocument(const std::vector<std::u16string>& stations);
// {"names": [...]} (suggest).
nlohmann::json suggestDocument(const std::vector<std::u16string>& names);
// The train `stops` shows for a whole number (no name and no stops when there is none), and
// its document.
void findStops(TimetableDb& db, const std::u16string& number, TrainRecord& train);
nlohmann::json stopsDocument(const TimetableDb& db, const TrainRecord& train);

}  // namespace zelvan::cli
