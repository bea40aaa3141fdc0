// routes.txt, trips.txt and stop_times.txt: the routes kept (by agency and route type), each
// trip's route, service, number, headsign, shape and access, and every stop time, kept compact
// for sorting.
#include <algorithm>
#include <map>

#include "gtfs/import_model_p.h"

namespace zelvan::gtfs {

bool readRoutes(FeedReader& reader, const ImportOptions& options, ParsedFeed& feed,
                Network& network) {
    Table t;
    return reader.walk("routes.txt", {"route_id", "route_type"}, t, [&](const CsvRow& r) {
        Route route;
        route.agency = t.field(r, "agency_id");
        route.shortName = t.field(r, "route_short_name");
        route.type =
            route.shortName.empty() ? std::string(t.field(r, "route_long_name")) : route.shortName;
        long long type = 0;
        if (!parseInteger(t.field(r, "route_type"), type)) {
            reader.error() = at(t.file, r.line) + "route_type is not a number";
            return false;
        }
        // A route of no agency belongs to the feed's one agency.
        route.kept = (route.agency.empty() || feed.agencies.count(route.agency) != 0 ||
                      (feed.agencies.size() == 1 && feed.agencies.count("") != 0)) &&
                     (options.routeTypes.empty() ||
                      std::find(options.routeTypes.begin(), options.routeTypes.end(),
                                static_cast<int>(type)) != options.routeTypes.end());
        const std::string id(t.field(r, "route_id"));
        route.id = feed.prefix + id;
        if (!feed.routeIndex.emplace(id, static_cast<int>(network.routes.size())).second) {
            reader.error() = at(t.file, r.line) + "route_id " + id + " stands twice";
            return false;
        }
        network.routes.push_back(std::move(route));
        return true;
    });
}

namespace {

// wheelchair_accessible and bikes_allowed: 1 and 2 as they are; 0, empty or anything else
// unknown.
char accessOf(std::string_view text) {
    return text == "1" || text == "2" ? text.front() : 0;
}

// Trips that riders know by their route and headsign rather than a number: those without a
// trip_short_name, and those whose short name several trips of the route share when it is a
// word ("LOCAL") or the route's own name. Their number is made once their last stop is known.
void forgetNonNumbers(ParsedFeed& feed, const Network& network) {
    std::map<std::pair<int, std::string>, int> shared;  // route, short name -> trips
    for (const Trip& trip : feed.trips) ++shared[{trip.route, trip.number}];
    for (Trip& trip : feed.trips) {
        if (trip.number.empty() || shared[{trip.route, trip.number}] < 2) continue;
        const Route& route = network.routes[static_cast<std::size_t>(trip.route)];
        const bool word = std::none_of(trip.number.begin(), trip.number.end(),
                                       [](char c) { return c >= '0' && c <= '9'; });
        if (word || trip.number == route.shortName || trip.number == route.type) {
            trip.number.clear();
        }
    }
}

}  // namespace

std::string shownNumber(const Trip& trip, const Network& network, int lastStation) {
    const Route& route = network.routes[static_cast<std::size_t>(trip.route)];
    const std::string& to = trip.headsign.empty()
                                ? network.stations[static_cast<std::size_t>(lastStation)].name
                                : trip.headsign;
    return route.type.empty() ? "→ " + to : route.type + " → " + to;
}

bool readTrips(FeedReader& reader, ParsedFeed& feed, const Network& network) {
    Table t;
    const bool ok =
        reader.walk("trips.txt", {"route_id", "service_id", "trip_id"}, t, [&](const CsvRow& r) {
            Trip trip;
            trip.id = t.field(r, "trip_id");
            trip.line = r.line;
            const std::string routeId(t.field(r, "route_id"));
            auto route = feed.routeIndex.find(routeId);
            if (route == feed.routeIndex.end()) {
                reader.error() =
                    at(t.file, r.line) + "route_id " + routeId + " is not in routes.txt";
                return false;
            }
            const std::string serviceId(t.field(r, "service_id"));
            auto service = feed.serviceIds.find(serviceId);
            if (service == feed.serviceIds.end()) {
                reader.error() = at(t.file, r.line) + "service_id " + serviceId +
                                 " is in neither calendar.txt nor calendar_dates.txt";
                return false;
            }
            trip.route = route->second;
            trip.service = service->second;
            trip.number = t.field(r, "trip_short_name");
            trip.headsign = t.field(r, "trip_headsign");
            trip.wheelchair = accessOf(t.field(r, "wheelchair_accessible"));
            trip.bikes = accessOf(t.field(r, "bikes_allowed"));
            if (auto shape = feed.shapeIds.find(std::string(t.field(r, "shape_id")));
                shape != feed.shapeIds.end()) {
                trip.shape = shape->second;
            }
            if (!feed.tripIndex.emplace(trip.id, static_cast<int>(feed.trips.size())).second) {
                reader.error() = at(t.file, r.line) + "trip_id " + trip.id + " stands twice";
                return false;
            }
            feed.trips.push_back(std::move(trip));
            ++reader.summary().trips;
            return true;
        });
    if (ok) forgetNonNumbers(feed, network);
    return ok;
}

bool readStopTimes(FeedReader& reader, ParsedFeed& feed) {
    reader.tell("reading stop_times.txt");
    Table t;
    int trip = -1, arrival = -1, departure = -1, stop = -1, sequence = -1, pickup = -1,
        dropoff = -1, shapeDistance = -1, track = -1;
    std::unordered_map<std::string, int> platformIndex;
    bool columns = false;
    bool reserved = false;
    std::string lastTrip;
    int lastTripIndex = -1;
    std::vector<StopTime>& times = feed.times;
    return reader.walk(
        "stop_times.txt", {"trip_id", "stop_id", "stop_sequence"}, t, [&](const CsvRow& r) {
            if (!reserved) {
                // Rows of 30 bytes and more: room ahead for as many as the stated size holds
                // (a hint only, so for 10 million rows at most; room not yet written takes no
                // memory).
                times.reserve(static_cast<std::size_t>(
                    std::min<unsigned long long>(reader.declaredSize() / 30, 10'000'000)));
                reserved = true;
            }
            if (!columns) {
                trip = t.column("trip_id");
                arrival = t.column("arrival_time");
                departure = t.column("departure_time");
                stop = t.column("stop_id");
                sequence = t.column("stop_sequence");
                pickup = t.column("pickup_type");
                dropoff = t.column("drop_off_type");
                shapeDistance = t.column("shape_dist_traveled");
                // A call's own track, where the operator publishes one.
                for (const char* name : {"track", "platform", "platform_code"}) {
                    if (track < 0) track = t.column(name);
                }
                columns = true;
            }
            ++reader.summary().stopTimes;
            StopTime st;
            st.line = std::min(r.line, (1 << 29) - 1);  // the bit-field holds 29 bits
            const std::string_view tripId = r.fields[static_cast<std::size_t>(trip)];
            if (tripId != lastTrip || lastTripIndex < 0) {
                auto it = feed.tripIndex.find(tripId);
                if (it == feed.tripIndex.end()) {
                    reader.error() = at(t.file, r.line) + "trip_id " + std::string(tripId) +
                                     " is not in trips.txt";
                    return false;
                }
                lastTrip.assign(tripId);
                lastTripIndex = it->second;
            }
            st.trip = lastTripIndex;
            const std::string_view stopId = r.fields[static_cast<std::size_t>(stop)];
            auto point = feed.stopIndex.find(stopId);
            if (point == feed.stopIndex.end()) {
                reader.error() = at(t.file, r.line) + "stop_id " + std::string(stopId) +
                                 " is no stop of stops.txt";
                return false;
            }
            st.stop = point->second;
            long long seq = 0;
            if (!parseInteger(r.fields[static_cast<std::size_t>(sequence)], seq) || seq < 0 ||
                seq > 1 << 30) {
                reader.error() = at(t.file, r.line) + "stop_sequence is not a whole number";
                return false;
            }
            st.sequence = static_cast<int>(seq);
            auto time = [&](int column, int& value) {
                if (column < 0 || r.fields[static_cast<std::size_t>(column)].empty()) return true;
                return parseTime(r.fields[static_cast<std::size_t>(column)], value);
            };
            if (!time(arrival, st.arrival) || !time(departure, st.departure)) {
                reader.error() = at(t.file, r.line) + "a time that is not HH:MM:SS";
                return false;
            }
            auto flag = [&](int column) {
                return column >= 0 && r.fields[static_cast<std::size_t>(column)] == "1";
            };
            st.board = !flag(pickup);
            st.alight = !flag(dropoff);
            if (shapeDistance >= 0) {
                // Not a distance (empty, text, negative, absurd): as if not given.
                const std::string_view text = r.fields[static_cast<std::size_t>(shapeDistance)];
                double value = -1;
                if (!text.empty() && parseCoordinate(text, value, 1e9) && value >= 0) {
                    st.shapeDistance = static_cast<float>(value);
                }
            }
            if (track >= 0) {
                const std::string_view text = r.fields[static_cast<std::size_t>(track)];
                if (!text.empty()) {
                    auto [it, added] = platformIndex.try_emplace(
                        std::string(text), static_cast<int>(feed.platforms.size()));
                    if (added) feed.platforms.emplace_back(text);
                    st.platform = it->second;
                }
            }
            times.push_back(st);
            return true;
        });
}

}  // namespace zelvan::gtfs
