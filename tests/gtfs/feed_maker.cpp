#include "feed_maker.h"

#include <cstdio>

#include "test_files.h"

namespace zelvan::test {

std::string gtfsTime(int seconds) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

void writeFeed(const Feed& feed, const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    writeBytes(folder / "agency.txt",
               "agency_id,agency_name,agency_url,agency_timezone\nA,Test Railway,http://x," +
                   feed.timezone + "\n");
    std::string stops =
        "stop_id,stop_name,stop_lat,stop_lon,location_type,parent_station,platform_code,zone_id\n";
    for (const FeedStop& s : feed.stops) {
        char coordinates[64];
        std::snprintf(coordinates, sizeof coordinates, "%.6f,%.6f", s.lat, s.lon);
        stops += s.id + ",\"" + s.name + "\"," + coordinates + "," +
                 std::to_string(s.locationType) + "," + s.parent + "," + s.platform + "," + s.zone +
                 "\n";
    }
    writeBytes(folder / "stops.txt", stops);
    std::string routes = "route_id,agency_id,route_short_name,route_long_name,route_type\n";
    for (const auto& [id, name] : feed.routes) routes += id + ",A," + name + ",," + "2\n";
    writeBytes(folder / "routes.txt", routes);
    std::string trips = "route_id,service_id,trip_id,trip_short_name\n";
    std::string times =
        "trip_id,arrival_time,departure_time,stop_id,stop_sequence,pickup_type,drop_off_type\n";
    for (const FeedTrip& t : feed.trips) {
        trips += t.route + "," + t.service + "," + t.id + "," + t.number + "\n";
        for (std::size_t k = 0; k < t.stops.size(); ++k) {
            const FeedStopTime& st = t.stops[k];
            times += t.id + "," + (st.arrival >= 0 ? gtfsTime(st.arrival) : "") + "," +
                     (st.departure >= 0 ? gtfsTime(st.departure) : "") + "," + st.stop + "," +
                     std::to_string(10 * (k + 1)) + "," + std::to_string(st.pickup) + "," +
                     std::to_string(st.dropoff) + "\n";
        }
    }
    writeBytes(folder / "trips.txt", trips);
    writeBytes(folder / "stop_times.txt", times);
    std::string calendar =
        "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n";
    std::string dates = "service_id,date,exception_type\n";
    bool anyCalendar = false;
    for (const FeedService& s : feed.services) {
        if (s.weekdays != 0) {
            anyCalendar = true;
            calendar += s.id;
            for (int d = 0; d < 7; ++d) calendar += (s.weekdays >> d & 1) ? ",1" : ",0";
            calendar += "," + s.start + "," + s.end + "\n";
        }
        for (const auto& [date, type] : s.exceptions) {
            dates += s.id + "," + date + "," + std::to_string(type) + "\n";
        }
    }
    if (anyCalendar) writeBytes(folder / "calendar.txt", calendar);
    writeBytes(folder / "calendar_dates.txt", dates);
    if (!feed.fares.empty()) {
        std::string attributes = "fare_id,price,currency_type,payment_method,transfers\n";
        std::string rules = "fare_id,route_id,origin_id,destination_id,contains_id\n";
        for (const FeedFare& fare : feed.fares) {
            attributes += fare.id + "," + std::to_string(fare.centimes / 100) + "." +
                          std::to_string(fare.centimes % 100 / 10) +
                          std::to_string(fare.centimes % 10) + ",CHF,0,0\n";
            for (const std::vector<std::string>& rule : fare.rules) {
                rules +=
                    fare.id + "," + rule[0] + "," + rule[1] + "," + rule[2] + "," + rule[3] + "\n";
            }
        }
        writeBytes(folder / "fare_attributes.txt", attributes);
        writeBytes(folder / "fare_rules.txt", rules);
    }
    for (const auto& [name, text] : feed.extra) writeBytes(folder / name, text);
}

Feed randomFeed(std::mt19937& random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    Feed feed;
    const char* names[] = {"Aarau", "Baden", "Chur", "Davos", "Emmen", "Frick"};
    const int stations = 3 + pick(4);
    for (int s = 0; s < stations; ++s) {
        FeedStop station;
        station.id = "S" + std::to_string(s);
        station.name = names[s];
        station.lat = 47.0 + 0.1 * s;
        station.lon = 8.0 + 0.05 * s;
        const int zone = pick(4);
        station.zone = zone == 3 ? "" : "Z" + std::to_string(zone);
        if (pick(2) == 0) {
            // A station with two platforms: the trips call at the platforms.
            station.locationType = 1;
            feed.stops.push_back(station);
            for (int p = 1; p <= 2; ++p) {
                FeedStop platform = station;
                platform.id = station.id + "P" + std::to_string(p);
                platform.locationType = 0;
                platform.parent = station.id;
                platform.platform = std::to_string(p);
                feed.stops.push_back(platform);
            }
        } else {
            feed.stops.push_back(station);
        }
    }
    auto stopOf = [&](int s) {
        const std::string id = "S" + std::to_string(s);
        for (const FeedStop& f : feed.stops) {
            if (f.parent == id) return f.platform == "1" || pick(2) == 0 ? f.id : id + "P2";
        }
        return id;
    };
    feed.routes = {{"R1", "IC"}, {"R2", "S3"}};
    // Weekly services from Monday 2026-12-07 for four weeks, some with exceptions; one only by
    // calendar_dates; one with no day at all.
    for (int v = 0; v < 4; ++v) {
        FeedService service;
        service.id = "V" + std::to_string(v);
        service.weekdays = v == 3 ? 0 : 1 + pick(127);
        service.start = "20261207";
        service.end = "20270103";
        for (int e = pick(4) + (v == 3 ? 1 : 0); e > 0; --e) {
            char date[24];
            std::snprintf(date, sizeof date, "202612%02d", 7 + pick(24));
            service.exceptions.push_back({date, 1 + pick(2)});
        }
        feed.services.push_back(service);
    }
    // A service whose only line takes its only day away: it runs on no day.
    feed.services.push_back({"EMPTY", 0, "", "", {{"20261210", 2}}});
    // Fares by route and zones (a field left empty matches any), some by the zones passed.
    const auto anyOf = [&](const std::vector<std::string>& values) {
        return pick(3) == 0 ? std::string() : values[static_cast<std::size_t>(pick(3))];
    };
    for (int f = pick(4); f > 0; --f) {
        FeedFare fare;
        fare.id = "F" + std::to_string(f);
        fare.centimes = 100 + pick(5000);
        for (int r = pick(3); r > 0; --r) {
            if (pick(4) == 0) {
                for (int z = 0; z < 3; ++z) {
                    if (pick(2) == 0) fare.rules.push_back({"", "", "", "Z" + std::to_string(z)});
                }
            } else {
                fare.rules.push_back({anyOf({"R1", "R2", "R9"}), anyOf({"Z0", "Z1", "Z2"}),
                                      anyOf({"Z0", "Z1", "Z2"}), ""});
            }
        }
        feed.fares.push_back(fare);
    }
    const int trips = 2 + pick(10);
    for (int t = 0; t < trips; ++t) {
        FeedTrip trip;
        trip.id = "T" + std::to_string(t);
        trip.route = pick(2) == 0 ? "R1" : "R2";
        trip.service = feed.services[static_cast<std::size_t>(pick(5))].id;
        trip.number = std::to_string(100 + pick(4));  // numbers repeat, times differ or not
        int time = pick(4) == 0 ? 86400 + pick(3600) : pick(86400);  // some start after 24:00
        const int count = 2 + pick(stations - 1);
        int previous = -1;
        for (int k = 0; k < count; ++k) {
            int s = pick(stations);
            if (s == previous) s = (s + 1) % stations;
            previous = s;
            FeedStopTime st;
            st.stop = stopOf(s);
            time += k == 0 ? 0 : 60 * (5 + pick(90));
            st.arrival = time - time % 60;
            const int dwell = k == 0 || pick(2) == 0 ? 0 : 60 * pick(4);
            st.departure = st.arrival + dwell;
            // A dwell never runs over midnight, so a stop's day is its arrival's.
            if (st.departure / 86400 != st.arrival / 86400) st.departure = st.arrival;
            time = st.departure;
            st.pickup = pick(8) == 0 ? 1 : 0;
            st.dropoff = pick(8) == 0 ? 1 : 0;
            trip.stops.push_back(st);
        }
        feed.trips.push_back(trip);
        if (pick(4) == 0) {
            // The same run under the same number on another service: one train.
            FeedTrip twin = trip;
            twin.id += "b";
            twin.service = feed.services[static_cast<std::size_t>(pick(3))].id;
            feed.trips.push_back(twin);
        }
    }
    return feed;
}

}  // namespace zelvan::test
