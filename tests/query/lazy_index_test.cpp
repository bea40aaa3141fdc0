// A question reads and indexes only what it needs: the record files of its station and of that
// station's trains, that one station's train list, the names it shows.
#include "query_fixture.h"

namespace zelvan::test {
namespace {

// Twelve stations A..L; the trains' indices put them into different train files
// ((index + 1) mod 20): T1 is train 0 (T1.dat), T2 train 1 (T2.dat), ... Station A (index 0,
// S1.dat) is called at by T1 and T3 only.
std::map<std::string, std::string> network() {
    std::string stations = "name\ttrains\n";
    for (char c = 'A'; c <= 'L'; ++c) stations += std::string(1, c) + "站\t*\n";
    std::string trains = "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n";
    std::string stops = "train\tstation\tarrival\tdwell\tkm\n";
    const char* runs[] = {"A B C", "D E F", "G A H", "I J K", "B C D", "E F G", "H I L"};
    for (int t = 0; t < 7; ++t) {
        const std::string number = "T" + std::to_string(t + 1);
        trains += number + "\t0x21\t5\t20260101\t20271231\t0\n";
        int km = 0;
        for (std::size_t i = 0; i < std::string(runs[t]).size(); i += 2) {
            stops += number + "\t" + std::string(1, runs[t][i]) + "站\t0" +
                     std::to_string(1 + i / 2) + ":00\t2\t" + std::to_string(km) + "\n";
            km += 100;
        }
    }
    return {{"stations.tsv", stations},
            {"trains.tsv", trains},
            {"stops.tsv", stops},
            {"codes.tsv", "code\tname\nAZ\tA站\n"}};
}

TEST(LazyIndexes, StationQuestionReadsOnlyItsStationAndItsTrains) {
    CompiledDb c(network());
    TimetableDb::IndexState state = c.db.indexState();
    EXPECT_TRUE(state.indexedTrainFiles.empty());
    EXPECT_TRUE(state.indexedStationFiles.empty());
    EXPECT_EQ(state.convertedStationNames, 0u);

    std::vector<ResultRow> rows;
    c.db.queryStation(u"A站", rows);
    EXPECT_EQ(render(rows),
              "T1 A站 01:02 C站 03:00 200km 01:58 0\n"
              "T3 A站 02:02 H站 03:00 100km 00:58 0\n");
    state = c.db.indexState();
    EXPECT_EQ(state.indexedStationFiles, (std::vector<int>{1}));   // A: station 0, S1.dat
    EXPECT_EQ(state.indexedTrainFiles, (std::vector<int>{1, 3}));  // trains 0 and 2
    EXPECT_EQ(state.listedStations, (std::vector<int>{0}));
    EXPECT_TRUE(state.measuredStations.empty());
    // Names shown in the rows: A, C, H and the origins G; nothing else is converted.
    EXPECT_EQ(state.convertedStationNames, 4u);
    EXPECT_TRUE(state.stationNameIndex);
    EXPECT_FALSE(state.trainNumberMap);
    EXPECT_FALSE(state.stationCodes);
    std::vector<std::u16string> names;
    c.db.suggestStations(u"AZ", names);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"A站"}));
    EXPECT_TRUE(c.db.indexState().stationCodes);
}

TEST(LazyIndexes, DistancesBesideAStationsListAreReadOnItsSecondThroughSearch) {
    CompiledDb c(network());
    std::vector<ResultRow> rows;
    c.db.queryStationToStation(u"B站", u"D站", rows);
    EXPECT_EQ(render(rows), "T5 B站 01:02 D站 03:00 200km 01:58 0\n");
    EXPECT_EQ(c.db.indexState().listedStations, (std::vector<int>{1, 3}));
    EXPECT_TRUE(c.db.indexState().measuredStations.empty());

    const std::string first = render(rows);
    rows.clear();
    c.db.queryStationToStation(u"B站", u"D站", rows);
    EXPECT_EQ(render(rows), first);
    EXPECT_EQ(c.db.indexState().measuredStations, (std::vector<int>{1, 3}));

    // The train-number map is built only for the map itself; the query reads t.i in place.
    rows.clear();
    c.db.queryTrainNumber(u"T", rows);
    EXPECT_EQ(rows.size(), 7u);
    EXPECT_FALSE(c.db.indexState().trainNumberMap);
    EXPECT_EQ(c.db.trainIndex.at(u"T7"), 6);
    EXPECT_TRUE(c.db.indexState().trainNumberMap);
}

// Loading again, or a name list set by hand, starts the indexes afresh.
TEST(LazyIndexes, IndexesFollowWhatTheDatabaseHoldsNow) {
    CompiledDb c(network());
    EXPECT_EQ(c.db.stationIndexByName(u"L站"), 11);
    c.db.stationNames = {u"X", u"L站", u"L站"};
    EXPECT_EQ(c.db.stationIndexByName(u"L站"), 1);
    EXPECT_EQ(c.db.stationIndexByName(u"A站"), -1);
    c.db.stationNames.push_back(u"A站");
    EXPECT_EQ(c.db.stationIndexByName(u"A站"), 3);
    c.db.trainIndex = {{u"Z1", 4}};
    EXPECT_EQ(c.db.trainNameByIndex(0), u"Z1");
    EXPECT_EQ(c.db.findTrainByNumber(u"Z1", 0, true), 4);
}

}  // namespace
}  // namespace zelvan::test
