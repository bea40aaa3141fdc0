// Fuzz target: a GTFS feed. An input that starts like a zip archive ("PK") is the feed's zip;
// any other is split into the feed's files (agency.txt, stops.txt, routes.txt, trips.txt,
// stop_times.txt, calendar.txt, calendar_dates.txt, frequencies.txt, transfers.txt in that
// order; files past the last piece are absent). The feed is imported; a feed that imports must
// give a data folder that passes the check and answers its questions.
#include <cstdint>
#include <string>
#include <vector>

#include "db/text.h"
#include "db/timetable_check.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "fuzz_support.h"
#include "gtfs/gtfs_import.h"

namespace {

const std::vector<std::string> kFiles = {
    "agency.txt",   "stops.txt",          "routes.txt",      "trips.txt",    "stop_times.txt",
    "calendar.txt", "calendar_dates.txt", "frequencies.txt", "transfers.txt"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelvan;
    using namespace zelvan::fuzz;
    const std::filesystem::path feed = scratchFolder() / "feed";
    const std::filesystem::path out = scratchFolder() / "imported";
    resetFolder(feed);
    resetFolder(out);
    gtfs::ImportOptions options;
    if (size >= 2 && data[0] == 'P' && data[1] == 'K') {
        const std::filesystem::path zip = feed / "feed.zip";
        writeFiles(feed, {"feed.zip"},
                   {std::string_view(reinterpret_cast<const char*>(data), size)});
        options.feed = zip;
    } else {
        writeFiles(feed, kFiles, splitInput(data, size, kFiles.size()));
        options.feed = feed;
    }
    options.out = out;
    gtfs::ImportSummary summary;
    std::string error;
    if (!gtfs::importGtfs(options, summary, error)) {
        if (error.empty()) fail("an import that failed without saying why");
        return 0;
    }
    const std::u16string folder = fromUtf8(out.string());
    if (!checkTimetable(folder).passed()) fail("an imported timetable that fails the check");
    TimetableDb db;
    if (!db.load(folder)) fail("an imported timetable that does not load");
    db.queryDate = summary.firstDay;
    const int stations = static_cast<int>(db.stationNames.size());
    for (int s = 0; s < stations && s < 4; ++s) {
        std::vector<ResultRow> rows;
        db.queryStation(db.stationNames[s], rows);
        db.queryStationToStation(db.stationNames[s], db.stationNames[stations - 1], rows);
    }
    std::vector<ResultRow> rows;
    db.queryTrainNumber(u"", rows);
    if (static_cast<int>(rows.size()) > summary.trains) fail("more trains than imported");
    return 0;
}
