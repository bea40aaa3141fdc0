// zelvan_fuzz_seeds OUT: writes the seed inputs of every fuzz target into OUT/<target>/, made
// from the sample timetable, the command-line tests' timetable and small generated timetables:
// their data files, packages, version files, source files and texts.
#include <cstdio>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "compiler/timetable_source.h"
#include "db/text.h"
#include "db/timetable_check.h"
#include "fuzz_support.h"
#include "timetable_generator.h"
#include "update/package_writer.h"

#include <zip.h>

namespace fs = std::filesystem;
using namespace zelvan;
using namespace zelvan::fuzz;

namespace {

const std::vector<std::string> kSourceFiles = {
    "stations.tsv", "trains.tsv", "stops.tsv", "codes.tsv", "rules.txt", "ads.tsv", "version.txt"};

bool failed = false;

void write(const fs::path& file, const std::string& bytes) {
    std::error_code ec;
    fs::create_directories(file.parent_path(), ec);
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out) != bytes.size()) failed = true;
    if (out) std::fclose(out);
}

// The files of a folder joined into one input, in the order of `names`; an absent file counts
// as empty, and absent files at the end are left out.
std::string joinFolder(const fs::path& folder, const std::vector<std::string>& names) {
    std::vector<std::string> files;
    std::size_t present = 0;
    for (const std::string& name : names) {
        std::error_code ec;
        if (fs::exists(folder / name, ec)) present = files.size() + 1;
        files.push_back(readFile(folder / name));
    }
    files.resize(present);
    return joinFiles(files);
}

// Seeds of one timetable given by its source folder.
void seedsOf(const std::string& name, const fs::path& sourceFolder, const fs::path& out) {
    const fs::path data = out / "work" / (name + ".data");
    std::string error;
    if (!compileTimetable(sourceFolder, data, error)) {
        std::fprintf(stderr, "zelvan_fuzz_seeds: %s: %s\n", name.c_str(), error.c_str());
        failed = true;
        return;
    }
    write(out / "timetable" / name, joinFolder(data, timetableFileNames()));
    std::vector<std::string> packed;
    std::error_code ec;
    fs::create_directories(out / "package", ec);
    if (!writePackage(data, out / "package" / name, packed, error)) {
        std::fprintf(stderr, "zelvan_fuzz_seeds: %s: %s\n", name.c_str(), error.c_str());
        failed = true;
    }
    write(out / "source" / name, joinFolder(sourceFolder, kSourceFiles));
    // A few of the texts as the conversions meet them.
    write(out / "text" / (name + "-stations"),
          readFile(sourceFolder / "stations.tsv").substr(0, 600));
    write(out / "text" / (name + "-codes"), readFile(data / "name.txt").substr(0, 600));
    write(out / "text" / (name + "-rules"), readFile(data / "t.rule"));
}

// A timetable of 130 stations and trains (train i from station i to i + 1), whole and with
// bytes ahead of the records of index 128 or 129 that the record lookup reads as theirs: the
// check must refuse those, and a mutation of them must never pass it with garbage behind.
void misplacedRecordSeeds(const fs::path& out) {
    TimetableSource source;
    for (int i = 0; i < 130; ++i) {
        SourceStation station;
        station.name = fromUtf8("S" + std::to_string(i));
        source.stations.push_back(station);
    }
    for (int i = 0; i < 130; ++i) {
        SourceTrain train;
        train.name = fromUtf8("T" + std::to_string(1000 + i));
        train.validFrom = 20110101;
        train.validUntil = 20111231;
        train.stops = {
            {source.stations[static_cast<std::size_t>(i)].name, 8, 0, 0, 0, 0},
            {source.stations[static_cast<std::size_t>((i + 1) % 130)].name, 9, 0, 0, 60, 0}};
        source.trains.push_back(train);
    }
    const fs::path data = out / "work" / "wide.data";
    std::string error;
    CompileOptions options;
    options.pinyinDictionary.clear();
    if (!writeDataFiles(source, data, error, options)) {
        std::fprintf(stderr, "zelvan_fuzz_seeds: wide: %s\n", error.c_str());
        failed = true;
        return;
    }
    write(out / "timetable" / "wide", joinFolder(data, timetableFileNames()));
    // The same timetable in the wide form of the record files (S.dat and T.dat).
    CompileOptions wide = options;
    wide.wideRecords = true;
    const fs::path wideData = out / "work" / "wide-form.data";
    if (!writeDataFiles(source, wideData, error, wide)) {
        std::fprintf(stderr, "zelvan_fuzz_seeds: wide form: %s\n", error.c_str());
        failed = true;
        return;
    }
    write(out / "timetable" / "wide-form", joinFolder(wideData, timetableFileNames()));
    const std::vector<std::pair<std::string, std::string>> damages = {
        {"T9.dat", std::string("\x00\x80", 2)},           // train 128
        {"T10.dat", std::string("\x00\x81\x05\x80", 4)},  // train 129
        {"S9.dat", std::string("\x00\x80", 2)},           // station 128
    };
    for (const auto& [file, bytes] : damages) {
        const std::string whole = readFile(data / file);
        write(data / file, bytes + whole);
        write(out / "timetable" / ("misplaced-" + file.substr(0, file.find('.'))),
              joinFolder(data, timetableFileNames()));
        write(data / file, whole);
    }
}

// A small feed: a station with a platform, a night run past midnight, a weekday calendar
// with an exception, a stop that lets riders off only, a frequency, a change time; as files
// and as a zip archive.
void gtfsSeeds(const fs::path& out) {
    const std::vector<std::string> files = {
        "agency_id,agency_name,agency_url,agency_timezone\nA,Rail,http://x,Europe/Zurich\n",
        "stop_id,stop_name,stop_lat,stop_lon,location_type,parent_station,platform_code\n"
        "ZH,Z\xC3\xBCrich HB,47.378,8.540,1,,\nZH7,Z\xC3\xBCrich HB,47.378,8.540,0,ZH,7\n"
        "BN,Bern,46.949,7.439,0,,\nGE,\"Gen\xC3\xA8ve, Cornavin\",46.210,6.142,0,,\n",
        "route_id,agency_id,route_short_name,route_long_name,route_type\nR1,A,IC1,,2\n",
        "route_id,service_id,trip_id,trip_short_name\nR1,WD,t1,701\nR1,WD,t2,799\nR1,SA,t3,701\n"
        "R1,WD,t4,703\n",
        "trip_id,arrival_time,departure_time,stop_id,stop_sequence,pickup_type,drop_off_type\n"
        "t1,08:00:00,08:00:00,ZH7,1,0,0\nt1,,,BN,2,0,0\nt1,10:40:00,10:40:00,GE,3,0,0\n"
        "t2,23:30:00,23:30:00,GE,1,0,0\nt2,25:00:00,25:02:00,BN,2,1,0\n"
        "t2,26:00:00,26:00:00,ZH,3,0,0\nt3,09:00:00,09:00:00,ZH7,1,0,0\n"
        "t3,10:00:00,10:02:00,BN,2,0,0\n"
        // Standing longer than a record's 127 minutes: the minutes go to t.stops.
        "t4,06:00:00,06:00:00,ZH7,1,0,0\nt4,07:00:00,09:30:00,BN,2,0,0\n"
        "t4,11:00:00,11:00:00,GE,3,0,0\n",
        "service_id,monday,tuesday,wednesday,thursday,friday,saturday,sunday,start_date,end_date\n"
        "WD,1,1,1,1,1,0,0,20261207,20261220\n",
        "service_id,date,exception_type\nWD,20261208,2\nSA,20261212,1\n",
        "trip_id,start_time,end_time,headway_secs\nt3,09:00:00,11:00:00,3600\n",
        "from_stop_id,to_stop_id,transfer_type,min_transfer_time\nBN,BN,2,240\n"};
    write(out / "gtfs" / "small", joinFiles(files));
    const std::vector<std::string> names = {
        "agency.txt",   "stops.txt",          "routes.txt",      "trips.txt",    "stop_times.txt",
        "calendar.txt", "calendar_dates.txt", "frequencies.txt", "transfers.txt"};
    const fs::path zip = out / "gtfs" / "small.zip";
    zipFile archive = zipOpen64(zip.c_str(), 0);
    bool ok = archive != nullptr;
    for (std::size_t i = 0; ok && i < names.size(); ++i) {
        zip_fileinfo info{};
        ok = zipOpenNewFileInZip4_64(archive, names[i].c_str(), &info, nullptr, 0, nullptr, 0,
                                     nullptr, Z_DEFLATED, 6, 0, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY,
                                     nullptr, 0, 20, 0, 0) == ZIP_OK &&
             zipWriteInFileInZip(archive, files[i].data(),
                                 static_cast<unsigned>(files[i].size())) == ZIP_OK &&
             zipCloseFileInZip(archive) == ZIP_OK;
    }
    if (archive == nullptr || zipClose(archive, nullptr) != ZIP_OK || !ok) {
        std::fprintf(stderr, "zelvan_fuzz_seeds: cannot write %s\n", zip.c_str());
        failed = true;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelvan_fuzz_seeds OUT\n");
        return 2;
    }
    const fs::path out = argv[1];
    std::error_code ec;
    fs::remove_all(out, ec);

    seedsOf("sample", ZELVAN_SAMPLE_DIR, out);
    seedsOf("cli-tests", ZELVAN_CLI_TIMETABLE_DIR, out);
    for (std::uint32_t seed = 1; seed <= 3; ++seed) {
        // The smallest network the generator makes: 60 stations, 100 trains.
        const std::string name = "generated-" + std::to_string(seed);
        std::string error;
        if (!writeTimetableSource(bench::generateTimetable({seed, 0.001}), out / "work" / name,
                                  error)) {
            std::fprintf(stderr, "zelvan_fuzz_seeds: %s: %s\n", name.c_str(), error.c_str());
            failed = true;
            continue;
        }
        seedsOf(name, out / "work" / name, out);
    }

    misplacedRecordSeeds(out);
    gtfsSeeds(out);

    // The installed version, then the version file; in GBK, 新的时刻表.
    const std::string text = "\xD0\xC2\xB5\xC4\xCA\xB1\xBF\xCC\xB1\xED";
    const std::map<std::string, std::vector<std::string>> versions = {
        {"newer-database",
         {"2026.12.01\n", "1.0|0317|" + text + "|2026.12.02|http://x/wm.db|-\r\n"}},
        {"same-database", {"2026.12.01\n", "1.0|0317|" + text + "|2026.12.01|http://x/wm.db|-"}},
        {"with-size", {"2026.12.01\n", "1.0|0317|-|2026.12.02|http://x/wm.db|-|1572864"}},
        {"new-program", {"2026.12.01\r\n", "1.1|0401|" + text + "\r\n|2027.01.01|http://x|-|x"}},
        {"five-fields", {"", "1.0|0317|x|2026.12.02|http://x/wm.db"}},
        {"separators", {"2026.12.01\n", "||1.0|||0317|x||2026.12.02|http://x/wm.db|-||"}},
    };
    for (const auto& [name, files] : versions) write(out / "version" / name, joinFiles(files));

    fs::remove_all(out / "work", ec);
    return failed ? 1 : 0;
}
