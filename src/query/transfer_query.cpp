// The transfer search: stations reachable from the departure and leading to the arrival,
// ranked by the shortest distance over both legs, and the two legs through a chosen one.
#include <cstdlib>

#include "db/timetable_db.h"
#include "fare/result_row.h"

namespace zelvan {
namespace {

constexpr std::size_t kMaxTransferStations = 15;

}  // namespace

void TimetableDb::collectReachableStations(const std::u16string& stationName,
                                           std::map<int, int>& reach, bool forward) {
    if (useIndexes) {
        // The same walk over the raw stops of each record, with no train decoded.
        const int s = stationIndexByName(stationName);
        const std::span<const std::uint32_t> listed = stationList(s);
        if (listed.empty() || s < 0) return;
        for (const std::uint32_t t : listed) {
            const RawTrain train = rawTrain(static_cast<int>(t));
            int own = 0;
            while (own != train.count && train.stationAt(own) != s) ++own;
            // A listed train that does not call here ends the whole scan.
            if (own == train.count) return;
            const int d0 = train.kmAt(own);
            bool seen = false;
            for (int stop = 0; stop != train.count; ++stop) {
                const int station = train.stationAt(stop);
                if (station == s) {
                    seen = true;
                    continue;
                }
                if (forward != seen) continue;
                const int distance = std::abs(train.kmAt(stop) - d0);
                auto [it, inserted] = reach.emplace(station, distance);
                if (!inserted && distance < it->second) it->second = distance;
            }
        }
        return;
    }
    std::vector<int> trains;
    trainsAtStation(stationName, trains);
    if (trains.empty()) return;
    const int s = stationIndexByName(stationName);
    if (s < 0) return;
    TrainRecord train;
    for (int t : trains) {
        decodeTrain(t, train);
        const StopRecord* own = nullptr;
        for (const StopRecord& stop : train.stops) {
            if (stop.station == s) {
                own = &stop;
                break;
            }
        }
        // A listed train that does not call here ends the whole scan.
        if (!own) return;
        const int d0 = own->distanceKm;
        bool seen = false;
        for (const StopRecord& stop : train.stops) {
            if (stop.station == s) {
                seen = true;
                continue;
            }
            if (forward != seen) continue;
            const int distance = std::abs(stop.distanceKm - d0);
            auto [it, inserted] = reach.emplace(stop.station, distance);
            if (!inserted && distance < it->second) it->second = distance;
        }
    }
}

void TimetableDb::queryTransferStations(const std::u16string& from, const std::u16string& to,
                                        std::vector<std::u16string>& stations) {
    std::map<int, int> reachFrom;
    std::map<int, int> reachTo;
    collectReachableStations(from, reachFrom, true);
    collectReachableStations(to, reachTo, false);
    if (reachFrom.empty() || reachTo.empty()) return;

    auto trainCount = [&](int station) {
        std::vector<int> trains;
        trainsAtStation(stationNameByIndex(station), trains);
        return static_cast<int>(trains.size());
    };
    // score -> station. The distance is scaled by 100 so that the collision steps, while they
    // stay below 100, only reorder stations of equal total distance: more trains first.
    std::map<int, int> byScore;
    for (const auto& [k, distanceFrom] : reachFrom) {
        auto other = reachTo.find(k);
        if (other == reachTo.end()) continue;
        long long score = (static_cast<long long>(distanceFrom) + other->second) * 100;
        auto holder = byScore.find(static_cast<int>(score));
        if (holder != byScore.end()) {
            const int nk = trainCount(k);
            const int nh = trainCount(holder->second);
            const int step = nk == nh ? 1 : nh - nk;
            while (byScore.count(static_cast<int>(score)) != 0) score += step;
        }
        byScore.emplace(static_cast<int>(score), k);
    }
    std::size_t appended = 0;
    for (auto it = byScore.begin(); it != byScore.end() && appended < kMaxTransferStations;
         ++it, ++appended) {
        stations.push_back(stationNameByIndex(it->second));
    }
}

int TimetableDb::queryTransferTrains(const std::u16string& from, const std::u16string& via,
                                     const std::u16string& to, std::vector<ResultRow>& rows) {
    rows.clear();
    queryStationToStation(from, via, rows);
    const int legCount = static_cast<int>(rows.size());
    queryStationToStation(via, to, rows);
    return legCount;
}

}  // namespace zelvan
