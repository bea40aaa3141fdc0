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

    // The installed version, then the version file; in GBK, 新的时刻表.
    const std::string text = "\xD0\xC2\xB5\xC4\xCA\xB1\xBF\xCC\xB1\xED";
    const std::map<std::string, std::vector<std::string>> versions = {
        {"newer-database",
         {"2026.12.01\n", "1.0|0317|" + text + "|2026.12.02|http://x/wm.db|-\r\n"}},
        {"same-database", {"2026.12.01\n", "1.0|0317|" + text + "|2026.12.01|http://x/wm.db|-"}},
        {"new-program", {"2026.12.01\r\n", "1.1|0401|" + text + "\r\n|2027.01.01|http://x|-|x"}},
        {"five-fields", {"", "1.0|0317|x|2026.12.02|http://x/wm.db"}},
        {"separators", {"2026.12.01\n", "||1.0|||0317|x||2026.12.02|http://x/wm.db|-||"}},
    };
    for (const auto& [name, files] : versions) write(out / "version" / name, joinFiles(files));

    fs::remove_all(out / "work", ec);
    return failed ? 1 : 0;
}
