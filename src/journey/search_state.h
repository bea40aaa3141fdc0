// The working state of one journey search: times per round and station, how each was reached,
// and the marks of the round in progress. Sized and cleared in reset(), reused between queries.
//
// A question with stations to pass through ("via") searches two layers of every station:
// layer 0 before the journey has been there, layer 1 after. Station s of layer l is the
// layered station s + l * stationCount; times, labels and marks are kept per layered station,
// the bounds per station (a bound to a destination holds in either layer).
#pragma once

#include <cstddef>
#include <iosfwd>
#include <limits>
#include <vector>

namespace zelvan {

class TimetableDb;

// No time yet. Far from overflowing when minutes are added to it.
inline constexpr int kNever = std::numeric_limits<int>::max() / 4;

// The leg that ends a round's arrival: train, the day its run started (days after the day of
// travel, negative before it), the positions of the stops ridden from and to, and the layer it
// was boarded in (it may end in a later one, having passed a via station).
struct RoundLabel {
    int train = -1;
    int day = 0;
    int fromStop = 0;
    int toStop = 0;
    int layer = 0;
};

// The two least values among the stations of a group, and whose they are: what each station
// of the group takes from another one (the least but its own).
struct BestTwo {
    int value[2] = {kNever, kNever};
    int station[2] = {-1, -1};

    void offer(int v, int s) {
        if (v < value[0]) {
            value[1] = value[0];
            station[1] = station[0];
            value[0] = v;
            station[0] = s;
        } else if (v < value[1]) {
            value[1] = v;
            station[1] = s;
        }
    }
    // The least value of another station than `s`, and that station.
    int valueBut(int s) const { return station[0] != s ? value[0] : value[1]; }
    int stationBut(int s) const { return station[0] != s ? station[0] : station[1]; }
};

struct SearchState {
    int legs = 0;  // rounds of the search: round r finds journeys of exactly r legs
    int stationCount = 0;
    int layers = 1;        // 2 for a question with via stations
    int layeredCount = 0;  // stationCount * layers

    // Round r (1-based) of layered station s is entry (r - 1) * layeredCount + s.
    std::vector<int> arrival;             // earliest arrival by exactly r legs
    std::vector<RoundLabel> label;        // ... and its last leg
    std::vector<int> ready;               // earliest departure of leg r + 1 after r legs
    std::vector<int> readyFrom;           // ... the station whose arrival allows it
    std::vector<int> destinationBest;     // [r - 1]: earliest arrival at a destination, <= r legs
                                          // (the horizon when none yet)
    std::vector<int> destinationReached;  // [r - 1]: destination improved by r legs this
                                          // iteration, -1 when none
    std::vector<char> isDestination;      // layered station -> 1 for a destination station
                                          // (in the last layer)
    std::vector<char> isVia;              // station -> 1 for a via station
    std::vector<char> nearVia;            // station -> 1 for a via station, or one a walk or
                                          // a change within a place leads from to one

    // Bounds by the legs left, K = 0 to legs - 1, that no journey beats; kNever: none at all.
    // [K][station], entry K * stationCount + station: least minutes from arriving there to
    // arriving at a destination with at most K more legs (0 at a destination; each further leg
    // after a change's wait).
    std::vector<int> arrivedBound;
    // [K][station]: least minutes from leaving there on a train to a destination, at most K
    // legs with that one.
    std::vector<int> boardBound;
    // [K][stop], entry K * stopCount + stop: for a rider boarding at the stop, the least
    // (arrival along the run + arrivedBound[K]) at a stop where the rider may leave: a run of
    // day d boarded there reaches a destination no sooner than d * 1440 + this. Filled for a
    // train when first asked.
    std::vector<int> boardReach;
    std::vector<char> reachDone;  // [K][train]: boardReach entries not filled yet (0), filled
                                  // (1), or the train reaches nothing (2)
    std::vector<int> suffix;      // scratch of one train's least arrival + bound from a stop on
    int stopCount = 0;
    int trainCount = 0;

    // Marks of the round in progress (all clear between rounds); stations are layered.
    std::vector<int> improved;  // stations whose arrival improved in this round
    std::vector<char> improvedMark;
    std::vector<int> readyMarked;  // stations whose departure for the next round improved
    std::vector<char> readyMark;
    std::vector<int> readyBefore;  // station -> its departure before this round improved it
    // Entry layer * trainCount + train: the first position to scan this round boarding in that
    // layer, kNever: none.
    std::vector<int> scanFrom;
    std::vector<int> scanTrains;     // entries of scanFrom with a position
    std::vector<BestTwo> groupBest;  // layer * groupCount + group -> the two earliest of this
                                     // round's arrivals at its stations in that layer
    std::vector<int> touchedGroups;

    // Sizes every array for a search of `legs` rounds over `layers` layers and clears it.
    void reset(int legs, int stationCount, int trainCount, int stopCount, int groupCount,
               int layers = 1);

    int& arrivalAt(int round, int station) { return arrival[index(round, station)]; }
    int arrivalAt(int round, int station) const { return arrival[index(round, station)]; }
    RoundLabel& labelAt(int round, int station) { return label[index(round, station)]; }
    const RoundLabel& labelAt(int round, int station) const { return label[index(round, station)]; }
    int& readyAt(int round, int station) { return ready[index(round, station)]; }
    int readyAt(int round, int station) const { return ready[index(round, station)]; }
    int& readyFromAt(int round, int station) { return readyFrom[index(round, station)]; }
    int readyFromAt(int round, int station) const { return readyFrom[index(round, station)]; }

    // Every round's times, station by station, with the trains that gave them (for a person
    // following a search by eye).
    void print(std::ostream& out, const TimetableDb& db) const;

  private:
    std::size_t index(int round, int station) const {
        return static_cast<std::size_t>(round - 1) * static_cast<std::size_t>(layeredCount) +
               static_cast<std::size_t>(station);
    }
};

}  // namespace zelvan
