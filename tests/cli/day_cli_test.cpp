// zelvan-cli --running: the trains that run on the day of travel, each run once, in departure
// order unless --sort names another (the default order and JSON stay the query's); and the
// platforms of a row's stops in JSON and in the station table.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "cli_run.h"

namespace zelvan::test {
namespace {

// D1 leaves 北京 at 09:00, A2 at 07:00 and runs only on even days of its rule, Z3 at 08:00
// is listed twice for 北京 (two station entries), C4 has expired. C4 leaves 北京 from
// platform 5 (train 1 in key order: A2 0, C4 1, D1 2, Z3 3).
void writeTimetable(const TempDir& dir) {
    const std::filesystem::path source = dir.path() / "source";
    std::filesystem::create_directories(source);
    writeBytes(source / "stations.tsv", "name\ttrains\n北京\tA2 C4 D1 Z3 Z3\n上海\t*\n");
    writeBytes(source / "trains.tsv",
               "train\tkind\tfactor\tvalid_from\tvalid_until\trule\n"
               "A2\t0x00\t0\t20260101\t20271231\t1\nC4\t0x00\t0\t20200101\t20201231\t0\n"
               "D1\t0x00\t0\t20260101\t20271231\t0\nZ3\t0x00\t0\t20260101\t20271231\t0\n");
    writeBytes(source / "stops.tsv",
               "train\tstation\tarrival\tdwell\tkm\n"
               "A2\t北京\t07:00\t0\t0\nA2\t上海\t12:00\t0\t1000\n"
               "C4\t北京\t06:00\t0\t0\nC4\t上海\t11:00\t0\t1000\n"
               "D1\t北京\t09:00\t0\t0\nD1\t上海\t13:00\t0\t1000\n"
               "Z3\t北京\t08:00\t0\t0\nZ3\t上海\t14:00\t0\t1000\n");
    writeBytes(source / "rules.txt", "1 1\n2 2\n");
    writeBytes(source / "t.stops", "train\tstop\tboard\talight\tplatform\n1\t0\t1\t1\t5\n");
    const Outcome built = run(dir, {"build", (dir.path() / "source").string(),
                                    (dir.path() / "data").string(), "--pinyin", ""});
    ASSERT_EQ(built.exitCode, 0) << built.err;
}

std::vector<std::string> numbers(const std::string& json) {
    std::vector<std::string> out;
    const nlohmann::json document = nlohmann::json::parse(json);
    for (const auto& row : document["rows"]) {
        out.push_back(row["trainName"].get<std::string>() + "/" +
                      std::to_string(row["status"].get<int>()));
    }
    return out;
}

TEST(RunningOption, OnlyTheDaysTrainsEachRunOnceInDepartureOrderUnlessSortedOtherwise) {
    TempDir dir;
    writeTimetable(dir);
    const std::string data = (dir.path() / "data").string();
    const auto ask = [&](std::vector<std::string> args) {
        args.insert(args.begin(), {"--data", data, "--date", "2026-01-01", "--json"});
        const Outcome r = run(dir, args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        return numbers(r.out);
    };
    // A2's rule runs on its second day of two: not on 2026-01-01, its first.
    using Rows = std::vector<std::string>;
    EXPECT_EQ(ask({"station", "北京"}), (Rows{"A2/2", "C4/1", "D1/0", "Z3/0", "Z3/0"}));
    EXPECT_EQ(ask({"station", "北京", "--running"}), (Rows{"Z3/0", "D1/0"}));
    EXPECT_EQ(ask({"station", "北京", "--running", "--sort", "train"}), (Rows{"D1/0", "Z3/0"}));
    EXPECT_EQ(ask({"route", "北京", "上海", "--running"}), (Rows{"Z3/0", "D1/0"}));
    EXPECT_EQ(ask({"train", "3", "--running"}), (Rows{"Z3/0"}));
    // The next day A2 runs.
    const Outcome next = run(dir, {"--data", data, "--date", "2026-01-02", "--running", "route",
                                   "北京", "上海"});
    EXPECT_EQ(next.exitCode, 0);
    EXPECT_EQ(next.out.substr(next.out.find('\n') + 1, 2), "A2") << next.out;
}

TEST(RunningOption, APlatformStandsInTheStationTableAndInJsonWhereTheTimetableGivesOne) {
    TempDir dir;
    writeTimetable(dir);
    const std::string data = (dir.path() / "data").string();
    const Outcome json =
        run(dir, {"--data", data, "--date", "2020-06-01", "--json", "station", "北京"});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    const nlohmann::json rows = nlohmann::json::parse(json.out)["rows"];
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[1]["trainName"], "C4");
    EXPECT_EQ(rows[1]["platform"], "5");
    EXPECT_FALSE(rows[1].contains("arrivalPlatform"));
    EXPECT_FALSE(rows[0].contains("platform"));  // none given: no key, as before
    const Outcome english = run(dir, {"--data", data, "--date", "2020-06-01", "station", "北京"},
                                {"LANG=en_US.UTF-8"});
    EXPECT_NE(english.out.find("06:00 Track 5"), std::string::npos) << english.out;
    const Outcome chinese = run(dir, {"--data", data, "--date", "2020-06-01", "station", "北京"},
                                {"LANG=zh_CN.UTF-8"});
    EXPECT_NE(chinese.out.find("06:00 5站台"), std::string::npos) << chinese.out;
}

}  // namespace
}  // namespace zelvan::test
