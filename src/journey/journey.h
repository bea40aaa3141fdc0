// Journeys between two places: one or more train legs matched in time, with the changes
// between them. The types the planner answers with, as numbers; texts come later
// (journey_rows.h).
#pragma once

#include <vector>

namespace zelvan {

// At most this many changes (so at most four legs) are searched.
inline constexpr int kMaxJourneyChanges = 3;
// Minutes in a day; journey times count minutes from midnight starting the day of travel.
inline constexpr int kMinutesPerDay = 24 * 60;
// A journey arrives before the end of the second day after the day of travel.
inline constexpr int kJourneyHorizon = 3 * kMinutesPerDay;

// What a journey question allows besides its places and day.
struct JourneyOptions {
    int afterMinutes = 0;         // earliest departure, minutes after midnight (0-1439)
    int maxChanges = 2;           // 0 to kMaxJourneyChanges
    int changeMinutes = 20;       // least wait when changing trains at one station (0-1439)
    int placeChangeMinutes = 60;  // least wait between two stations of one place (0-1439)
    // True when changeMinutes was asked for: it then holds at every station, also where the
    // timetable gives a station a change time of its own.
    bool changeMinutesGiven = false;
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
