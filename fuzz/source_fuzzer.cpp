// Fuzz target: the timetable source reader and the compiler. The input is split into the source
// files (stations.tsv, trains.tsv, stops.tsv, codes.tsv, rules.txt, ads.tsv, version.txt; the
// files past the last piece are absent) and compiled. What compiles must load and pass the
// check, and its dump must compile to the same data files.
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>

#include "compiler/timetable_source.h"
#include "db/text.h"
#include "db/timetable_check.h"
#include "db/timetable_db.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zelvan;
    using namespace zelvan::fuzz;
    namespace fs = std::filesystem;
    static const std::vector<std::string> kSources = {"stations.tsv", "trains.tsv", "stops.tsv",
                                                      "codes.tsv",    "rules.txt",  "ads.tsv",
                                                      "version.txt"};
    const fs::path root = scratchFolder() / "source";
    resetFolder(root);
    fs::create_directories(root / "src");
    writeFiles(root / "src", kSources, splitInput(data, size, kSources.size()));

    TimetableSource source;
    std::string error;
    if (!readTimetableSource(root / "src", source, error)) return 0;
    if (!writeDataFiles(source, root / "data", error)) return 0;

    TimetableDb db;
    if (!db.load(fromUtf8((root / "data").string()))) fail("a compiled timetable does not load");
    // A station written without a record ("!") is the one error the compiler may write on
    // purpose.
    const bool stationsWithoutRecord =
        std::any_of(source.stations.begin(), source.stations.end(),
                    [](const SourceStation& s) { return s.listKind == StationListKind::NoRecord; });
    if (!stationsWithoutRecord && !checkTimetable(db.folder).passed()) {
        fail("a compiled timetable fails the check");
    }

    // The dump compiles to the same files; only name.txt may change its order (the dump writes
    // the codes in code order), so it is compared as the codes it gives.
    if (!writeDataFiles(dumpTimetable(db), root / "again", error)) fail("a dump does not compile");
    for (const std::string& name : timetableFileNames()) {
        if (name == "name.txt") continue;
        if (fs::exists(root / "data" / name) != fs::exists(root / "again" / name) ||
            readFile(root / "data" / name) != readFile(root / "again" / name)) {
            fail("a dump compiles to other data files");
        }
    }
    TimetableDb again;
    again.load(fromUtf8((root / "again").string()));
    if (again.stationsByCode.all() != db.stationsByCode.all()) fail("a dump gives other codes");
    return 0;
}
