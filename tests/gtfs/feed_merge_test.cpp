// Several feeds into one timetable: generated networks of three feeds sharing places, read back
// and compared with a plain reading of the feeds (the stations, the walks between feeds with
// their minutes, the trains and their days); feeds whose ids collide; feeds of two time zones.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <map>
#include <random>
#include <set>

#include "db/text.h"
#include "db/timetable_check.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "feed_maker.h"
#include "gtfs/gtfs_import.h"
#include "test_files.h"

namespace zelvan::test {
namespace {

namespace fs = std::filesystem;

double metresBetween(double lat1, double lon1, double lat2, double lon2) {
    const double rad = 3.14159265358979323846 / 180;
    const double a = std::pow(std::sin((lat2 - lat1) * rad / 2), 2) +
                     std::cos(lat1 * rad) * std::cos(lat2 * rad) *
                         std::pow(std::sin((lon2 - lon1) * rad / 2), 2);
    return 2 * 6371008.8 * std::asin(std::min(1.0, std::sqrt(a)));
}

// A point `metres` from (lat, lon) in a random direction.
std::pair<double, double> near(std::mt19937& random, double lat, double lon, double metres) {
    const double angle = std::uniform_real_distribution<double>(0, 6.283185307)(random);
    const double rad = 3.14159265358979323846 / 180;
    // As the feed writes it: six decimals.
    const auto six = [](double v) { return std::round(v * 1e6) / 1e6; };
    return {six(lat + metres * std::sin(angle) / 111195.0),
            six(lon + metres * std::cos(angle) / (111195.0 * std::cos(lat * rad)))};
}

// The network's trains as text, one line each: number, stops (station id and times), days.
using Trains = std::multiset<std::string>;

// The place a stop of the generated feeds stands at: "S3", "S3b" and "S3p" at place 3.
int placeOf(const std::string& stop) {
    return stop[1] - '0';
}

std::string trainLine(const std::string& number, const std::string& stops,
                      const std::set<int>& days) {
    std::string text = number + " |" + stops + "| ";
    for (int d : days) text += std::to_string(d) + " ";
    return text;
}

int dayNumber(const std::string& yyyymmdd) {
    using namespace std::chrono;
    const int v = std::stoi(yyyymmdd);
    return static_cast<int>(
        sys_days{year{v / 10000} / (v / 100 % 100) / (v % 100)}.time_since_epoch().count());
}

std::set<int> plainDays(const FeedService& s) {
    std::set<int> days;
    for (int d = dayNumber(s.start); s.weekdays != 0 && d <= dayNumber(s.end); ++d) {
        if (s.weekdays >> (((d % 7) + 7 + 3) % 7) & 1) days.insert(d);
    }
    return days;
}

// Three feeds over places 2 km apart. Each feed has a station near some places: within 40 m
// of the place, or 150 to 300 m, or 500 to 700 m from it; some are stop places of two
// platforms 20 m apart that share the name, some parent stations with a platform. Every feed
// runs its own trips; feed 2 publishes some of feed 1's trips again (same number and times,
// at its own stations within 40 m of feed 1's), on days that overlap or not.
struct Network {
    std::vector<Feed> feeds;
    // What a plain reading of the feeds expects.
    std::map<std::string, std::pair<double, double>> stations;  // "k:id" -> place
    std::set<std::tuple<std::string, std::string, int>> walks;
    Trains trains;
};

Network makeNetwork(std::mt19937& random) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    Network net;
    const int places = 6;
    // feed, place -> the stop id trains call at ("" none), and whether it lies within 40 m.
    std::map<std::pair<int, int>, std::pair<std::string, bool>> at;
    std::map<std::pair<int, int>, std::string> stationId;
    const std::vector<FeedService> services = {{"WK", 0b0011111, "20261207", "20261220", {}},
                                               {"LATE", 0b0011111, "20261214", "20261227", {}},
                                               {"WE", 0b1100000, "20261207", "20261227", {}}};
    // Places where feeds 1 and 2 both have a station within 40 m.
    std::vector<char> shared(places);
    for (char& p : shared) p = pick(2) == 0;
    for (int f = 0; f < 3; ++f) {
        Feed feed;
        feed.routes = {{"R", "IC"}};
        feed.services = services;
        for (int p = 0; p < places; ++p) {
            const bool both = f < 2 && shared[static_cast<std::size_t>(p)];
            if (!both && pick(5) == 0) continue;
            const double centreLat = 47.0 + 0.018 * (p % 3), centreLon = 8.0 + 0.027 * (p / 3);
            const int kind = both ? 0 : pick(3);
            const double metres = kind == 0   ? pick(40)
                                  : kind == 1 ? 150 + pick(150)
                                              : 500 + pick(200);
            const auto [lat, lon] = near(random, centreLat, centreLon, metres);
            const std::string id = "S" + std::to_string(p);
            const std::string name = "Place " + std::to_string(p) + " feed " + std::to_string(f);
            const int layout = pick(3);
            if (layout == 0) {
                // Two stops of one place, 20 m apart, one name: one station, the first's id.
                const auto [lat2, lon2] = near(random, lat, lon, 20);
                feed.stops.push_back({id, name, lat, lon, "", 0, "A"});
                feed.stops.push_back({id + "b", name, lat2, lon2, "", 0, "B"});
                at[{f, p}] = {pick(2) == 0 ? id : id + "b", kind == 0};
            } else if (layout == 1) {
                feed.stops.push_back({id, name, lat, lon, "", 1, ""});
                feed.stops.push_back({id + "p", name, lat, lon, id, 0, "1"});
                at[{f, p}] = {id + "p", kind == 0};
            } else {
                feed.stops.push_back({id, name, lat, lon, "", 0, ""});
                at[{f, p}] = {id, kind == 0};
            }
            stationId[{f, p}] = std::to_string(f + 1) + ":" + id;
        }
        net.feeds.push_back(feed);
    }
    // Trips: each feed its own, over two to four of its places.
    for (int f = 0; f < 3; ++f) {
        std::vector<int> own;
        for (int p = 0; p < places; ++p) {
            if (at.count({f, p})) own.push_back(p);
        }
        if (own.size() < 2) continue;
        for (int t = 0; t < 4; ++t) {
            std::shuffle(own.begin(), own.end(), random);
            if (f == 0 && t < 2) {
                // Feed 1's first trips call at shared places, which feed 2 may publish too.
                std::stable_partition(own.begin(), own.end(), [&](int p) {
                    return shared[static_cast<std::size_t>(p)] != 0;
                });
            }
            FeedTrip trip;
            trip.id = "T" + std::to_string(t);
            trip.route = "R";
            trip.service = services[static_cast<std::size_t>(pick(3))].id;
            trip.number = std::to_string(100 * (f + 1) + t);
            int time = 6 * 3600 + 60 * pick(600);
            const std::size_t count = std::min<std::size_t>(own.size(), 2 + pick(3));
            for (std::size_t k = 0; k < count; ++k) {
                trip.stops.push_back({at[{f, own[k]}].first, time, time});
                time += 60 * (5 + pick(20));
            }
            net.feeds[static_cast<std::size_t>(f)].trips.push_back(trip);
        }
    }
    // Feed 2 publishes feed 1's trips again where both call at places within 40 m.
    for (const FeedTrip& trip : std::vector<FeedTrip>(net.feeds[0].trips)) {
        bool close = true;
        FeedTrip twin = trip;
        twin.id = "twin" + trip.id;
        for (FeedStopTime& st : twin.stops) {
            const int p = placeOf(st.stop);
            close = close && at[{0, p}].second && at.count({1, p}) && at[{1, p}].second;
            if (at.count({1, p})) st.stop = at[{1, p}].first;
        }
        if (!close) continue;
        twin.service = services[static_cast<std::size_t>(pick(3))].id;
        net.feeds[1].trips.push_back(twin);
    }
    // The plain reading. A station's place is its own stop's (the first of a stop place).
    const auto coordinates = [&](const std::string& id) {
        const Feed& feed = net.feeds[static_cast<std::size_t>(id[0] - '1')];
        for (const FeedStop& s : feed.stops) {
            if (s.id == id.substr(2)) return std::make_pair(s.lat, s.lon);
        }
        return std::make_pair(0.0, 0.0);
    };
    struct Run {
        std::string number;
        std::vector<std::string> stations;
        std::string times;
        std::set<int> days;
        int feed;
    };
    std::vector<Run> runs;
    for (int f = 0; f < 3; ++f) {
        for (const FeedTrip& trip : net.feeds[static_cast<std::size_t>(f)].trips) {
            Run run{trip.number, {}, "", {}, f};
            for (const FeedStopTime& st : trip.stops) {
                run.stations.push_back(stationId[{f, placeOf(st.stop)}]);
                run.times += gtfsTime(st.arrival).substr(0, 5) + " ";
            }
            for (const FeedService& s : services) {
                if (s.id == trip.service) run.days = plainDays(s);
            }
            // Kept once where an earlier feed has it: same number and times, each station
            // within 100 m, a day in common.
            bool kept = false;
            for (Run& earlier : runs) {
                if (earlier.feed == f || earlier.number != run.number ||
                    earlier.times != run.times || earlier.stations.size() != run.stations.size()) {
                    continue;
                }
                bool same = true;
                for (std::size_t k = 0; k < run.stations.size(); ++k) {
                    const auto a = coordinates(earlier.stations[k]);
                    const auto b = coordinates(run.stations[k]);
                    same = same && metresBetween(a.first, a.second, b.first, b.second) <= 100;
                }
                std::vector<int> shared;
                std::set_intersection(earlier.days.begin(), earlier.days.end(), run.days.begin(),
                                      run.days.end(), std::back_inserter(shared));
                if (same && !shared.empty()) {
                    earlier.days.insert(run.days.begin(), run.days.end());
                    kept = true;
                    break;
                }
            }
            if (!kept) runs.push_back(run);
        }
    }
    for (const Run& run : runs) {
        std::string stops;
        std::size_t at = 0;
        for (const std::string& id : run.stations) {
            net.stations[id] = coordinates(id);
            stops += " " + id + " " + run.times.substr(at, 5);
            at += 6;
        }
        net.trains.insert(trainLine(run.number, stops, run.days));
    }
    for (const auto& [a, pa] : net.stations) {
        for (const auto& [b, pb] : net.stations) {
            if (a[0] == b[0]) continue;
            const double m = metresBetween(pa.first, pa.second, pb.first, pb.second);
            if (m <= 400) {
                net.walks.insert({a, b, std::max(2, static_cast<int>(std::ceil(m / 72.0)))});
            }
        }
    }
    return net;
}

TEST(SeveralFeeds, ANetworkOfThreeFeedsAnswersAsAPlainReadingOfThem) {
    std::mt19937 random(7);
    int walks = 0, twins = 0, rounds = 0;
    for (int round = 0; round < 40; ++round) {
        Network net = makeNetwork(random);
        TempDir dir;
        gtfs::ImportOptions options;
        for (std::size_t f = 0; f < net.feeds.size(); ++f) {
            const fs::path folder = dir / ("feed" + std::to_string(f));
            writeFeed(net.feeds[f], folder);
            options.feeds.push_back(folder);
        }
        options.out = dir / "out";
        gtfs::ImportSummary summary;
        std::string error;
        if (net.trains.empty()) continue;
        ASSERT_TRUE(gtfs::importGtfs(options, summary, error)) << round << ": " << error;
        ++rounds;
        ASSERT_TRUE(checkTimetable(fromUtf8(options.out.string())).passed()) << round;
        TimetableDb db;
        ASSERT_TRUE(db.load(fromUtf8(options.out.string())));
        std::vector<std::string> ids;
        for (std::size_t s = 0; s < db.stationNames.size(); ++s) {
            ids.push_back(toUtf8(db.extensions.stationExtras(static_cast<int>(s)).id));
        }
        std::set<std::string> expectedIds;
        for (const auto& [id, place] : net.stations) expectedIds.insert(id);
        EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()), expectedIds) << round;
        std::set<std::tuple<std::string, std::string, int>> actualWalks;
        for (const Walk& w : db.extensions.walks()) {
            actualWalks.insert({ids[static_cast<std::size_t>(w.from)],
                                ids[static_cast<std::size_t>(w.to)], w.minutes});
        }
        EXPECT_EQ(actualWalks, net.walks) << round;
        EXPECT_EQ(summary.walksMade, static_cast<long long>(actualWalks.size()));
        walks += static_cast<int>(actualWalks.size());
        Trains actual;
        for (int t = 0; t < static_cast<int>(db.trainIndex.size()); ++t) {
            TrainRecord train;
            db.decodeTrain(t, train);
            std::string number = toUtf8(db.extensions.displayNumber(t));
            if (number.empty()) number = toUtf8(train.name);
            std::string stops;
            for (const StopRecord& s : train.stops) {
                char time[8];
                std::snprintf(time, sizeof time, "%02d:%02d", s.arrivalHour, s.arrivalMinute);
                stops += " " + ids[static_cast<std::size_t>(s.station)] + " " + time;
            }
            const ServiceDays* days = db.extensions.serviceDays(t);
            ASSERT_NE(days, nullptr);
            std::set<int> set;
            for (int d = 0; d < static_cast<int>(days->bits.size()) * 8; ++d) {
                if (days->runsOn(d)) set.insert(dayNumber(std::to_string(days->first)) + d);
            }
            actual.insert(trainLine(number, stops, set));
        }
        EXPECT_EQ(actual, net.trains) << round;
        twins += static_cast<int>(summary.tripsPublishedTwice);
        ASSERT_EQ(summary.feeds.size(), 3u);
        EXPECT_EQ(summary.feeds[0].trains + summary.feeds[1].trains + summary.feeds[2].trains,
                  summary.trains);
    }
    // The rounds met what they are about.
    EXPECT_GT(rounds, 30);
    EXPECT_GT(walks, 20);
    EXPECT_GT(twins, 5);
}

// Two feeds that both have stop "A", route "R", service "D" and fare "F": each keeps its own,
// the fares by their own routes and zones; an error names its feed.
TEST(SeveralFeeds, IdsOfTwoFeedsStayApart) {
    Feed one;
    one.stops = {{"A", "Alpha", 47.0, 8.0, "", 0, "", "Z1"},
                 {"B", "Beta", 47.1, 8.0, "", 0, "", "Z2"}};
    one.routes = {{"R", "IC"}};
    one.services = {{"D", 0b1111111, "20261207", "20261213", {}}};
    one.trips = {{"t", "R", "D", "1", {{"A", 28800, 28800}, {"B", 30600, 30600}}}};
    one.fares = {{"F", 500, {{"R", "Z1", "Z2", ""}}}};
    Feed two = one;
    two.stops = {{"A", "Gamma", 46.0, 7.0, "", 0, "", "Z1"},
                 {"B", "Delta", 46.1, 7.0, "", 0, "", "Z2"}};
    two.fares = {{"F", 900, {{"R", "Z1", "Z2", ""}}}};
    TempDir dir;
    writeFeed(one, dir / "one");
    writeFeed(two, dir / "two");
    gtfs::ImportOptions options;
    options.feeds = {dir / "one", dir / "two"};
    options.out = dir / "out";
    gtfs::ImportSummary summary;
    std::string error;
    ASSERT_TRUE(gtfs::importGtfs(options, summary, error)) << error;
    EXPECT_EQ(summary.trains, 2);  // one train "1" in each feed, at other stations
    EXPECT_EQ(summary.walksMade, 0);
    TimetableDb db;
    ASSERT_TRUE(db.load(fromUtf8(options.out.string())));
    db.queryDate = 20261209;
    const auto fare = [&](const char16_t* from, const char16_t* to) {
        std::vector<ResultRow> rows;
        db.queryStationToStation(from, to, rows);
        return rows.size() == 1 ? toUtf8(rows[0].feedFare) : "rows: " + std::to_string(rows.size());
    };
    EXPECT_EQ(fare(u"Alpha", u"Beta"), "CHF 5.00");
    EXPECT_EQ(fare(u"Gamma", u"Delta"), "CHF 9.00");
    EXPECT_EQ(toUtf8(db.extensions.stationExtras(0).id), "1:A");
    EXPECT_EQ(toUtf8(db.extensions.stationExtras(2).id), "2:A");
    const std::string fares = readBytes(options.out / "x.fares");
    EXPECT_NE(fares.find("1:F\t5.00\tCHF\t1:R\t1:Z1\t1:Z2\t\n"), std::string::npos) << fares;
    EXPECT_NE(fares.find("2:F\t9.00\tCHF\t2:R\t2:Z1\t2:Z2\t\n"), std::string::npos) << fares;

    writeBytes(dir / "two" / "trips.txt", "route_id,service_id,trip_id\nNONE,D,t\n");
    EXPECT_FALSE(gtfs::importGtfs(options, summary, error));
    EXPECT_EQ(error, (dir / "two").string() + ": trips.txt:2: route_id NONE is not in routes.txt");
}

// A station without usable coordinates in a feed of the other feeds' zone: refused where a walk
// must be measured from it (the other feed's trains call near), taken where no other feed's
// train calls in the zone (the second feed only publishes the first one's trip again).
TEST(SeveralFeeds, AStationWithoutAPlaceIsRefusedOnlyWhereAWalkNeedsIt) {
    Feed one;
    one.stops = {{"A", "Alpha", 47.0, 8.0, "", 0, ""}, {"B", "Beta", 47.1, 8.0, "", 0, ""}};
    one.routes = {{"R", "IC"}};
    one.services = {{"D", 0b1111111, "20261207", "20261213", {}}};
    one.trips = {{"t", "R", "D", "1", {{"A", 28800, 28800}, {"B", 30600, 30600}}}};
    one.extra["stop_times.txt"] =
        "trip_id,arrival_time,departure_time,stop_id,stop_sequence,shape_dist_traveled\n"
        "t,08:00:00,08:00:00,A,1,0\nt,08:30:00,08:30:00,B,2,11000\n";
    Feed two = one;
    TempDir dir;
    writeFeed(one, dir / "one");
    writeBytes(dir / "one" / "stops.txt",
               "stop_id,stop_name,stop_lat,stop_lon\nA,Alpha,47.0,8.0\nB,Beta,,\n");
    writeFeed(two, dir / "two");
    writeBytes(dir / "two" / "stops.txt",
               "stop_id,stop_name,stop_lat,stop_lon\nA,Alpha,47.0,8.0\nB,Beta,,\n");
    gtfs::ImportOptions options;
    options.feeds = {dir / "one", dir / "two"};
    options.out = dir / "out";
    gtfs::ImportSummary summary;
    std::string error;
    EXPECT_TRUE(gtfs::importGtfs(options, summary, error)) << error;
    EXPECT_EQ(summary.tripsPublishedTwice, 1);  // Beta and Beta: without a place, one name
    two.trips.push_back({"u", "R", "D", "2", {{"A", 36000, 36000}, {"B", 37800, 37800}}});
    two.extra["stop_times.txt"] += "u,10:00:00,10:00:00,A,1,0\nu,10:30:00,10:30:00,B,2,11000\n";
    writeFeed(two, dir / "two");
    writeBytes(dir / "two" / "stops.txt",
               "stop_id,stop_name,stop_lat,stop_lon\nA,Alpha,47.0,8.0\nB,Beta,,\n");
    EXPECT_FALSE(gtfs::importGtfs(options, summary, error));
    EXPECT_EQ(error.rfind((dir / "one").string() + ": stops.txt:3: station Beta: ", 0), 0u)
        << error;
}

// Feeds in two time zones: each keeps its local times, the timetable's zone is the first
// feed's, no walk joins them however near, and the summary warns once.
TEST(SeveralFeeds, FeedsOfTwoTimeZonesAreNotJoined) {
    Feed one;
    one.stops = {{"A", "Alpha", 47.0, 8.0, "", 0, ""}, {"B", "Beta", 47.1, 8.0, "", 0, ""}};
    one.routes = {{"R", "IC"}};
    one.services = {{"D", 0b1111111, "20261207", "20261213", {}}};
    one.trips = {{"t", "R", "D", "1", {{"A", 28800, 28800}, {"B", 30600, 30600}}}};
    Feed two = one;
    two.timezone = "Europe/London";
    two.stops = {{"C", "Gamma", 47.0001, 8.0, "", 0, ""}, {"D", "Delta", 47.1001, 8.0, "", 0, ""}};
    two.trips = {{"t", "R", "D", "2", {{"C", 28800, 28800}, {"D", 30600, 30600}}}};
    TempDir dir;
    writeFeed(one, dir / "one");
    writeFeed(two, dir / "two");
    gtfs::ImportOptions options;
    options.feeds = {dir / "one", dir / "two"};
    options.out = dir / "out";
    gtfs::ImportSummary summary;
    std::string error;
    ASSERT_TRUE(gtfs::importGtfs(options, summary, error)) << error;
    EXPECT_EQ(summary.walksMade, 0);
    EXPECT_EQ(summary.warnings.size(), 1u);
    EXPECT_NE(summary.warnings.begin()->first.find("different time zones (Europe/London, "
                                                   "Europe/Zurich)"),
              std::string::npos);
    TimetableDb db;
    ASSERT_TRUE(db.load(fromUtf8(options.out.string())));
    EXPECT_EQ(toUtf8(db.extensions.timeZone()), "Europe/Zurich");
    db.queryDate = 20261209;
    std::vector<ResultRow> rows;
    db.queryStationToStation(u"Gamma", u"Delta", rows);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].departureTime, u"08:00");  // London's own 08:00

    // The same feeds in one zone: the stations 11 m apart are joined, two minutes each way.
    two.timezone = "Europe/Zurich";
    writeFeed(two, dir / "two");
    ASSERT_TRUE(gtfs::importGtfs(options, summary, error)) << error;
    EXPECT_EQ(summary.walksMade, 4);
    EXPECT_EQ(readBytes(options.out / "s.walks"),
              "from\tto\tminutes\n0\t2\t2\n2\t0\t2\n1\t3\t2\n3\t1\t2\n");
}

}  // namespace
}  // namespace zelvan::test

namespace zelvan::test {
namespace {

struct RealImport {
    explicit RealImport(std::vector<fs::path> feeds) {
        options.feeds = std::move(feeds);
        options.out = dir / "out";
        ok = gtfs::importGtfs(options, summary, error);
        if (ok) ok = db.load(fromUtf8(options.out.string()));
    }
    TempDir dir;
    gtfs::ImportOptions options;
    gtfs::ImportSummary summary;
    std::string error;
    bool ok = false;
    TimetableDb db;
};

// No shown name carries an id: neither a station's stop id nor a trip id of the bus feed.
void expectNoIdShown(TimetableDb& db) {
    for (std::size_t s = 0; s < db.stationNames.size(); ++s) {
        const std::string name = toUtf8(db.stationNames[s]);
        std::string id = toUtf8(db.extensions.stationExtras(static_cast<int>(s)).id);
        id = id.substr(id.find(':') == 1 ? 2 : 0);  // a feed's prefix
        EXPECT_EQ(name.find(id), std::string::npos) << name << " " << id;
        EXPECT_EQ(name.find("de:"), std::string::npos) << name;
    }
    for (int t = 0; t < static_cast<int>(db.trainIndex.size()); ++t) {
        const std::string number = toUtf8(db.extensions.displayNumber(t));
        EXPECT_EQ(number.find("31-752"), std::string::npos) << number;
    }
}

// The two real feeds beside the project, alone and together: the same counts, no id shown,
// and no walk between them (New York and Stuttgart: other countries, other time zones).
TEST(SeveralFeeds, TheRealFeedsAloneAndTogether) {
    const fs::path rail = ZELVAN_SHARED_FEED, bus = ZELVAN_SHARED_BUS_FEED;
    if (!fs::exists(rail) || !fs::exists(bus)) GTEST_SKIP() << "no " << rail << " or " << bus;
    RealImport alone({bus});
    ASSERT_TRUE(alone.ok) << alone.error;
    // 47 stops of 29 names; the stops of one name within 150 m are one station (31 places:
    // "Bahnhof" and "Tübinger Straße" stand in two places each).
    EXPECT_EQ(alone.summary.stations, 31);
    EXPECT_EQ(alone.summary.trips, 134);
    EXPECT_EQ(alone.summary.stopTimes, 1495);
    EXPECT_EQ(alone.summary.trains, 131);  // trips of one headsign, stops and times run as one
    expectNoIdShown(alone.db);
    alone.db.queryDate = 20200305;
    std::vector<ResultRow> rows;
    alone.db.queryTrainNumber(u"752", rows);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().trainName.substr(0, 6), u"752 → ");

    RealImport both({rail, bus});
    ASSERT_TRUE(both.ok) << both.error;
    EXPECT_EQ(both.summary.stations, 125 + 31);
    EXPECT_EQ(both.summary.trains, 2067 + 131);
    EXPECT_EQ(both.summary.walksMade, 0);
    EXPECT_TRUE(both.db.extensions.walks().empty());
    ASSERT_EQ(both.summary.feeds.size(), 2u);
    EXPECT_EQ(both.summary.feeds[0].stations, 125);
    EXPECT_EQ(both.summary.feeds[0].stopTimes, 22730);
    EXPECT_EQ(both.summary.feeds[1].trains, 131);
    EXPECT_EQ(toUtf8(both.db.extensions.timeZone()), "America/New_York");
    expectNoIdShown(both.db);
    EXPECT_TRUE(checkTimetable(fromUtf8(both.options.out.string())).passed());
}

// The railway with a generated feed of its zone whose stops stand near some of its stations:
// walks exactly where a stop lies within 400 m of a station, minutes at 1.2 m/s.
TEST(SeveralFeeds, TheRealFeedWithANeighbourOfItsZone) {
    const fs::path rail = ZELVAN_SHARED_FEED;
    if (!fs::exists(rail)) GTEST_SKIP() << "no " << rail;
    RealImport alone({rail});
    ASSERT_TRUE(alone.ok) << alone.error;
    // The railway's stations and places, by id.
    std::map<std::string, std::pair<double, double>> stations;
    for (std::size_t s = 0; s < alone.db.stationNames.size(); ++s) {
        const StationExtras e = alone.db.extensions.stationExtras(static_cast<int>(s));
        stations[toUtf8(e.id)] = {e.latitude, e.longitude};
    }
    // A bus feed with a stop 150 m from Jamaica (id 102), one 300 m from Penn Station (237) and
    // one 900 m from Montauk (141).
    std::mt19937 random(3);
    Feed buses;
    buses.timezone = "America/New_York";
    const auto place = [&](const std::string& id, double metres) {
        return near(random, stations.at(id).first, stations.at(id).second, metres);
    };
    const auto [jLat, jLon] = place("102", 150);
    const auto [pLat, pLon] = place("237", 300);
    const auto [mLat, mLon] = place("141", 900);
    buses.stops = {{"bus-J", "Jamaica Bus Terminal", jLat, jLon, "", 0, ""},
                   {"bus-P", "Penn Plaza", pLat, pLon, "", 0, ""},
                   {"bus-M", "Montauk Point Road", mLat, mLon, "", 0, ""}};
    buses.routes = {{"Q1", "Q1"}};
    buses.services = {{"D", 0b1111111, "20260921", "20261108", {}}};
    buses.trips = {{"b1", "Q1", "D", "", {{"bus-J", 28800, 28800}, {"bus-P", 32400, 32400}}},
                   {"b2", "Q1", "D", "", {{"bus-P", 36000, 36000}, {"bus-M", 54000, 54000}}}};
    TempDir dir;
    writeFeed(buses, dir / "buses");
    RealImport both({rail, dir / "buses"});
    ASSERT_TRUE(both.ok) << both.error;
    std::vector<std::string> ids;
    for (std::size_t s = 0; s < both.db.stationNames.size(); ++s) {
        ids.push_back(toUtf8(both.db.extensions.stationExtras(static_cast<int>(s)).id));
    }
    std::set<std::tuple<std::string, std::string, int>> expected, actual;
    for (const auto& [bus, lat, lon] :
         {std::make_tuple("2:bus-J", jLat, jLon), std::make_tuple("2:bus-P", pLat, pLon),
          std::make_tuple("2:bus-M", mLat, mLon)}) {
        for (const auto& [id, at] : stations) {
            const double m = metresBetween(lat, lon, at.first, at.second);
            if (m > 400) continue;
            const int minutes = std::max(2, static_cast<int>(std::ceil(m / 72.0)));
            expected.insert({"1:" + id, bus, minutes});
            expected.insert({bus, "1:" + id, minutes});
        }
    }
    for (const Walk& w : both.db.extensions.walks()) {
        const std::string from = ids[static_cast<std::size_t>(w.from)];
        const std::string to = ids[static_cast<std::size_t>(w.to)];
        // The railway's own walks (transfers.txt) stay as they were.
        if (from[0] == '1' && to[0] == '1') continue;
        actual.insert({from, to, w.minutes});
    }
    EXPECT_EQ(actual, expected);
    EXPECT_GE(expected.size(), 4u);  // Jamaica and Penn Station at least
    EXPECT_EQ(both.summary.walksMade, static_cast<long long>(expected.size()));
    expectNoIdShown(both.db);
    EXPECT_TRUE(checkTimetable(fromUtf8(both.options.out.string())).passed());
}

}  // namespace
}  // namespace zelvan::test
