#include "query_fixture.h"

namespace zelvan::test {
namespace {

// A line 北京 - 天津 - 济南 - 南京 - 上海 with a second station in some cities.
const std::map<std::string, std::string> kLine = {
    {"stations.tsv",
     "name\ttrains\n"
     "北京\t*\n"
     "北京南\t*\n"
     "天津\t*\n"
     "济南\t*\n"
     "南京\t*\n"
     "上海\t*\n"
     "上海虹桥\t*\n"
     "空站\t-\n"},
    {"trains.tsv",
     "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
     "G1\t0x06\t0\t20260101\t20271231\t0\n"
     "K2\t0x30\t0\t20260101\t20271231\t0\n"
     "K3\t0x30\t0\t20260101\t20271231\t1\n"
     "T4\t0x21\t0\t20270101\t20271231\t0\n"
     "Z5\t0x21\t0\t20260101\t20271231\t0\n"},
    {"stops.tsv",
     "train\tstation\tarrival\tdwell\tkm\n"
     // G1: 北京南 -> 天津 -> 南京 -> 上海虹桥
     "G1\t北京南\t08:00\t0\t0\n"
     "G1\t天津\t08:30\t2\t120\n"
     "G1\t南京\t11:30\t3\t1000\n"
     "G1\t上海虹桥\t13:00\t0\t1300\n"
     // K2: 北京 -> 济南 -> 南京 -> 上海, overnight
     "K2\t北京\t20:00\t0\t0\n"
     "K2\t济南\t23:50\t15\t500\n"
     "K2\t南京\t05:00\t10\t1100\n"
     "K2\t上海\t09:00\t0\t1460\n"
     // K3: the other way, 上海 -> 南京 -> 北京
     "K3\t上海\t10:00\t0\t0\n"
     "K3\t南京\t14:00\t5\t300\n"
     "K3\t北京\t23:00\t0\t1460\n"
     // T4: 天津 -> 济南, not valid yet
     "T4\t天津\t07:00\t0\t0\n"
     "T4\t济南\t10:00\t0\t360\n"
     // Z5: 南京 and 上海 at the same distance
     "Z5\t南京\t12:00\t0\t300\n"
     "Z5\t上海\t13:00\t0\t300\n"},
    {"rules.txt", "1 1\n2 1\n"},
};

TEST(StationToStation, ThroughTrainsInTheDepartureStationsOrder) {
    CompiledDb c(kLine);
    std::vector<ResultRow> rows;
    // The lists are those of 北京 and 上海 exactly (G1 calls at 北京南 and 上海虹桥 only);
    // K3 runs the other way.
    EXPECT_TRUE(c.db.queryStationToStation(u"北京", u"上海", rows));
    EXPECT_EQ(render(rows), "K2 北京 20:00 上海 09:00 1460km 13:00 0\n");
    EXPECT_EQ(c.db.fromStation, 0);
}

TEST(StationToStation, UnknownNamesSameStationAndEqualDistances) {
    CompiledDb c(kLine);
    std::vector<ResultRow> rows;
    EXPECT_FALSE(c.db.queryStationToStation(u"火星", u"上海", rows));
    EXPECT_EQ(c.db.fromStation, -1);
    EXPECT_TRUE(rows.empty());

    // Equal distances pass the direction test.
    EXPECT_TRUE(c.db.queryStationToStation(u"南京", u"上海", rows));
    EXPECT_NE(render(rows).find("Z5 南京 12:00 上海 13:00 0km 01:00"), std::string::npos);

    // The same station at both ends: every train runs from its origin to that station.
    rows.clear();
    c.db.queryStationToStation(u"济南", u"济南", rows);
    EXPECT_EQ(render(rows),
              "K2 北京 20:00 济南 23:50 500km 03:50 0\n"
              "T4 天津 07:00 济南 10:00 360km 03:00 -1\n");

    // A pair without a common train leaves the list as it was and reports what it holds.
    EXPECT_TRUE(c.db.queryStationToStation(u"天津", u"上海", rows));
    EXPECT_EQ(rows.size(), 2u);
}

TEST(StationQuery, EveryTrainFromTheStationToItsTerminus) {
    CompiledDb c(kLine);
    std::vector<ResultRow> rows;
    // K3 runs every other day from 2026-01-01: not on 2026-12-08, day 341.
    c.db.queryStation(u"南京", rows);
    EXPECT_EQ(render(rows),
              "G1 南京 11:33 上海虹桥 13:00 300km 01:27 0\n"
              "K2 南京 05:10 上海 09:00 360km 03:50 0\n"
              "K3 南京 14:05 北京 23:00 1160km 08:55 2\n"
              "Z5 南京 12:00 上海 13:00 0km 01:00 0\n");
    EXPECT_EQ(c.db.fromStation, 4);

    // A train that ends at the station is listed from its origin.
    rows.clear();
    c.db.queryStation(u"上海", rows);
    EXPECT_NE(render(rows).find("K2 北京 20:00 上海 09:00 1460km 13:00"), std::string::npos);

    rows.clear();
    c.db.queryStation(u"空站", rows);
    c.db.queryStation(u"火星", rows);
    EXPECT_TRUE(rows.empty());
    EXPECT_EQ(c.db.fromStation, -1);
}

// "train endsHere arrivalDays" per row.
std::string renderEnds(const std::vector<ResultRow>& rows) {
    std::string text;
    for (const ResultRow& r : rows) {
        text += toUtf8(r.trainName) + (r.endsHere ? " ends " : " on ") +
                std::to_string(r.arrivalDays) + "\n";
    }
    return text;
}

TEST(StationQuery, RowsSayWhereTheTrainEndsAndOnWhichDayTheyArrive) {
    for (const bool indexed : {true, false}) {
        CompiledDb c(kLine);
        c.db.useIndexes = indexed;
        std::vector<ResultRow> rows;
        // At 上海 K2 and Z5 end; K3 starts. K2 left 北京 the evening before.
        c.db.queryStation(u"上海", rows);
        EXPECT_EQ(renderEnds(rows), "K2 ends 1\nK3 on 0\nZ5 ends 0\n") << indexed;
        // At 济南 K2 stands over midnight: it leaves at 00:05 and reaches 上海 that same day.
        rows.clear();
        c.db.queryStation(u"济南", rows);
        EXPECT_EQ(renderEnds(rows), "K2 on 0\nT4 ends 0\n") << indexed;
        rows.clear();
        c.db.queryStationToStation(u"北京", u"南京", rows);
        EXPECT_EQ(renderEnds(rows), "K2 on 1\n") << indexed;
    }
}

TEST(StationLists, DuplicatesRepeatRowsAndStrangersGiveNone) {
    std::map<std::string, std::string> files = kLine;
    // 南京 lists K2 twice and G1 once; 上海 lists T4, which never calls there.
    files["stations.tsv"] =
        "name\ttrains\n北京\t*\n北京南\t*\n天津\t*\n济南\t*\n南京\tK2 G1 K2\n上海\tT4 K2\n"
        "上海虹桥\t*\n空站\t-\n";
    CompiledDb c(files);
    std::vector<ResultRow> rows;
    c.db.queryStationToStation(u"南京", u"上海", rows);
    // K2 once for each of 南京's two entries; G1 is not on 上海's list. T4 is, but does not
    // call at 上海 or any of its suffixed stations, so the station query gives it no row.
    EXPECT_EQ(render(rows),
              "K2 南京 05:10 上海 09:00 360km 03:50 0\n"
              "K2 南京 05:10 上海 09:00 360km 03:50 0\n");
    rows.clear();
    c.db.queryStation(u"上海", rows);
    EXPECT_EQ(render(rows), "K2 北京 20:00 上海 09:00 1460km 13:00 0\n");
}

// "index stops status dep arr km" per stretch.
std::string renderStretches(const std::vector<TrainStretch>& stretches) {
    std::string text;
    for (const TrainStretch& s : stretches) {
        text += std::to_string(s.trainIndex) + " " + std::to_string(s.departureStop) + "-" +
                std::to_string(s.arrivalStop) + " " + std::to_string(static_cast<int>(s.status)) +
                " " + toUtf8(clockText(s.departureHour, s.departureMinute)) + " " +
                toUtf8(clockText(s.arrivalHour, s.arrivalMinute)) + " " +
                std::to_string(s.distanceKm) + "\n";
    }
    return text;
}

TEST(Stretches, TheRowsAsNumbersAndBackToRows) {
    CompiledDb c(kLine);
    const int g1 = c.db.trainIndex.at(u"G1");
    const int k2 = c.db.trainIndex.at(u"K2");
    const int k3 = c.db.trainIndex.at(u"K3");
    std::vector<TrainStretch> stretches;
    EXPECT_TRUE(c.db.findStationToStation(u"北京", u"上海", stretches));
    EXPECT_EQ(renderStretches(stretches), std::to_string(k2) + " 0-3 0 20:00 09:00 1460\n");

    // 南京: G1 departs after its dwell; K3 does not run that day; the train that ends at
    // 上海 starts its stretch at its first stop.
    stretches.clear();
    c.db.findStationTrains(u"南京", stretches);
    ASSERT_EQ(stretches.size(), 4u);
    EXPECT_EQ(renderStretches({stretches[0], stretches[2]}),
              std::to_string(g1) + " 2-3 0 11:33 13:00 300\n" + std::to_string(k3) +
                  " 1-2 2 14:05 23:00 1160\n");
    std::vector<ResultRow> rows;
    c.db.queryStation(u"南京", rows);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ResultRow row;
        EXPECT_TRUE(c.db.buildResultRow(stretches[i], row));
        EXPECT_EQ(row, rows[i]);
    }
    stretches.clear();
    c.db.findStationTrains(u"上海", stretches);
    EXPECT_NE(renderStretches(stretches).find(std::to_string(k2) + " 0-3 0 20:00 09:00 1460"),
              std::string::npos);

    // A stretch that does not fit its train's record gives no row.
    ResultRow row;
    TrainStretch outside = stretches.front();
    outside.arrivalStop = 9;
    EXPECT_FALSE(c.db.buildResultRow(outside, row));
    outside = stretches.front();
    outside.trainIndex = 999;
    EXPECT_FALSE(c.db.buildResultRow(outside, row));
    outside.trainIndex = -5;
    EXPECT_FALSE(c.db.buildResultRow(outside, row));
}

}  // namespace
}  // namespace zelvan::test
