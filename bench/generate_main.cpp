// zelvan-gen: writes a synthetic national-scale timetable as data files.
//
//   zelvan-gen OUT [--seed N] [--scale F] [--copies N] [--gtfs DIR [--trips-per-train N]]
#include <CLI/CLI.hpp>
#include <cstdio>
#include <iostream>

#include "db/text.h"
#include "gtfs_export.h"
#include "timetable_generator.h"

int main(int argc, char** argv) {
    using namespace zelvan::bench;
    std::string out;
    GeneratorOptions options;
    CLI::App app{
        "Writes a synthetic timetable of national size (3,300 stations, 13,000 trains, "
        "about 200,000 stops at scale 1) as data files",
        "zelvan-gen"};
    app.add_option("OUT", out, "Data folder to write (created when missing)")->required();
    app.add_option("--seed", options.seed, "Random seed; the same seed gives the same timetable");
    app.add_option("--scale", options.scale, "Size relative to the national network")
        ->check(CLI::Range(0.001, 4.0));
    int copies = 1;
    app.add_option("--copies", copies,
                   "That many networks side by side, each further one's names and numbers "
                   "followed by its number (北京2, G101-2): 154 copies make two million trains")
        ->check(CLI::Range(1, 1000));
    std::string gtfs;
    int tripsPerTrain = 5;
    app.add_option("--gtfs", gtfs, "Also write the timetable as a GTFS feed into this folder");
    app.add_option("--trips-per-train", tripsPerTrain,
                   "GTFS trips per train, each on a service of other days (default 5)")
        ->check(CLI::Range(1, 5));
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }

    zelvan::TimetableSource source = generateTimetable(options);
    if (copies > 1) source = sideBySide(source, copies);
    std::string error;
    std::error_code ec;
    std::filesystem::create_directories(out, ec);
    if (ec || !zelvan::writeDataFiles(source, out, error)) {
        std::cerr << "zelvan-gen: cannot write " << out << ": " << (ec ? ec.message() : error)
                  << "\n";
        return 1;
    }
    if (!gtfs.empty()) {
        GtfsExportStats exported;
        if (!writeGtfsFeed(source, gtfs, tripsPerTrain, exported, error)) {
            std::cerr << "zelvan-gen: " << error << "\n";
            return 1;
        }
        std::printf("%s: GTFS feed of %lld trips, %lld stop times, %lld bytes\n", gtfs.c_str(),
                    exported.trips, exported.stopTimes, exported.bytes);
    }
    const TimetableStats stats = timetableStats(source, 5);
    std::printf("%s: %d stations, %d trains, %lld stops, longest run %d km\n", out.c_str(),
                stats.stations, stats.trains, stats.stops, stats.maxDistanceKm);
    std::printf("%d stations with 600 trains or more; busiest:", stats.stationsWith600Trains);
    for (const auto& [name, trains] : stats.busiest) {
        std::printf(" %s %d", zelvan::toUtf8(name).c_str(), trains);
    }
    std::printf("\n");
    return 0;
}
