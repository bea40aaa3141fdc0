// The round-based range search over the planner's arrays, and the step that turns its labels
// into journeys.
#include "journey/journey_planner.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <ostream>
#include <queue>
#include <tuple>

#include "db/running_days.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "journey/journey_rows.h"

namespace zelvan {
namespace {

// A boarding falls on a calendar day from this many days before the day of travel to two days
// after it: departure = day * 1440 + clock + dwell lies in [0, horizon), and clock + dwell is
// at most 127 * 60 + 127 + 127 even in a record with hours beyond 23.
constexpr int kFirstDay = -6;
constexpr int kLastDay = 2;
constexpr int kDayCount = kLastDay - kFirstDay + 1;

// a / b rounded up, for b > 0 and any a.
int ceilDiv(int a, int b) {
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// SearchState::reachDone: not filled yet, filled, or known to reach nothing.
constexpr char kReachUnknown = 0;
constexpr char kReachFilled = 1;
constexpr char kReachNone = 2;

// A first leg: train `train` boarded at `position` on its run of day `day`.
struct FirstLeg {
    int departure = 0;
    int train = 0;
    int position = 0;
    int day = 0;
};

// A run boarded in a scan: its day, where it was boarded and from which position it may be left.
struct Boarding {
    int day = 0;
    int stop = 0;
    int alightFrom = 0;
};

// The least wait for a change at station `s`: the timetable's own unless asked otherwise.
int stationChangeMinutes(const TimetableArrays& arrays, const JourneyOptions& options, int s) {
    if (options.changeMinutesGiven || arrays.changeAt.empty()) return options.changeMinutes;
    const int own = arrays.changeAt[static_cast<std::size_t>(s)];
    return own >= 0 ? own : options.changeMinutes;
}

// One search: the rounds for every departure time from the origin, latest first.
class RoundSearch {
  public:
    RoundSearch(const TimetableArrays& arrays, SearchState& state, const TimetableDb& db,
                DateKey date, const JourneyOptions& options, std::ostream* trace)
        : arrays_(arrays),
          state_(state),
          db_(db),
          options_(options),
          legs_(options.maxChanges + 1),
          trace_(trace),
          stations_(arrays.stationCount),
          layers_(options.viaStations.empty() ? 1 : 2),
          alightFrom_(options.stepFree ? arrays.stepFreeAlightFrom.data()
                                       : arrays.alightFrom.data()),
          noAlight_(options.stepFree ? arrays.stepFreeNoAlight.data() : arrays.noAlight.data()) {
        for (int e = kFirstDay; e <= kLastDay; ++e) {
            const DateKey key = addDays(date, e);
            dayKeys_[static_cast<std::size_t>(e - kFirstDay)] = key;
            dayNumbers_[static_cast<std::size_t>(e - kFirstDay)] = daysBetween(kDayZero, key);
        }
    }

    std::vector<Journey> run(const std::vector<int>& origins, const std::vector<int>& destinations);

  private:
    // Whether train `train` may be boarded on day `day` (after the day of travel) at a stop
    // whose station-query day offset is `offset`: the station query of that day at that
    // station would mark it running (its run left the first stop on day - offset).
    bool runs(int train, int day, int offset) const;
    // The bounds of the search state, for every number of legs left.
    void computeBounds(const std::vector<int>& destinations);
    // arrivedBound[left] from boardBound[left].
    void arrivedFrom(int left);
    // Marks the trains through no station with a bound for `left` legs as reaching nothing.
    void markUnreachable(int left);
    // boardReach[legsLeft] of a train (see SearchState), filled when first asked.
    void fillReach(int legsLeft, int train);
    int boardingBound(int legsLeft, int train, int position);
    int boardingBoundAt(int legsLeft, int train, int stop);  // `stop`: the flat number
    std::vector<FirstLeg> firstLegs(const std::vector<int>& origins) const;
    void rideFirstLeg(const FirstLeg& leg);
    // Scans `train` from position `from`, boarding where round - 1 arrived in layer `layer`.
    void scanTrain(int round, int train, int from, int layer);
    // Offers `time` as the arrival at layered station `station` by `round` legs, the last one
    // `how`.
    void arrive(int round, int station, int time, const RoundLabel& how);
    // The earliest departure of leg round + 1 at layered station `station`, allowed by the
    // arrival at layered station `from`.
    void offerReady(int round, int station, int time, int from);
    // The departures a round's arrival at layered station `at` allows in its own layer, and
    // from a via station before it was passed, in the next one.
    void offerChanges(int round, int at, int time);
    // Whether a rider on the train at flat stop `stop` has passed a via station there: the
    // station is one, and the train stands there long enough.
    bool passesVia(std::size_t stop) const {
        return layers_ > 1 && state_.isVia[arrays_.station[stop]] &&
               arrays_.departure[stop] - arrays_.arrival[stop] >= options_.viaMinutes;
    }
    // Turns the round's arrivals into departures for the next round, then clears its marks.
    void closeRound(int round);
    // The least wait for a change at station `s`: the timetable's own unless asked otherwise.
    int changeAt(int s) const { return stationChangeMinutes(arrays_, options_, s); }
    void markTrains(int round);
    Journey reconstruct(int round, int station) const;
    void traceArrival(int round, int station, int time, const RoundLabel& how) const;

    const TimetableArrays& arrays_;
    SearchState& state_;
    const TimetableDb& db_;
    const JourneyOptions options_;
    const int legs_;
    std::ostream* trace_;
    const int stations_;  // stations in a layer
    const int layers_;    // 2 with via stations, else 1
    // Where riders may leave and not leave, for this question (step-free or not).
    const std::int32_t* alightFrom_;
    const std::uint8_t* noAlight_;
    std::array<DateKey, kDayCount> dayKeys_{};
    std::array<int, kDayCount> dayNumbers_{};
    std::vector<Boarding> pending_;  // boarded runs whose first stop to leave at is still ahead
};

bool RoundSearch::runs(int train, int day, int offset) const {
    // The station query's status: the run that calls at the stop on `day` left its first stop
    // `offset` days before, and that day must be valid and a day of the rule.
    if (day < kFirstDay || day > kLastDay) return false;
    const TrainDays& d = arrays_.days[static_cast<std::size_t>(train)];
    const int runDay = day - offset;
    DateKey key = 0;
    int number = 0;
    if (runDay >= kFirstDay) {
        key = dayKeys_[static_cast<std::size_t>(runDay - kFirstDay)];
        number = dayNumbers_[static_cast<std::size_t>(runDay - kFirstDay)];
    } else {
        key = addDays(dayKeys_[0], runDay - kFirstDay);
        number = dayNumbers_[0] + (runDay - kFirstDay);
    }
    if (d.listed != nullptr) return d.listed->statusOn(key) == RunStatus::Running;
    if (key < d.validFrom || key > d.validUntil) return false;
    if (d.period == 1) return true;
    const long long n = static_cast<long long>(number - d.validFromDay);
    const long long r = n % d.period;  // negative for a negative day number, as the query has it
    const std::uint32_t bit = r >= 0 && r < 32 ? std::uint32_t{1} << r : 0;
    return (static_cast<std::uint32_t>(d.mask) & bit) != 0;
}

void RoundSearch::computeBounds(const std::vector<int>& destinations) {
    // With no leg left only a destination will do. With one: the trains through a destination,
    // boarded before it. With K: ride to a station where K - 1 legs suffice, at least the
    // least minutes of each way between stations. Arrived somewhere, the next leg leaves after
    // a change's wait, or from another station of the place.
    const std::size_t stations = static_cast<std::size_t>(state_.stationCount);
    for (int d : destinations) state_.arrivedBound[static_cast<std::size_t>(d)] = 0;
    markUnreachable(0);
    if (legs_ < 2) return;
    int* board = &state_.boardBound[stations];
    std::vector<char> seen(static_cast<std::size_t>(arrays_.trainCount), 0);
    for (int d : destinations) {
        for (std::uint32_t i = arrays_.stationStopStart[static_cast<std::size_t>(d)];
             i < arrays_.stationStopStart[static_cast<std::size_t>(d) + 1]; ++i) {
            const int t = arrays_.stationStops[i].train;
            if (seen[static_cast<std::size_t>(t)]) continue;
            seen[static_cast<std::size_t>(t)] = 1;
            for (int p = 0; p < arrays_.stopCount(t); ++p) {
                const int reach = boardingBound(0, t, p);
                if (reach >= kNever) continue;
                const std::size_t g = static_cast<std::size_t>(arrays_.stopOf(t, p));
                const int ride = reach - arrays_.departure[g];
                int& bound = board[arrays_.station[g]];
                if (ride < kJourneyHorizon) bound = std::min(bound, ride);
            }
        }
    }
    arrivedFrom(1);
    markUnreachable(1);
    using Entry = std::pair<int, int>;  // (minutes, station)
    std::priority_queue<Entry, std::vector<Entry>, std::greater<>> queue;
    std::vector<int> onBoard(stations);  // minutes on from a train standing at the station
    for (int left = 2; left < legs_; ++left) {
        const int* arrived = &state_.arrivedBound[static_cast<std::size_t>(left - 1) * stations];
        board = &state_.boardBound[static_cast<std::size_t>(left) * stations];
        for (std::size_t s = 0; s < stations; ++s) {
            onBoard[s] = arrived[s];
            if (arrived[s] < kNever) queue.push({arrived[s], static_cast<int>(s)});
        }
        while (!queue.empty()) {
            const auto [minutes, v] = queue.top();
            queue.pop();
            if (minutes > onBoard[static_cast<std::size_t>(v)]) continue;
            for (std::uint32_t i = arrays_.rideInStart[static_cast<std::size_t>(v)];
                 i < arrays_.rideInStart[static_cast<std::size_t>(v) + 1]; ++i) {
                const std::size_t u = static_cast<std::size_t>(arrays_.rideIn[i].from);
                const int on = minutes + arrays_.rideIn[i].minutes;
                if (on >= kJourneyHorizon) continue;  // no journey rides that long
                board[u] = std::min(board[u], on);
                if (on < onBoard[u]) {
                    onBoard[u] = on;
                    queue.push({on, static_cast<int>(u)});
                }
            }
        }
        arrivedFrom(left);
        markUnreachable(left);
    }
}

void RoundSearch::markUnreachable(int left) {
    // Few stations lead on with `left` legs: the trains through none of them need no filling.
    const std::size_t stations = static_cast<std::size_t>(state_.stationCount);
    const int* arrived = &state_.arrivedBound[static_cast<std::size_t>(left) * stations];
    const std::size_t finite = static_cast<std::size_t>(
        std::count_if(arrived, arrived + stations, [](int b) { return b < kNever; }));
    if (finite * 4 > stations) return;
    // data() and not [0]: a timetable without trains has no cells at all.
    char* done = state_.reachDone.data() +
                 static_cast<std::size_t>(left) * static_cast<std::size_t>(state_.trainCount);
    std::fill(done, done + state_.trainCount, kReachNone);
    for (std::size_t s = 0; s < stations; ++s) {
        if (arrived[s] >= kNever) continue;
        for (std::uint32_t i = arrays_.stationStopStart[s]; i < arrays_.stationStopStart[s + 1];
             ++i) {
            char& d = done[arrays_.stationStops[i].train];
            if (d == kReachNone) d = kReachUnknown;
        }
    }
}

void RoundSearch::arrivedFrom(int left) {
    const std::size_t stations = static_cast<std::size_t>(state_.stationCount);
    const int* board = &state_.boardBound[static_cast<std::size_t>(left) * stations];
    int* arrived = &state_.arrivedBound[static_cast<std::size_t>(left) * stations];
    for (std::size_t s = 0; s < stations; ++s) {
        arrived[s] =
            std::min(state_.arrivedBound[s],
                     board[s] < kNever ? board[s] + changeAt(static_cast<int>(s)) : kNever);
    }
    for (const Walk& walk : arrays_.walks) {
        const int to = board[static_cast<std::size_t>(walk.to)];
        int& bound = arrived[static_cast<std::size_t>(walk.from)];
        if (to < kNever) bound = std::min(bound, to + walk.minutes);
    }
    // To another station of the place: the least of its group but the station's own.
    for (std::size_t g = 0; g + 1 < arrays_.memberStart.size(); ++g) {
        BestTwo best;
        for (std::uint32_t m = arrays_.memberStart[g]; m < arrays_.memberStart[g + 1]; ++m) {
            const int q = arrays_.groupMembers[m];
            best.offer(board[static_cast<std::size_t>(q)], q);
        }
        if (best.value[0] >= kNever) continue;
        for (std::uint32_t m = arrays_.memberStart[g]; m < arrays_.memberStart[g + 1]; ++m) {
            const int q = arrays_.groupMembers[m];
            const int other = best.valueBut(q);
            int& bound = arrived[static_cast<std::size_t>(q)];
            if (other < kNever) bound = std::min(bound, other + options_.placeChangeMinutes);
        }
    }
}

void RoundSearch::fillReach(int legsLeft, int train) {
    // One pass back along the run: the least arrival + bound from each stop on, and for each
    // stop that value where its rider may first leave (always further on).
    const int first = arrays_.stopOf(train, 0);
    const int count = arrays_.stopCount(train);
    const int* arrived = &state_.arrivedBound[static_cast<std::size_t>(legsLeft) *
                                              static_cast<std::size_t>(state_.stationCount)];
    int* board = &state_.boardReach[static_cast<std::size_t>(legsLeft) *
                                    static_cast<std::size_t>(state_.stopCount)];
    std::vector<int>& suffix = state_.suffix;
    if (suffix.size() < static_cast<std::size_t>(count) + 1)
        suffix.resize(static_cast<std::size_t>(count) + 1);
    suffix[static_cast<std::size_t>(count)] = kNever;
    for (int j = count - 1; j >= 0; --j) {
        const std::size_t g = static_cast<std::size_t>(first + j);
        const int bound = arrived[arrays_.station[g]];
        const int here = bound < kNever ? arrays_.arrival[g] + bound : kNever;
        suffix[static_cast<std::size_t>(j)] =
            std::min(here, suffix[static_cast<std::size_t>(j) + 1]);
        board[g] = suffix[static_cast<std::size_t>(std::min(alightFrom_[g], count))];
    }
}

int RoundSearch::boardingBound(int legsLeft, int train, int position) {
    return boardingBoundAt(legsLeft, train, arrays_.stopOf(train, position));
}

int RoundSearch::boardingBoundAt(int legsLeft, int train, int stop) {
    char& done = state_.reachDone[static_cast<std::size_t>(legsLeft) *
                                      static_cast<std::size_t>(state_.trainCount) +
                                  static_cast<std::size_t>(train)];
    if (done == kReachNone) return kNever;
    if (done == kReachUnknown) {
        done = kReachFilled;
        fillReach(legsLeft, train);
    }
    return state_.boardReach[static_cast<std::size_t>(legsLeft) *
                                 static_cast<std::size_t>(state_.stopCount) +
                             static_cast<std::size_t>(stop)];
}

std::vector<FirstLeg> RoundSearch::firstLegs(const std::vector<int>& origins) const {
    // Boarded at an origin station on the day of travel, leaving at or after --after; and on
    // the next day, whose journeys are searched only to beat those of the day of travel.
    std::vector<FirstLeg> legs;
    for (int s : origins) {
        for (std::uint32_t i = arrays_.stationStopStart[static_cast<std::size_t>(s)];
             i < arrays_.stationStopStart[static_cast<std::size_t>(s) + 1]; ++i) {
            const StopRef ref = arrays_.stationStops[i];
            const std::size_t g = static_cast<std::size_t>(arrays_.stopOf(ref.train, ref.position));
            if (alightFrom_[g] >= arrays_.stopCount(ref.train)) continue;  // no way on
            for (int next = 0; next <= 1; ++next) {
                const int day = next - arrays_.clockDay[g];
                const long long departure =
                    static_cast<long long>(day) * kMinutesPerDay + arrays_.departure[g];
                if (departure < options_.afterMinutes || departure >= kJourneyHorizon) continue;
                // Nothing leaving after the latest arrival arrives by it.
                if (options_.arriveByMinutes != kNoArriveBy &&
                    departure > options_.arriveByMinutes) {
                    continue;
                }
                if (!runs(ref.train, next, arrays_.statusOffset[g])) continue;
                legs.push_back({static_cast<int>(departure), ref.train, ref.position, day});
            }
        }
    }
    std::sort(legs.begin(), legs.end(), [](const FirstLeg& a, const FirstLeg& b) {
        return std::tie(b.departure, a.train, a.position) <
               std::tie(a.departure, b.train, b.position);
    });
    return legs;
}

void RoundSearch::traceArrival(int round, int station, int time, const RoundLabel& how) const {
    const int from = arrays_.stopOf(how.train, how.fromStop);
    *trace_ << "  round " << round << ": " << toUtf8(db_.stationNameByIndex(station % stations_))
            << (layers_ > 1 && station >= stations_ ? " (after via)" : "") << " "
            << toUtf8(journeyTimeText(time)) << " by " << toUtf8(db_.trainNameByIndex(how.train))
            << " from "
            << toUtf8(db_.stationNameByIndex(arrays_.station[static_cast<std::size_t>(from)]))
            << " "
            << toUtf8(journeyTimeText(how.day * kMinutesPerDay +
                                      arrays_.departure[static_cast<std::size_t>(from)]))
            << (state_.isDestination[static_cast<std::size_t>(station)] ? " (destination)" : "")
            << "\n";
}

void RoundSearch::arrive(int round, int station, int time, const RoundLabel& how) {
    if (time >= kJourneyHorizon) return;
    const std::size_t s = static_cast<std::size_t>(station);
    if (state_.isDestination[s]) {
        if (time >= state_.destinationBest[static_cast<std::size_t>(round - 1)]) return;
        state_.arrivalAt(round, station) = time;
        state_.labelAt(round, station) = how;
        for (int r = round; r <= legs_; ++r) {
            int& best = state_.destinationBest[static_cast<std::size_t>(r - 1)];
            best = std::min(best, time);
        }
        state_.destinationReached[static_cast<std::size_t>(round - 1)] = station;
        if (trace_) traceArrival(round, station, time, how);
        return;
    }
    // Going on from here takes another leg; a journey that passes a destination is beaten by
    // the one that ends there, so nothing goes on from one.
    if (round == legs_) return;
    const int bound = state_.arrivedBound[static_cast<std::size_t>(legs_ - round) *
                                              static_cast<std::size_t>(state_.stationCount) +
                                          static_cast<std::size_t>(station % stations_)];
    if (bound >= kNever ||
        time + bound >= state_.destinationBest[static_cast<std::size_t>(round)]) {
        return;
    }
    for (int r = 1; r <= round; ++r) {
        if (state_.arrivalAt(r, station) <= time) return;  // as early with no more legs
    }
    state_.arrivalAt(round, station) = time;
    state_.labelAt(round, station) = how;
    if (!state_.improvedMark[s]) {
        state_.improvedMark[s] = 1;
        state_.improved.push_back(station);
    }
    if (trace_) traceArrival(round, station, time, how);
}

void RoundSearch::offerReady(int round, int station, int time, int from) {
    const std::size_t s = static_cast<std::size_t>(station);
    if (time >= state_.readyAt(round, station) || time >= kJourneyHorizon) return;
    const int bound = state_.boardBound[static_cast<std::size_t>(legs_ - round) *
                                            static_cast<std::size_t>(state_.stationCount) +
                                        static_cast<std::size_t>(station % stations_)];
    if (bound >= kNever ||
        time + bound >= state_.destinationBest[static_cast<std::size_t>(round)]) {
        return;
    }
    if (!state_.readyMark[s]) {
        state_.readyMark[s] = 1;
        state_.readyMarked.push_back(station);
        state_.readyBefore[s] = state_.readyAt(round, station);
    }
    state_.readyAt(round, station) = time;
    state_.readyFromAt(round, station) = from;
}

void RoundSearch::offerChanges(int round, int at, int time) {
    const int s = at % stations_;
    const int layer = at / stations_;
    const auto walksFrom = [this](int station) {
        return std::lower_bound(arrays_.walks.begin(), arrays_.walks.end(), station,
                                [](const Walk& w, int v) { return w.from < v; });
    };
    offerReady(round, at, time + changeAt(s), at);
    // Walks from here to other stations.
    for (auto w = walksFrom(s); w != arrays_.walks.end() && w->from == s; ++w) {
        offerReady(round, w->to + layer * stations_, time + w->minutes, at);
    }
    // The two earliest arrivals of the round in each group of the station's place: every
    // other station of the group may be left from the earliest, the earliest from the second.
    const std::size_t groupCount = arrays_.memberStart.empty() ? 0 : arrays_.memberStart.size() - 1;
    for (std::uint32_t i = arrays_.groupStart[static_cast<std::size_t>(s)];
         i < arrays_.groupStart[static_cast<std::size_t>(s) + 1]; ++i) {
        const std::size_t g = static_cast<std::size_t>(layer) * groupCount +
                              static_cast<std::size_t>(arrays_.stationGroups[i]);
        BestTwo& best = state_.groupBest[g];
        if (best.value[0] == kNever) state_.touchedGroups.push_back(static_cast<int>(g));
        best.offer(time, s);
    }
    // Before the journey has been at a via station: a change there, or between it and another
    // station, is a stay there. At one station the change's wait counts within the stay; a
    // walk or a change between two stations of a place comes on top of it.
    if (layer + 1 < layers_ && state_.nearVia[static_cast<std::size_t>(s)]) {
        const std::vector<char>& via = state_.isVia;
        const int next = (layer + 1) * stations_;
        const int stayed = time + options_.viaMinutes;
        if (via[static_cast<std::size_t>(s)]) {
            offerReady(round, s + next, time + std::max(changeAt(s), options_.viaMinutes), at);
        }
        for (auto w = walksFrom(s); w != arrays_.walks.end() && w->from == s; ++w) {
            if (via[static_cast<std::size_t>(s)] || via[static_cast<std::size_t>(w->to)]) {
                offerReady(round, w->to + next, stayed + w->minutes, at);
            }
        }
        for (std::uint32_t i = arrays_.groupStart[static_cast<std::size_t>(s)];
             i < arrays_.groupStart[static_cast<std::size_t>(s) + 1]; ++i) {
            const std::size_t g = static_cast<std::size_t>(arrays_.stationGroups[i]);
            for (std::uint32_t m = arrays_.memberStart[g]; m < arrays_.memberStart[g + 1]; ++m) {
                const int q = arrays_.groupMembers[m];
                if (q == s ||
                    !(via[static_cast<std::size_t>(s)] || via[static_cast<std::size_t>(q)])) {
                    continue;
                }
                offerReady(round, q + next, stayed + options_.placeChangeMinutes, at);
            }
        }
    }
}

void RoundSearch::closeRound(int round) {
    for (int s : state_.improved) {
        state_.improvedMark[static_cast<std::size_t>(s)] = 0;
        if (round == legs_) continue;
        offerChanges(round, s, state_.arrivalAt(round, s));
    }
    state_.improved.clear();
    const int groupCount = static_cast<int>(arrays_.memberStart.size()) - 1;
    for (int key : state_.touchedGroups) {
        BestTwo& best = state_.groupBest[static_cast<std::size_t>(key)];
        const int layer = key / groupCount;
        const std::size_t g = static_cast<std::size_t>(key % groupCount);
        for (std::uint32_t m = arrays_.memberStart[g]; m < arrays_.memberStart[g + 1]; ++m) {
            const int q = arrays_.groupMembers[m];
            if (best.valueBut(q) < kNever) {
                offerReady(round, q + layer * stations_,
                           best.valueBut(q) + options_.placeChangeMinutes,
                           best.stationBut(q) + layer * stations_);
            }
        }
        best = BestTwo{};
    }
    state_.touchedGroups.clear();
}

void RoundSearch::rideFirstLeg(const FirstLeg& leg) {
    const int first = arrays_.stopOf(leg.train, 0);
    const int count = arrays_.stopCount(leg.train);
    const int base = leg.day * kMinutesPerDay;
    if (base + boardingBound(legs_ - 1, leg.train, leg.position) >= state_.destinationBest[0]) {
        return;
    }
    // Boarded before any via station; past one where the train stands long enough, the
    // journey has been there.
    int layer = 0;
    const RoundLabel how{leg.train, leg.day, leg.position, 0, 0};
    for (int j = alightFrom_[static_cast<std::size_t>(first + leg.position)]; j < count; ++j) {
        const std::size_t g = static_cast<std::size_t>(first + j);
        const int time = base + arrays_.arrival[g];
        if (time >= kJourneyHorizon) break;
        if (!noAlight_[g]) {  // else no rider may leave here
            RoundLabel at = how;
            at.toStop = j;
            arrive(1, arrays_.station[g] + layer * stations_, time, at);
        }
        if (passesVia(g)) layer = layers_ - 1;
    }
}

void RoundSearch::scanTrain(int round, int train, int from, int layer) {
    // Along the run from the first position with a new departure: leave the earliest run
    // boarded so far at every stop, and board an earlier run where the previous round allows.
    // Runs of one train differ by whole days, so an earlier run is earlier at every stop; only
    // a dwell longer than the legs after it (a damaged record) keeps a later run's stops
    // ahead of an earlier run's, hence the pending boardings.
    const int first = arrays_.stopOf(train, 0);
    const int count = arrays_.stopCount(train);
    int bestDay = kNever;  // the earliest run that may be left here, and where it was boarded
    int bestStop = -1;
    // The earliest run boarded in this layer that has passed a via station since (its
    // arrivals belong to the next layer), and where it was boarded.
    int passedDay = kNever;
    int passedStop = -1;
    const int passedLayer = layers_ - 1;
    // No arrival of this round at or after this is of use (see markTrains).
    const int limit = state_.destinationBest[static_cast<std::size_t>(round - 1)];
    const int left = legs_ - round;
    const int offset = layer * stations_;
    pending_.clear();
    for (int pos = from; pos < count; ++pos) {
        const std::size_t g = static_cast<std::size_t>(first + pos);
        if (!pending_.empty()) {
            for (const Boarding& b : pending_) {
                if (b.alightFrom <= pos && b.day < bestDay) {
                    bestDay = b.day;
                    bestStop = b.stop;
                }
            }
            std::erase_if(pending_, [&](const Boarding& b) {
                return b.alightFrom <= pos || b.day >= bestDay;
            });
        }
        const int station = arrays_.station[g];
        if (passedStop >= 0) {
            const int time = passedDay * kMinutesPerDay + arrays_.arrival[g];
            if (time < limit) {
                if (!noAlight_[g]) {
                    arrive(round, station + passedLayer * stations_, time,
                           RoundLabel{train, passedDay, passedStop, pos, layer});
                }
            } else {
                passedStop = -1;
                passedDay = kNever;
            }
        }
        // A run as early as the one that passed a via station arrives no sooner in this layer.
        if (bestStop >= 0 && bestDay < passedDay) {
            const int time = bestDay * kMinutesPerDay + arrays_.arrival[g];
            if (time < limit) {
                if (!noAlight_[g]) {
                    arrive(round, station + offset, time,
                           RoundLabel{train, bestDay, bestStop, pos, layer});
                }
                if (passesVia(g) && layer < passedLayer) {
                    passedDay = bestDay;
                    passedStop = bestStop;
                }
            } else {
                bestStop = -1;  // further on it arrives later still
                bestDay = kNever;
            }
        }
        const int ready = state_.readyAt(round - 1, station + offset);
        if (ready >= kNever) continue;
        const int alightFrom = alightFrom_[g];
        if (alightFrom >= count) continue;
        for (int day = ceilDiv(ready - arrays_.departure[g], kMinutesPerDay);
             day < std::min(bestDay, passedDay); ++day) {
            if (day * kMinutesPerDay + arrays_.departure[g] >= kJourneyHorizon) break;
            const bool beaten = std::any_of(
                pending_.begin(), pending_.end(),
                [&](const Boarding& b) { return b.day <= day && b.alightFrom <= alightFrom; });
            if (beaten) break;
            if (!runs(train, day + arrays_.clockDay[g], arrays_.statusOffset[g])) continue;
            if (day * kMinutesPerDay + boardingBound(left, train, pos) >= limit) break;
            std::erase_if(pending_, [&](const Boarding& b) {
                return b.day >= day && b.alightFrom >= alightFrom;
            });
            pending_.push_back({day, pos, alightFrom});
            break;
        }
    }
}

void RoundSearch::markTrains(int round) {
    // Every train through a station with a new departure, from its first such stop on, unless
    // its earliest run from there cannot be of use. A leg of this round is of use when it ends
    // at a destination sooner than the best with as many legs, or elsewhere when the least
    // time on from there (none at a destination) keeps it sooner than that.
    const int limit = state_.destinationBest[static_cast<std::size_t>(round - 1)];
    const int left = legs_ - round;  // legs left after this round's
    const std::size_t stations = static_cast<std::size_t>(state_.stationCount);
    const std::size_t trains = static_cast<std::size_t>(arrays_.trainCount);
    auto mark = [&](int layer, int ready, std::uint32_t begin, std::uint32_t end) {
        for (std::uint32_t i = begin; i < end; ++i) {
            const StopRef ref = arrays_.stationStops[i];
            const int day = ceilDiv(ready - ref.departure, kMinutesPerDay);
            if (day * kMinutesPerDay + boardingBoundAt(left, ref.train, ref.stop) >= limit) {
                continue;
            }
            const std::size_t key =
                static_cast<std::size_t>(layer) * trains + static_cast<std::size_t>(ref.train);
            int& from = state_.scanFrom[key];
            if (from == kNever) state_.scanTrains.push_back(static_cast<int>(key));
            from = std::min(from, ref.position);
        }
    };
    for (int marked : state_.readyMarked) {
        const std::size_t at = static_cast<std::size_t>(marked);
        const std::size_t station = at % stations;
        const int layer = static_cast<int>(at / stations);
        state_.readyMark[at] = 0;
        const int ready = state_.readyAt(round - 1, marked);
        const int bound =
            state_.boardBound[static_cast<std::size_t>(left + 1) * stations + station];
        if (bound >= kNever) continue;
        // Only the runs leaving within `span` after `ready` can arrive in time: the stops whose
        // departure clock lies in [ready, ready + span) around the clock. Runs leaving at or
        // after the departure this station had before were boarded from here then, with the
        // same outcome: what they gave is known, or of no use.
        const int span = std::min(limit - bound, state_.readyBefore[at]) - ready;
        if (span <= 0) continue;
        const std::uint32_t begin = arrays_.stationStopStart[station];
        const std::uint32_t end = arrays_.stationStopStart[station + 1];
        if (span >= kMinutesPerDay) {
            mark(layer, ready, begin, end);
            continue;
        }
        const auto clocks = arrays_.stationStopClock.begin();
        const int from = (ready % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
        const int to = from + span;
        auto find = [&](int clock) {
            return static_cast<std::uint32_t>(
                std::lower_bound(clocks + begin, clocks + end, clock) - clocks);
        };
        mark(layer, ready, find(from), find(std::min(to, kMinutesPerDay)));
        if (to > kMinutesPerDay) mark(layer, ready, begin, find(to - kMinutesPerDay));
    }
    state_.readyMarked.clear();
}

Journey RoundSearch::reconstruct(int round, int station) const {
    // Back from the destination: each leg's label, then the station whose arrival allowed its
    // boarding, one round down, in the layer the leg was boarded in.
    Journey journey;
    journey.changes = round - 1;
    for (int r = round; r >= 1; --r) {
        const RoundLabel& how = state_.labelAt(r, station);
        const std::size_t from = static_cast<std::size_t>(arrays_.stopOf(how.train, how.fromStop));
        const std::size_t to = static_cast<std::size_t>(arrays_.stopOf(how.train, how.toStop));
        JourneyLeg leg;
        leg.train = how.train;
        leg.fromStop = how.fromStop;
        leg.toStop = how.toStop;
        leg.fromStation = arrays_.station[from];
        leg.toStation = arrays_.station[to];
        leg.departure = how.day * kMinutesPerDay + arrays_.departure[from];
        leg.arrival = how.day * kMinutesPerDay + arrays_.arrival[to];
        journey.legs.push_back(leg);
        if (r > 1) station = state_.readyFromAt(r - 1, leg.fromStation + how.layer * stations_);
    }
    std::reverse(journey.legs.begin(), journey.legs.end());
    journey.departure = journey.legs.front().departure;
    journey.arrival = journey.legs.back().arrival;
    return journey;
}

// The journeys no other beats (departing no earlier, arriving no later, changing no more often
// and better in one), one per (departure, arrival, changes), by departure, arrival, changes.
std::vector<Journey> unbeaten(std::vector<Journey> found) {
    std::sort(found.begin(), found.end(), [](const Journey& a, const Journey& b) {
        return std::tie(b.departure, a.arrival, a.changes) <
               std::tie(a.departure, b.arrival, b.changes);
    });
    std::array<int, kMaxJourneyChanges + 1> later;  // best arrival by changes, later departures
    later.fill(kNever);
    std::vector<Journey> kept;
    for (std::size_t i = 0; i < found.size();) {
        std::array<int, kMaxJourneyChanges + 1> same = later;  // ... and this departure
        const int departure = found[i].departure;
        for (; i < found.size() && found[i].departure == departure; ++i) {
            const Journey& j = found[i];
            const bool beaten = std::any_of(same.begin(), same.begin() + j.changes + 1,
                                            [&](int arrival) { return arrival <= j.arrival; });
            if (beaten) continue;
            int& best = same[static_cast<std::size_t>(j.changes)];
            best = std::min(best, j.arrival);
            kept.push_back(std::move(found[i]));
        }
        later = same;
    }
    std::sort(kept.begin(), kept.end(), [](const Journey& a, const Journey& b) {
        return std::tie(a.departure, a.arrival, a.changes) <
               std::tie(b.departure, b.arrival, b.changes);
    });
    return kept;
}

std::vector<Journey> RoundSearch::run(const std::vector<int>& origins,
                                      const std::vector<int>& destinations) {
    // A journey ends only in the last layer: past every via station asked for.
    for (int d : destinations) {
        state_.isDestination[static_cast<std::size_t>(d + (layers_ - 1) * stations_)] = 1;
    }
    // The via stations, and the stations a change to or from one starts at.
    for (int v : options_.viaStations) {
        state_.isVia[static_cast<std::size_t>(v)] = 1;
        state_.nearVia[static_cast<std::size_t>(v)] = 1;
        for (std::uint32_t i = arrays_.groupStart[static_cast<std::size_t>(v)];
             i < arrays_.groupStart[static_cast<std::size_t>(v) + 1]; ++i) {
            const std::size_t g = static_cast<std::size_t>(arrays_.stationGroups[i]);
            for (std::uint32_t m = arrays_.memberStart[g]; m < arrays_.memberStart[g + 1]; ++m) {
                state_.nearVia[static_cast<std::size_t>(arrays_.groupMembers[m])] = 1;
            }
        }
    }
    for (const Walk& walk : arrays_.walks) {
        if (state_.isVia[static_cast<std::size_t>(walk.to)]) {
            state_.nearVia[static_cast<std::size_t>(walk.from)] = 1;
        }
    }
    // No journey arriving after the latest arrival asked for is of use.
    if (options_.arriveByMinutes != kNoArriveBy) {
        for (int& best : state_.destinationBest) {
            best = std::min(best, options_.arriveByMinutes + 1);
        }
    }
    computeBounds(destinations);
    const std::vector<FirstLeg> legs = firstLegs(origins);
    std::vector<Journey> found;
    for (std::size_t i = 0; i < legs.size();) {
        const int departure = legs[i].departure;
        std::fill(state_.destinationReached.begin(), state_.destinationReached.end(), -1);
        if (trace_) *trace_ << "departure " << toUtf8(journeyTimeText(departure)) << "\n";
        for (; i < legs.size() && legs[i].departure == departure; ++i) rideFirstLeg(legs[i]);
        closeRound(1);
        for (int round = 2; round <= legs_ && !state_.readyMarked.empty(); ++round) {
            markTrains(round);
            for (int key : state_.scanTrains) {
                int& from = state_.scanFrom[static_cast<std::size_t>(key)];
                scanTrain(round, key % arrays_.trainCount, from, key / arrays_.trainCount);
                from = kNever;
            }
            state_.scanTrains.clear();
            closeRound(round);
        }
        // Marks left by a last round that ended the loop early are cleared for the next time.
        for (int s : state_.readyMarked) state_.readyMark[static_cast<std::size_t>(s)] = 0;
        state_.readyMarked.clear();
        for (int round = 1; round <= legs_; ++round) {
            const int station = state_.destinationReached[static_cast<std::size_t>(round - 1)];
            if (station >= 0) found.push_back(reconstruct(round, station));
        }
    }
    // The journeys of the next day only beat those of the day of travel: one that leaves
    // tonight to wait at a station for a train that passes the origin in the morning is beaten
    // by boarding that train there in the morning.
    std::vector<Journey> kept = unbeaten(std::move(found));
    std::erase_if(kept, [](const Journey& j) { return j.departure >= kMinutesPerDay; });
    return kept;
}

}  // namespace

JourneyPlanner::JourneyPlanner(const TimetableDb& db)
    : db_(db), arrays_(buildTimetableArrays(db)) {}

int JourneyPlanner::changeMinutes(int from, int to, const JourneyOptions& options) const {
    const int count = arrays_.groupStart.empty() ? 0 : arrays_.stationCount;
    if (from < 0 || to < 0 || from >= count || to >= count) {
        return -1;
    }
    if (from == to) return stationChangeMinutes(arrays_, options, from);
    int least = -1;
    const auto take = [&least](int minutes) {
        if (least < 0 || minutes < least) least = minutes;
    };
    const auto walk = std::lower_bound(arrays_.walks.begin(), arrays_.walks.end(), from,
                                       [](const Walk& w, int station) { return w.from < station; });
    for (auto w = walk; w != arrays_.walks.end() && w->from == from; ++w) {
        if (w->to == to) take(w->minutes);
    }
    // Two stations of one place share a group.
    const auto groups = [this](int s) {
        const auto begin = arrays_.stationGroups.begin();
        return std::pair(begin + arrays_.groupStart[static_cast<std::size_t>(s)],
                         begin + arrays_.groupStart[static_cast<std::size_t>(s) + 1]);
    };
    const auto [fromBegin, fromEnd] = groups(from);
    const auto [toBegin, toEnd] = groups(to);
    for (auto g = fromBegin; g != fromEnd; ++g) {
        if (std::find(toBegin, toEnd, *g) != toEnd) take(options.placeChangeMinutes);
    }
    return least;
}

std::vector<int> JourneyPlanner::placeStations(const std::u16string& place) const {
    const TimetableDb::PlaceStations found = db_.placeStations(place);
    std::vector<int> stations;
    for (int i = 0; i < found.count; ++i) {
        const int s = found.stations[static_cast<std::size_t>(i)];
        if (std::find(stations.begin(), stations.end(), s) == stations.end()) stations.push_back(s);
    }
    return stations;
}

std::vector<Journey> JourneyPlanner::plan(const std::u16string& from, const std::u16string& to,
                                          DateKey date, const JourneyOptions& options) {
    return plan(placeStations(from), placeStations(to), date, options);
}

std::vector<Journey> JourneyPlanner::plan(const std::vector<int>& origins,
                                          const std::vector<int>& destinations, DateKey date,
                                          const JourneyOptions& options) {
    if (!validJourneyOptions(options) || origins.empty() || destinations.empty()) return {};
    auto known = [&](int s) { return s >= 0 && s < arrays_.stationCount; };
    const std::vector<int>& vias = options.viaStations;
    if (!std::all_of(origins.begin(), origins.end(), known) ||
        !std::all_of(destinations.begin(), destinations.end(), known) ||
        !std::all_of(vias.begin(), vias.end(), known)) {
        return {};
    }
    // A via station at either end is no station to pass: such a question has no answer.
    const auto shares = [](const std::vector<int>& a, const std::vector<int>& b) {
        return std::any_of(a.begin(), a.end(),
                           [&b](int s) { return std::find(b.begin(), b.end(), s) != b.end(); });
    };
    if (shares(origins, destinations) || shares(vias, origins) || shares(vias, destinations)) {
        return {};
    }
    if (options.stepFree && arrays_.stepFreeAlightFrom.empty()) buildStepFreeArrays(db_, arrays_);
    state_.reset(options.maxChanges + 1, arrays_.stationCount, arrays_.trainCount,
                 arrays_.firstStop.back(), static_cast<int>(arrays_.memberStart.size()) - 1,
                 vias.empty() ? 1 : 2);
    RoundSearch search(arrays_, state_, db_, date, options, trace_);
    return search.run(origins, destinations);
}

std::size_t JourneyPlanner::memoryBytes() const {
    auto bytes = [](const auto& v) { return v.capacity() * sizeof(v[0]); };
    return sizeof(*this) + arrays_.memoryBytes() - sizeof(arrays_) + bytes(state_.arrival) +
           bytes(state_.label) + bytes(state_.ready) + bytes(state_.readyFrom) +
           bytes(state_.arrivedBound) + bytes(state_.boardBound) + bytes(state_.boardReach) +
           bytes(state_.reachDone) + bytes(state_.isDestination) + bytes(state_.isVia) +
           bytes(state_.scanFrom) + bytes(state_.groupBest);
}

bool validJourneyOptions(const JourneyOptions& options) {
    const bool arriveBy =
        options.arriveByMinutes == kNoArriveBy ||
        (options.arriveByMinutes >= 0 && options.arriveByMinutes < kJourneyHorizon);
    return arriveBy && options.viaMinutes >= 0 && options.viaMinutes < kMinutesPerDay &&
           options.afterMinutes >= 0 && options.afterMinutes < kMinutesPerDay &&
           options.maxChanges >= 0 && options.maxChanges <= kMaxJourneyChanges &&
           options.changeMinutes >= 0 && options.changeMinutes < kMinutesPerDay &&
           options.placeChangeMinutes >= 0 && options.placeChangeMinutes < kMinutesPerDay;
}

}  // namespace zelvan
