// What the update tests share: a real HTTP server on 127.0.0.1, zip packages written with
// minizip's writer entry by entry, and small timetables written byte by byte.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace zelvan::test {

// tests/update/http_server.py serving `root`, started on a free port and killed at the end.
class TestServer {
  public:
    explicit TestServer(const std::filesystem::path& root);
    ~TestServer();
    TestServer(const TestServer&) = delete;
    TestServer& operator=(const TestServer&) = delete;

    bool running() const { return port_ > 0; }
    // "http://127.0.0.1:PORT" + path.
    std::string url(const std::string& path = "") const;
    // One JSON line per request served so far.
    std::vector<std::string> requests() const;

  private:
    std::filesystem::path root_;
    pid_t pid_ = -1;
    int port_ = 0;
};

// A port on 127.0.0.1 where nothing listens (it was free a moment ago).
int closedPort();

// One entry of a test package.
struct ZipEntry {
    ZipEntry(std::string entryName = {}, std::string entryData = {})
        : name(std::move(entryName)), data(std::move(entryData)) {}
    std::string name;
    std::string data;
    unsigned long madeBy = 20;  // high byte: host system (0 MS-DOS, 3 Unix)
    unsigned long externalAttributes = 0x20;
    unsigned long dosDate = 0x4B210000;  // 2017-09-01 00:00:00
    std::string localExtra;              // extra field of the local header
    bool deflate = true;
};
// Writes a zip archive of `entries` with minizip; false on failure.
bool writeZip(const std::filesystem::path& path, const std::vector<ZipEntry>& entries);
// An extended time stamp block: flags, then the times given (modify, access, create order).
std::string extendedTimeBlock(unsigned flags, const std::vector<std::int32_t>& times);

// A small timetable: every train runs daily from 2000 to 2099, one record per train.
struct TestStop {
    int station = 0;
    int hour = 0;
    int minute = 0;
    int dwell = 0;
    int km = 0;
};
struct TestTrain {
    std::string name;  // train names must be given in ascending order
    std::vector<TestStop> stops;
};
struct TestTimetable {
    std::vector<std::string> stations;  // UTF-8
    std::vector<TestTrain> trains;
    std::string version;  // ver.txt bytes; empty: no ver.txt
};
// Writes s.i, t.i, S0-S9.dat, T0-T19.dat and ver.txt into `folder`.
void writeTimetable(const std::filesystem::path& folder, const TestTimetable& timetable);
// The timetable's files as package entries (names as in the data folder).
std::vector<ZipEntry> timetableEntries(const TestTimetable& timetable);

// Every regular file below `folder` (relative path -> bytes), for before/after comparisons.
std::vector<std::pair<std::string, std::string>> snapshot(const std::filesystem::path& folder);

}  // namespace zelvan::test
