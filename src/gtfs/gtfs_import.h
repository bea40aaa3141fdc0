// Importing a railway's GTFS static feed (a zip or a folder of CSV files) as a data folder: the
// record files the queries read, plus the tables of what they cannot hold (service days, the
// numbers shown, route types, boarding and alighting restrictions, platforms, station ids and
// coordinates, change times and walks, the time zone, no built-in tariff).
#pragma once

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "db/records.h"

namespace zelvan::gtfs {

struct ImportOptions {
    std::filesystem::path feed;  // a zip archive or a folder, when `feeds` is empty
    // Several feeds into one timetable, each a zip or a folder; the options apply to all.
    std::vector<std::filesystem::path> feeds;
    std::filesystem::path out;          // the data folder to write
    DateKey from = 0;                   // first run day kept; 0: the feed's first
    DateKey until = 0;                  // last run day kept; 0: the feed's last
    std::vector<std::string> agencies;  // agency_id values kept; empty: all
    std::vector<int> routeTypes;        // route_type values kept; empty: all
    std::string version;                // ver.txt; empty: the feed's version
    // Told what is being read, for a progress line on a terminal; may be empty.
    std::function<void(const std::string&)> progress;
};

// What one feed gave, after trips two feeds both publish were kept once.
struct FeedSummary {
    std::string feed;  // its path as given
    std::string timeZone;
    int stations = 0;
    long long trips = 0;
    long long stopTimes = 0;
    int trains = 0;
};

struct ImportSummary {
    int stations = 0;
    int trains = 0;
    long long trips = 0;       // trips read
    long long runs = 0;        // runs of trains (trips and their frequencies), in the range
    long long runsMerged = 0;  // runs that joined a train of the same number, stops and times
    long long stopTimes = 0;   // stop_times.txt rows read
    DateKey firstDay = 0;
    DateKey lastDay = 0;
    std::vector<FeedSummary> feeds;     // each feed, in the order given
    long long walksMade = 0;            // walks made between stations of different feeds
    long long tripsPublishedTwice = 0;  // trains of a later feed that an earlier one has
    // What was left out or read around, counted by reason.
    std::map<std::string, long long> dropped;
    std::map<std::string, long long> warnings;
};

// Reads and checks every feed, then writes the data folder (each file under a temporary name,
// renamed into place once all are written; the folder is unchanged on any error). False with
// `error` ("file:line: what is wrong", after "FEED: " when there are several, or a limit of the
// record files).
bool importGtfs(const ImportOptions& options, ImportSummary& summary, std::string& error);

}  // namespace zelvan::gtfs
