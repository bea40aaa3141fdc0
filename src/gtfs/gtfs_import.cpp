// The import, step by step: each feed read top to bottom (agencies, service days, stops,
// routes, shapes, trips, stop times, runs, transfers, fares), then the folder written.
#include "gtfs/gtfs_import.h"

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
    Network network;
    {
        FeedReader reader(options.feed, summary, error, options.progress);
        ParsedFeed feed;
        if (!readFeed(reader, options, feed, network)) return false;
        network.timeZone = feed.timeZone;
        network.agencyNames = feed.agencyNames;
        readFeedVersion(reader, network);
    }
    return writeFolder(options, network, summary, error);
}

}  // namespace zelvan::gtfs
