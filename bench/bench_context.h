// What every benchmark reads: the loaded timetable and the stations, codes and trains that the
// questions ask about, picked from the data itself so that any data folder can be measured.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "db/timetable_db.h"

namespace zelvan::bench {

struct BenchContext {
    std::filesystem::path folder;  // the data files
    std::unique_ptr<TimetableDb> db;
    DateKey date = 20260615;  // inside the validity of most generated trains

    std::u16string hub;  // the busiest station: the station question
    int hubTrains = 0;
    std::u16string from;  // the pair of busy stations with the most trains in common
    std::u16string to;
    int commonTrains = 0;
    std::u16string transferFrom;  // the busiest pair of stations with no train in common and
    std::u16string transferTo;    // the most stations to change at (first with 15)
    int transferStations = 0;
    std::u16string code;  // the two-letter code that collects the most station names
    int codeNames = 0;
    int rowTrain = -1;  // train index of G101 (or the first train): the row-building question
};

// The one context of the run.
BenchContext& benchContext();

// Loads the data folder and picks the questions. False with `error` when it cannot load.
bool prepareBenchContext(const std::filesystem::path& folder, std::string& error);

// The database size: total bytes of the files in the folder.
long long dataBytes(const std::filesystem::path& folder);

}  // namespace zelvan::bench
