#include "query_fixture.h"

namespace zelvan::test {
namespace {

std::string trainsTsv(const std::vector<std::string>& trains) {
    std::string text = "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n";
    for (const std::string& t : trains) text += t + "\t0x30\t0\t20260101\t20271231\t0\n";
    return text;
}

// A to H without a through train except T8: change at C, D or E, all 200 km in total.
// C and D have two trains each, E three; C and D tie, E has more trains than C.
const std::map<std::string, std::string> kNetwork = {
    {"stations.tsv", "name\ttrains\nA\t*\nB\t*\nC\t*\nD\t*\nE\t*\nF\t*\nG\t*\nH\t*\n"},
    {"trains.tsv", trainsTsv({"T1", "T2", "T3", "T4", "T5", "T6", "T8"})},
    {"stops.tsv",
     "train\tstation\tarrival\tdwell\tkm\n"
     "T1\tA\t08:00\t0\t0\nT1\tC\t09:00\t0\t100\nT1\tD\t10:00\t0\t150\n"
     "T2\tA\t08:00\t0\t0\nT2\tE\t09:30\t0\t150\n"
     "T3\tC\t11:00\t0\t0\nT3\tH\t12:00\t0\t100\n"
     "T4\tD\t11:00\t0\t0\nT4\tH\t11:30\t0\t50\n"
     "T5\tE\t11:00\t0\t0\nT5\tH\t11:30\t0\t50\n"
     "T6\tE\t06:00\t0\t0\nT6\tG\t06:10\t0\t10\n"
     "T8\tA\t06:00\t0\t0\nT8\tH\t09:00\t0\t300\n"},
};

TEST(Transfer, RankedByDistanceThenTrainsThenStationIndex) {
    CompiledDb c(kNetwork);
    std::vector<std::u16string> stations = {u"kept"};
    c.db.queryTransferStations(u"A", u"H", stations);
    // E moves below C's score (more trains), D one above it (a tie, higher index). A and H,
    // linked by T8, are never proposed.
    EXPECT_EQ(render(stations), "kept\nE\nC\nD\n");
    stations.clear();
    c.db.queryTransferStations(u"A", u"nowhere", stations);
    c.db.queryTransferStations(u"G", u"A", stations);  // nothing leads into A
    EXPECT_TRUE(stations.empty());
}

TEST(Transfer, ReachMapsKeepTheLeastDistance) {
    std::map<std::string, std::string> files = kNetwork;
    files["trains.tsv"] = trainsTsv({"T1", "T2", "T3", "T4", "T5", "T6", "T8", "T9"});
    files["stops.tsv"] += "T9\tC\t07:00\t0\t0\nT9\tA\t07:30\t0\t30\nT9\tD\t08:00\t0\t70\n";
    CompiledDb c(files);
    std::map<int, int> reach;
    c.db.collectReachableStations(u"A", reach, true);
    // C: 100 by T1 (T9 calls there before A); D: 150 by T1, 40 by T9; E 150; H 300.
    EXPECT_EQ(reach, (std::map<int, int>{{2, 100}, {3, 40}, {4, 150}, {7, 300}}));
    reach.clear();
    c.db.collectReachableStations(u"A", reach, false);
    EXPECT_EQ(reach, (std::map<int, int>{{2, 30}}));
}

TEST(Transfer, AListedTrainNotCallingThereEndsTheScan) {
    std::map<std::string, std::string> files = kNetwork;
    // A's record: T1, then T3 (which never calls at A), then T2.
    files["stations.tsv"] = "name\ttrains\nA\tT1 T3 T2\nB\t*\nC\t*\nD\t*\nE\t*\nF\t*\nG\t*\nH\t*\n";
    CompiledDb c(files);
    std::map<int, int> reach;
    c.db.collectReachableStations(u"A", reach, true);
    EXPECT_EQ(reach, (std::map<int, int>{{2, 100}, {3, 150}}));  // E (by T2) was never read
}

TEST(Transfer, AtMostFifteenCandidates) {
    std::string stations = "name\ttrains\nA\t*\nH\t*\n";
    std::string stops = "train\tstation\tarrival\tdwell\tkm\nX1\tA\t06:00\t0\t0\n";
    std::string back;
    for (int i = 1; i <= 20; ++i) {
        std::string s = "S" + std::to_string(i);
        stations += s + "\t*\n";
        stops += "X1\t" + s + "\t07:00\t0\t" + std::to_string(10 * i) + "\n";
        back += "X2\t" + s + "\t08:00\t0\t" + std::to_string(10 * i) + "\n";
    }
    stops += back + "X2\tH\t09:00\t0\t210\n";
    CompiledDb c({{"stations.tsv", stations},
                  {"trains.tsv", trainsTsv({"X1", "X2"})},
                  {"stops.tsv", stops}});
    std::vector<std::u16string> candidates;
    c.db.queryTransferStations(u"A", u"H", candidates);
    // All at 210 km with two trains each: station order, the first fifteen.
    ASSERT_EQ(candidates.size(), 15u);
    EXPECT_EQ(candidates.front(), u"S1");
    EXPECT_EQ(candidates.back(), u"S15");
}

TEST(Transfer, TwoLegsAndTheirBoundary) {
    CompiledDb c(kNetwork);
    std::vector<ResultRow> rows = {ResultRow{}};
    EXPECT_EQ(c.db.queryTransferTrains(u"A", u"C", u"H", rows), 1);
    EXPECT_EQ(render(rows),
              "T1 A 08:00 C 09:00 100km 01:00 0\n"
              "T3 C 11:00 H 12:00 100km 01:00 0\n");
    EXPECT_EQ(c.db.queryTransferTrains(u"A", u"G", u"H", rows), 0);  // no A -> G train
    EXPECT_TRUE(rows.empty());                                       // nor G -> H
    EXPECT_EQ(c.db.queryTransferTrains(u"A", u"F", u"H", rows), 0);
    EXPECT_TRUE(rows.empty());
}

}  // namespace
}  // namespace zelvan::test
