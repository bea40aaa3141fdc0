// The whole update check against a real HTTP server on 127.0.0.1: what the user is asked and
// told, and what becomes of the timetable. In every failure the old timetable must still load
// and answer, byte for byte unchanged.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <deque>
#include <functional>
#include <thread>

#include "db/data_folder.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "test_files.h"
#include "update/cancel_token.h"
#include "update/database_install.h"
#include "update/network_connection.h"
#include "update/package_writer.h"
#include "update/update_checker.h"
#include "update_support.h"

namespace zelvan {
namespace {

using test::TempDir;
using test::TestServer;
using test::ZipEntry;

// Writes every question, notice and error into `log` and every progress report into
// `progress`; questions take their answers from `answers` (No once it runs dry). `onEvent`, when
// set, sees each question ("ask ...") and each report ("progress PHASE RECEIVED") as it comes.
struct RecordingNotifier : UpdateNotifier {
    std::vector<std::string> log;
    std::deque<bool> answers;
    std::vector<UpdateProgress> progress;
    std::function<void(const std::string&)> onEvent;

    bool ask(bool programFlag, bool questionFlag, const std::u16string& text) override {
        log.push_back(std::string("ask ") + (programFlag ? "1" : "0") + (questionFlag ? "1" : "0") +
                      ": " + toUtf8(text));
        if (onEvent) onEvent(log.back());
        if (!programFlag && !questionFlag) return false;
        bool answer = !answers.empty() && answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    }
    void showError(const std::u16string& text) override { log.push_back("error: " + toUtf8(text)); }
    void openHomepage() override { log.push_back("homepage"); }
    void showProgress(const UpdateProgress& p) override {
        progress.push_back(p);
        if (onEvent) {
            onEvent("progress " + std::to_string(static_cast<int>(p.phase)) + " " +
                    std::to_string(p.received));
        }
    }
};

// Installed: 北京 -> 上海 by K1, version 2011.01.01. On offer: 天津 added, D5 added.
test::TestTimetable oldTimetable() {
    return {{"北京", "上海"}, {{"K1", {{0, 8, 0, 0, 0}, {1, 20, 0, 0, 1400}}}}, "2011.01.01\r\n"};
}

test::TestTimetable newTimetable() {
    return {{"北京", "天津", "上海"},
            {{"D5", {{0, 7, 0, 0, 0}, {1, 7, 30, 2, 120}, {2, 12, 0, 0, 1300}}},
             {"K1", {{0, 8, 0, 0, 0}, {2, 20, 0, 0, 1400}}}},
            "2011.02.01\r\n"};
}

class UpdateFlow : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server.running()) << "cannot start " ZELVAN_TEST_SERVER_SCRIPT;
        test::writeTimetable(data.path(), oldTimetable());
        ASSERT_TRUE(db.load(data.wide()));
        before = test::snapshot(data.path());
        checker.setNotifier(&notifier);
    }

    // The version file: six fields unless told otherwise; the package at `packagePath`.
    void serveVersion(const std::string& databaseVersion, const std::string& packagePath = "/wm.db",
                      const std::string& program = "1.0|0317") {
        // The text is GBK: 新的时刻表.
        test::writeBytes(site / "wm.ver", program + "|\xD0\xC2\xB5\xC4\xCA\xB1\xBF\xCC\xB1\xED|" +
                                              databaseVersion + "|" + server.url(packagePath) +
                                              "|-\r\n");
    }
    void servePackage(const std::vector<ZipEntry>& entries, const std::string& name = "wm.db") {
        ASSERT_TRUE(test::writeZip(site / name, entries));
    }
    // The failure message, and the old timetable untouched in memory and on disk.
    void expectOldTimetableKept() {
        EXPECT_EQ(notifier.log.back(), "error: 更新失败，原有数据未改变");
        expectOldDataUnchanged();
    }
    void expectOldDataUnchanged() {
        EXPECT_EQ(test::snapshot(data.path()), before);
        EXPECT_EQ(db.stationNames, (std::vector<std::u16string>{u"北京", u"上海"}));
        TimetableDb fresh;
        ASSERT_TRUE(fresh.load(data.wide()));
        TrainRecord k1;
        fresh.decodeTrain(fresh.trainIndex.at(u"K1"), k1);
        ASSERT_EQ(k1.stops.size(), 2u);
        EXPECT_EQ(k1.stops[1].distanceKm, 1400);
        EXPECT_FALSE(std::filesystem::exists(checker.workFolder() / "staging"));
        EXPECT_FALSE(std::filesystem::exists(checker.workFolder() / "backup"));
    }

    TempDir site;
    TempDir data;
    TestServer server{site.path()};
    TimetableDb db;
    UpdateChecker checker{db, server.url()};
    RecordingNotifier notifier;
    std::vector<std::pair<std::string, std::string>> before;
};

TEST_F(UpdateFlow, SameVersionsMeanNoUpdate) {
    // The installed first line ends in a line break, so the bare equal version sorts before it.
    serveVersion("2011.01.01");
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::NoUpdate);
    EXPECT_EQ(notifier.log, (std::vector<std::string>{"ask 00: 没有发现更新"}));
    EXPECT_EQ(checker.fields().size(), 6u);
    EXPECT_FALSE(std::filesystem::exists(checker.workFolder() / "update.ver"));
    // An older database on the server is no update either.
    serveVersion("2010.12.31");
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::NoUpdate);
    expectOldDataUnchanged();
}

TEST_F(UpdateFlow, RequestCarriesAgentAcceptAndNoCache) {
    serveVersion("2011.01.01");
    checker.startCheck();
    std::vector<std::string> requests = server.requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_NE(requests[0].find("\"path\": \"/wm.ver\""), std::string::npos);
    EXPECT_NE(requests[0].find("\"User-Agent\": \"Agent"), std::string::npos);
    EXPECT_NE(requests[0].find("\"Accept\": \"*/*\""), std::string::npos);
    EXPECT_NE(requests[0].find("\"Cache-Control\": \"no-cache\""), std::string::npos);
    EXPECT_NE(requests[0].find("\"Pragma\": \"no-cache\""), std::string::npos);
}

TEST_F(UpdateFlow, NewProgramIsOfferedAndYesOpensTheHomepage) {
    serveVersion("2011.02.01", "/wm.db", "1.1|0401");
    notifier.answers = {true};
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::NewProgram);
    EXPECT_EQ(
        notifier.log,
        (std::vector<std::string>{
            "ask 11: 发现新版本程序:1.1.0401\r\n新的时刻表\n数据库版本:2011.02.01\n现在就去下载吗?",
            "homepage"}));
    // No: nothing more, and the newer database on offer is not even looked at.
    notifier.log.clear();
    notifier.answers = {false};
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::NewProgram);
    EXPECT_EQ(notifier.log.size(), 1u);
    // An older program counts as new as well.
    serveVersion("2011.01.01", "/wm.db", "0.9|0317");
    notifier.log.clear();
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::NewProgram);
    EXPECT_EQ(server.requests().size(), 3u);  // three version files, no package
    expectOldDataUnchanged();
}

TEST_F(UpdateFlow, VersionsDifferingOnlyInLetterCaseAreEqual) {
    test::writeBytes(data / "ver.txt", "2011.01.01-a\n");
    test::writeBytes(site / "wm.ver", "1.0|0317|x|2011.01.01-A|" + server.url("/wm.db") + "|-");
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::NoUpdate);
    EXPECT_EQ(compareNoCase(u"1.0B", u"1.0b"), 0);
    EXPECT_LT(compareNoCase(u"2011", u"2011\n"), 0);
    EXPECT_GT(compareNoCase(u"2012", u"2011\n"), 0);
}

TEST_F(UpdateFlow, NewDatabaseIsInstalledReloadedAndVisible) {
    serveVersion("2011.02.01");
    servePackage(test::timetableEntries(newTimetable()));
    notifier.answers = {true};
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Updated);
    EXPECT_EQ(notifier.log,
              (std::vector<std::string>{"ask 01: 发现新数据库版本:2011.02.01\n"
                                        "正在使用的版本:2011.01.01\n新的时刻表\n现在就去下载吗?",
                                        "ask 00: 更新完毕"}));
    EXPECT_EQ(checker.stage(), 1);

    // The same database object answers from the new files at once.
    EXPECT_EQ(db.stationNames, (std::vector<std::u16string>{u"北京", u"天津", u"上海"}));
    ASSERT_EQ(db.trainIndex.count(u"D5"), 1u);
    TrainRecord d5;
    db.decodeTrain(db.trainIndex.at(u"D5"), d5);
    ASSERT_EQ(d5.stops.size(), 3u);
    EXPECT_EQ(d5.stops[1].station, 1);
    EXPECT_EQ(d5.stops[2].distanceKm, 1300);
    std::u16string version;
    db.readDatabaseVersion(version);
    EXPECT_EQ(version, u"2011.02.01\n");
    TempDir expected;
    test::writeTimetable(expected.path(), newTimetable());
    EXPECT_EQ(test::snapshot(data.path()), test::snapshot(expected.path()));
    EXPECT_FALSE(std::filesystem::exists(checker.workFolder() / "staging"));
    EXPECT_FALSE(std::filesystem::exists(checker.workFolder() / "backup"));

    // Checking again finds nothing newer.
    notifier.log.clear();
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::NoUpdate);
}

TEST_F(UpdateFlow, ADamagedTimetableIsOfferedTheServersWhateverItsVersion) {
    test::writeBytes(data / "T1.dat", "\x05\x05\x05");
    serveVersion("2011.01.01");  // what the damaged ver.txt claims to be
    servePackage(test::timetableEntries(oldTimetable()));
    notifier.answers = {true};
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Updated);
    // No version in use to name: the damaged one's claim is not taken.
    EXPECT_EQ(notifier.log.front(),
              "ask 01: 发现新数据库版本:2011.01.01\n新的时刻表\n现在就去下载吗?");
    EXPECT_EQ(test::snapshot(data.path()), before);                            // mended
    EXPECT_FALSE(std::filesystem::exists(checker.workFolder() / "previous"));  // no step back to it
}

TEST_F(UpdateFlow, DecliningTheDatabaseDownloadsNothing) {
    serveVersion("2011.02.01");
    servePackage(test::timetableEntries(newTimetable()));
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Declined);
    EXPECT_EQ(notifier.log.size(), 1u);
    EXPECT_EQ(server.requests().size(), 1u);
    expectOldDataUnchanged();
}

TEST_F(UpdateFlow, UnusableVersionFilesEndSilently) {
    // Five fields; runs of separators give no empty fields; an HTML error page as version file.
    for (const std::string& text :
         {std::string("1.0|0317|x|2011.02.01|http://127.0.0.1/wm.db"),
          std::string("1.0||0317|x||2011.02.01|http://127.0.0.1/wm.db|"), std::string("")}) {
        test::writeBytes(site / "wm.ver", text);
        EXPECT_EQ(checker.startCheck(), UpdateOutcome::NoAnswer) << text;
    }
    checker.setServer(server.url("/redirect"));  // /redirect/wm.ver -> /wm.ver
    test::writeBytes(site / "wm.ver", "<html>update server</html>");
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::NoAnswer);
    EXPECT_TRUE(notifier.log.empty());
    expectOldDataUnchanged();
}

TEST_F(UpdateFlow, ServerDownAnd404FailWithTheConnectMessage) {
    checker.setServer("http://127.0.0.1:" + std::to_string(test::closedPort()));
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Failed);
    EXPECT_EQ(notifier.log, (std::vector<std::string>{"error: 连接网络失败!"}));

    // No wm.ver on the server: the error page is not taken for a version file.
    checker.setServer(server.url());
    notifier.log.clear();
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Failed);
    EXPECT_EQ(notifier.log, (std::vector<std::string>{"error: 连接网络失败!"}));
    expectOldDataUnchanged();
}

TEST_F(UpdateFlow, PackageDownloadFailuresKeepTheOldTimetable) {
    servePackage(test::timetableEntries(newTimetable()));
    struct Case {
        std::string path;
        std::string message;
    } cases[] = {
        {"/missing.db", "error: 连接网络失败!"},
        {"/status/500", "error: 连接网络失败!"},
        {"/cut/wm.db", "error: 下载文件出错！"},  // Content-Length larger than the body
    };
    for (const Case& c : cases) {
        serveVersion("2011.02.01", c.path);
        notifier.log.clear();
        notifier.answers = {true};
        EXPECT_EQ(checker.startCheck(), UpdateOutcome::Failed) << c.path;
        EXPECT_EQ(notifier.log.back(), c.message) << c.path;
        expectOldDataUnchanged();
    }
}

TEST_F(UpdateFlow, BadPackagesAreRefusedAndTheOldTimetableKept) {
    // Packages whose bytes are damaged where it matters: T1.dat's data, stored (the checksum
    // catches it) and deflated (inflating or the checksum catches it).
    auto damaged = [&](bool deflate) {
        std::vector<ZipEntry> entries = test::timetableEntries(newTimetable());
        for (ZipEntry& e : entries) e.deflate = deflate;
        servePackage(entries, "damaged.db");
        std::string bytes = test::readBytes(site / "damaged.db");
        std::size_t data = bytes.find("T1.dat") + 6;  // the local header's name ends its header
        bytes[data + 2] ^= 0x55;
        return bytes;
    };
    std::vector<ZipEntry> missingFile = test::timetableEntries(newTimetable());
    missingFile.erase(missingFile.begin() + 20);  // T8.dat
    servePackage(missingFile, "missing.db");
    servePackage({}, "empty.db");
    servePackage(test::timetableEntries(newTimetable()), "good.db");
    std::string good = test::readBytes(site / "good.db");

    struct Case {
        const char* what;
        std::string bytes;
        std::string message = "error: 更新失败，原有数据未改变";
    } cases[] = {
        {"not a zip", "this is not a zip archive at all"},
        {"cut short", good.substr(0, good.size() / 2)},
        {"stored data damaged", damaged(false)},
        {"deflated data damaged", damaged(true)},
        {"empty zip", test::readBytes(site / "empty.db")},
        {"a required file missing", test::readBytes(site / "missing.db"),
         "error: 更新失败：数据文件 T8.dat 缺失，原有数据未改变"},
    };
    for (const Case& c : cases) {
        test::writeBytes(site / "wm.db", c.bytes);
        serveVersion("2011.02.01");
        notifier.log.clear();
        notifier.answers = {true};
        EXPECT_EQ(checker.startCheck(), UpdateOutcome::Failed) << c.what;
        EXPECT_EQ(notifier.log.back(), c.message) << c.what;
        expectOldDataUnchanged();
    }
}

// Packages that hold every file and unpack cleanly but are no timetable: each is refused
// naming the damaged file, and a sound package is still installed after them.
TEST_F(UpdateFlow, PackagesThatFailTheCheckAreRefused) {
    auto with = [](const std::string& file, const std::function<void(std::string&)>& damage) {
        std::vector<ZipEntry> entries = test::timetableEntries(newTimetable());
        for (ZipEntry& e : entries) {
            if (e.name == file) damage(e.data);
        }
        return entries;
    };
    // T1.dat holds D5 (train 0): header, then its three stops of 7 bytes, then 0x80.
    struct Case {
        const char* what;
        std::vector<ZipEntry> entries;
        const char* file;
    } cases[] = {
        {"garbage records", with("T1.dat", [](std::string& b) { b.assign(b.size(), '\xC3'); }),
         "T1.dat"},
        {"a record cut short", with("T1.dat", [](std::string& b) { b.resize(20); }), "T1.dat"},
        {"a stop's end marker missing", with("T1.dat", [](std::string& b) { b.pop_back(); }),
         "T1.dat"},
        {"a station out of range", with("T1.dat", [](std::string& b) { b[13 + 7] = 9; }), "T1.dat"},
        {"an hour of 24", with("T1.dat", [](std::string& b) { b[13 + 2] = 24; }), "T1.dat"},
        {"a minute of 60", with("T1.dat", [](std::string& b) { b[13 + 3] = 60; }), "T1.dat"},
        {"an empty station list", with("s.i", [](std::string& b) { b.assign(4, '\0'); }), "s.i"},
        {"an empty train list", with("t.i", [](std::string& b) { b.assign(4, '\0'); }), "t.i"},
        {"a name list cut short", with("t.i", [](std::string& b) { b.resize(b.size() - 3); }),
         "t.i"},
        {"train numbers out of order", with("t.i", [](std::string& b) { std::swap(b[4], b[8]); }),
         "t.i"},
        {"a station record cut short", with("S1.dat", [](std::string& b) { b.resize(3); }),
         "S1.dat"},
        {"a station listing an unknown train",
         with("S1.dat", [](std::string& b) { b.insert(2, "\x7F\x7F"); }), "S1.dat"},
    };
    for (const Case& c : cases) {
        servePackage(c.entries);
        serveVersion("2011.02.01");
        notifier.log.clear();
        notifier.answers = {true};
        EXPECT_EQ(checker.startCheck(), UpdateOutcome::Failed) << c.what;
        EXPECT_EQ(notifier.log.back(),
                  std::string("error: 更新失败：数据文件 ") + c.file + " 损坏，原有数据未改变")
            << c.what;
        expectOldDataUnchanged();
    }
    servePackage(test::timetableEntries(newTimetable()));
    notifier.answers = {true};
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Updated);
    EXPECT_EQ(db.stationNames.size(), 3u);
}

TEST_F(UpdateFlow, HostileEntryNamesStayInsideOrAreSkipped) {
    std::vector<ZipEntry> entries = test::timetableEntries(newTimetable());
    entries.push_back({"../escaped.txt", "x"});
    entries.push_back({"sub/../../escaped2.txt", "x"});
    entries.push_back({"/tmp/absolute.txt", "x"});
    entries.push_back({"C:\\Windows\\drive.txt", "x"});
    entries.push_back({"..\\T0.dat", "not a timetable file"});
    servePackage(entries);
    serveVersion("2011.02.01");
    notifier.answers = {true};
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Updated);
    EXPECT_FALSE(std::filesystem::exists(data.path().parent_path() / "escaped.txt"));
    EXPECT_FALSE(std::filesystem::exists(data.path().parent_path() / "escaped2.txt"));
    // Entries that are not timetable files are never installed.
    std::vector<std::string> names;
    for (const auto& [name, bytes] : test::snapshot(data.path())) names.push_back(name);
    EXPECT_EQ(names.size(), 33u);  // s.i, t.i, 30 record files, ver.txt
    EXPECT_EQ(test::readBytes(data / "T0.dat"), "");
}

TEST_F(UpdateFlow, ReadOnlyEntriesInstallAndCanBeReplacedLater) {
    std::vector<ZipEntry> entries = test::timetableEntries(newTimetable());
    for (ZipEntry& e : entries) e.externalAttributes = 0x21;  // MS-DOS read-only + archive
    servePackage(entries);
    serveVersion("2011.02.01");
    notifier.answers = {true};
    ASSERT_EQ(checker.startCheck(), UpdateOutcome::Updated);
    struct stat st;
    ASSERT_EQ(::stat((data / "s.i").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0222, 0u);

    test::TestTimetable third = newTimetable();
    third.version = "2011.03.01\n";
    third.stations.push_back("广州");
    servePackage(test::timetableEntries(third));
    serveVersion("2011.03.01");
    notifier.answers = {true};
    ASSERT_EQ(checker.startCheck(), UpdateOutcome::Updated);
    EXPECT_EQ(db.stationNames.size(), 4u);
}

TEST_F(UpdateFlow, OversizedPackagesAreRefused) {
    std::vector<ZipEntry> entries = test::timetableEntries(newTimetable());
    entries.push_back({"name.txt", std::string(1 << 20, ' ')});  // 1 MiB of blanks deflates ~1000x
    servePackage(entries);
    serveVersion("2011.02.01");
    notifier.answers = {true};
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Failed);
    expectOldTimetableKept();

    // A package download longer than allowed is cut off.
    checker.packageLimits.maxBytes = 100;
    servePackage(test::timetableEntries(newTimetable()));
    notifier.answers = {true};
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Failed);
    EXPECT_EQ(notifier.log.back(), "error: 下载文件出错！");
}

TEST_F(UpdateFlow, PackMakesAPackageThatUpdatesAnotherInstallation) {
    TempDir source;
    test::writeTimetable(source.path(), newTimetable());
    std::vector<std::string> packed;
    std::string error;
    ASSERT_TRUE(writePackage(source.path(), site / "wm.db", packed, error)) << error;
    EXPECT_EQ(packed.size(), 33u);
    ASSERT_TRUE(writeVersionFile(source.path(), site / "wm.ver", "春运时刻表", server.url("/wm.db"),
                                 error, 3 * 1024 * 1024 / 2))
        << error;
    EXPECT_EQ(test::readBytes(site / "wm.ver"),
              "1.0|0317|\xB4\xBA\xD4\xCB\xCA\xB1\xBF\xCC\xB1\xED|2011.02.01|" +
                  server.url("/wm.db") + "|-|1572864");

    // The question names the version in use, the text and the size of the download.
    notifier.answers = {true};
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Updated);
    EXPECT_EQ(notifier.log.front(),
              "ask 01: 发现新数据库版本:2011.02.01\n正在使用的版本:2011.01.01\n"
              "春运时刻表\n下载大小:1.5 MB\n现在就去下载吗?");
    EXPECT_EQ(checker.fields()[2], u"春运时刻表");
    EXPECT_EQ(test::snapshot(data.path()), test::snapshot(source.path()));

    // Without every data file there is no package.
    std::filesystem::remove(source / "T19.dat");
    EXPECT_FALSE(writePackage(source.path(), site / "other.db", packed, error));
    EXPECT_NE(error.find("T19.dat"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(site / "other.db"));
}

TEST_F(UpdateFlow, CheckFirstMendsAnInstallCutShortByACrash) {
    // New files half moved in (no completion mark), and the program loaded that mixture.
    TempDir staging;
    test::writeTimetable(staging.path(), newTimetable());
    ASSERT_TRUE(
        installTimetableFiles(staging.path(), data.path(), checker.workFolder() / "backup"));
    std::filesystem::remove(checker.workFolder() / "backup/.complete");
    ASSERT_TRUE(db.load(data.wide()));
    ASSERT_EQ(db.stationNames.size(), 3u);

    serveVersion("2011.01.01");
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::NoUpdate);
    expectOldDataUnchanged();  // files rolled back, and the database reloaded from them
}

TEST_F(UpdateFlow, FirstUpdateFillsTheUserFolderAndLeavesTheLoadedOneAlone) {
    // The loaded timetable stands for the installed one; its station codes are not in the
    // package, so the user's new set must take them over.
    test::writeBytes(data / "name.txt", test::utf16File(u"北京 BJ\n"));
    ASSERT_TRUE(db.load(data.wide()));
    before = test::snapshot(data.path());
    TempDir home;
    const std::filesystem::path user = home / "share/zelvan";  // not there yet
    checker.setInstallFolder(fromUtf8(user.string()));
    const DataFolderInputs where{std::nullopt, u"", fromUtf8(user.string()), u"", data.wide()};

    // A package that fails its check: the user's folder does not count as a timetable.
    test::writeBytes(site / "wm.db", "this is not a zip archive");
    serveVersion("2011.02.01");
    notifier.answers = {true};
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Failed);
    EXPECT_EQ(resolveDataFolder(where).source, DataFolderSource::Installed);
    EXPECT_EQ(test::snapshot(data.path()), before);
    EXPECT_EQ(db.folder, data.wide());

    servePackage(test::timetableEntries(newTimetable()));
    notifier.answers = {true};
    ASSERT_EQ(checker.startCheck(), UpdateOutcome::Updated);
    EXPECT_EQ(test::snapshot(data.path()), before);  // byte for byte
    EXPECT_EQ(db.folder, fromUtf8(user.string()));
    EXPECT_EQ(db.stationNames.size(), 3u);
    EXPECT_EQ(db.stationsByCode.at(u"BJ"), u"北京");

    TempDir expected;
    test::writeTimetable(expected.path(), newTimetable());
    std::filesystem::copy_file(data / "name.txt", expected / "name.txt");
    auto files = test::snapshot(user);
    std::erase_if(files, [](const auto& file) { return file.first.starts_with(".update/"); });
    EXPECT_EQ(files, test::snapshot(expected.path()));

    // From now on the user's folder answers, and the next check compares with its version.
    EXPECT_EQ(resolveDataFolder(where).source, DataFolderSource::User);
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::NoUpdate);
}

TEST_F(UpdateFlow, NoPlaceToInstallRefusesBeforeAnyDownload) {
    // A user without a home folder: never fall back to writing where the timetable was read.
    checker.setInstallFolder(u"");
    serveVersion("2011.02.01");
    EXPECT_EQ(checker.startCheck(), UpdateOutcome::Failed);
    EXPECT_EQ(notifier.log, (std::vector<std::string>{"error: 无法写磁盘！"}));
    EXPECT_TRUE(server.requests().empty());
    EXPECT_EQ(test::snapshot(data.path()), before);
}

TEST_F(UpdateFlow, UpdateCommandNeedsNoConnectionManager) {
    serveVersion("2011.01.01");
    NetworkConnection connection;
    RecordingNotifier other;
    EXPECT_EQ(runUpdateCommand(connection, checker, other), UpdateOutcome::NoUpdate);
    EXPECT_TRUE(connection.held());
    EXPECT_EQ(other.log, (std::vector<std::string>{"ask 00: 没有发现更新"}));
    EXPECT_TRUE(notifier.log.empty());
    connection.release();
    EXPECT_FALSE(connection.held());
}

TEST_F(UpdateFlow, ProgressFollowsThePhasesAndTheBytes) {
    serveVersion("2011.02.01", "/slow/wm.db");
    servePackage(test::timetableEntries(newTimetable()));
    notifier.answers = {true};
    ASSERT_EQ(checker.startCheck(), UpdateOutcome::Updated);
    const auto size = static_cast<std::int64_t>(std::filesystem::file_size(site / "wm.db"));

    std::vector<UpdatePhase> phases;
    std::int64_t last = -1;
    int pieces = 0;
    for (const UpdateProgress& p : notifier.progress) {
        if (phases.empty() || phases.back() != p.phase) phases.push_back(p.phase);
        if (p.phase != UpdatePhase::Downloading) continue;
        EXPECT_GE(p.received, last);  // never backwards
        if (p.received > last && last > 0) ++pieces;
        last = p.received;
        if (p.received > 0) {
            EXPECT_EQ(p.total, size);
        }
    }
    EXPECT_EQ(phases, (std::vector<UpdatePhase>{UpdatePhase::Checking, UpdatePhase::Downloading,
                                                UpdatePhase::Installing}));
    EXPECT_EQ(last, size);
    EXPECT_GE(pieces, 2);
}

TEST_F(UpdateFlow, CancelAtEverySafePointKeepsTheOldTimetable) {
    servePackage(test::timetableEntries(newTimetable()));
    test::writeBytes(site / "big.db", test::readBytes(site / "wm.db") + std::string(8000, 'x'));
    auto startsWith = [](const std::string& prefix) {
        return [prefix](const std::string& event) { return event.rfind(prefix, 0) == 0; };
    };
    struct Case {
        const char* what;
        std::string packagePath;
        std::function<bool(const std::string&)> cancelAt;  // the event to cancel at
        bool answer;
    } cases[] = {
        // A terminal's Ctrl+C at the prompt makes the answer No.
        {"at the question", "/wm.db", startsWith("ask 01"), false},
        {"while the package downloads", "/stall/big.db",
         [](const std::string& e) { return e.rfind("progress 1 ", 0) == 0 && e != "progress 1 0"; },
         true},
        {"when the install begins", "/wm.db", startsWith("progress 2"), true},
    };
    for (const Case& c : cases) {
        serveVersion("2011.02.01", c.packagePath);
        CancelToken cancel;
        checker.setCancelToken(&cancel);
        notifier.log.clear();
        notifier.answers = {c.answer};
        notifier.onEvent = [&](const std::string& event) {
            if (c.cancelAt(event)) cancel.cancel();
        };
        EXPECT_EQ(checker.startCheck(), UpdateOutcome::Cancelled) << c.what;
        EXPECT_EQ(notifier.log.back(), "ask 00: 更新已取消，原有数据未改变") << c.what;
        EXPECT_EQ(notifier.log.size(), 2u) << c.what;
        expectOldDataUnchanged();
        EXPECT_FALSE(std::filesystem::exists(checker.workFolder() / "wm.db")) << c.what;
    }
    notifier.onEvent = nullptr;
    checker.setCancelToken(nullptr);
}

TEST_F(UpdateFlow, ASecondCheckOfTheFolderIsRefusedWhileOneRuns) {
    // The first check stalls in the middle of the version file.
    serveVersion("2011.01.01");
    checker.setServer(server.url("/stall"));
    CancelToken cancel;
    checker.setCancelToken(&cancel);
    std::atomic<bool> receiving{false};
    notifier.onEvent = [&](const std::string& event) {
        if (event.rfind("progress 0 ", 0) == 0 && event != "progress 0 0") receiving = true;
    };
    UpdateOutcome first = UpdateOutcome::Failed;
    std::thread running([&] { first = checker.startCheck(); });
    for (int i = 0; i < 1000 && !receiving; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_TRUE(receiving);

    // Another program (here another checker and database over the same folder) is refused.
    TimetableDb otherDb;
    ASSERT_TRUE(otherDb.load(data.wide()));
    UpdateChecker other(otherDb, server.url());
    RecordingNotifier otherNotifier;
    other.setNotifier(&otherNotifier);
    EXPECT_EQ(other.startCheck(), UpdateOutcome::Busy);
    EXPECT_EQ(otherNotifier.log,
              (std::vector<std::string>{"error: 另一个更新正在进行，请稍后再试"}));

    auto asked = std::chrono::steady_clock::now();
    cancel.cancel();
    running.join();
    EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(1));
    EXPECT_EQ(first, UpdateOutcome::Cancelled);
    EXPECT_EQ(server.requests().size(), 1u);  // the refused check asked the server nothing
    expectOldDataUnchanged();
    EXPECT_FALSE(std::filesystem::exists(checker.workFolder() / "update.ver"));

    // Once the first has ended, the next one runs.
    otherNotifier.log.clear();
    EXPECT_EQ(other.startCheck(), UpdateOutcome::NoUpdate);
    notifier.onEvent = nullptr;
    checker.setCancelToken(nullptr);
}

TEST(VersionFile, SplitsLikeStrtokAndConvertsFromGbk) {
    struct Case {
        std::string text;
        std::vector<std::u16string> fields;
    } cases[] = {
        {"a|b|c", {u"a", u"b", u"c"}},
        {"||a|||b||", {u"a", u"b"}},
        {"a|b\r\n|c\n", {u"a", u"b\r\n", u"c\n"}},  // line breaks stay in their field
        {std::string("a|b\0|c", 6), {u"a", u"b"}},  // the text ends at a NUL
        {"\xB1\xB1\xBE\xA9|x", {u"北京", u"x"}},
        {"", {}},
    };
    for (const Case& c : cases) EXPECT_EQ(splitVersionFile(c.text), c.fields) << c.text;
}

TEST(Install, InterruptedInstallIsRolledBackOrCompleted) {
    TempDir live;
    TempDir staging;
    test::writeTimetable(live.path(), oldTimetable());
    test::writeTimetable(staging.path(), newTimetable());
    test::writeBytes(staging / "name.txt", test::utf16File(u"北京 BJ"));
    auto oldFiles = test::snapshot(live.path());
    auto newFiles = test::snapshot(staging.path());
    std::filesystem::path backup = live / ".update/backup";

    // Completed moves but no finish: recovery keeps the new set and drops the backup.
    ASSERT_TRUE(installTimetableFiles(staging.path(), live.path(), backup));
    ASSERT_TRUE(recoverInterruptedInstall(live.path(), backup));
    EXPECT_EQ(test::snapshot(live.path()), newFiles);
    EXPECT_FALSE(std::filesystem::exists(backup));

    // A crash half-way (no completion mark): recovery puts the old set back, and removes the
    // files that the old set did not have.
    test::writeTimetable(staging.path(), newTimetable());
    test::writeBytes(staging / "name.txt", test::utf16File(u"北京 BJ"));
    TempDir live2;
    test::writeTimetable(live2.path(), oldTimetable());
    std::filesystem::path backup2 = live2 / ".update/backup";
    ASSERT_TRUE(installTimetableFiles(staging.path(), live2.path(), backup2));
    std::filesystem::remove(backup2 / ".complete");
    ASSERT_TRUE(recoverInterruptedInstall(live2.path(), backup2));
    EXPECT_EQ(test::snapshot(live2.path()), oldFiles);
    EXPECT_FALSE(std::filesystem::exists(live2 / "name.txt"));
}

}  // namespace
}  // namespace zelvan
