// Journeys between two places: one or more train legs matched in time, with the changes
// between them. The types the planner answers with, as numbers; texts come later
// (journey_rows.h).
#pragma once

#include <vector>

namespace zelvan {

// At most this many changes (so at most seven legs) are searched: a trip across a network of
// several railways, a metro and a bus takes five or six.
inline constexpr int kMaxJourneyChanges = 6;
// Minutes in a day; journey times count minutes from midnight starting the day of travel.
inline constexpr int kMinutesPerDay = 24 * 60;
// A journey arrives before the end of the second day after the day of travel.
inline constexpr int kJourneyHorizon = 3 * kMinutesPerDay;

// No latest arrival: JourneyOptions::arriveByMinutes when a question sets none.
inline constexpr int kNoArriveBy = -1;

// What a journey question allows besides its places and day.
struct JourneyOptions {
    int afterMinutes = 0;  // earliest departure, minutes after midnight (0-1439)
    // Latest arrival, minutes from midnight starting the day of travel (0 to kJourneyHorizon -
    // 1: up to the end of the second day after), or kNoArriveBy.
    int arriveByMinutes = kNoArriveBy;
    int maxChanges = 2;           // 0 to kMaxJourneyChanges
    int changeMinutes = 20;       // least wait when changing trains at one station (0-1439)
    int placeChangeMinutes = 60;  // least wait between two stations of one place (0-1439)
    // True when changeMinutes was asked for: it then holds at every station, also where the
    // timetable gives a station a change time of its own.
    bool changeMinutesGiven = false;
    // Stations the journey must pass through or change at (empty: none asked for), and the
    // least minutes it stays there (0-1439): on a train standing there (between two stops it
    // is ridden from and to), or at a change that leaves or boards a train there, from the
    // arrival to the next departure less the walk or the change between two stations of a
    // place where the two trains are at different stations (a change at one station waits
    // within the stay).
    std::vector<int> viaStations;
    int viaMinutes = 0;
    // Only trains the timetable says a wheelchair user can ride, boarded and left at stations
    // it says a wheelchair user can board at; a train or station it says nothing of is not
    // taken.
    bool stepFree = false;
};

// True when every option lies in its range.
bool validJourneyOptions(const JourneyOptions& options);

// One train ridden from one of its stops to a later one.
struct JourneyLeg {
    int train = 0;        // train index
    int fromStop = 0;     // position of the boarding stop in the train's run
    int toStop = 0;       // position of the stop where the rider leaves
    int fromStation = 0;  // station index of the boarding stop
    int toStation = 0;    // station index of the leaving stop
    int departure = 0;    // minutes from midnight starting the day of travel
    int arrival = 0;

    bool operator==(const JourneyLeg&) const = default;
};

// Legs in order; `changes` is one less than the number of legs.
struct Journey {
    int departure = 0;  // the first leg's departure
    int arrival = 0;    // the last leg's arrival
    int changes = 0;
    std::vector<JourneyLeg> legs;

    bool operator==(const Journey&) const = default;
};

}  // namespace zelvan
