// zelvan-cli on a timetable it imports from a GTFS feed: the summary, the railway's own fare in
// place of the four classes, platforms and boarding marks, the JSON of it, and a bad feed's
// error exit that leaves the output folder as it was; several feeds into one timetable.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_run.h"

namespace zelvan::test {
namespace {

void writeFeed(const std::filesystem::path& folder) {
    std::filesystem::create_directories(folder);
    writeBytes(folder / "agency.txt",
               "agency_id,agency_name,agency_url,agency_timezone\nA,Lake Rail,http://x,"
               "Europe/Zurich\n");
    writeBytes(folder / "stops.txt",
               "stop_id,stop_name,stop_lat,stop_lon,zone_id,location_type,parent_station,"
               "platform_code\nP,Alpha,47.0,8.0,Z1,1,,\nP1,Alpha,47.0,8.0,,0,P,3\n"
               "B,Beta,47.1,8.1,Z2,0,,\nC,Gamma,47.2,8.2,Z3,0,,\n");
    writeBytes(folder / "routes.txt",
               "route_id,agency_id,route_short_name,route_long_name,route_type\nR,A,IR,,2\n");
    writeBytes(folder / "trips.txt", "route_id,service_id,trip_id,trip_short_name\nR,S,T1,101\n");
    writeBytes(folder / "calendar.txt",
               "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,"
               "end_date\nS,1,1,1,1,1,1,1,20261201,20261231\n");
    writeBytes(folder / "stop_times.txt",
               "trip_id,arrival_time,departure_time,stop_id,stop_sequence,pickup_type,"
               "drop_off_type\nT1,08:00:00,08:00:00,P1,1,0,1\nT1,08:20:00,08:22:00,B,2,1,0\n"
               "T1,08:40:00,08:40:00,C,3,1,0\n");
    writeBytes(folder / "fare_attributes.txt",
               "fare_id,price,currency_type,payment_method,transfers\nF,8.5,CHF,0,0\n");
    writeBytes(folder / "fare_rules.txt",
               "fare_id,route_id,origin_id,destination_id,contains_id\nF,,Z1,Z3,\n");
}

TEST(ImportCommand, AnImportedTimetableShowsItsOwnFaresPlatformsAndMarks) {
    TempDir dir;
    writeFeed(dir.path() / "feed");
    const std::string out = (dir.path() / "data").string();
    Outcome imported = run(dir, {"import", "gtfs", (dir.path() / "feed").string(), out});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(imported.out.find("3 stations, 1 trains"), std::string::npos) << imported.out;

    // One fare column, the railway's price; no built-in class.
    Outcome route = run(dir, {"--data", out, "--date", "2026-12-10", "route", "Alpha", "Gamma"});
    ASSERT_EQ(route.exitCode, 0) << route.err;
    EXPECT_NE(route.out.find("票价"), std::string::npos) << route.out;
    EXPECT_EQ(route.out.find("硬座"), std::string::npos) << route.out;
    EXPECT_NE(route.out.find("CHF 8.50"), std::string::npos) << route.out;
    Outcome json =
        run(dir, {"--data", out, "--date", "2026-12-10", "--json", "route", "Alpha", "Beta"});
    const nlohmann::json rows = nlohmann::json::parse(json.out)["rows"];
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_TRUE(rows[0]["fare"].is_null());  // no rule covers Z1 to Z2
    EXPECT_TRUE(rows[0]["hardSeatFare"].is_null());

    Outcome stops = run(dir, {"--data", out, "--date", "2026-12-10", "stops", "101"});
    EXPECT_NE(stops.out.find("Alpha 3站台"), std::string::npos) << stops.out;
    EXPECT_NE(stops.out.find("Beta 仅下客"), std::string::npos) << stops.out;
    Outcome station = run(dir, {"--data", out, "--date", "2026-12-10", "station", "Beta"});
    EXPECT_NE(station.out.find("08:22 仅下客"), std::string::npos) << station.out;
    const nlohmann::json stopsJson = nlohmann::json::parse(
        run(dir, {"--data", out, "--date", "2026-12-10", "--json", "stops", "101"}).out);
    EXPECT_EQ(stopsJson["stops"][0]["platform"], "3");
    EXPECT_EQ(stopsJson["stops"][1]["board"], false);
    EXPECT_FALSE(stopsJson["stops"][0].contains("board"));

    // A feed that names a stop it does not have: an error by file and line, nothing written.
    writeBytes(dir.path() / "feed" / "stop_times.txt",
               "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
               "T1,08:00:00,08:00:00,P1,1\nT1,08:20:00,08:20:00,NOPE,2\n");
    Outcome bad = run(dir, {"import", "gtfs", (dir.path() / "feed").string(), out});
    EXPECT_NE(bad.exitCode, 0);
    EXPECT_NE(bad.err.find("stop_times.txt:3"), std::string::npos) << bad.err;
    Outcome still = run(dir, {"--data", out, "--date", "2026-12-10", "route", "Alpha", "Gamma"});
    EXPECT_NE(still.out.find("CHF 8.50"), std::string::npos) << still.out;
}

// Two feeds into one folder: the summary names each feed with its counts and the walks made
// (Gamma of the lake railway and the bus stop 60 m from it, both ways); the JSON says the same.
TEST(ImportCommand, SeveralFeedsIntoOneTimetable) {
    TempDir dir;
    writeFeed(dir.path() / "rail");
    const std::filesystem::path bus = dir.path() / "bus";
    std::filesystem::create_directories(bus);
    writeBytes(bus / "agency.txt",
               "agency_name,agency_url,agency_timezone\nLake Bus,http://y,Europe/Zurich\n");
    writeBytes(
        bus / "stops.txt",
        "stop_id,stop_name,stop_lat,stop_lon\nP,Gamma Post,47.2005,8.2\nQ,Hill,47.25,8.25\n");
    writeBytes(bus / "routes.txt", "route_id,route_short_name,route_type\nR,12,3\n");
    writeBytes(bus / "trips.txt", "route_id,service_id,trip_id,trip_headsign\nR,S,T1,Hill\n");
    writeBytes(bus / "calendar.txt",
               "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,"
               "end_date\nS,1,1,1,1,1,1,1,20261201,20261231\n");
    writeBytes(bus / "stop_times.txt",
               "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
               "T1,08:50:00,08:50:00,P,1\nT1,09:05:00,09:05:00,Q,2\n");
    const std::string out = (dir.path() / "data").string();
    Outcome imported =
        run(dir, {"import", "gtfs", (dir.path() / "rail").string(), bus.string(), out});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_NE(imported.out.find("5 stations, 2 trains"), std::string::npos) << imported.out;
    EXPECT_NE(imported.out.find("feed " + bus.string() +
                                " (Europe/Zurich): 2 stations, 1 trips, 2 stop times, 1 trains"),
              std::string::npos)
        << imported.out;
    EXPECT_NE(imported.out.find("walks made between the feeds' stations: 2;"), std::string::npos)
        << imported.out;
    // The bus without numbers shows its line and headsign.
    Outcome route =
        run(dir, {"--data", out, "--date", "2026-12-10", "route", "Gamma Post", "Hill"});
    EXPECT_NE(route.out.find("12 → Hill"), std::string::npos) << route.out;
    // Both feeds call a stop "P" (stored "1:P", "2:P"): each is found by the id its feed
    // publishes, or with the feed's number (Gamma Post is also a name starting with "P").
    const auto found = [&](const std::string& id) {
        Outcome r = run(dir, {"--data", out, "--json", "find", id});
        return nlohmann::json::parse(r.out)["names"];
    };
    EXPECT_EQ(found("P"), nlohmann::json::parse(R"(["Gamma Post", "Alpha"])"));
    EXPECT_EQ(found("1:P"), nlohmann::json::parse(R"(["Alpha"])"));

    Outcome json =
        run(dir, {"--json", "import", "gtfs", (dir.path() / "rail").string(), bus.string(), out});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const nlohmann::json summary = nlohmann::json::parse(json.out);
    EXPECT_EQ(summary["walksMade"], 2);
    ASSERT_EQ(summary["feeds"].size(), 2u);
    EXPECT_EQ(summary["feeds"][0]["stations"], 3);
    EXPECT_EQ(summary["feeds"][1]["trains"], 1);

    // One path only: a feed and no folder.
    Outcome usage = run(dir, {"import", "gtfs", bus.string()});
    EXPECT_EQ(usage.exitCode, 2) << usage.err;
}

// A bus line without numbers: "12" is no train number but its route's name, which stands for
// its runs. `stops 12` lists the day's runs to choose from, `--run K` shows one; a route of a
// longer name ("112") is no run of it, and a single run needs no choice.
TEST(ImportCommand, ARoutesNameListsItsRunsToChooseFrom) {
    TempDir dir;
    const std::filesystem::path bus = dir.path() / "bus";
    std::filesystem::create_directories(bus);
    writeBytes(bus / "agency.txt",
               "agency_name,agency_url,agency_timezone\nLake Bus,http://y,Europe/Zurich\n");
    writeBytes(bus / "stops.txt",
               "stop_id,stop_name,stop_lat,stop_lon\nP,Post,47.2,8.2\nQ,Hill,47.25,8.25\n");
    writeBytes(bus / "routes.txt", "route_id,route_short_name,route_type\nR,12,3\nL,112,3\n");
    writeBytes(bus / "trips.txt",
               "route_id,service_id,trip_id,trip_headsign\nR,S,late,Hill\nR,S,early,Hill\n"
               "R,S,back,Post\nR,W,sunday,Hill\nL,S,long,Hill\n");
    writeBytes(bus / "calendar.txt",
               "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,"
               "end_date\nS,1,1,1,1,1,1,1,20261201,20261231\nW,0,0,0,0,0,0,1,20261201,20261231\n");
    writeBytes(bus / "stop_times.txt",
               "trip_id,arrival_time,departure_time,stop_id,stop_sequence\n"
               "late,18:50:00,18:50:00,P,1\nlate,19:05:00,19:05:00,Q,2\n"
               "early,07:10:00,07:10:00,P,1\nearly,07:25:00,07:25:00,Q,2\n"
               "back,12:00:00,12:00:00,Q,1\nback,12:15:00,12:15:00,P,2\n"
               "sunday,06:00:00,06:00:00,P,1\nsunday,06:15:00,06:15:00,Q,2\n"
               "long,09:00:00,09:00:00,P,1\nlong,09:30:00,09:30:00,Q,2\n");
    const std::string out = (dir.path() / "data").string();
    Outcome imported = run(dir, {"import", "gtfs", bus.string(), out});
    ASSERT_EQ(imported.exitCode, 0) << imported.err;

    // Thursday: the three daily runs, by departure; the Sunday run is not that day's. On a
    // Sunday all four run.
    const std::vector<std::string> day = {"--data", out, "--date", "2026-12-10"};
    const auto ask = [&](std::vector<std::string> args) {
        args.insert(args.begin(), day.begin(), day.end());
        return run(dir, args);
    };
    Outcome listed = ask({"--json", "stops", "12"});
    ASSERT_EQ(listed.exitCode, 0) << listed.err;
    const nlohmann::json runs = nlohmann::json::parse(listed.out)["runs"];
    ASSERT_EQ(runs.size(), 3u) << listed.out;
    std::vector<std::string> order;
    for (const nlohmann::json& r : runs) {
        order.push_back(r["trainName"].get<std::string>() + " " +
                        r["departureTime"].get<std::string>());
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{"12 → Hill 07:10", "12 → Post 12:00", "12 → Hill 18:50"}));
    Outcome sunday = run(dir, {"--data", out, "--date", "2026-12-13", "--json", "stops", "12"});
    EXPECT_EQ(nlohmann::json::parse(sunday.out)["runs"].size(), 4u) << sunday.out;
    Outcome table = ask({"stops", "12"});
    EXPECT_NE(table.out.find("--run K"), std::string::npos) << table.out;

    Outcome second = ask({"--json", "stops", "12", "--run", "2"});
    ASSERT_EQ(second.exitCode, 0) << second.err;
    const nlohmann::json stops = nlohmann::json::parse(second.out);
    EXPECT_EQ(stops["trainName"], "12 → Post");
    ASSERT_EQ(stops["stops"].size(), 2u);
    EXPECT_EQ(stops["stops"][0]["station"], "Hill");

    Outcome beyond = ask({"stops", "12", "--run", "4"});
    EXPECT_EQ(beyond.exitCode, 1);
    EXPECT_NE(beyond.err.find("12"), std::string::npos) << beyond.err;

    // One run of its name: shown at once. A whole shown number keeps the number's lookup.
    Outcome single = ask({"--json", "stops", "112"});
    EXPECT_EQ(nlohmann::json::parse(single.out)["trainName"], "112 → Hill") << single.out;
    Outcome whole = ask({"--json", "stops", "12 → Post"});
    EXPECT_EQ(nlohmann::json::parse(whole.out)["trainName"], "12 → Post") << whole.out;
    Outcome none = ask({"--json", "stops", "13"});
    EXPECT_EQ(nlohmann::json::parse(none.out)["trainName"], "") << none.out;
}

}  // namespace
}  // namespace zelvan::test
