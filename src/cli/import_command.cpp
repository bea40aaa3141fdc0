// zelvan-cli import gtfs FEED... OUT: railways' GTFS feeds as one data folder.
#include <unistd.h>

#include <iostream>
#include <sstream>

#include "cli/cli_common.h"
#include "cli/language.h"
#include "gtfs/gtfs_import.h"

namespace zelvan::cli {
namespace {

std::string dateText(DateKey date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000, date / 100 % 100, date % 100);
    return text;
}

struct ImportArguments {
    std::vector<std::string> paths;  // the feeds, then the data folder
    std::string from;
    std::string until;
    std::vector<std::string> agencies;
    std::string routeTypes;
    std::string version;
};

// "2,100,101" as numbers; false on anything else.
bool parseRouteTypes(const std::string& text, std::vector<int>& types) {
    std::stringstream list(text);
    std::string item;
    while (std::getline(list, item, ',')) {
        if (item.empty() || item.size() > 5 ||
            item.find_first_not_of("0123456789") != std::string::npos) {
            return false;
        }
        types.push_back(std::stoi(item));
    }
    return !types.empty();
}

void printSummary(const gtfs::ImportSummary& s, const std::string& out) {
    const auto n = [](auto count) { return std::to_string(count); };
    std::cout << fill(tr("imported into %s: %s stations, %s trains from %s trips and %s stop "
                         "times"),
                      {out, n(s.stations), n(s.trains), n(s.trips), n(s.stopTimes)})
              << "\n"
              << fill(tr("runs: %s, of which %s joined a train of the same number, stops and "
                         "times"),
                      {n(s.runs), n(s.runsMerged)})
              << "\n"
              << fill(tr("service days: %s to %s"), {dateText(s.firstDay), dateText(s.lastDay)})
              << "\n";
    if (s.feeds.size() > 1) {
        for (const gtfs::FeedSummary& f : s.feeds) {
            std::cout << fill(tr("feed %s (%s): %s stations, %s trips, %s stop times, %s trains"),
                              {f.feed, f.timeZone, n(f.stations), n(f.trips), n(f.stopTimes),
                               n(f.trains)})
                      << "\n";
        }
        std::cout << fill(tr("walks made between the feeds' stations: %s; trains two feeds both "
                             "publish, kept once: %s"),
                          {n(s.walksMade), n(s.tripsPublishedTwice)})
                  << "\n";
    }
    // The reasons and warnings are the importer's own words, as the JSON document gives them.
    for (const auto& [why, count] : s.dropped)
        std::cout << fill(tr("left out: %s %s"), {n(count), why}) << "\n";
    for (const auto& [what, count] : s.warnings)
        std::cout << tr("warning: ") << count << " " << what << "\n";
}

}  // namespace

void addImportCommand(CLI::App& app, Globals& globals) {
    static ImportArguments args;
    CLI::App* import = addCommand(app, globals, "import", tr("Import a railway's timetable feed"));
    if (!import) return;
    import->require_subcommand(1);
    CLI::App* gtfs =
        addSubcommand(*import, "gtfs",
                      tr("Write one data folder from GTFS static feeds (each a zip or a folder)"));
    // The feeds and then the folder: CLI11 fills a list greedily, so OUT is the list's last.
    gtfs->add_option("FEED... OUT", args.paths,
                     tr("The feeds (each a zip archive or a folder of .txt files), then the data "
                        "folder to write"))
        ->required()
        ->expected(2, -1);
    gtfs->add_option("--from", args.from,
                     tr("First day to import, YYYY-MM-DD (default: the feed's)"));
    gtfs->add_option("--until", args.until,
                     tr("Last day to import, YYYY-MM-DD (default: the feed's)"));
    gtfs->add_option("--agency", args.agencies,
                     tr("agency_id to import (repeatable; default: all)"));
    gtfs->add_option("--route-types", args.routeTypes,
                     tr("route_type values to import, comma-separated (default: all)"));
    gtfs->add_option("--version", args.version, tr("Database version (default: the feed's)"));
    gtfs->callback([&globals] {
        gtfs::ImportOptions options;
        const std::string out = args.paths.back();
        options.feeds.assign(args.paths.begin(), args.paths.end() - 1);
        options.feed = options.feeds.front();
        options.out = out;
        options.agencies = args.agencies;
        options.version = args.version;
        if ((!args.from.empty() && !parseDate(args.from, options.from)) ||
            (!args.until.empty() && !parseDate(args.until, options.until))) {
            std::cerr << "zelvan-cli import: " << tr("--from and --until take a date YYYY-MM-DD")
                      << "\n";
            globals.exitCode = kExitUsage;
            return;
        }
        if (!args.routeTypes.empty() && !parseRouteTypes(args.routeTypes, options.routeTypes)) {
            std::cerr << "zelvan-cli import: "
                      << tr("--route-types takes numbers separated by commas") << "\n";
            globals.exitCode = kExitUsage;
            return;
        }
        // Progress on a terminal: one line, redrawn.
        const bool terminal = ::isatty(STDERR_FILENO) == 1 && !globals.json;
        if (terminal) {
            options.progress = [](const std::string& what) {
                std::cerr << "\r\033[K" << what << "…" << std::flush;
            };
        }
        gtfs::ImportSummary summary;
        std::string error;
        const bool ok = gtfs::importGtfs(options, summary, error);
        if (terminal) std::cerr << "\r\033[K" << std::flush;
        if (!ok) {
            std::cerr << "zelvan-cli import: " << error << "\n";
            globals.exitCode = kExitFailed;
            return;
        }
        if (globals.json) {
            nlohmann::json dropped = nlohmann::json::object();
            for (const auto& [why, count] : summary.dropped) dropped[why] = count;
            nlohmann::json warnings = nlohmann::json::object();
            for (const auto& [what, count] : summary.warnings) warnings[what] = count;
            nlohmann::json feeds = nlohmann::json::array();
            for (const gtfs::FeedSummary& f : summary.feeds) {
                feeds.push_back({{"feed", f.feed},
                                 {"timeZone", f.timeZone},
                                 {"stations", f.stations},
                                 {"trips", f.trips},
                                 {"stopTimes", f.stopTimes},
                                 {"trains", f.trains}});
            }
            printJson({{"stations", summary.stations},
                       {"trains", summary.trains},
                       {"trips", summary.trips},
                       {"stopTimes", summary.stopTimes},
                       {"runs", summary.runs},
                       {"runsMerged", summary.runsMerged},
                       {"firstDay", dateText(summary.firstDay)},
                       {"lastDay", dateText(summary.lastDay)},
                       {"feeds", feeds},
                       {"walksMade", summary.walksMade},
                       {"tripsPublishedTwice", summary.tripsPublishedTwice},
                       {"dropped", dropped},
                       {"warnings", warnings}});
            return;
        }
        printSummary(summary, out);
    });
}

}  // namespace zelvan::cli
