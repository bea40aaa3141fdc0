// Fuzz target: GTFS feeds. An input holds up to three feeds separated by FF FF FF FE (one feed
// without it). A feed that starts like a zip archive ("PK") is the feed's zip; any other is
// split into the feed's files (agency.txt, stops.txt, routes.txt, trips.txt, stop_times.txt,
// calendar.txt, calendar_dates.txt, frequencies.txt, transfers.txt in that order; files past
// the last piece are absent). The feeds are imported into one timetable; one that imports must
// give a data folder that passes the check and answers its questions, with walks only between
// stations it holds.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "db/text.h"
#include "db/timetable_check.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "fuzz_support.h"
#include "gtfs/gtfs_import.h"

namespace {

const std::vector<std::string> kFiles = {"agency.txt",         "stops.txt",       "routes.txt",
                                         "trips.txt",          "stop_times.txt",  "calendar.txt",
                                         "calendar_dates.txt", "frequencies.txt", "transfers.txt"};

}  // namespace

// Separates the feeds of one input, as FF FF FF FF separates a feed's files.
constexpr std::string_view kFeedSeparator = "\xFF\xFF\xFF\xFE";

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelvan;
    using namespace zelvan::fuzz;
    const std::filesystem::path out = scratchFolder() / "imported";
    resetFolder(out);
    gtfs::ImportOptions options;
    std::string_view rest(reinterpret_cast<const char*>(data), size);
    for (int f = 0; f < 3 && (f == 0 || !rest.empty()); ++f) {
        std::size_t at = f < 2 ? rest.find(kFeedSeparator) : std::string_view::npos;
        const std::string_view piece = rest.substr(0, at);
        rest = at == std::string_view::npos ? std::string_view()
                                            : rest.substr(at + kFeedSeparator.size());
        const std::filesystem::path feed = scratchFolder() / ("feed" + std::to_string(f));
        resetFolder(feed);
        if (piece.size() >= 2 && piece[0] == 'P' && piece[1] == 'K') {
            writeFiles(feed, {"feed.zip"}, {piece});
            options.feeds.push_back(feed / "feed.zip");
        } else {
            writeFiles(feed, kFiles,
                       splitInput(reinterpret_cast<const std::uint8_t*>(piece.data()), piece.size(),
                                  kFiles.size()));
            options.feeds.push_back(feed);
        }
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
    for (const Walk& walk : db.extensions.walks()) {
        if (walk.from >= stations || walk.to >= stations || walk.minutes < 0) {
            fail("a walk between stations the timetable does not hold");
        }
    }
    if (summary.feeds.size() != options.feeds.size()) fail("a feed the summary does not name");
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
