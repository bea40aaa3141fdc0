#include "gtfs_export.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>

#include "db/text.h"

namespace zelvan::bench {
namespace {

// Services from Monday 2026-06-01 for 13 weeks: Monday to Thursday, Fridays, Saturdays and
// Sundays with a few exceptions, and one of listed dates only; no two on one day.
constexpr const char* kCalendar =
    "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
    "WK,1,1,1,1,0,0,0,20260601,20260830\n"
    "SA,0,0,0,0,0,1,0,20260601,20260830\n"
    "SU,0,0,0,0,0,0,1,20260601,20260830\n"
    "FR,0,0,0,0,1,0,0,20260601,20260830\n";
constexpr const char* kCalendarDates =
    "service_id,date,exception_type\n"
    "WK,20260701,2\nSU,20260816,2\nFR,20260703,2\n"
    "EX,20260701,1\nEX,20260703,1\nEX,20260816,1\n";
constexpr const char* kServices[] = {"WK", "SA", "SU", "FR", "EX"};

std::string timeText(long long minutes) {
    char text[48];
    std::snprintf(text, sizeof text, "%02lld:%02lld:00", minutes / 60, minutes % 60);
    return text;
}

}  // namespace

bool writeGtfsFeed(const TimetableSource& source, const std::filesystem::path& folder,
                   int tripsPerTrain, GtfsExportStats& stats, std::string& error) {
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    stats = GtfsExportStats();
    std::map<std::string, std::string> files;
    files["agency.txt"] =
        "agency_id,agency_name,agency_url,agency_timezone\nN,National Railway,http://n,"
        "Asia/Shanghai\n";
    files["calendar.txt"] = kCalendar;
    files["calendar_dates.txt"] = kCalendarDates;
    std::string& stops = files["stops.txt"];
    stops = "stop_id,stop_name,stop_lat,stop_lon\n";
    std::map<std::u16string, int> stationOf;
    for (std::size_t s = 0; s < source.stations.size(); ++s) {
        // No coordinates (the generated map's stay inside the generator): the distances go as
        // shape_dist_traveled in metres.
        stops += "S" + std::to_string(s) + "," + toUtf8(source.stations[s].name) + ",,\n";
        stationOf[source.stations[s].name] = static_cast<int>(s);
    }
    std::string& routes = files["routes.txt"];
    routes = "route_id,agency_id,route_short_name,route_long_name,route_type\n";
    std::map<std::string, bool> routeSeen;
    std::string& trips = files["trips.txt"];
    trips = "route_id,service_id,trip_id,trip_short_name\n";
    std::string& times = files["stop_times.txt"];
    times = "trip_id,arrival_time,departure_time,stop_id,stop_sequence,shape_dist_traveled\n";
    tripsPerTrain = std::clamp(tripsPerTrain, 1, 5);
    for (std::size_t t = 0; t < source.trains.size(); ++t) {
        const SourceTrain& train = source.trains[t];
        const std::string number = toUtf8(train.name);
        const std::string route = "K" + std::to_string(train.kindCode);
        if (!routeSeen[route]) {
            routeSeen[route] = true;
            routes += route + ",N," + route + ",,2\n";
        }
        // Minutes from the first stop's midnight: each leg is the next arrival less this one,
        // modulo a day, as the records count it.
        std::vector<std::pair<long long, long long>> clock;  // arrival, departure
        long long at = 0;
        for (std::size_t k = 0; k < train.stops.size(); ++k) {
            const SourceStop& stop = train.stops[k];
            const long long arrival = stop.arrivalHour * 60 + stop.arrivalMinute;
            if (k == 0) {
                at = arrival;
            } else {
                const long long previous = at % 1440;
                at += ((arrival - previous) % 1440 + 1440) % 1440;
            }
            clock.emplace_back(at, at + stop.dwellMinutes);
        }
        for (int copy = 0; copy < tripsPerTrain; ++copy) {
            const std::string trip = "T" + std::to_string(t) + "_" + std::to_string(copy);
            trips += route + "," + kServices[copy] + "," + trip + "," + number + "\n";
            ++stats.trips;
            for (std::size_t k = 0; k < train.stops.size(); ++k) {
                const SourceStop& stop = train.stops[k];
                const auto station = stationOf.find(stop.station);
                int index = station != stationOf.end() ? station->second : 0;
                if (station == stationOf.end()) {  // "#<index>"
                    for (std::size_t i = 1; i < stop.station.size(); ++i) {
                        index = index * 10 + (stop.station[i] - u'0');
                    }
                }
                times += trip + "," + timeText(clock[k].first) + "," + timeText(clock[k].second) +
                         ",S" + std::to_string(index) + "," + std::to_string(k + 1) + "," +
                         std::to_string(stop.distanceKm * 1000) + "\n";
                ++stats.stopTimes;
            }
        }
    }
    for (const auto& [name, text] : files) {
        std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
        out << text;
        if (!out) {
            error = "cannot write " + (folder / name).string();
            return false;
        }
        stats.bytes += static_cast<long long>(text.size());
    }
    return true;
}

}  // namespace zelvan::bench
