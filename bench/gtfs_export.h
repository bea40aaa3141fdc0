// A generated timetable written out as a GTFS feed, for the import benchmarks: every train
// becomes several trips of one number, stops and times on services of different days (weekdays,
// Saturdays, Sundays with exceptions, extra dates), which the importer merges back into one
// train running on all their days.
#pragma once

#include <filesystem>
#include <string>

#include "compiler/timetable_source.h"

namespace zelvan::bench {

struct GtfsExportStats {
    long long stopTimes = 0;
    long long trips = 0;
    long long bytes = 0;  // of all the files
};

// Writes agency, stops, routes, trips, stop_times, calendar and calendar_dates into `folder`
// (created when missing), `tripsPerTrain` trips per train (1-5).
bool writeGtfsFeed(const TimetableSource& source, const std::filesystem::path& folder,
                   int tripsPerTrain, GtfsExportStats& stats, std::string& error);

}  // namespace zelvan::bench
