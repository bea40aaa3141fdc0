// zelvan-cli --json journey against the plain enumeration of the journey rules, on random
// timetables the tool has never seen; journeys and rides written as calendar files; the
// wheelchair and bicycle marks of a timetable that gives them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

#include "cli_run.h"
#include "compiler/timetable_source.h"
#include "db/text.h"
#include "journey_oracle.h"

namespace zelvan::test {
namespace {

// Minutes from midnight starting `date` of a JSON date and time.
int minutesOf(DateKey date, const std::string& day, const std::string& time) {
    const DateKey key = std::stoi(day.substr(0, 4)) * 10000 + std::stoi(day.substr(5, 2)) * 100 +
                        std::stoi(day.substr(8, 2));
    int offset = 0;
    while (shiftDate(date, offset) < key) ++offset;
    while (shiftDate(date, offset) > key) --offset;
    return offset * 24 * 60 + std::stoi(time.substr(0, 2)) * 60 + std::stoi(time.substr(3, 2));
}

TEST(JourneyCommand, AgreesWithPlainEnumerationOnRandomTimetables) {
    std::mt19937 random(808);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const DateKey date = 20260315;
    const std::string places[] = {"甲", "乙", "丙", "淮南", "丁", "戊"};
    int journeys = 0;
    int arrivingBy = 0;
    for (int round = 0; round < 30; ++round) {
        TimetableSource source = randomJourneyTimetable(random, date);
        // Half the timetables with an imported timetable's walks, change times, closed stops
        // and wheelchair access.
        if (round % 2 == 1) addRandomTables(random, source);
        TempDir dir;
        TimetableDb db;
        ASSERT_TRUE(loadTimetable(source, dir.path(), db));
        JourneyOracle oracle(db);
        for (int q = 0; q < 3; ++q) {
            const std::string from = places[pick(6)];
            const std::string to = places[pick(6)];
            JourneyOptions options;
            options.afterMinutes = pick(2) == 0 ? 0 : pick(24 * 60);
            options.maxChanges = pick(kMaxJourneyChanges + 1);
            char after[32];
            std::snprintf(after, sizeof after, "%02d:%02d", options.afterMinutes / 60,
                          options.afterMinutes % 60);
            std::vector<std::string> args = {"--data",
                                             dir.path().string(),
                                             "--date",
                                             "2026-03-15",
                                             "--json",
                                             "journey",
                                             from,
                                             to,
                                             "--after",
                                             after,
                                             "--max-changes",
                                             std::to_string(options.maxChanges)};
            if (pick(2) == 0) {
                // "HH:MM", or "+1" / "+2" days after the day of travel.
                options.arriveByMinutes = pick(3 * 24 * 60);
                char by[32];
                std::snprintf(by, sizeof by, "%02d:%02d", options.arriveByMinutes % 1440 / 60,
                              options.arriveByMinutes % 60);
                std::string text = by;
                if (options.arriveByMinutes >= 1440) {
                    text += "+" + std::to_string(options.arriveByMinutes / 1440);
                }
                args.insert(args.end(), {"--arrive-by", text});
            }
            std::string via;
            if (pick(3) == 0) {
                via = places[pick(6)];
                options.viaMinutes = pick(2) == 0 ? 0 : pick(90);
                args.insert(args.end(),
                            {"--via", via, "--via-minutes", std::to_string(options.viaMinutes)});
                options.viaStations = oracle.placeStations(fromUtf8(via));
            }
            if (pick(3) == 0) {
                options.stepFree = true;
                args.push_back("--step-free");
            }
            TempDir scratch;
            Outcome r = run(scratch, args);
            const std::u16string wideFrom = fromUtf8(from);
            const std::u16string wideTo = fromUtf8(to);
            if (oracle.placeStations(wideFrom).empty() || oracle.placeStations(wideTo).empty() ||
                (!via.empty() && options.viaStations.empty())) {
                EXPECT_EQ(r.exitCode, 1);
                EXPECT_EQ(r.out, "");
                continue;
            }
            // A via place that is one of the two is refused as a question of its own.
            const auto among = [](const std::vector<int>& list, int s) {
                return std::find(list.begin(), list.end(), s) != list.end();
            };
            bool viaAtAnEnd = false;
            for (const std::u16string& end : {wideFrom, wideTo}) {
                for (int s : oracle.placeStations(end)) viaAtAnEnd |= among(options.viaStations, s);
            }
            if (viaAtAnEnd) {
                EXPECT_EQ(r.exitCode, 1);
                EXPECT_EQ(r.err, "途经站是出发地或目的地：" + via + "\n");
                continue;
            }
            ASSERT_EQ(r.exitCode, 0) << r.err;
            const nlohmann::json document = nlohmann::json::parse(r.out);
            std::set<Triple> found;
            for (const nlohmann::json& j : document.at("journeys")) {
                Journey journey;
                journey.departure = minutesOf(date, j.at("departureDate"), j.at("departureTime"));
                journey.arrival = minutesOf(date, j.at("arrivalDate"), j.at("arrivalTime"));
                journey.changes = j.at("changes");
                EXPECT_EQ(j.at("durationMinutes"), journey.arrival - journey.departure);
                for (const nlohmann::json& l : j.at("legs")) {
                    JourneyLeg leg;
                    leg.train = l.at("trainIndex");
                    leg.fromStop = l.at("fromSequence");
                    leg.toStop = l.at("toSequence");
                    leg.departure = minutesOf(date, l.at("departureDate"), l.at("departureTime"));
                    leg.arrival = minutesOf(date, l.at("arrivalDate"), l.at("arrivalTime"));
                    TrainRecord train;
                    db.decodeTrain(leg.train, train);
                    ASSERT_LT(static_cast<std::size_t>(leg.toStop), train.stops.size());
                    leg.fromStation = train.stops[static_cast<std::size_t>(leg.fromStop)].station;
                    leg.toStation = train.stops[static_cast<std::size_t>(leg.toStop)].station;
                    EXPECT_EQ(l.at("trainName"), toUtf8(train.name));
                    EXPECT_EQ(l.at("fromStation"), toUtf8(db.stationNameByIndex(leg.fromStation)));
                    EXPECT_EQ(l.at("toStation"), toUtf8(db.stationNameByIndex(leg.toStation)));
                    EXPECT_EQ(l.at("row").at("status"), 0);
                    journey.legs.push_back(leg);
                }
                EXPECT_EQ(oracle.check(journey, wideFrom, wideTo, date, options), "")
                    << from << " -> " << to << ": " << j.dump();
                found.insert({journey.departure, journey.arrival, journey.changes});
                ++journeys;
            }
            EXPECT_EQ(found, oracle.unbeaten(wideFrom, wideTo, date, options))
                << "round " << round << ": " << from << " -> " << to << " after " << after
                << " changes " << options.maxChanges << " by " << options.arriveByMinutes << " via "
                << via;
            EXPECT_EQ(found.size(), document.at("journeys").size());
            // Arriving by a time, the latest departure first.
            if (options.arriveByMinutes != kNoArriveBy) {
                std::vector<std::string> departures;
                for (const nlohmann::json& j : document.at("journeys")) {
                    departures.push_back(j.at("departureDate").get<std::string>() +
                                         j.at("departureTime").get<std::string>());
                }
                EXPECT_TRUE(std::is_sorted(departures.rbegin(), departures.rend()));
                arrivingBy += departures.size() > 1;
            }
        }
    }
    EXPECT_GT(journeys, 15);
    EXPECT_GT(arrivingBy, 1);
}

// A small railway in New York's zone whose tables say who can ride: 1912 from Penn Station
// (platform 17) at 23:30 to Jamaica takes wheelchairs and bicycles, 2001 on to Ronkonkoma
// after midnight takes neither, 3001 an hour later takes wheelchairs (and says nothing of
// bicycles); every station is step-free.
class TripFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(compileSourceText(
            {{"stations.tsv", "name\ttrains\nPenn Station\t*\nJamaica\t*\nRonkonkoma\t*\n"},
             {"trains.tsv",
              "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
              "1912\t1\t0\t20260101\t20261231\t0\n2001\t1\t0\t20260101\t20261231\t0\n"
              "3001\t1\t0\t20260101\t20261231\t0\n"},
             {"stops.tsv",
              "train\tstation\tarrival\tdwell\tkm\n"
              "1912\tPenn Station\t23:30\t0\t0\n1912\tJamaica\t23:50\t0\t15\n"
              "2001\tJamaica\t00:40\t0\t0\n2001\tRonkonkoma\t03:10\t0\t60\n"
              "3001\tJamaica\t01:45\t0\t0\n3001\tRonkonkoma\t04:20\t0\t60\n"},
             {"rules.txt", "1 1\n"},
             // Trains 0 (1912), 1 (2001), 2 (3001); stations 0 to 2 as listed.
             {"t.stops", "train\tstop\tboard\talight\tplatform\n0\t0\t1\t1\t17\n"},
             {"t.more",
              "train\tnumber\ttype\troute\twheelchair\tbikes\n0\t\t\t\t1\t1\n"
              "1\t\t\t\t2\t2\n2\t\t\t\t1\t\n"},
             {"s.more",
              "station\tid\tlatitude\tlongitude\tchange\tzone\twheelchair\n"
              "0\tNYK\t\t\t\t\t1\n1\tJAM\t\t\t\t\t1\n2\tRON\t\t\t\t\t1\n"},
             {"x.feed", "key\tvalue\ntimezone\tAmerica/New_York\nsource\tLIRR\ntariff\tnone\n"}},
            dir_.path(), error))
            << error;
    }

    Outcome ask(std::vector<std::string> args, const std::vector<std::string>& env = {}) {
        args.insert(args.begin(), {"--data", dir_.path().string(), "--date", "2026-10-31"});
        return run(scratch_, args, env);
    }

    // The file read back by Debian's iCalendar parser, one line per event.
    static std::string readBack(const std::filesystem::path& file) {
        const std::string command =
            "/usr/bin/python3 " ZELVAN_CHECK_CALENDAR " " + file.string() + " 2>&1";
        std::string lines;
        if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[4096];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) lines.append(buffer, n);
            EXPECT_EQ(::pclose(pipe), 0) << lines;
        }
        return lines;
    }

    TempDir dir_;
    TempDir scratch_;
};

TEST_F(TripFiles, AJourneyAndARideGoIntoCalendarFilesWithOneUidPerRide) {
    const std::filesystem::path journey = scratch_ / "journey.ics";
    Outcome r = ask({"journey", "Penn Station", "Ronkonkoma", "--ics", journey.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string events = readBack(journey);
    EXPECT_EQ(
        events,
        "20261031-ed8432d384d32dcc@zelvan|LIRR 1912 Penn Station → Jamaica|Penn Station "
        "17站台|第1程，共2程|2026-10-31 23:30 America/New_York|2026-10-31 23:50 "
        "America/New_York|2026-11-01 03:30Z\n"
        "20261101-8b8ea47fc044b600@zelvan|LIRR 2001 Jamaica → Ronkonkoma|Jamaica|第2程，共2程|"
        "2026-11-01 00:40 America/New_York|2026-11-01 03:10 America/New_York|2026-11-01 "
        "04:40Z\n");
    // In English the texts are English, the rides the same.
    r = ask({"journey", "Penn Station", "Ronkonkoma", "--ics", journey.string()},
            {"LANG=en_US.UTF-8"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(readBack(journey).find("|Penn Station platform 17|Leg 1 of 2|"), std::string::npos);
    // The ride of 1912 alone, from the rows of route: the same UID, so a calendar keeps one.
    const std::filesystem::path ride = scratch_ / "ride.ics";
    r = ask({"route", "Penn Station", "Jamaica", "--ics", ride.string(), "--train", "1912"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("1912"), std::string::npos);  // the table as ever
    EXPECT_EQ(readBack(ride).substr(0, 34), "20261031-ed8432d384d32dcc@zelvan|L");
    // What cannot be written is said, with exit status 1.
    r = ask(
        {"journey", "Penn Station", "Ronkonkoma", "--ics", ride.string(), "--ics-journey", "2"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "no journey 2 to write to " + ride.string() + "\n");
    r = ask({"route", "Penn Station", "Jamaica", "--ics", ride.string(), "--train", "2001"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "no train 2001 in the answer to write to " + ride.string() + "\n");
    r = ask({"route", "Penn Station", "Jamaica", "--ics", ride.string()});
    EXPECT_EQ(r.exitCode, 2);  // --ics needs --train
    const std::string nowhere = (scratch_ / "no such folder" / "x.ics").string();
    r = ask({"journey", "Penn Station", "Ronkonkoma", "--ics", nowhere});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.substr(0, 15 + nowhere.size()), "cannot write " + nowhere + ": ");
}

TEST_F(TripFiles, MarksWhatTheTimetableSaysOfWheelchairsAndBicyclesAndGoesStepFree) {
    Outcome r = ask({"route", "Penn Station", "Jamaica"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("1912 无障碍 可带自行车 "), std::string::npos) << r.out;
    r = ask({"route", "Penn Station", "Jamaica"}, {"LANG=en_US.UTF-8"});
    EXPECT_NE(r.out.find("1912 step-free bikes "), std::string::npos) << r.out;
    // 2001 says no to both, 3001 nothing of bicycles: no mark for either.
    r = ask({"--json", "route", "Jamaica", "Ronkonkoma"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const nlohmann::json rows = nlohmann::json::parse(r.out).at("rows");
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].at("bikes"), false);
    EXPECT_EQ(rows[0].at("wheelchair"), false);
    EXPECT_FALSE(rows[1].contains("bikes"));
    EXPECT_EQ(rows[1].at("wheelchair"), true);
    r = ask({"stops", "1912"});
    EXPECT_NE(r.out.find("Penn Station 17站台 无障碍"), std::string::npos) << r.out;
    r = ask({"--json", "stops", "1912"});
    const nlohmann::json stops = nlohmann::json::parse(r.out);
    EXPECT_EQ(stops.at("bikes"), true);
    EXPECT_EQ(stops.at("wheelchair"), true);
    EXPECT_EQ(stops.at("stops")[0].at("wheelchair"), true);
    // Step-free: not 2001, so 3001 an hour later.
    r = ask({"journey", "Penn Station", "Ronkonkoma", "--step-free", "--legs"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("1912→3001"), std::string::npos) << r.out;
    EXPECT_EQ(r.out.find("2001"), std::string::npos) << r.out;
    // A timetable that says nothing of access has no step-free journey, and says why.
    r = run(scratch_, {"--date", "2026-06-01", "journey", "青岛", "宁波东", "--step-free"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "没有查到相关结果\n");
    EXPECT_EQ(r.err,
              "the timetable says nothing of wheelchair access: no journey is step-free by it\n");
}

TEST_F(TripFiles, BatchLinesAskWhatTheCommandAsks) {
    // arriveBy, via and stepFree give the documents of --arrive-by, --via and --step-free.
    const std::vector<std::pair<std::string, std::vector<std::string>>> questions = {
        {R"({"command":"journey","from":"Penn Station","to":"Ronkonkoma","arriveBy":"04:30+1"})",
         {"--arrive-by", "04:30+1"}},
        {R"({"command":"journey","from":"Penn Station","to":"Ronkonkoma","via":"Jamaica",)"
         R"("viaMinutes":60})",
         {"--via", "Jamaica", "--via-minutes", "60"}},
        {R"({"command":"journey","from":"Penn Station","to":"Ronkonkoma","stepFree":true})",
         {"--step-free"}},
    };
    std::string lines;
    std::string expected;
    for (const auto& [line, options] : questions) {
        lines += line + "\n";
        std::vector<std::string> args = {"--json", "journey", "Penn Station", "Ronkonkoma"};
        args.insert(args.end(), options.begin(), options.end());
        const Outcome one = ask(args);
        ASSERT_EQ(one.exitCode, 0) << one.err;
        expected += one.out;
    }
    lines += R"({"command":"journey","from":"Penn Station","to":"Ronkonkoma","stepFree":1})"
             "\n";
    expected += R"({"error":"\"stepFree\" is not true or false"})"
                "\n";
    lines += R"({"command":"journey","from":"Penn Station","to":"Ronkonkoma","arriveBy":"4:30"})"
             "\n";
    expected += R"({"error":"\"arriveBy\" is not a time HH:MM, HH:MM+1 or HH:MM+2"})"
                "\n";
    writeBytes(scratch_ / "questions", lines);
    const Outcome r =
        run(scratch_, {"--data", dir_.path().string(), "--date", "2026-10-31", "batch"}, {},
            (scratch_ / "questions").string());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, expected);
    // Through Jamaica with an hour there: 3001, not 2001.
    EXPECT_NE(expected.find("\"trainName\":\"3001\""), std::string::npos);
}

}  // namespace
}  // namespace zelvan::test
