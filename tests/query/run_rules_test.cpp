// The rules real timetables lean on: a run keeps the day it left its first stop on after
// midnight, a whole number stands between "/"s or the ends of a name, and an arrival earlier in
// the run is the other way even at one distance. Hand-made cases, then random timetables
// against a plain reading of their source.
#include <algorithm>
#include <chrono>
#include <random>

#include "db/running_days.h"
#include "journey/journey_planner.h"
#include "query_fixture.h"

namespace zelvan::test {
namespace {

// M1 leaves 甲 at 23:30 on Mondays only (from Monday 2026-12-07) and calls at 乙 at 00:40 and
// 丙 at 01:30. D1 runs daily 2026-12-01 to 2026-12-10, 甲 23:00, 乙 01:00.
const std::map<std::string, std::string> kOvernight = {
    {"stations.tsv", "name\ttrains\n甲\t*\n乙\t*\n丙\t*\n"},
    {"trains.tsv",
     "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
     "M1\t0\t0\t20261207\t20271231\t1\n"
     "D1\t0\t0\t20261201\t20261210\t0\n"},
    {"stops.tsv",
     "train\tstation\tarrival\tdwell\tkm\n"
     "M1\t甲\t23:30\t0\t0\nM1\t乙\t00:40\t0\t50\nM1\t丙\t01:30\t0\t90\n"
     "D1\t甲\t23:00\t0\t0\nD1\t乙\t01:00\t0\t50\n"},
    {"rules.txt", "1 1\n7 1\n"},
};

// "train status" of every row.
std::string statuses(const std::vector<ResultRow>& rows) {
    std::string text;
    for (const ResultRow& r : rows)
        text += toUtf8(r.trainName) + " " + std::to_string(r.status) + " ";
    return text;
}

TEST(RunDay, AfterMidnightTheRunOfTheDayBeforeCalls) {
    CompiledDb c(kOvernight);
    struct Case {
        const char16_t* station;
        DateKey date;
        const char* expected;
    };
    const Case cases[] = {
        {u"甲", 20261207, "D1 0 M1 0 "},    // Monday: M1 leaves
        {u"甲", 20261208, "D1 0 M1 2 "},    // Tuesday: it does not
        {u"乙", 20261208, "D1 0 M1 0 "},    // Tuesday: Monday's run calls
        {u"乙", 20261213, "D1 1 M1 2 "},    // Sunday: no run the day before
        {u"乙", 20261207, "D1 0 M1 2 "},    // a run from 6 December: before the rule's days
        {u"乙", 20261201, "D1 -1 M1 -1 "},  // D1's first run calls here on 2 December
        {u"乙", 20261202, "D1 0 M1 2 "},
        {u"乙", 20261211, "D1 0 M1 2 "},  // D1's last run, from 10 December
        {u"乙", 20261212, "D1 1 M1 2 "},
        {u"甲", 20261211, "D1 1 M1 2 "},
        {u"甲", 20261201, "D1 0 M1 2 "},
    };
    for (bool indexed : {true, false}) {
        c.db.useIndexes = indexed;
        for (const Case& k : cases) {
            c.db.queryDate = k.date;
            std::vector<ResultRow> rows;
            c.db.queryStation(k.station, rows);
            EXPECT_EQ(statuses(rows), k.expected) << toUtf8(k.station) << " " << k.date;
        }
        // From 乙 the status is the run's at 乙; the train-number query counts from the origin.
        c.db.queryDate = 20261208;
        std::vector<ResultRow> rows;
        c.db.queryStationToStation(u"乙", u"丙", rows);
        EXPECT_EQ(statuses(rows), "M1 0 ");
        rows.clear();
        c.db.queryStationToStation(u"甲", u"丙", rows);
        EXPECT_EQ(statuses(rows), "M1 2 ");
        rows.clear();
        c.db.queryTrainNumber(u"M1", rows);
        EXPECT_EQ(statuses(rows), "M1 2 ");
    }
    // Journeys board the run that calls: from 乙 on Tuesday, never on Sunday.
    JourneyPlanner planner(c.db);
    EXPECT_EQ(planner.plan(u"乙", u"丙", 20261208, JourneyOptions{}).size(), 1u);
    EXPECT_TRUE(planner.plan(u"乙", u"丙", 20261213, JourneyOptions{}).empty());
    EXPECT_TRUE(planner.plan(u"甲", u"丙", 20261208, JourneyOptions{}).empty());
}

// 5043/5044 leaves 桂林北 at 19:25, before its only midnight, every second day from 2010-10-04;
// the record of 桂林 lists it though it calls at 桂林北, another station of the place.
const std::map<std::string, std::string> kListedElsewhere = {
    {"stations.tsv", "name\ttrains\n柳州\t*\n桂林\t5043/5044\n桂林北\t*\n长沙\t*\n"},
    {"trains.tsv",
     "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
     "5043/5044\t0\t0\t20101004\t20111231\t1\n"},
    {"stops.tsv",
     "train\tstation\tarrival\tdwell\tkm\n"
     "5043/5044\t柳州\t16:00\t0\t0\n5043/5044\t桂林北\t19:20\t5\t180\n"
     "5043/5044\t长沙\t03:10\t0\t700\n"},
    {"rules.txt", "1 1\n2 1\n"},
};

TEST(RunDay, ARowCountsTheMidnightsBeforeItsOwnStopNotTheQueriedStation) {
    CompiledDb c(kListedElsewhere);
    for (bool indexed : {true, false}) {
        c.db.useIndexes = indexed;
        // 1 August: the run of that day is not valid yet; the day before (which counting every
        // midnight of the run read) is not one of its days.
        c.db.queryDate = 20100801;
        std::vector<ResultRow> rows;
        c.db.queryStation(u"桂林", rows);
        EXPECT_EQ(statuses(rows), "5043/5044 -1 ") << indexed;
        rows.clear();
        c.db.queryStationToStation(u"桂林", u"长沙", rows);
        EXPECT_EQ(statuses(rows), "5043/5044 -1 ") << indexed;
        // Its first days: it leaves 桂林北 on 4 October and not on 5 October.
        for (const auto& [date, expected] :
             {std::pair{20101004, "5043/5044 0 "}, std::pair{20101005, "5043/5044 2 "}}) {
            c.db.queryDate = date;
            rows.clear();
            c.db.queryStation(u"桂林", rows);
            EXPECT_EQ(statuses(rows), expected) << indexed << " " << date;
            rows.clear();
            c.db.queryStation(u"桂林北", rows);
            EXPECT_EQ(statuses(rows), expected) << indexed << " " << date;
        }
    }
}

// 2702 calls at Inwood at 01:31 and at Far Rockaway at 01:36, both at 5 km: the stations lie
// under a kilometre apart. 2703 calls at Far Rockaway and then at Inwood, also at 5 km.
const std::map<std::string, std::string> kCloseStations = {
    {"stations.tsv", "name\ttrains\nJamaica\t*\nInwood\t*\nFar Rockaway\t*\n"},
    {"trains.tsv",
     "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
     "2702\t0\t0\t20260101\t20271231\t0\n"
     "2703\t0\t0\t20260101\t20271231\t0\n"},
    {"stops.tsv",
     "train\tstation\tarrival\tdwell\tkm\n"
     "2702\tJamaica\t01:00\t0\t0\n2702\tInwood\t01:31\t0\t5\n2702\tFar Rockaway\t01:36\t0\t5\n"
     "2703\tFar Rockaway\t02:00\t0\t0\n2703\tInwood\t02:05\t0\t0\n"},
};

TEST(Direction, AnArrivalEarlierInTheRunIsTheOtherWayAtAnyDistance) {
    CompiledDb c(kCloseStations);
    for (bool indexed : {true, false}) {
        c.db.useIndexes = indexed;
        std::vector<ResultRow> rows;
        c.db.queryStationToStation(u"Far Rockaway", u"Inwood", rows);
        EXPECT_EQ(render(rows), "2703 Far Rockaway 02:00 Inwood 02:05 0km 00:05 0\n");
        rows.clear();
        c.db.queryStationToStation(u"Inwood", u"Far Rockaway", rows);
        EXPECT_EQ(render(rows), "2702 Inwood 01:31 Far Rockaway 01:36 0km 00:05 0\n");
        // The same station at both ends still gives the run from the origin.
        rows.clear();
        c.db.queryStationToStation(u"Inwood", u"Inwood", rows);
        EXPECT_EQ(render(rows),
                  "2702 Jamaica 01:00 Inwood 01:31 5km 00:31 0\n"
                  "2703 Far Rockaway 02:00 Inwood 02:05 0km 00:05 0\n");
        // The legs of a change follow the same rule.
        rows.clear();
        EXPECT_EQ(c.db.queryTransferTrains(u"Jamaica", u"Far Rockaway", u"Inwood", rows), 1);
        EXPECT_EQ(render(rows),
                  "2702 Jamaica 01:00 Far Rockaway 01:36 5km 00:36 0\n"
                  "2703 Far Rockaway 02:00 Inwood 02:05 0km 00:05 0\n");
        // A row built by hand the wrong way round is refused as well.
        TrainRecord train;
        c.db.decodeTrain(c.db.trainIndex.at(u"2702"), train);
        ResultRow row;
        EXPECT_FALSE(c.db.buildResultRow(train, &train.stops[2], &train.stops[1], row));
        EXPECT_TRUE(c.db.buildResultRow(train, &train.stops[1], &train.stops[2], row));
    }
}

// --- Random timetables against a plain reading of their source ---

// The date `days` after `date`, by the standard library's calendar.
DateKey shiftDate(DateKey date, int days) {
    using namespace std::chrono;
    const year_month_day ymd{year{date / 10000}, month{static_cast<unsigned>(date / 100 % 100)},
                             day{static_cast<unsigned>(date % 100)}};
    const year_month_day shifted{sys_days{ymd} + std::chrono::days{days}};
    return static_cast<int>(shifted.year()) * 10000 +
           static_cast<int>(static_cast<unsigned>(shifted.month())) * 100 +
           static_cast<int>(static_cast<unsigned>(shifted.day()));
}

// Station names that no suffix relates, so that a place is its one station.
const char16_t* const kNames[] = {u"甲", u"乙", u"丙", u"丁", u"戊", u"己"};
const char* const kNumbers[] = {"83",   "1583", "1583/83", "K12", "AK12",  "K11/K12",
                                "K123", "147",  "1147",    "T9",  "Z7/T9", "D5"};

TimetableSource randomSource(std::mt19937& random, DateKey date) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    TimetableSource source;
    for (const char16_t* name : kNames) {
        SourceStation station;
        station.name = name;
        source.stations.push_back(station);
    }
    std::vector<int> numbers(std::size(kNumbers));
    for (std::size_t i = 0; i < numbers.size(); ++i) numbers[i] = static_cast<int>(i);
    std::shuffle(numbers.begin(), numbers.end(), random);
    numbers.resize(static_cast<std::size_t>(1 + pick(static_cast<int>(numbers.size()))));
    for (int n : numbers) {
        SourceTrain train;
        train.name = fromUtf8(kNumbers[n]);
        // Validity edges close to the day asked: overnight runs meet them.
        train.validFrom = shiftDate(date, -pick(4));
        train.validUntil = shiftDate(date, pick(4) - 2);
        if (pick(3) == 0) train.validUntil = shiftDate(date, 60);
        train.ruleNumber = pick(5);
        int hour = pick(24);
        int km = 0;
        for (int i = 1 + pick(6); i > 0; --i) {
            SourceStop stop;
            stop.station = kNames[pick(static_cast<int>(std::size(kNames)))];
            hour = (hour + pick(9)) % 24;  // now and then past midnight
            stop.arrivalHour = hour;
            stop.arrivalMinute = pick(60);
            stop.dwellMinutes = pick(3) == 0 ? pick(20) : 0;
            km += pick(3) == 0 ? 0 : pick(4) == 0 ? -pick(20) : pick(200);  // equal, back, on
            stop.distanceKm = std::clamp(km, 0, 16383);
            train.stops.push_back(stop);
        }
        source.trains.push_back(train);
    }
    source.rules = {u"1 1", u"2 1", u"7 1", u"7 85", u"3 6"};
    source.hasRules = true;
    return source;
}

// The status of the run that calls at `stops[at]` on `date`, read plainly: count the hours
// that fall back up to that stop, step back as many days, test validity and rule there.
int plainStatus(const TimetableSource& source, const SourceTrain& train, std::size_t at,
                DateKey date) {
    int back = 0;
    for (std::size_t i = 1; i <= at; ++i) {
        if (train.stops[i].arrivalHour < train.stops[i - 1].arrivalHour) ++back;
    }
    const DateKey run = shiftDate(date, -back);
    int status = run < train.validFrom ? -1 : run > train.validUntil ? 1 : 0;
    long long period = 1, mask = 1;
    if (static_cast<std::size_t>(train.ruleNumber) < source.rules.size()) {
        const RunningRule rule =
            parseRunningRule(source.rules[static_cast<std::size_t>(train.ruleNumber)]);
        period = rule.period;
        mask = rule.mask;
    }
    if (period != 1) {
        const long long d = daysBetween(train.validFrom, run);
        const long long r = d % period;
        if (r < 0 || ((mask >> r) & 1) == 0) status = 2;
    }
    return status;
}

std::string plainRow(const TimetableSource& source, const SourceTrain& train, std::size_t from,
                     std::size_t to, int status) {
    const SourceStop& a = train.stops[from];
    const SourceStop& b = train.stops[to];
    const int departure = a.arrivalHour * 60 + a.arrivalMinute + a.dwellMinutes;
    (void)source;
    return toUtf8(train.name) + " " + toUtf8(a.station) + " " +
           toUtf8(clockText(departure / 60 % 24, departure % 60)) + " " + toUtf8(b.station) + " " +
           toUtf8(clockText(b.arrivalHour, b.arrivalMinute)) + " " +
           std::to_string(b.distanceKm - a.distanceKm) + " " + std::to_string(status) + "\n";
}

std::string shortRows(const std::vector<ResultRow>& rows) {
    std::string text;
    for (const ResultRow& r : rows) {
        text += toUtf8(r.trainName + u" " + r.departureStation + u" " + r.departureTime + u" " +
                       r.arrivalStation + u" " + r.arrivalTime + u" " + r.distanceText) +
                " " + std::to_string(r.status) + "\n";
    }
    return text;
}

// The trains of a source in train-index order: numbers by code unit.
std::vector<const SourceTrain*> inIndexOrder(const TimetableSource& source) {
    std::vector<const SourceTrain*> trains;
    for (const SourceTrain& t : source.trains) trains.push_back(&t);
    std::sort(trains.begin(), trains.end(),
              [](const SourceTrain* a, const SourceTrain* b) { return a->name < b->name; });
    return trains;
}

std::size_t firstStopAt(const SourceTrain& train, const std::u16string& station) {
    for (std::size_t i = 0; i < train.stops.size(); ++i) {
        if (train.stops[i].station == station) return i;
    }
    return train.stops.size();
}

// Whether `text` is one of the "/"-separated numbers of `name`, or a run of them.
bool holdsNumber(const std::u16string& name, const std::u16string& text) {
    return (u"/" + name + u"/").find(u"/" + text + u"/") != std::u16string::npos;
}

TEST(RunRules, RandomTimetablesAnswerAsTheirSourceReads) {
    std::mt19937 random(20261209);
    const DateKey date = 20261209;
    int rows = 0;
    for (int round = 0; round < 120; ++round) {
        const TimetableSource source = randomSource(random, date);
        TempDir dir;
        std::string error;
        ASSERT_TRUE(writeDataFiles(source, dir.path(), error, CompileOptions{{}})) << error;
        TimetableDb db;
        ASSERT_TRUE(db.load(dir.wide()));
        const std::vector<const SourceTrain*> trains = inIndexOrder(source);
        for (int day = -2; day <= 3; ++day) {
            const DateKey on = shiftDate(date, day);
            db.queryDate = on;
            for (const char16_t* fromName : kNames) {
                const std::u16string from = fromName;
                std::string expected;
                for (const SourceTrain* t : trains) {
                    const std::size_t at = firstStopAt(*t, from);
                    if (at == t->stops.size()) continue;
                    const std::size_t last = t->stops.size() - 1;
                    const std::size_t departure = t->stops[last].station == from ? 0 : at;
                    if (t->stops[last].distanceKm < t->stops[departure].distanceKm) continue;
                    expected +=
                        plainRow(source, *t, departure, last, plainStatus(source, *t, at, on));
                }
                for (bool indexed : {true, false}) {
                    db.useIndexes = indexed;
                    std::vector<ResultRow> got;
                    db.queryStation(from, got);
                    rows += static_cast<int>(got.size());
                    ASSERT_EQ(shortRows(got), expected) << "station " << toUtf8(from) << " " << on;
                }
                for (const char16_t* toName : kNames) {
                    const std::u16string to = toName;
                    std::string through;
                    for (const SourceTrain* t : trains) {
                        const std::size_t i = firstStopAt(*t, from);
                        const std::size_t j = firstStopAt(*t, to);
                        if (i == t->stops.size() || j == t->stops.size()) continue;
                        const std::size_t departure = from == to ? 0 : i;
                        if (j < departure) continue;  // the other way, in the run
                        if (t->stops[j].distanceKm < t->stops[departure].distanceKm) continue;
                        through +=
                            plainRow(source, *t, departure, j, plainStatus(source, *t, i, on));
                    }
                    for (bool indexed : {true, false}) {
                        db.useIndexes = indexed;
                        std::vector<ResultRow> got;
                        db.queryStationToStation(from, to, got);
                        ASSERT_EQ(shortRows(got), through)
                            << toUtf8(from) << " -> " << toUtf8(to) << " " << on;
                    }
                }
            }
        }
        // The list of stops opens the first train in key order that carries the whole number.
        for (const char* number : kNumbers) {
            const std::u16string text = fromUtf8(number);
            std::u16string expected;
            for (const SourceTrain* t : trains) {
                if (holdsNumber(t->name, text)) {
                    expected = t->name;
                    break;
                }
            }
            for (bool indexed : {true, false}) {
                db.useIndexes = indexed;
                const int hit = db.findTrainByNumber(text, 0, true);
                EXPECT_EQ(hit < 0 ? u"" : db.trainNameByIndex(hit), expected) << number;
            }
        }
    }
    EXPECT_GT(rows, 5000);
}

}  // namespace
}  // namespace zelvan::test
