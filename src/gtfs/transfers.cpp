// Transfers and walks: transfers.txt's minimum times (type 2), at one station its change time,
// between two stations a walk.
#include <algorithm>

#include "gtfs/import_model_p.h"

namespace zelvan::gtfs {

bool readTransfers(FeedReader& reader, ParsedFeed& feed, Network& network) {
    Table t;
    return reader.walk(
        "transfers.txt", {"from_stop_id", "to_stop_id", "transfer_type"}, t, [&](const CsvRow& r) {
            if (!t.field(r, "from_trip_id").empty() || !t.field(r, "to_trip_id").empty() ||
                !t.field(r, "from_route_id").empty() || !t.field(r, "to_route_id").empty()) {
                reader.warn("transfers.txt: transfers between trips or routes (not used)");
                return true;
            }
            long long seconds = 0;
            if (t.field(r, "transfer_type") != "2" ||
                !parseInteger(t.field(r, "min_transfer_time"), seconds) || seconds < 0) {
                return true;
            }
            const int minutes = static_cast<int>(std::min<long long>((seconds + 59) / 60, 1439));
            // Every station of stops.txt is a stop point too.
            auto station = [&](std::string_view id) {
                auto it = feed.stopIndex.find(id);
                return it != feed.stopIndex.end()
                           ? feed.stops[static_cast<std::size_t>(it->second)].station
                           : -1;
            };
            const int from = station(t.field(r, "from_stop_id"));
            const int to = station(t.field(r, "to_stop_id"));
            if (from < 0 || to < 0) {
                reader.error() = at(t.file, r.line) + "a stop_id that is no stop of stops.txt";
                return false;
            }
            if (from == to) {
                int& change = network.stations[static_cast<std::size_t>(from)].changeMinutes;
                change = std::max(change, minutes);
            } else {
                network.walks.push_back({from, to, minutes});
            }
            return true;
        });
}

}  // namespace zelvan::gtfs
