// stops.txt: stations and the stop points trains call at. A parent station with its platforms
// is one station (the platform's platform_code stays with the stop point); a stop without a
// parent is a station of its own.
#include "gtfs/import_model_p.h"

namespace zelvan::gtfs {

bool readStops(FeedReader& reader, ParsedFeed& feed, Network& network) {
    Table t;
    struct Raw {
        std::string id, name, code, parent, platform, zone;
        int type = 0;
        double lat = 0, lon = 0;
        bool located = false;
        int line = 0;
    };
    std::vector<Raw> raws;
    bool ok = reader.walk("stops.txt", {"stop_id"}, t, [&](const CsvRow& r) {
        Raw raw;
        raw.id = t.field(r, "stop_id");
        raw.name = t.field(r, "stop_name");
        raw.code = t.field(r, "stop_code");
        raw.parent = t.field(r, "parent_station");
        raw.platform = t.field(r, "platform_code");
        raw.zone = t.field(r, "zone_id");
        raw.line = r.line;
        long long type = 0;
        const std::string_view typeText = t.field(r, "location_type");
        if (!typeText.empty() && !parseInteger(typeText, type)) {
            reader.error() = at(t.file, r.line) + "location_type is not a number";
            return false;
        }
        raw.type = static_cast<int>(type);
        if (raw.id.empty()) {
            reader.error() = at(t.file, r.line) + "a stop without a stop_id";
            return false;
        }
        const bool lat = parseCoordinate(t.field(r, "stop_lat"), raw.lat, 90);
        const bool lon = parseCoordinate(t.field(r, "stop_lon"), raw.lon, 180);
        raw.located = lat && lon;
        if ((raw.type == 0 || raw.type == 1) && raw.name.empty()) {
            reader.error() = at(t.file, r.line) + "stop " + raw.id + " has no name";
            return false;
        }
        raws.push_back(std::move(raw));
        return true;
    });
    if (!ok) return false;
    std::unordered_map<std::string, std::size_t> byId;
    for (std::size_t i = 0; i < raws.size(); ++i) {
        if (!byId.emplace(raws[i].id, i).second) {
            return reader.fail(at(t.file, raws[i].line) + "stop_id " + raws[i].id +
                               " stands twice");
        }
    }
    // Stations: parent stations, and stops without a parent.
    std::unordered_map<std::string, int> stationOf;
    for (const Raw& raw : raws) {
        if (raw.type == 1 || (raw.type == 0 && raw.parent.empty())) {
            stationOf[raw.id] = static_cast<int>(network.stations.size());
            Station s;
            s.id = raw.id;
            s.name = raw.name;
            s.code = raw.code;
            s.zone = raw.zone;
            s.lat = raw.lat;
            s.lon = raw.lon;
            s.located = raw.located;
            s.feed = feed.index;
            network.stations.push_back(std::move(s));
        }
    }
    for (const Raw& raw : raws) {
        // Entrances, nodes and boarding areas are not called at. A station is, in feeds that
        // call at it rather than at its platforms.
        if (raw.type == 1) {
            StopPoint point;
            point.station = stationOf[raw.id];
            point.lat = raw.lat;
            point.lon = raw.lon;
            point.located = raw.located;
            feed.stopIndex[raw.id] = static_cast<int>(feed.stops.size());
            feed.stops.push_back(std::move(point));
            continue;
        }
        if (raw.type != 0) continue;
        StopPoint point;
        if (raw.parent.empty()) {
            point.station = stationOf[raw.id];
        } else {
            auto parent = stationOf.find(raw.parent);
            if (parent == stationOf.end()) {
                return reader.fail(at(t.file, raw.line) + "parent_station " + raw.parent +
                                   " is no station of stops.txt");
            }
            point.station = parent->second;
            point.platform = raw.platform;
        }
        Station& station = network.stations[static_cast<std::size_t>(point.station)];
        point.lat = raw.located ? raw.lat : station.lat;
        point.lon = raw.located ? raw.lon : station.lon;
        point.located = raw.located || station.located;
        if (station.zone.empty()) station.zone = raw.zone;
        if (!station.located && raw.located) {
            station.lat = raw.lat;
            station.lon = raw.lon;
            station.located = true;
        }
        feed.stopIndex[raw.id] = static_cast<int>(feed.stops.size());
        feed.stops.push_back(std::move(point));
    }
    return true;
}

}  // namespace zelvan::gtfs
