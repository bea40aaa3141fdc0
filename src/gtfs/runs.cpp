// Runs and trains: frequencies.txt, then each trip's stop times in order, timed (untimed stops
// interpolated by distance), checked, and stored as runs on the trip's service days. Runs of
// one number, route, stops and times are one train running on all their days.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>

#include "gtfs/import_model_p.h"

namespace zelvan::gtfs {
namespace {

using Frequencies = std::unordered_map<int, std::vector<std::array<int, 3>>>;

// Frequencies: trip -> (start, end, headway) in seconds.
bool readFrequencies(FeedReader& reader, const ParsedFeed& feed, Frequencies& out) {
    Table t;
    return reader.walk(
        "frequencies.txt", {"trip_id", "start_time", "end_time", "headway_secs"}, t,
        [&](const CsvRow& r) {
            const std::string tripId(t.field(r, "trip_id"));
            auto it = feed.tripIndex.find(tripId);
            if (it == feed.tripIndex.end()) {
                reader.error() = at(t.file, r.line) + "trip_id " + tripId + " is not in trips.txt";
                return false;
            }
            int start = 0, end = 0;
            long long headway = 0;
            if (!parseTime(t.field(r, "start_time"), start) ||
                !parseTime(t.field(r, "end_time"), end) ||
                !parseInteger(t.field(r, "headway_secs"), headway) || headway <= 0 || end < start) {
                reader.error() =
                    at(t.file, r.line) + "start_time, end_time or headway_secs is not valid";
                return false;
            }
            // A run a minute at least, within two days: more is no timetable.
            if ((end - start) / headway > 2880 || end > 7 * 86400) {
                reader.error() = at(t.file, r.line) + "more runs than one a minute for two days";
                return false;
            }
            out[it->second].push_back({start, end, static_cast<int>(headway)});
            return true;
        });
}

struct RunRange {
    int first = INT32_MIN;  // day numbers
    int last = INT32_MAX;
};

// One run of `trip` (its stop times from `begin` at the positions `calls`, times in seconds
// shifted by `shift`) as a train, or as more days of the train it matches.
bool addRun(FeedReader& reader, ParsedFeed& feed, Network& network, const Trip& trip,
            const std::string& number, std::size_t begin, const std::vector<std::size_t>& calls,
            const std::vector<int>& arrivals, const std::vector<int>& departures,
            const std::vector<double>& km, int shift, RunRange range) {
    // The run leaves on the day of its first departure; times count from that midnight.
    const int first = departures[calls.front()] + shift;
    const int dayShift = first >= 0 ? first / 86400 : -((-first + 86399) / 86400);
    const std::size_t n = calls.size();
    std::vector<RunStop> stops(n);
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t c = calls[k];
        const StopTime& st = feed.times[begin + c];
        RunStop& s = stops[k];
        const StopPoint& point = feed.stops[static_cast<std::size_t>(st.stop)];
        s.station = point.station;
        s.platform = st.platform != 0 ? feed.platforms[static_cast<std::size_t>(st.platform)]
                                      : point.platform;
        s.arrival = (arrivals[c] + shift - dayShift * 86400) / 60;
        s.departure = (departures[c] + shift - dayShift * 86400) / 60;
        s.km = static_cast<int>(std::lround(km[c]));
        s.board = st.board;
        s.alight = st.alight;
    }
    stops.front().arrival = stops.front().departure;
    stops.back().departure = stops.back().arrival;
    for (std::size_t k = 0; k < n; ++k) {
        if (stops[k].departure - stops[k].arrival > kMostStand) {
            reader.drop("trips standing a day or longer at a stop");
            return true;
        }
        if (stops[k].km > kMostKm) {
            reader.drop("trips running farther than 16,383 km");
            return true;
        }
        if (k > 0) {
            // The record counts a new day where the hour falls: a leg must be dated so.
            const int days = stops[k].arrival / 1440 - stops[k - 1].arrival / 1440;
            const bool falls = stops[k].arrival / 60 % 24 < stops[k - 1].arrival / 60 % 24;
            if (days != (falls ? 1 : 0)) {
                reader.drop("trips with a leg of 23 hours or more");
                return true;
            }
        }
    }
    std::vector<int> days;
    const std::set<int>& service = feed.services[static_cast<std::size_t>(trip.service)];
    for (int serviceDay : service) {
        const int day = serviceDay + dayShift;
        if (day >= range.first && day <= range.last) days.push_back(day);
    }
    if (days.empty()) {
        reader.drop(service.empty() ? "trips whose service has no day"
                                    : "trips with no day in the range");
        return true;
    }
    for (const RunStop& s : stops)
        network.stations[static_cast<std::size_t>(s.station)].used = true;
    // The merge key: number, route (its text and, for its fares, its id), then every stop as it
    // is stored; texts by their length, then their bytes.
    std::string key;
    key.reserve(64 + stops.size() * 28);
    const auto text = [&key](const std::string& t) {
        const std::size_t length = t.size();
        key.append(reinterpret_cast<const char*>(&length), sizeof length);
        key += t;
    };
    const Route& route = network.routes[static_cast<std::size_t>(trip.route)];
    text(number);
    text(route.type);
    text(route.id);
    // Each stop as its numbers' bytes, then its platform's length and text.
    for (const RunStop& s : stops) {
        const int numbers[] = {s.station,
                               s.arrival,
                               s.departure,
                               s.km,
                               (s.board ? 1 : 0) | (s.alight ? 2 : 0),
                               static_cast<int>(s.platform.size())};
        key.append(reinterpret_cast<const char*>(numbers), sizeof numbers);
        key += s.platform;
    }
    ImportSummary& summary = reader.summary();
    summary.runs += static_cast<long long>(days.size());
    auto [it, added] = network.trainOfKey.try_emplace(key, static_cast<int>(network.trains.size()));
    if (added) {
        Train train;
        train.number = number;
        train.route = trip.route;
        train.stops = std::move(stops);
        train.feed = feed.index;
        train.wheelchair = trip.wheelchair;
        train.bikes = trip.bikes;
        network.trains.push_back(std::move(train));
    } else {
        summary.runsMerged += static_cast<long long>(days.size());
    }
    Train& train = network.trains[static_cast<std::size_t>(it->second)];
    // Trips that disagree make a train that claims nothing.
    if (train.wheelchair != trip.wheelchair) train.wheelchair = 0;
    if (train.bikes != trip.bikes) train.bikes = 0;
    for (int day : days) {
        const auto at = std::lower_bound(train.days.begin(), train.days.end(), day);
        if (at != train.days.end() && *at == day) {
            reader.warn("runs of one train given twice on one day");
        } else {
            train.days.insert(at, day);
        }
    }
    return true;
}

}  // namespace

bool buildRuns(FeedReader& reader, const ImportOptions& options, ParsedFeed& feed,
               Network& network) {
    reader.tell("building the runs");
    Frequencies frequencies;
    if (!readFrequencies(reader, feed, frequencies)) return false;
    std::vector<StopTime>& times = feed.times;
    // In place (a stable sort takes a copy's room): the line, unique, keeps rows of one
    // sequence in file order.
    std::sort(times.begin(), times.end(), [](const StopTime& a, const StopTime& b) {
        if (a.trip != b.trip) return a.trip < b.trip;
        if (a.sequence != b.sequence) return a.sequence < b.sequence;
        return a.line < b.line;
    });
    const double kmPerUnit = distanceUnit(feed);
    RunRange range;
    if (options.from) range.first = dayNumberOf(options.from);
    if (options.until) range.last = dayNumberOf(options.until);
    std::vector<int> arrivals, departures;
    std::vector<double> km;
    std::size_t i = 0;
    std::vector<char> seen(feed.trips.size(), 0);
    while (i < times.size()) {
        std::size_t j = i;
        while (j < times.size() && times[j].trip == times[i].trip) ++j;
        const Trip& trip = feed.trips[static_cast<std::size_t>(times[i].trip)];
        seen[static_cast<std::size_t>(times[i].trip)] = 1;
        const std::size_t begin = i;
        i = j;
        for (std::size_t k = begin + 1; k < j; ++k) {
            if (times[k].sequence == times[k - 1].sequence) {
                return reader.fail(at("stop_times.txt", times[k].line) + "trip " + trip.id +
                                   ": stop_sequence " + std::to_string(times[k].sequence) +
                                   " stands twice");
            }
        }
        if (!network.routes[static_cast<std::size_t>(trip.route)].kept) {
            reader.drop("trips of agencies or route types not asked for");
            continue;
        }
        const std::size_t n = j - begin;
        if (n < 2) {
            reader.drop("trips with fewer than two stops");
            continue;
        }
        if (!tripDistances(reader, feed, trip, begin, n, kmPerUnit, km)) return false;
        // Times: one missing is the other; stops with neither are interpolated by distance
        // between the timed stops around them.
        arrivals.assign(n, kNoTime);
        departures.assign(n, kNoTime);
        for (std::size_t k = 0; k < n; ++k) {
            const StopTime& st = times[begin + k];
            arrivals[k] = st.arrival != kNoTime ? st.arrival : st.departure;
            departures[k] = st.departure != kNoTime ? st.departure : st.arrival;
        }
        if (arrivals.front() == kNoTime || arrivals.back() == kNoTime) {
            return reader.fail(
                at("stop_times.txt", times[arrivals.front() == kNoTime ? begin : j - 1].line) +
                "trip " + trip.id + ": its first and last stops need times");
        }
        bool interpolated = false;
        for (std::size_t k = 1; k + 1 < n; ++k) {
            if (arrivals[k] != kNoTime) continue;
            std::size_t next = k + 1;
            while (arrivals[next] == kNoTime) ++next;
            const std::size_t previous = k - 1;
            const double span = km[next] - km[previous];
            for (std::size_t m = k; m < next; ++m) {
                const double share = span > 0 ? (km[m] - km[previous]) / span
                                              : double(m - previous) / double(next - previous);
                arrivals[m] = departures[m] =
                    departures[previous] +
                    static_cast<int>(std::lround(share * (arrivals[next] - departures[previous])));
            }
            interpolated = true;
            k = next - 1;
        }
        if (interpolated)
            reader.warn("trips with untimed stops, their times interpolated by distance");
        // Times never run backwards.
        for (std::size_t k = 0; k < n; ++k) {
            const bool back =
                departures[k] < arrivals[k] || (k > 0 && arrivals[k] < departures[k - 1]);
            if (back) {
                return reader.fail(at("stop_times.txt", times[begin + k].line) + "trip " + trip.id +
                                   ": the times run backwards");
            }
        }
        // A stop where no rider may board or alight is none for travellers: the train passes
        // it. The others keep their distances.
        std::vector<std::size_t> calls;
        for (std::size_t k = 0; k < n; ++k) {
            if (times[begin + k].board || times[begin + k].alight) calls.push_back(k);
        }
        reader.drop("stop times where no rider may board or alight (passed through)",
                    static_cast<long long>(n - calls.size()));
        if (calls.size() < 2) {
            reader.drop("trips with fewer than two stops riders may use");
            continue;
        }
        const std::string number =
            trip.number.empty()
                ? shownNumber(trip, network,
                              feed.stops[static_cast<std::size_t>(times[begin + calls.back()].stop)]
                                  .station)
                : trip.number;
        // Run starts: the trip itself, or every start its frequencies give.
        std::vector<int> shifts = {0};
        if (auto f = frequencies.find(times[begin].trip); f != frequencies.end()) {
            shifts.clear();
            for (const auto& [start, end, headway] : f->second) {
                for (int s = start; s < end; s += headway) shifts.push_back(s - departures[0]);
            }
        }
        for (const int shift : shifts) {
            if (!addRun(reader, feed, network, trip, number, begin, calls, arrivals, departures, km,
                        shift, range)) {
                return false;
            }
        }
    }
    for (std::size_t t = 0; t < feed.trips.size(); ++t) {
        if (!seen[t]) reader.drop("trips without stop times");
    }
    times.clear();
    times.shrink_to_fit();
    return true;
}

}  // namespace zelvan::gtfs
