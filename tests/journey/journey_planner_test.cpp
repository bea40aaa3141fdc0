// The journey planner against a plain enumeration of the rules on random timetables, and on
// hand-built timetables whose answers are written out.
#include <gtest/gtest.h>

#include <array>
#include <map>
#include <sstream>

#include "compiler/timetable_source.h"
#include "db/text.h"
#include "fare/result_row.h"
#include "journey/journey_planner.h"
#include "journey/journey_rows.h"
#include "journey_oracle.h"
#include "test_files.h"

namespace zelvan::test {
namespace {

std::string describe(const TimetableSource& source) {
    std::string text;
    for (const SourceTrain& train : source.trains) {
        text += toUtf8(train.name) + " " + std::to_string(train.validFrom) + "-" +
                std::to_string(train.validUntil) + " r" + std::to_string(train.ruleNumber) + ":";
        for (const SourceStop& stop : train.stops) {
            text += " " + toUtf8(stop.station) + "@" + std::to_string(stop.arrivalHour) + ":" +
                    std::to_string(stop.arrivalMinute) + "+" + std::to_string(stop.dwellMinutes);
        }
        text += "\n";
    }
    return text;
}

std::set<Triple> triples(const std::vector<Journey>& journeys) {
    std::set<Triple> out;
    for (const Journey& j : journeys) out.insert({j.departure, j.arrival, j.changes});
    return out;
}

std::string render(const std::set<Triple>& triples) {
    std::string text;
    for (const Triple& t : triples) {
        text += toUtf8(journeyTimeText(t.departure)) + "-" + toUtf8(journeyTimeText(t.arrival)) +
                "/" + std::to_string(t.changes) + " ";
    }
    return text;
}

TEST(JourneyPlanner, AgreesWithPlainEnumerationOnRandomTimetables) {
    std::mt19937 random(20260315);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const DateKey date = 20260315;
    const std::u16string places[] = {u"甲", u"乙", u"丙", u"淮南", u"淮北", u"丁", u"戊", u"甲东"};
    int compared = 0;
    std::array<int, kMaxJourneyChanges + 1> byChanges{};
    int placeChanges = 0;
    for (int round = 0; round < 160; ++round) {
        const TimetableSource source = randomJourneyTimetable(random, date);
        TempDir dir;
        TimetableDb db;
        ASSERT_TRUE(loadTimetable(source, dir.path(), db));
        JourneyPlanner planner(db);
        JourneyOracle oracle(db);
        for (int q = 0; q < 5; ++q) {
            const std::u16string& from = places[pick(8)];
            const std::u16string& to = places[pick(8)];
            JourneyOptions options;
            options.afterMinutes = pick(3) == 0 ? 0 : pick(24 * 60);
            options.maxChanges = pick(3) == 0 ? pick(4) : 2 + pick(2);
            options.changeMinutes = pick(2) == 0 ? 20 : pick(90);
            options.placeChangeMinutes = pick(2) == 0 ? 60 : pick(90);
            const std::vector<Journey> journeys = planner.plan(from, to, date, options);
            const std::set<Triple> expected = oracle.unbeaten(from, to, date, options);
            const std::string question = toUtf8(from + u" -> " + to) + " after " +
                                         std::to_string(options.afterMinutes) + " changes " +
                                         std::to_string(options.maxChanges) + " waits " +
                                         std::to_string(options.changeMinutes) + "/" +
                                         std::to_string(options.placeChangeMinutes);
            ASSERT_EQ(render(triples(journeys)), render(expected))
                << "round " << round << ": " << question << "\n"
                << describe(source);
            EXPECT_EQ(journeys.size(), expected.size()) << "one journey per triple";
            EXPECT_TRUE(std::is_sorted(journeys.begin(), journeys.end(), [](auto& a, auto& b) {
                return std::tie(a.departure, a.arrival, a.changes) <
                       std::tie(b.departure, b.arrival, b.changes);
            }));
            for (const Journey& journey : journeys) {
                ASSERT_EQ(oracle.check(journey, from, to, date, options), "")
                    << "round " << round << ": " << question << "\n"
                    << describe(source);
                ++byChanges[static_cast<std::size_t>(journey.changes)];
                for (std::size_t i = 1; i < journey.legs.size(); ++i) {
                    placeChanges += journey.legs[i].fromStation != journey.legs[i - 1].toStation;
                }
            }
            // Every leg's row shows its stretch, running on the day it is boarded, its travel
            // time the leg's.
            for (const JourneyRow& row : journeyRows(db, journeys, date)) {
                for (const LegRow& leg : row.legs) {
                    EXPECT_EQ(leg.row.status, 0);
                    EXPECT_EQ(leg.row.departureStation, db.stationNameByIndex(leg.leg.fromStation));
                    EXPECT_EQ(leg.row.arrivalStation, db.stationNameByIndex(leg.leg.toStation));
                    EXPECT_EQ(leg.row.travelTimeText,
                              durationText(leg.leg.arrival - leg.leg.departure));
                }
            }
            ++compared;
        }
    }
    EXPECT_EQ(compared, 800);
    // The timetables do make people change, up to three times, and between stations of a place.
    EXPECT_GT(byChanges[1], 100);
    EXPECT_GT(byChanges[2], 30);
    EXPECT_GE(byChanges[3], 5);
    EXPECT_GT(placeChanges, 50);
}

TEST(JourneyPlanner, ArriveByViaStepFreeAndLongJourneysAgreeWithPlainEnumeration) {
    // Imported timetables' tables too: walks, change times, stops closed to boarding or
    // alighting, wheelchair access said yes, no or nothing.
    std::mt19937 random(20260923);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const DateKey date = 20260315;
    const std::u16string places[] = {u"甲", u"乙", u"丙", u"淮南", u"淮北", u"丁", u"戊", u"甲东"};
    int compared = 0;
    int found = 0;
    std::map<std::string, int> kinds;  // questions with answers, by what they asked
    int walked = 0;
    std::array<int, kMaxJourneyChanges + 1> byChanges{};
    for (int round = 0; round < 150; ++round) {
        // Every third timetable a long line, where journeys change again and again.
        const bool line = round % 3 == 2;
        TimetableSource source =
            line ? longLineTimetable(random, date) : randomJourneyTimetable(random, date);
        addRandomTables(random, source);
        TempDir dir;
        TimetableDb db;
        ASSERT_TRUE(loadTimetable(source, dir.path(), db));
        JourneyPlanner planner(db);
        JourneyOracle oracle(db);
        // A long line's places are its stations' names.
        const auto place = [&]() -> std::u16string {
            return line ? source
                              .stations[static_cast<std::size_t>(
                                  pick(static_cast<int>(source.stations.size())))]
                              .name
                        : places[pick(8)];
        };
        // ... and half the questions on one are from one end to the other.
        std::u16string firstPlace = source.stations.front().name;
        std::u16string lastPlace;
        for (const SourceStation& station : source.stations) {
            if (station.name.size() == 1) lastPlace = station.name;
        }
        for (int q = 0; q < 5; ++q) {
            const bool ends = line && pick(2) == 0;
            const std::u16string from = ends ? firstPlace : place();
            const std::u16string to = ends ? lastPlace : place();
            JourneyOptions options;
            options.afterMinutes = pick(3) == 0 ? 0 : pick(24 * 60);
            // The far end of the range of changes only now and then: the plain enumeration
            // grows with every leg.
            options.maxChanges = line && pick(2) == 0   ? kMaxJourneyChanges
                                 : line || pick(6) == 0 ? 3 + pick(4)
                                                        : pick(4);
            options.changeMinutes = pick(2) == 0 ? 20 : pick(90);
            options.changeMinutesGiven = pick(3) == 0;
            options.placeChangeMinutes = pick(2) == 0 ? 60 : pick(90);
            std::vector<std::string> asked;
            if (pick(2) == 0) {
                options.arriveByMinutes =
                    std::min(3 * 24 * 60 - 1, options.afterMinutes + 60 + pick(2 * 24 * 60));
                asked.push_back("arrive-by");
            }
            if (pick(2) == 0) {
                options.viaStations = oracle.placeStations(place());
                options.viaMinutes = pick(2) == 0 ? 0 : pick(120);
                asked.push_back("via");
            }
            if (pick(2) == 0) {
                options.stepFree = true;
                asked.push_back("step-free");
            }
            if (asked.size() > 1) asked.push_back("several");
            const std::vector<Journey> journeys = planner.plan(from, to, date, options);
            const std::set<Triple> expected = oracle.unbeaten(from, to, date, options);
            std::string question = toUtf8(from + u" -> " + to) + " after " +
                                   std::to_string(options.afterMinutes) + " by " +
                                   std::to_string(options.arriveByMinutes) + " changes " +
                                   std::to_string(options.maxChanges) + " waits " +
                                   std::to_string(options.changeMinutes) + "/" +
                                   std::to_string(options.placeChangeMinutes) + " via";
            for (int v : options.viaStations) question += " " + std::to_string(v);
            question += " stay " + std::to_string(options.viaMinutes);
            if (render(triples(journeys)) != render(expected)) {
                std::ostringstream trace;
                planner.setTrace(&trace);
                planner.plan(from, to, date, options);
                planner.setTrace(nullptr);
                ADD_FAILURE() << trace.str();
            }
            ASSERT_EQ(render(triples(journeys)), render(expected))
                << "round " << round << ": " << question << " given " << options.changeMinutesGiven
                << "\n"
                << describe(source) << source.extensions["s.walks"] << source.extensions["s.more"]
                << source.extensions["t.more"] << source.extensions["t.stops"];
            EXPECT_EQ(journeys.size(), expected.size()) << "one journey per triple";
            for (const Journey& journey : journeys) {
                ASSERT_EQ(oracle.check(journey, from, to, date, options), "")
                    << "round " << round << ": " << question << "\n"
                    << describe(source);
                ++byChanges[static_cast<std::size_t>(journey.changes)];
                for (std::size_t i = 1; i < journey.legs.size(); ++i) {
                    const int a = journey.legs[i - 1].toStation;
                    const int b = journey.legs[i].fromStation;
                    walked += a != b && !oracle.onePlace(a, b);
                }
            }
            for (const std::string& kind : asked) kinds[kind] += !journeys.empty();
            found += static_cast<int>(journeys.size());
            ++compared;
        }
    }
    EXPECT_EQ(compared, 750);
    // Every kind of question found journeys, some of them walking between two stations, and
    // some with every number of changes up to the most.
    for (const char* kind : {"arrive-by", "via", "step-free", "several"}) {
        EXPECT_GT(kinds[kind], 10) << kind;
    }
    EXPECT_GT(walked, 10);
    for (int changes = 0; changes <= kMaxJourneyChanges; ++changes) {
        EXPECT_GT(byChanges[static_cast<std::size_t>(changes)], 1) << changes << " changes";
    }
    EXPECT_GT(found, 100);
}

// Hand-built timetables from readable source text; the journeys as "dep-arr/changes trains".
class Journeys : public ::testing::Test {
  protected:
    void load(const std::string& stations, const std::string& trains, const std::string& stops,
              const std::string& rules = "1 1\n",
              const std::map<std::string, std::string>& tables = {}) {
        std::string error;
        std::map<std::string, std::string> files = {
            {"stations.tsv", "name\ttrains\n" + stations},
            {"trains.tsv", "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n" + trains},
            {"stops.tsv", "train\tstation\tarrival\tdwell\tkm\n" + stops},
            {"rules.txt", rules}};
        files.insert(tables.begin(), tables.end());
        ASSERT_TRUE(compileSourceText(files, dir_.path(), error)) << error;
        ASSERT_TRUE(db_.load(dir_.wide()));
        planner_ = std::make_unique<JourneyPlanner>(db_);
    }

    std::string plan(const std::u16string& from, const std::u16string& to, DateKey date,
                     JourneyOptions options = {}) {
        std::string text;
        for (const Journey& j : planner_->plan(from, to, date, options)) {
            text += toUtf8(journeyTimeText(j.departure)) + "-" +
                    toUtf8(journeyTimeText(j.arrival)) + "/" + std::to_string(j.changes);
            for (const JourneyLeg& leg : j.legs)
                text += " " + toUtf8(db_.trainNameByIndex(leg.train));
            text += "\n";
        }
        return text;
    }

    TempDir dir_;
    TimetableDb db_;
    std::unique_ptr<JourneyPlanner> planner_;
};

// Daily trains valid all year unless a line says otherwise.
std::string daily(std::initializer_list<const char*> names) {
    std::string lines;
    for (const char* name : names) lines += std::string(name) + "\t1\t0\t20260101\t20261231\t0\n";
    return lines;
}

TEST_F(Journeys, ChangeMissedByOneMinute) {
    // T2 leaves B at 10:19 (10:14 plus five minutes' dwell), 19 minutes after T1 arrives.
    load("A\t*\nB\t*\nC\t*\n", daily({"T1", "T2", "T3"}),
         "T1\tA\t08:00\t0\t0\nT1\tB\t10:00\t0\t100\n"
         "T2\tB\t10:14\t5\t0\nT2\tC\t11:00\t0\t50\n"
         "T3\tB\t10:20\t0\t0\nT3\tC\t11:30\t0\t50\n");
    EXPECT_EQ(plan(u"A", u"C", 20260601), "08:00-11:30/1 T1 T3\n");
    JourneyOptions quick;
    quick.changeMinutes = 19;
    EXPECT_EQ(plan(u"A", u"C", 20260601, quick), "08:00-11:00/1 T1 T2\n");
    JourneyOptions direct;
    direct.maxChanges = 0;
    EXPECT_EQ(plan(u"A", u"C", 20260601, direct), "");
}

TEST_F(Journeys, NoneInATimetableWithoutTrains) {
    // Its search state has no cells per train at all; every number of changes is searched.
    load("A\t-\nB\t-\nC\t-\nD\t-\nE\t-\n", "", "");
    JourneyOptions most;
    most.maxChanges = kMaxJourneyChanges;
    EXPECT_EQ(plan(u"A", u"E", 20260601, most), "");
}

TEST_F(Journeys, ChangeAcrossMidnightIntoATrainOfEverySecondDay) {
    // T5 leaves B at 00:30 on 2026-03-01 and every second day after (rule line 1: "2 1").
    load("A\t*\nB\t*\nC\t*\n", daily({"T4"}) + "T5\t1\t0\t20260301\t20261231\t1\n",
         "T4\tA\t22:00\t0\t0\nT4\tB\t23:50\t0\t100\n"
         "T5\tB\t00:30\t0\t0\nT5\tC\t01:30\t0\t50\n",
         "1 1\n2 1\n");
    // Leaving 03-14, the change falls on 03-15, a day T5 runs.
    EXPECT_EQ(plan(u"A", u"C", 20260314), "22:00-01:30+1/1 T4 T5\n");
    // Leaving 03-15, T5 does not run on 03-16: its next run leaves on 03-17. Leaving that
    // night only means waiting a day at B: T4 of 03-16 meets the same T5, so none is offered.
    EXPECT_EQ(plan(u"A", u"C", 20260315), "");
}

TEST_F(Journeys, ChangeBetweenTwoStationsOfOnePlace) {
    // 北京西 and 北京南 are of one place through 北京; 淮南 and 淮北 are not, as 淮 is no station.
    load("A\t*\nD\t*\n北京\t*\n北京西\t*\n北京南\t*\n淮南\t*\n淮北\t*\n",
         daily({"T6", "T7", "T8", "T9", "T10"}),
         "T6\tA\t07:00\t0\t0\nT6\t北京西\t09:00\t0\t100\n"
         "T7\t北京南\t09:59\t0\t0\nT7\tD\t11:00\t0\t100\n"
         "T8\t北京南\t10:00\t0\t0\nT8\tD\t12:00\t0\t100\n"
         "T9\tA\t07:10\t0\t0\nT9\t淮南\t08:00\t0\t100\n"
         "T10\t淮北\t09:00\t0\t0\nT10\tD\t09:30\t0\t100\n");
    EXPECT_EQ(plan(u"A", u"D", 20260601), "07:00-12:00/1 T6 T8\n");
    JourneyOptions quick;
    quick.placeChangeMinutes = 59;
    EXPECT_EQ(plan(u"A", u"D", 20260601, quick), "07:00-11:00/1 T6 T7\n");
    // The place name stands for all its stations: from 北京 both trains leave.
    EXPECT_EQ(plan(u"北京", u"D", 20260601), "09:59-11:00/0 T7\n10:00-12:00/0 T8\n");
    // Places that share a station give nothing, as do names of no station.
    EXPECT_EQ(plan(u"北京", u"北京南", 20260601), "");
    EXPECT_EQ(plan(u"火星", u"D", 20260601), "");
}

TEST_F(Journeys, ArrivalsUpToTheEndOfTheSecondDayAfter) {
    // T11 + T12 arrive at 23:00 two days later, T15 at 23:59 two days later; T14, and T19 +
    // T13, would arrive at 00:00 of the third day, too late, though nothing else leaves as late.
    load("A\t*\nB\t*\nC\t*\nP\t*\nQ\t*\nR\t*\n", daily({"T11", "T12", "T13", "T14", "T15", "T19"}),
         "T11\tA\t23:00\t0\t0\nT11\tP\t12:00\t0\t100\nT11\tB\t22:00\t0\t200\n"
         "T12\tB\t23:00\t0\t0\nT12\tQ\t12:00\t0\t100\nT12\tC\t23:00\t0\t200\n"
         "T19\tA\t23:55\t0\t0\nT19\tB\t23:45\t0\t100\n"
         "T13\tB\t00:10\t0\t0\nT13\tR\t12:00\t0\t100\nT13\tC\t00:00\t0\t200\n"
         "T14\tA\t23:50\t0\t0\nT14\tP\t20:00\t0\t100\nT14\tQ\t16:00\t0\t200\n"
         "T14\tC\t00:00\t0\t300\n"
         "T15\tA\t23:40\t0\t0\nT15\tP\t20:00\t0\t100\nT15\tQ\t16:00\t0\t200\n"
         "T15\tC\t23:59\t0\t300\n");
    EXPECT_EQ(plan(u"A", u"C", 20260601), "23:00-23:00+2/1 T11 T12\n23:40-23:59+2/0 T15\n");
}

TEST_F(Journeys, ThroughTrainBeatsEveryChange) {
    // T17 + T18 arrive with T16 but change once; T20 + T21 leave earlier and arrive later.
    load("A\t*\nB\t*\nC\t*\n", daily({"T16", "T17", "T18", "T20", "T21"}),
         "T16\tA\t08:00\t0\t0\nT16\tC\t12:00\t0\t300\n"
         "T17\tA\t08:00\t0\t0\nT17\tB\t09:00\t0\t100\n"
         "T18\tB\t09:30\t0\t0\nT18\tC\t12:00\t0\t200\n"
         "T20\tA\t07:50\t0\t0\nT20\tB\t08:50\t0\t100\n"
         "T21\tB\t09:20\t0\t0\nT21\tC\t12:10\t0\t200\n");
    EXPECT_EQ(plan(u"A", u"C", 20260601), "08:00-12:00/0 T16\n");
    // Leaving after 08:00 nothing is left; the options out of range give nothing either.
    JourneyOptions late;
    late.afterMinutes = 8 * 60 + 1;
    EXPECT_EQ(plan(u"A", u"C", 20260601, late), "");
    JourneyOptions bad;
    bad.maxChanges = kMaxJourneyChanges + 1;
    EXPECT_EQ(plan(u"A", u"C", 20260601, bad), "");
    bad = {};
    bad.arriveByMinutes = 3 * 24 * 60;
    EXPECT_EQ(plan(u"A", u"C", 20260601, bad), "");
}

TEST_F(Journeys, ArriveByAndViaAStationWithAStayThere) {
    // T1 stands ten minutes at B; T2 runs straight through; T3 + T4 change at D; T5 leaves B
    // twenty minutes after T1 arrives there.
    load("A\t*\nB\t*\nC\t*\nD\t*\n", daily({"T1", "T2", "T3", "T4", "T5"}),
         "T1\tA\t08:00\t0\t0\nT1\tB\t09:00\t10\t50\nT1\tC\t10:00\t0\t100\n"
         "T2\tA\t08:30\t0\t0\nT2\tC\t09:40\t0\t100\n"
         "T3\tA\t07:00\t0\t0\nT3\tD\t07:30\t0\t40\n"
         "T4\tD\t08:00\t0\t0\nT4\tC\t09:00\t0\t70\n"
         "T5\tB\t09:20\t0\t0\nT5\tC\t10:30\t0\t50\n");
    EXPECT_EQ(plan(u"A", u"C", 20260601), "07:00-09:00/1 T3 T4\n08:30-09:40/0 T2\n");
    JourneyOptions by;
    by.arriveByMinutes = 9 * 60 + 30;
    EXPECT_EQ(plan(u"A", u"C", 20260601, by), "07:00-09:00/1 T3 T4\n");
    by.arriveByMinutes = 9 * 60 + 40;  // arriving at 09:40 is arriving by 09:40
    by.afterMinutes = 7 * 60 + 1;      // ... and both ends bound the journeys
    EXPECT_EQ(plan(u"A", u"C", 20260601, by), "08:30-09:40/0 T2\n");
    by.arriveByMinutes = 8 * 60 + 59;
    by.afterMinutes = 0;
    EXPECT_EQ(plan(u"A", u"C", 20260601, by), "");
    // Via B: T1 passes it; staying a quarter of an hour there takes a change to T5.
    JourneyOptions via;
    via.viaStations = planner_->placeStations(u"B");
    EXPECT_EQ(plan(u"A", u"C", 20260601, via), "08:00-10:00/0 T1\n");
    via.viaMinutes = 15;
    EXPECT_EQ(plan(u"A", u"C", 20260601, via), "08:00-10:30/1 T1 T5\n");
    via.viaMinutes = 21;  // more than T5's wait: the next day's T1 on
    EXPECT_EQ(plan(u"A", u"C", 20260601, via), "08:00-10:00+1/1 T1 T1\n");
    via.viaStations = planner_->placeStations(u"D");
    via.viaMinutes = 30;
    EXPECT_EQ(plan(u"A", u"C", 20260601, via), "07:00-09:00/1 T3 T4\n");
    // A via station at either end is no station to pass.
    via.viaStations = planner_->placeStations(u"A");
    EXPECT_EQ(plan(u"A", u"C", 20260601, via), "");
}

TEST_F(Journeys, StepFreeRidesWhatTheTablesSayTakesWheelchairsAndWalksBetweenFeeds) {
    // T1 and T3 take wheelchairs, T2 does not, T4 says nothing; every station is step-free but
    // C, which says nothing. A walk of 7 minutes joins B to B2 (two feeds' stations).
    const std::string stations = "A\t*\nB\t*\nB2\t*\nC\t*\nD\t*\n";
    const std::string trains = daily({"T1", "T2", "T3", "T4"});
    const std::string stops =
        "T1\tA\t08:00\t0\t0\nT1\tB\t09:00\t0\t50\n"
        "T2\tB2\t09:10\t0\t0\nT2\tD\t10:00\t0\t50\n"
        "T3\tB2\t09:30\t0\t0\nT3\tC\t09:40\t0\t10\nT3\tD\t10:30\t0\t60\n"
        "T4\tB2\t09:20\t0\t0\nT4\tD\t10:10\t0\t50\n";
    // Stations 0 A, 1 B, 2 B2, 3 C, 4 D; trains 0 T1, 1 T2, 2 T3, 3 T4.
    load(stations, trains, stops, "1 1\n",
         {{"s.more",
           "station\tid\tlatitude\tlongitude\tchange\tzone\twheelchair\n"
           "0\ta\t\t\t\t\t1\n1\tb\t\t\t\t\t1\n2\tb2\t\t\t\t\t1\n"
           "3\tc\t\t\t\t\t\n4\td\t\t\t\t\t1\n"},
          {"t.more",
           "train\tnumber\ttype\troute\twheelchair\tbikes\n0\t\t\t\t1\t\n"
           "1\t\t\t\t2\t1\n2\t\t\t\t1\t2\n3\t\t\t\t\t\n"},
          {"s.walks", "from\tto\tminutes\n1\t2\t7\n"}});
    JourneyOptions quick;
    quick.changeMinutes = 5;
    EXPECT_EQ(plan(u"A", u"D", 20260601, quick), "08:00-10:00/1 T1 T2\n");
    JourneyOptions stepFree = quick;
    stepFree.stepFree = true;
    // Not T2 (no), not T4 (nothing said); T3 passes C, which it may, without leaving there.
    EXPECT_EQ(plan(u"A", u"D", 20260601, stepFree), "08:00-10:30/1 T1 T3\n");
    EXPECT_EQ(plan(u"A", u"C", 20260601, stepFree), "");
    // The walk's minutes as the views show them between the two stations.
    EXPECT_EQ(
        planner_->changeMinutes(db_.stationIndexByName(u"B"), db_.stationIndexByName(u"B2"), quick),
        7);
    // The same tables in their older, shorter form say nothing of access: nothing step-free.
    load(stations, trains, stops, "1 1\n",
         {{"s.more", "station\tid\tlatitude\tlongitude\tchange\tzone\n0\ta\t\t\t\t\n"},
          {"t.more", "train\tnumber\ttype\troute\n0\t\t\t\n"},
          {"s.walks", "from\tto\tminutes\n1\t2\t7\n"}});
    EXPECT_FALSE(db_.extensions.saysAccess());
    EXPECT_EQ(plan(u"A", u"D", 20260601, quick), "08:00-10:00/1 T1 T2\n");
    EXPECT_EQ(plan(u"A", u"D", 20260601, stepFree), "");
}

TEST_F(Journeys, TraceFollowsTheRounds) {
    load("A\t*\nB\t*\nC\t*\n", daily({"T1", "T3"}),
         "T1\tA\t08:00\t0\t0\nT1\tB\t10:00\t0\t100\n"
         "T3\tB\t10:20\t0\t0\nT3\tC\t11:30\t0\t50\n");
    std::ostringstream trace;
    planner_->setTrace(&trace);
    plan(u"A", u"C", 20260601);
    // The next day's departures first: its journeys only beat those of the day of travel.
    EXPECT_EQ(trace.str(),
              "departure 08:00+1\n"
              "  round 1: B 10:00+1 by T1 from A 08:00+1\n"
              "  round 2: C 11:30+1 by T3 from B 10:20+1 (destination)\n"
              "departure 08:00\n"
              "  round 1: B 10:00 by T1 from A 08:00\n"
              "  round 2: C 11:30 by T3 from B 10:20 (destination)\n");
    std::ostringstream state;
    planner_->state().print(state, db_);
    EXPECT_NE(state.str().find("B arrive 10:00 by T1 leave from 10:20 (arrived at B)"),
              std::string::npos)
        << state.str();
}

}  // namespace
}  // namespace zelvan::test
