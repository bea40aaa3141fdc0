// The numbers travellers see in an imported timetable: a number with several runs is stored as
// N, N 0x1F 2, N 0x1F 3 ..., and the suffix is storage, never text: the train-number search,
// the list of stops and every row see the number alone.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>

#include "db/text.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "feed_maker.h"
#include "gtfs/gtfs_import.h"
#include "test_files.h"

namespace zelvan::test {
namespace {

// A feed whose every number has one to five runs with different times (so that each is a train
// of its own), all daily for a week.
Feed numbersFeed(std::mt19937& random, std::map<std::string, int>& runsOf) {
    Feed feed;
    feed.stops = {{"A", "Alpha", 47.0, 8.0, "", 0, ""},
                  {"B", "Beta", 47.1, 8.1, "", 0, ""},
                  {"C", "Gamma", 47.2, 8.2, "", 0, ""}};
    feed.routes = {{"R", "S1"}};
    feed.services = {{"D", 0b1111111, "20261207", "20261213", {}}};
    int trip = 0;
    while (runsOf.size() < 60) {
        const std::string number = std::to_string(1 + random() % 3000);
        if (runsOf.count(number) != 0) continue;
        const int runs = 1 + static_cast<int>(random() % 5);
        runsOf[number] = runs;
        for (int r = 0; r < runs; ++r) {
            const int start = 3600 * (5 + r) + 60 * static_cast<int>(random() % 50);
            feed.trips.push_back({"t" + std::to_string(trip++),
                                  "R",
                                  "D",
                                  number,
                                  {{"A", start, start},
                                   {"B", start + 600, start + 660},
                                   {"C", start + 1500, start + 1500}}});
        }
    }
    return feed;
}

TEST(ImportedNumbers, TheRunSuffixIsNeverSearchedNorShown) {
    std::mt19937 random(29);
    std::map<std::string, int> runsOf;
    const Feed feed = numbersFeed(random, runsOf);
    TempDir source, out;
    writeFeed(feed, source.path());
    gtfs::ImportOptions options;
    options.feed = source.path();
    options.out = out.path() / "data";
    gtfs::ImportSummary summary;
    std::string error;
    ASSERT_TRUE(gtfs::importGtfs(options, summary, error)) << error;
    TimetableDb db;
    ASSERT_TRUE(db.load(fromUtf8(options.out.string())));
    db.queryDate = 20261209;

    // Every digit, and every two-digit text some number holds.
    std::set<std::string> texts;
    for (char d = '0'; d <= '9'; ++d) texts.insert(std::string(1, d));
    for (const auto& [number, runs] : runsOf) texts.insert(number.substr(0, 2));
    for (const bool indexed : {true, false}) {
        db.useIndexes = indexed;
        for (const std::string& text : texts) {
            std::vector<ResultRow> rows;
            db.queryTrainNumber(fromUtf8(text), rows);
            int expected = 0;
            for (const auto& [number, runs] : runsOf) {
                if (number.find(text) != std::string::npos) expected += runs;
            }
            EXPECT_EQ(static_cast<int>(rows.size()), expected) << text << " indexed " << indexed;
            for (const ResultRow& row : rows) {
                const std::string shown = toUtf8(row.trainName);
                EXPECT_NE(shown.find(text), std::string::npos) << shown << " for " << text;
                EXPECT_EQ(shown.find('\x1F'), std::string::npos) << shown;
                EXPECT_EQ(runsOf.count(shown), 1u) << shown;
            }
        }
        // A whole number opens one of its own runs, never a number that merely ends in it.
        for (const auto& [number, runs] : runsOf) {
            const int train = db.findTrainRun(fromUtf8(number));
            ASSERT_GE(train, 0) << number;
            EXPECT_EQ(toUtf8(db.trainNameByIndex(train)), number);
        }
    }
}

}  // namespace
}  // namespace zelvan::test
