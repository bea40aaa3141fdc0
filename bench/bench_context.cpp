#include "bench_context.h"

#include <algorithm>
#include <system_error>
#include <vector>

#include "db/text.h"
#include "fare/result_row.h"

namespace zelvan::bench {
namespace {

// How many of the busiest stations the pairs are chosen from.
constexpr std::size_t kHubCandidates = 24;
// The transfer search lists at most this many stations.
constexpr int kMaxTransferStations = 15;

int commonCount(std::vector<int> a, std::vector<int> b) {
    std::sort(a.begin(), a.end());
    std::sort(b.begin(), b.end());
    a.erase(std::unique(a.begin(), a.end()), a.end());
    b.erase(std::unique(b.begin(), b.end()), b.end());
    std::vector<int> both;
    std::set_intersection(a.begin(), a.end(), b.begin(), b.end(), std::back_inserter(both));
    return static_cast<int>(both.size());
}

}  // namespace

BenchContext& benchContext() {
    static BenchContext context;
    return context;
}

long long dataBytes(const std::filesystem::path& folder) {
    long long total = 0;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        if (entry.is_regular_file(ec)) total += static_cast<long long>(entry.file_size(ec));
    }
    return total;
}

bool prepareBenchContext(const std::filesystem::path& folder, std::string& error) {
    BenchContext& c = benchContext();
    c.folder = folder;
    c.db = std::make_unique<TimetableDb>();
    if (!c.db->load(fromUtf8(folder.string())) || c.db->stationNames.empty()) {
        error = "cannot load the timetable in " + folder.string();
        return false;
    }
    TimetableDb& db = *c.db;
    db.queryDate = c.date;

    // Stations by number of trains, busiest first; equal counts keep station order.
    std::vector<std::pair<int, int>> busiest;  // (-trains, station)
    std::vector<std::vector<int>> trainsOf(db.stationNames.size());
    for (std::size_t s = 0; s < db.stationNames.size(); ++s) {
        db.trainsAtStation(db.stationNames[s], trainsOf[s]);
        busiest.push_back({-static_cast<int>(trainsOf[s].size()), static_cast<int>(s)});
    }
    std::sort(busiest.begin(), busiest.end());
    busiest.resize(std::min(busiest.size(), kHubCandidates));
    c.hub = db.stationNames[busiest[0].second];
    c.hubTrains = -busiest[0].first;

    c.commonTrains = -1;
    c.transferStations = -1;
    c.transferFrom.clear();
    for (std::size_t i = 0; i < busiest.size(); ++i) {
        for (std::size_t j = i + 1; j < busiest.size(); ++j) {
            const int a = busiest[i].second;
            const int b = busiest[j].second;
            const int common = commonCount(trainsOf[a], trainsOf[b]);
            if (common > c.commonTrains) {
                c.commonTrains = common;
                c.from = db.stationNames[a];
                c.to = db.stationNames[b];
            }
            // Without a through train the user asks for a change; a pair for which the search
            // finds stations to change at is the question worth timing.
            if (common == 0 && c.transferStations < kMaxTransferStations) {
                std::vector<std::u16string> stations;
                db.queryTransferStations(db.stationNames[a], db.stationNames[b], stations);
                if (static_cast<int>(stations.size()) > c.transferStations) {
                    c.transferStations = static_cast<int>(stations.size());
                    c.transferFrom = db.stationNames[a];
                    c.transferTo = db.stationNames[b];
                }
            }
        }
    }
    // Trains run both ways: ask in the direction that gives more rows.
    std::vector<ResultRow> there;
    std::vector<ResultRow> back;
    db.queryStationToStation(c.from, c.to, there);
    db.queryStationToStation(c.to, c.from, back);
    if (back.size() > there.size()) std::swap(c.from, c.to);
    if (c.transferFrom.empty()) {
        c.transferFrom = c.from;
        c.transferTo = c.to;
    }

    c.codeNames = -1;
    std::vector<std::u16string> names;
    for (const auto& entry : db.stationsByCode) {
        if (entry.first.size() != 2) continue;
        db.suggestStations(entry.first, names);
        if (static_cast<int>(names.size()) > c.codeNames) {
            c.codeNames = static_cast<int>(names.size());
            c.code = entry.first;
        }
    }

    c.rowTrain = db.findTrainByNumber(u"G101", 0, true);
    if (c.rowTrain < 0) c.rowTrain = 0;
    return true;
}

}  // namespace zelvan::bench
