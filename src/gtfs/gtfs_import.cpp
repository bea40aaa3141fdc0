// The import, step by step: each feed read top to bottom (agencies, service days, stops,
// routes, shapes, trips, stop times, runs, transfers, fares), then, with several feeds, the
// trips they both publish kept once and their stations joined by walks, then the folder
// written.
#include "gtfs/gtfs_import.h"

#include <set>

#include "gtfs/import_model_p.h"

namespace zelvan::gtfs {

bool readFeed(FeedReader& reader, const ImportOptions& options, ParsedFeed& feed,
              Network& network) {
    return reader.open() && readAgencies(reader, options, feed) && readServiceDays(reader, feed) &&
           readStops(reader, feed, network) && readRoutes(reader, options, feed, network) &&
           readShapes(reader, feed) && readTrips(reader, feed, network) &&
           readStopTimes(reader, feed) && buildRuns(reader, options, feed, network) &&
           readTransfers(reader, feed, network) && readFares(reader, feed, network);
}

bool importGtfs(const ImportOptions& options, ImportSummary& summary, std::string& error) {
    summary = ImportSummary();
    error.clear();
    const std::vector<std::filesystem::path> paths =
        options.feeds.empty() ? std::vector<std::filesystem::path>{options.feed} : options.feeds;
    const bool several = paths.size() > 1;
    Network network;
    std::set<std::string> zones;
    for (std::size_t k = 0; k < paths.size(); ++k) {
        FeedReader reader(paths[k], summary, error, options.progress);
        ParsedFeed feed;
        feed.index = static_cast<int>(k);
        // Two feeds may both have stop "1", route "A", fare "F1": each feed's ids apart.
        if (several) feed.prefix = std::to_string(k + 1) + ":";
        const long long trips = summary.trips, stopTimes = summary.stopTimes;
        if (!readFeed(reader, options, feed, network)) {
            if (several) error = paths[k].string() + ": " + error;
            return false;
        }
        FeedSummary counts;
        counts.feed = paths[k].string();
        counts.timeZone = feed.timeZone;
        counts.trips = summary.trips - trips;
        counts.stopTimes = summary.stopTimes - stopTimes;
        summary.feeds.push_back(counts);
        network.feeds.push_back({paths[k].string(), feed.timeZone, feed.prefix});
        zones.insert(feed.timeZone);
        if (k == 0) {
            // The timetable's zone ("today") and version are the first feed's.
            network.timeZone = feed.timeZone;
            network.agencyNames = feed.agencyNames;
            readFeedVersion(reader, network);
        } else {
            network.agencyNames += ", " + feed.agencyNames;
        }
    }
    if (zones.size() > 1) {
        std::string list;
        for (const std::string& z : zones) list += (list.empty() ? "" : ", ") + z;
        summary.warnings["feeds in different time zones (" + list +
                         "): each keeps its own local times, the timetable's day is the first "
                         "feed's, and no walk joins feeds of different zones"] = 1;
    }
    mergeSharedTrips(network, summary);
    return linkFeeds(network, summary, error) && writeFolder(options, network, summary, error);
}

}  // namespace zelvan::gtfs
