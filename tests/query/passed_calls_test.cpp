// Calls where no one may board or alight (a depot), as timetables imported before such calls
// were left out still hold them: the trains pass there. No row starts, ends or is listed
// there, a train's origin and terminus are where riders may use it, and both ways of answering
// (indexed and plain) agree.
#include <gtest/gtest.h>

#include "db/passenger_stops.h"
#include "fare/result_table.h"
#include "query_fixture.h"

namespace zelvan::test {
namespace {

// X: A, the depot (passed), B, C. Y starts at the depot (passed) and calls at A and B. Z calls
// at A and B and ends at the depot (passed). X leaves A from platform 2.
const std::map<std::string, std::string> kFiles{
    {"stations.tsv", "name\ttrains\nA\t*\nDepot\t*\nB\t*\nC\t*\n"},
    {"trains.tsv",
     "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
     "X\t0x00\t0\t20260101\t20271231\t0\nY\t0x00\t0\t20260101\t20271231\t0\n"
     "Z\t0x00\t0\t20260101\t20271231\t0\n"},
    {"stops.tsv",
     "train\tstation\tarrival\tdwell\tkm\n"
     "X\tA\t08:00\t0\t0\nX\tDepot\t08:10\t0\t5\nX\tB\t08:30\t0\t20\nX\tC\t09:00\t0\t40\n"
     "Y\tDepot\t06:40\t0\t0\nY\tA\t07:00\t0\t5\nY\tB\t07:30\t0\t25\n"
     "Z\tA\t10:00\t0\t0\nZ\tB\t10:30\t0\t20\nZ\tDepot\t10:45\t0\t26\n"},
    {"t.stops",
     "train\tstop\tboard\talight\tplatform\tdwell\n"
     "0\t0\t1\t1\t2\t\n0\t1\t0\t0\t\t\n1\t0\t0\t0\t\t\n2\t2\t0\t0\t\t\n"},
};

std::string originsAndTermini(const std::vector<ResultRow>& rows) {
    std::string text;
    for (const ResultRow& r : rows) {
        text += toUtf8(r.trainName + u" " + r.originStation + u"-" + r.terminusStation) + "\n";
    }
    return text;
}

TEST(PassedCalls, NoRowAtThePassedStationAndEndsWhereRidersMayUseTheTrain) {
    CompiledDb compiled(kFiles);
    TimetableDb& db = compiled.db;
    for (const bool indexes : {true, false}) {
        SCOPED_TRACE(indexes ? "indexed" : "plain");
        db.useIndexes = indexes;
        std::vector<ResultRow> rows;
        db.queryStation(u"Depot", rows);
        EXPECT_EQ(render(rows), "");
        db.queryStation(u"A", rows);
        EXPECT_EQ(render(rows),
                  "X A 08:00 C 09:00 40km 01:00 0\n"
                  "Y A 07:00 B 07:30 20km 00:30 0\n"
                  "Z A 10:00 B 10:30 20km 00:30 0\n");
        // Y starts at A and Z ends at B for riders: the depot is neither.
        EXPECT_EQ(originsAndTermini(rows), "X A-C\nY A-B\nZ A-B\n");
        EXPECT_EQ(rows[0].departurePlatform, u"2");
        EXPECT_EQ(rowCell(TableKind::Station, rows[0], 1), u"08:00 2站台");
        // Y ends at B: its row there runs from A, where it starts for riders.
        rows.clear();
        db.queryStation(u"B", rows);
        EXPECT_EQ(originsAndTermini(rows), "X A-C\nY A-B\nZ A-B\n");
        rows.clear();
        for (const auto& [from, to] : {std::pair{u"Depot", u"B"}, std::pair{u"A", u"Depot"}}) {
            EXPECT_FALSE(db.queryStationToStation(from, to, rows)) << toUtf8(from);
        }
        EXPECT_TRUE(db.queryStationToStation(u"A", u"B", rows));
        EXPECT_EQ(rows.size(), 3u);
        rows.clear();
        db.queryTrainNumber(u"Y", rows);
        EXPECT_EQ(render(rows), "Y A 07:00 B 07:30 20km 00:30 0\n");
        // The depot is no station to change at.
        std::vector<std::u16string> stations;
        db.queryTransferStations(u"A", u"C", stations);
        EXPECT_EQ(std::find(stations.begin(), stations.end(), u"Depot"), stations.end());
    }
    EXPECT_EQ(passengerEnds(db.extensions, 1, 3), (std::pair{1, 2}));
    EXPECT_EQ(passengerEnds(db.extensions, 2, 3), (std::pair{0, 1}));
    EXPECT_EQ(passengerEnds(db.extensions, 0, 4), (std::pair{0, 3}));
    EXPECT_TRUE(passedWithoutCall(db.extensions, 0, 1));
    EXPECT_FALSE(passedWithoutCall(db.extensions, 0, 0));
    // Y's list of stops: the first it shows has no arrival, as a first stop has none.
    TrainRecord y;
    db.decodeTrain(1, y);
    const std::vector<StopDays> days = stopDays(y.stops);
    EXPECT_EQ(stopTableCell(db, y.stops, days, 1, 1, 1), u"-- --");
    EXPECT_EQ(stopTableCell(db, y.stops, days, 2, 2, 1), u"-- --");
}

}  // namespace
}  // namespace zelvan::test
