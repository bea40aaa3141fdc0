// Installing a checked timetable, the step back to the one it replaced, and installations
// killed at every one of their steps: the next start must find one whole timetable, the old or
// the new, never a mixture, and nothing left over in the work folder.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "compiler/timetable_source.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "test_files.h"
#include "update/database_install.h"
#include "update/installation.h"
#include "update_support.h"

namespace zelvan {
namespace {

namespace fs = std::filesystem;
using test::TempDir;
using Snapshot = std::vector<std::pair<std::string, std::string>>;

// Three generations: 天津 and D5 arrive with the second, which also brings name.txt (so the
// step back must remove a file); the third adds 广州.
test::TestTimetable generation(int n) {
    test::TestTimetable t{
        {"北京", "上海"}, {{"K1", {{0, 8, 0, 0, 0}, {1, 20, 0, 0, 1400}}}}, "2011.01.01\n"};
    if (n >= 2) {
        t.stations = {"北京", "天津", "上海"};
        t.trains = {{"D5", {{0, 7, 0, 0, 0}, {1, 7, 30, 2, 120}, {2, 12, 0, 0, 1300}}},
                    {"K1", {{0, 8, 0, 0, 0}, {2, 20, 0, 0, 1400}}}};
        t.version = "2011.02.01\n";
    }
    if (n >= 3) {
        t.stations.push_back("广州");
        t.version = "2011.03.01\n";
    }
    return t;
}

void writeGeneration(const fs::path& folder, int n) {
    test::writeTimetable(folder, generation(n));
    if (n >= 2) test::writeBytes(folder / "name.txt", test::utf16File(u"北京 BJ\r\n"));
}

Snapshot snapshotOf(int n) {
    TempDir folder;
    writeGeneration(folder.path(), n);
    return test::snapshot(folder.path());
}

int killAt = -1;

// Runs `action` in a child process that is killed outright at install step `step`. True when
// it was killed there, false when it finished before reaching that step.
bool killedAtStep(int step, const std::function<void()>& action) {
    pid_t pid = ::fork();
    if (pid == 0) {
        killAt = step;
        setInstallStepHook([](int n) {
            if (n == killAt) ::kill(::getpid(), SIGKILL);
        });
        action();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
}

// Dates the files of `folder` an hour back: a pass is remembered only for files that settled.
void settle(const fs::path& folder) {
    const auto past = fs::file_time_type::clock::now() - std::chrono::hours(1);
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.is_regular_file()) fs::last_write_time(entry.path(), past);
    }
}

class Installation : public ::testing::Test {
  protected:
    void SetUp() override {
        setDurableWrites(false);  // processes are killed here, not machines
        writeGeneration(live.path(), 1);
        ASSERT_TRUE(db.load(live.wide()));
    }
    void TearDown() override { setDurableWrites(true); }

    InstallResult install(int n) {
        TempDir staging;
        writeGeneration(staging.path(), n);
        return installCheckedTimetable(db, staging.path(), live.path());
    }
    fs::path work() const { return workFolderOf(live.path()); }
    // What the next start does: mend, load, check. The timetable must be whole.
    Snapshot nextStart() {
        EXPECT_TRUE(recoverDataFolder(live.path()));
        TimetableDb fresh;
        EXPECT_TRUE(fresh.load(live.wide()));
        EXPECT_TRUE(checkTimetable(live.wide()).passed());
        for (const char* leftover : {"staging", "backup", "previous.new", "rolling-back"}) {
            EXPECT_FALSE(fs::exists(work() / leftover)) << leftover;
        }
        return test::snapshot(live.path());
    }

    TempDir live;
    TimetableDb db;
};

TEST_F(Installation, StepBackRestoresTheReplacedTimetableOnce) {
    EXPECT_FALSE(hasPreviousTimetable(live.path()));
    ASSERT_EQ(install(2).status, InstallStatus::Installed);
    EXPECT_EQ(test::snapshot(live.path()), snapshotOf(2));
    EXPECT_EQ(db.stationNames.size(), 3u);
    EXPECT_TRUE(hasPreviousTimetable(live.path()));
    EXPECT_EQ(test::snapshot(work() / "previous"), snapshotOf(1));

    InstallResult back = rollBackTimetable(db, live.path());
    ASSERT_EQ(back.status, InstallStatus::Installed);
    EXPECT_EQ(toUtf8(rollBackText(back, db)), "已恢复上一版时刻表，数据库版本：2011.01.01");
    EXPECT_EQ(test::snapshot(live.path()), snapshotOf(1));  // name.txt is gone again
    EXPECT_EQ(db.stationNames.size(), 2u);                  // and the database reloaded
    EXPECT_TRUE(db.stationsByCode.empty());

    // One step only: the way back is used up.
    EXPECT_FALSE(hasPreviousTimetable(live.path()));
    back = rollBackTimetable(db, live.path());
    EXPECT_EQ(back.status, InstallStatus::Nothing);
    EXPECT_EQ(toUtf8(rollBackText(back, db)), "没有可以恢复的上一版时刻表");
    EXPECT_EQ(test::snapshot(live.path()), snapshotOf(1));
}

// A timetable in the wide form of the record files (S.dat, T.dat) replaces one in the narrow
// form whole, and the step back brings the narrow one back whole: neither form's record files
// stay beside the other's.
TEST_F(Installation, ATimetableOfTheOtherFormReplacesTheRecordFilesWhole) {
    const test::TestTimetable next = generation(2);
    TimetableSource source;
    for (const std::string& name : next.stations) {
        source.stations.emplace_back();
        source.stations.back().name = fromUtf8(name);
    }
    for (const test::TestTrain& train : next.trains) {
        SourceTrain out;
        out.name = fromUtf8(train.name);
        for (const test::TestStop& stop : train.stops) {
            SourceStop at;
            at.station = u"#" + fromUtf8(std::to_string(stop.station));
            at.arrivalHour = stop.hour;
            at.arrivalMinute = stop.minute;
            at.dwellMinutes = stop.dwell;
            at.distanceKm = stop.km;
            out.stops.push_back(at);
        }
        source.trains.push_back(std::move(out));
    }
    source.version = next.version;
    source.hasVersion = true;
    TempDir staging;
    CompileOptions options;
    options.pinyinDictionary.clear();
    options.wideRecords = true;
    std::string error;
    ASSERT_TRUE(writeDataFiles(source, staging.path(), error, options)) << error;
    ASSERT_EQ(installCheckedTimetable(db, staging.path(), live.path()).status,
              InstallStatus::Installed);
    EXPECT_TRUE(fs::exists(live / "T.dat"));
    for (const char* narrow : {"S0.dat", "T0.dat", "T19.dat"}) {
        EXPECT_FALSE(fs::exists(live / narrow)) << narrow;
    }
    EXPECT_EQ(db.stationNames.size(), 3u);
    EXPECT_EQ(nextStart(), test::snapshot(live.path()));

    ASSERT_EQ(rollBackTimetable(db, live.path()).status, InstallStatus::Installed);
    EXPECT_EQ(test::snapshot(live.path()), snapshotOf(1));
    EXPECT_EQ(db.stationNames.size(), 2u);
}

TEST_F(Installation, DamagedTimetablesAreNeitherInstalledNorKeptNorRestored) {
    // A damaged staged timetable changes nothing and keeps nothing.
    TempDir staging;
    writeGeneration(staging.path(), 2);
    test::writeBytes(staging / "T2.dat", "\x01\x02\x03");
    InstallResult result = installCheckedTimetable(db, staging.path(), live.path());
    EXPECT_EQ(result.status, InstallStatus::Damaged);
    EXPECT_EQ(toUtf8(damageText(result.check)), "数据文件 T2.dat 损坏");
    EXPECT_EQ(test::snapshot(live.path()), snapshotOf(1));
    EXPECT_FALSE(hasPreviousTimetable(live.path()));

    // A train file whose lone byte before an end marker reads as the index of a train it
    // stands ahead of (00 80: train 128) is refused, though every real record is whole.
    test::TestTimetable wide;
    for (int i = 0; i < 130; ++i) {
        char name[8];
        std::snprintf(name, sizeof name, "S%03d", i);
        wide.stations.push_back(name);
        std::snprintf(name, sizeof name, "T%03d", i);
        wide.trains.push_back({name, {{i, 8, 0, 0, 0}, {(i + 1) % 130, 9, 0, 0, 50}}});
    }
    wide.version = "2011.02.01\n";
    TempDir misplaced;
    test::writeTimetable(misplaced.path(), wide);
    ASSERT_TRUE(checkTimetable(misplaced.wide()).passed());
    test::writeBytes(misplaced / "T9.dat",
                     std::string("\x00\x80", 2) + test::readBytes(misplaced / "T9.dat"));
    result = installCheckedTimetable(db, misplaced.path(), live.path());
    EXPECT_EQ(result.status, InstallStatus::Damaged);
    EXPECT_EQ(toUtf8(damageText(result.check)), "数据文件 T9.dat 损坏");
    EXPECT_EQ(test::snapshot(live.path()), snapshotOf(1));

    // A timetable in use that went bad is no step back: the older one stays the step back.
    ASSERT_EQ(install(2).status, InstallStatus::Installed);
    test::writeBytes(live / "T1.dat", "garbage");
    ASSERT_EQ(install(3).status, InstallStatus::Installed);
    EXPECT_EQ(test::snapshot(work() / "previous"), snapshotOf(1));

    // A step back that went bad is refused and the timetable in use stays.
    test::writeBytes(work() / "previous" / "S1.dat", "");
    result = rollBackTimetable(db, live.path());
    EXPECT_EQ(result.status, InstallStatus::Damaged);
    EXPECT_EQ(toUtf8(rollBackText(result, db)),
              "恢复失败：上一版时刻表的数据文件 S1.dat 损坏，现有数据未改变");
    EXPECT_EQ(test::snapshot(live.path()), snapshotOf(3));
}

TEST_F(Installation, APassIsRememberedUntilAFileChanges) {
    // Nothing is written into a folder the updater has not installed into: its pass is kept in
    // the user's cache, and a changed file is read again there too.
    TempDir cache;
    const char* before = std::getenv("XDG_CACHE_HOME");
    const std::string saved = before ? before : "";
    ASSERT_EQ(::setenv("XDG_CACHE_HOME", cache.path().c_str(), 1), 0);
    // Files written a moment ago may still change within their time stamp's tick.
    EXPECT_TRUE(checkInstalledTimetable(live.path()).passed());
    EXPECT_FALSE(fs::exists(cache / "zelvan" / "checked"));
    settle(live.path());
    EXPECT_TRUE(checkInstalledTimetable(live.path()).passed());
    EXPECT_FALSE(fs::exists(work()));
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(cache / "zelvan" / "checked")) {
        kept.push_back(entry.path());
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_EQ(test::readBytes(kept[0]), timetableFilesStamp(live.wide()));
    test::writeBytes(live / "S1.dat", "");
    EXPECT_FALSE(checkInstalledTimetable(live.path()).passed());
    writeGeneration(live.path(), 1);
    EXPECT_TRUE(checkInstalledTimetable(live.path()).passed());
    before ? ::setenv("XDG_CACHE_HOME", saved.c_str(), 1) : ::unsetenv("XDG_CACHE_HOME");

    // Once the updater works in the folder, the pass is kept there.
    fs::create_directories(work());
    settle(live.path());
    EXPECT_TRUE(checkInstalledTimetable(live.path()).passed());
    EXPECT_EQ(test::readBytes(work() / "checked"), timetableFilesStamp(live.wide()));

    // A file written again, even to the same length, is read again; a failure is not kept.
    std::string t1 = test::readBytes(live / "T1.dat");
    t1[15] = 24;  // K1's first stop at 24 o'clock
    test::writeBytes(live / "T1.dat", t1);
    const CheckReport damaged = checkInstalledTimetable(live.path());
    ASSERT_FALSE(damaged.passed());
    EXPECT_EQ(describeFinding(damaged.errors.front()),
              "T1.dat: stop 1: hour 24 is above 23 (train K1, station 北京)");
    EXPECT_NE(test::readBytes(work() / "checked"), timetableFilesStamp(live.wide()));
    EXPECT_FALSE(checkInstalledTimetable(live.path()).passed());
}

TEST_F(Installation, TheFilesALoadOpenedStandInTheStampAndTellWhatAPassCovers) {
    fs::create_directories(work());
    settle(live.path());
    TimetableDb db;
    ASSERT_TRUE(db.load(live.wide()));
    EXPECT_EQ(timetableFilesStamp(live.wide(), db.openedFiles), timetableFilesStamp(live.wide()));
    // A pass covers the loaded files when they are what was checked, or what passed before.
    bool covered = false;
    EXPECT_TRUE(checkInstalledTimetable(live.path(), db.openedFiles, &covered).passed());
    EXPECT_TRUE(covered);
    covered = false;
    EXPECT_TRUE(checkInstalledTimetable(live.path(), db.openedFiles, &covered).passed());
    EXPECT_TRUE(covered);
    EXPECT_TRUE(checkInstalledTimetable(live.path(), {}, &covered).passed());
    EXPECT_FALSE(covered);

    // A damaged file loaded after the pass has another stamp: it is checked, and refused.
    std::string t1 = test::readBytes(live / "T1.dat");
    t1[15] = 24;
    test::writeBytes(live / "T1.dat", t1);
    ASSERT_TRUE(db.load(live.wide()));
    EXPECT_FALSE(checkInstalledTimetable(live.path(), db.openedFiles, &covered).passed());
    EXPECT_FALSE(covered);
}

TEST_F(Installation, InstallKilledAtEveryStepLeavesOneWholeTimetable) {
    const Snapshot oldSet = snapshotOf(1);
    const Snapshot newSet = snapshotOf(2);
    int step = 0;
    int sawOld = 0;
    int sawNew = 0;
    for (;; ++step) {
        ASSERT_LT(step, 500) << "the install never finished";
        fs::remove_all(work());
        writeGeneration(live.path(), 1);
        fs::remove(live / "name.txt");
        TempDir staging;
        writeGeneration(staging.path(), 2);
        const bool killed = killedAtStep(step, [&] {
            TimetableDb child;
            child.load(live.wide());
            installCheckedTimetable(child, staging.path(), live.path());
        });
        const Snapshot found = nextStart();
        if (found == oldSet) {
            ++sawOld;
            EXPECT_FALSE(hasPreviousTimetable(live.path())) << "step " << step;
        } else {
            ++sawNew;
            EXPECT_EQ(found, newSet) << "a mixture after step " << step;
            EXPECT_EQ(test::snapshot(work() / "previous"), oldSet) << "step " << step;
        }
        if (!killed) break;  // the install ran to its end
    }
    EXPECT_GT(step, 60);  // every file moved is a step of its own
    EXPECT_GT(sawOld, 30);
    EXPECT_GT(sawNew, 2);
}

TEST_F(Installation, StepBackKilledAtEveryStepLeavesOneWholeTimetable) {
    const Snapshot oldSet = snapshotOf(1);
    const Snapshot newSet = snapshotOf(2);
    int step = 0;
    int sawOld = 0;
    for (;; ++step) {
        ASSERT_LT(step, 500) << "the step back never finished";
        fs::remove_all(work());
        writeGeneration(live.path(), 1);
        fs::remove(live / "name.txt");
        ASSERT_EQ(install(2).status, InstallStatus::Installed);
        const bool killed = killedAtStep(step, [&] {
            TimetableDb child;
            child.load(live.wide());
            rollBackTimetable(child, live.path());
        });
        const Snapshot found = nextStart();
        if (found == newSet) {
            // Not taken: the way back is still there, whole.
            EXPECT_EQ(test::snapshot(work() / "previous"), oldSet) << "step " << step;
        } else {
            ++sawOld;
            EXPECT_EQ(found, oldSet) << "a mixture after step " << step;
            EXPECT_FALSE(hasPreviousTimetable(live.path())) << "step " << step;
        }
        if (!killed) break;
    }
    EXPECT_GT(step, 60);
    EXPECT_GT(sawOld, 2);
}

}  // namespace
}  // namespace zelvan
