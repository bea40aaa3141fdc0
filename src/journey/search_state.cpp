#include "journey/search_state.h"

#include <algorithm>
#include <ostream>

#include "db/text.h"
#include "db/timetable_db.h"
#include "journey/journey.h"
#include "journey/journey_rows.h"

namespace zelvan {

void SearchState::reset(int legCount, int stations, int trains, int stops, int groupCount,
                        int layerCount) {
    legs = legCount;
    stationCount = stations;
    layers = layerCount;
    layeredCount = stations * layerCount;
    const std::size_t layered = static_cast<std::size_t>(layeredCount);
    const std::size_t cells = static_cast<std::size_t>(legs) * layered;
    arrival.assign(cells, kNever);
    label.assign(cells, RoundLabel{});
    ready.assign(cells, kNever);
    readyFrom.assign(cells, -1);
    destinationBest.assign(static_cast<std::size_t>(legs), kJourneyHorizon);
    destinationReached.assign(static_cast<std::size_t>(legs), -1);
    isDestination.assign(layered, 0);
    isVia.assign(static_cast<std::size_t>(stations), 0);
    nearVia.assign(static_cast<std::size_t>(stations), 0);
    const std::size_t bounds = static_cast<std::size_t>(legs) * static_cast<std::size_t>(stations);
    arrivedBound.assign(bounds, kNever);
    boardBound.assign(bounds, kNever);
    stopCount = stops;
    trainCount = trains;
    boardReach.resize(static_cast<std::size_t>(legs) * static_cast<std::size_t>(stops));
    reachDone.assign(static_cast<std::size_t>(legs) * static_cast<std::size_t>(trains), 0);
    improved.clear();
    improvedMark.assign(layered, 0);
    readyMarked.clear();
    readyMark.assign(layered, 0);
    readyBefore.assign(layered, kNever);
    scanFrom.assign(static_cast<std::size_t>(trains) * static_cast<std::size_t>(layers), kNever);
    scanTrains.clear();
    groupBest.assign(
        static_cast<std::size_t>(std::max(groupCount, 0)) * static_cast<std::size_t>(layers),
        BestTwo{});
    touchedGroups.clear();
}

void SearchState::print(std::ostream& out, const TimetableDb& db) const {
    for (int round = 1; round <= legs; ++round) {
        out << "round " << round << " (best at a destination "
            << toUtf8(journeyTimeText(destinationBest[static_cast<std::size_t>(round - 1)]))
            << ")\n";
        for (int s = 0; s < layeredCount; ++s) {
            const int time = arrivalAt(round, s);
            const int departure = readyAt(round, s);
            if (time >= kNever && departure >= kNever) continue;
            out << "  " << toUtf8(db.stationNameByIndex(s % stationCount));
            if (layers > 1) out << (s < stationCount ? " (before via)" : " (after via)");
            if (time < kNever) {
                out << " arrive " << toUtf8(journeyTimeText(time)) << " by "
                    << toUtf8(db.trainNameByIndex(labelAt(round, s).train));
            }
            if (departure < kNever) {
                out << " leave from " << toUtf8(journeyTimeText(departure)) << " (arrived at "
                    << toUtf8(db.stationNameByIndex(readyFromAt(round, s) % stationCount)) << ")";
            }
            out << "\n";
        }
    }
}

}  // namespace zelvan
