// Journeys and rides as iCalendar files: the zone rules against the C library's reading of the
// same zone files, and the files read back by Debian's iCalendar parser (python3-icalendar),
// with times in the timetable's zone across a change of daylight-saving time and past
// midnight.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <random>

#include "compiler/timetable_source.h"
#include "db/running_days.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "journey/calendar_export.h"
#include "journey/journey_planner.h"
#include "journey/journey_rows.h"
#include "journey/zone_rules.h"
#include "test_files.h"

namespace zelvan::test {
namespace {

// The offset from UTC at `at` of zone `name`, as the C library reads it.
int libraryOffset(const char* name, std::int64_t at) {
    ::setenv("TZ", name, 1);
    ::tzset();
    const std::time_t t = static_cast<std::time_t>(at);
    std::tm local{};
    localtime_r(&t, &local);
    return static_cast<int>(local.tm_gmtoff);
}

TEST(ZoneRules, AgreeWithTheCLibraryFrom1970To2060) {
    // Northern and southern daylight time, none at all, a zone that dropped it (2019), offsets
    // of quarter hours, and Dublin, whose winter time the zone data calls the daylight one.
    const char* zones[] = {
        "America/New_York",  "Europe/Berlin",   "Australia/Sydney", "Asia/Shanghai",
        "America/Sao_Paulo", "Pacific/Chatham", "Europe/Dublin",    "UTC"};
    const char* saved = std::getenv("TZ");
    const std::string previous = saved ? saved : "";
    std::mt19937 random(7);
    int compared = 0;
    for (const char* name : zones) {
        ZoneRules rules;
        ASSERT_TRUE(rules.load(name)) << name;
        // Every change itself, a minute before and after it, and random moments in between.
        std::vector<std::int64_t> moments;
        for (const ZoneChange& change : rules.changes(0, 2840140800)) {  // up to 2060
            for (std::int64_t d : {-60, 0, 60}) moments.push_back(change.at + d);
        }
        for (int i = 0; i < 3000; ++i) moments.push_back(random() % 2840140800ll);
        for (std::int64_t at : moments) {
            ASSERT_EQ(rules.typeAt(at).offsetSeconds, libraryOffset(name, at))
                << name << " at " << at;
            ++compared;
        }
    }
    if (saved) {
        ::setenv("TZ", previous.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
    EXPECT_GT(compared, 20000);
    // 2026 in New York: into daylight time on 8 March at 07:00 UTC, out of it on 1 November
    // at 06:00 UTC; in Shanghai no change at all.
    ZoneRules york;
    ASSERT_TRUE(york.load("America/New_York"));
    const std::vector<ZoneChange> changes = york.changes(1767225600, 1798761600);
    ASSERT_EQ(changes.size(), 2u);
    EXPECT_EQ(changes[0].at, 1772953200);
    EXPECT_EQ(changes[0].after.name, "EDT");
    EXPECT_EQ(changes[1].at, 1793512800);
    EXPECT_EQ(changes[1].after.offsetSeconds, -5 * 3600);
    ZoneRules shanghai;
    ASSERT_TRUE(shanghai.load("Asia/Shanghai"));
    EXPECT_TRUE(shanghai.changes(1767225600, 1798761600).empty());
    EXPECT_EQ(shanghai.typeAt(1767225600).offsetSeconds, 8 * 3600);
}

TEST(ZoneRules, RefusesWhatIsNoZoneFile) {
    ZoneRules rules;
    EXPECT_FALSE(rules.load("Mars/Base"));
    EXPECT_FALSE(rules.load("../etc/passwd"));
    EXPECT_FALSE(rules.load(""));
    EXPECT_FALSE(rules.parse("TZif"));
    EXPECT_FALSE(rules.parse("not a zone file at all, but long enough to hold a header or two"));
    // A real file cut short anywhere, or with bytes changed: a clear answer, never a crash.
    const char* base = std::getenv("TZDIR");
    const std::string file =
        readBytes(std::string(base && *base ? base : "/usr/share/zoneinfo") + "/America/New_York");
    ASSERT_GT(file.size(), 1000u);
    EXPECT_TRUE(rules.parse(file));
    for (std::size_t cut = 0; cut < file.size(); cut += 7) {
        if (rules.parse(std::string_view(file).substr(0, cut))) rules.typeAt(1800000000);
    }
    std::mt19937 random(11);
    for (int round = 0; round < 500; ++round) {
        std::string damaged = file;
        for (int n = 0; n < 4; ++n) {
            damaged[random() % damaged.size()] = static_cast<char>(random());
        }
        if (rules.parse(damaged)) {
            rules.typeAt(static_cast<std::int64_t>(random()));
            rules.changes(0, 2840140800);
        }
    }
}

// A small railway in New York's zone: 1912 from Penn Station at 23:30 on the last evening of
// daylight time to Jamaica, 2001 from there after midnight to Ronkonkoma, arriving after the
// clocks went back; 7 crosses the spring change in March.
class Calendars : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string error;
        ASSERT_TRUE(compileSourceText(
            {{"stations.tsv", "name\ttrains\nPenn Station\t*\nJamaica\t*\nRonkonkoma\t*\n"},
             {"trains.tsv",
              "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
              "1912\t1\t0\t20260101\t20261231\t0\n2001\t1\t0\t20260101\t20261231\t0\n"
              "7\t1\t0\t20260101\t20261231\t0\n"},
             {"stops.tsv",
              "train\tstation\tarrival\tdwell\tkm\n"
              "1912\tPenn Station\t23:30\t0\t0\n1912\tJamaica\t23:50\t0\t15\n"
              "2001\tJamaica\t00:40\t0\t0\n2001\tRonkonkoma\t03:10\t0\t60\n"
              "7\tPenn Station\t01:30\t0\t0\n7\tRonkonkoma\t03:30\t0\t75\n"},
             {"rules.txt", "1 1\n"},
             // Trains 0 (1912), 1 (2001) and 2 (7) by their numbers' order.
             {"t.stops", "train\tstop\tboard\talight\tplatform\n0\t0\t1\t1\t17\n"},
             {"x.feed", "key\tvalue\ntimezone\tAmerica/New_York\nsource\tLIRR\ntariff\tnone\n"}},
            dir_.path(), error))
            << error;
        ASSERT_TRUE(db_.load(dir_.wide()));
        planner_ = std::make_unique<JourneyPlanner>(db_);
    }

    // The file read back, one line per event (check_calendar.py).
    std::string readBack(const std::string& text) {
        const std::filesystem::path file = scratch_ / "trip.ics";
        writeBytes(file, text);
        const std::string command =
            "/usr/bin/python3 " ZELVAN_CHECK_CALENDAR " " + file.string() + " 2>&1";
        std::string lines;
        if (std::FILE* pipe = ::popen(command.c_str(), "r")) {
            char buffer[4096];
            std::size_t n;
            while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) lines.append(buffer, n);
            EXPECT_EQ(::pclose(pipe), 0) << lines << "(tools/deps.sh installs python3-icalendar)";
        }
        return lines;
    }

    TempDir dir_;
    TempDir scratch_;
    TimetableDb db_;
    std::unique_ptr<JourneyPlanner> planner_;
};

TEST_F(Calendars, AJourneyOverTheNightTheClocksGoBackReadsBackInTheRightZone) {
    JourneyOptions options;
    const DateKey date = 20261031;
    const std::vector<JourneyRow> rows =
        journeyRows(db_, planner_->plan(u"Penn Station", u"Ronkonkoma", date, options), date);
    // Train 7 at 01:30, and 1912 at 23:30 with a change to 2001.
    ASSERT_EQ(rows.size(), 2u);
    ASSERT_EQ(rows[1].journey.changes, 1);
    const std::vector<CalendarRide> rides = journeyRides(db_, rows[1], *planner_, options);
    std::string text;
    std::string error;
    // Stamped 2026-10-01 12:00 UTC.
    ASSERT_TRUE(writeCalendar(rides, calendarZone(db_), u"LIRR", 1790856000, text, error)) << error;
    // Lines end in CR LF and none is longer than 75 bytes.
    for (std::size_t at = 0, end; (end = text.find("\r\n", at)) != std::string::npos;
         at = end + 2) {
        EXPECT_LE(end - at, 75u) << text.substr(at, end - at);
    }
    EXPECT_NE(text.find("DTSTAMP:20261001T120000Z\r\n"), std::string::npos);
    // 23:30 EDT is 03:30 UTC; 03:10 EST is 08:10 UTC, five hours later on the clock the
    // traveller reads, though 02:00 came twice that night.
    EXPECT_EQ(
        readBack(text),
        "20261031-ed8432d384d32dcc@zelvan|LIRR 1912 Penn Station → Jamaica|Penn Station "
        "17站台|第1程，共2程|2026-10-31 23:30 America/New_York|2026-10-31 23:50 "
        "America/New_York|2026-11-01 03:30Z\n"
        "20261101-8b8ea47fc044b600@zelvan|LIRR 2001 Jamaica → Ronkonkoma|Jamaica|第2程，共2程|"
        "2026-11-01 00:40 America/New_York|2026-11-01 03:10 America/New_York|2026-11-01 "
        "04:40Z\n");
    // The whole journey in each event's description, with the change.
    EXPECT_NE(text.find("换乘等候 50 分钟"), std::string::npos) << text;
}

TEST_F(Calendars, TheSameRideHasOneUidWhereverItIsExportedFrom) {
    // Train 7 on the morning of the spring change: 01:30 EST to 03:30 EDT, an hour's ride.
    db_.queryDate = 20260308;
    std::vector<ResultRow> rows;
    db_.queryStationToStation(u"Penn Station", u"Ronkonkoma", rows);
    ASSERT_EQ(rows.size(), 1u);
    const CalendarRide ride = rowRide(db_, rows[0], db_.queryDate);
    std::string first, second, error;
    ASSERT_TRUE(writeCalendar({ride}, "America/New_York", u"", 1790856000, first, error));
    ASSERT_TRUE(writeCalendar({ride}, "America/New_York", u"", 1790900000, second, error));
    const std::string read = readBack(first);
    EXPECT_EQ(read,
              "20260308-abcdfdd21473a898@zelvan|7 Penn Station → Ronkonkoma|Penn Station|7 Penn "
              "Station 01:30 → Ronkonkoma 03:30|2026-03-08 01:30 America/New_York|2026-03-08 "
              "03:30 America/New_York|2026-03-08 06:30Z\n");
    EXPECT_EQ(readBack(second), read);
    // The ride of 1912 from a journey and from the rows of Penn Station -> Jamaica: one UID.
    db_.queryDate = 20261031;
    rows.clear();
    db_.queryStationToStation(u"Penn Station", u"Jamaica", rows);
    ASSERT_EQ(rows.size(), 1u);
    std::string single;
    ASSERT_TRUE(writeCalendar({rowRide(db_, rows[0], db_.queryDate)}, "America/New_York", u"",
                              1790856000, single, error));
    EXPECT_EQ(readBack(single).substr(0, 40), "20261031-ed8432d384d32dcc@zelvan|1912 Pe");
    // A zone the system does not know is said, with nothing written.
    EXPECT_FALSE(writeCalendar({ride}, "Mars/Base", u"", 0, first, error));
    EXPECT_EQ(error, "unknown time zone Mars/Base");
    EXPECT_EQ(first, "");
}

TEST_F(Calendars, TheNativeTimetableKeepsBeijingTime) {
    // A timetable without a zone of its own is China's railway: Asia/Shanghai, no changes.
    TempDir native;
    std::string error;
    ASSERT_TRUE(compileSourceText({{"stations.tsv", "name\ttrains\n北京南\t*\n上海虹桥\t*\n"},
                                   {"trains.tsv",
                                    "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
                                    "G1\t6\t0\t20260101\t20261231\t0\n"},
                                   {"stops.tsv",
                                    "train\tstation\tarrival\tdwell\tkm\nG1\t北京南\t23:00\t0\t0\n"
                                    "G1\t上海虹桥\t03:48\t0\t1318\n"},
                                   {"rules.txt", "1 1\n"}},
                                  native.path(), error))
        << error;
    TimetableDb db;
    ASSERT_TRUE(db.load(native.wide()));
    EXPECT_EQ(calendarZone(db), "Asia/Shanghai");
    db.queryDate = 20260601;
    std::vector<ResultRow> rows;
    db.queryStationToStation(u"北京南", u"上海虹桥", rows);
    ASSERT_EQ(rows.size(), 1u);
    std::string text;
    ASSERT_TRUE(
        writeCalendar({rowRide(db, rows[0], db.queryDate)}, calendarZone(db), u"", 0, text, error));
    const std::string read = readBack(text);
    EXPECT_NE(read.find("|G1 北京南 → 上海虹桥|北京南|G1 北京南 23:00 → 上海虹桥 03:48+1|"
                        "2026-06-01 23:00 Asia/Shanghai|2026-06-02 03:48 Asia/Shanghai|"
                        "2026-06-01 15:00Z\n"),
              std::string::npos)
        << read;
    EXPECT_EQ(read.find("MISMATCH"), std::string::npos);
}

}  // namespace
}  // namespace zelvan::test
