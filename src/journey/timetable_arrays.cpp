// Building the journey search's arrays from a loaded timetable, one decoded train at a time.
#include "journey/timetable_arrays.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <unordered_map>

#include "db/running_days.h"
#include "db/timetable_db.h"
#include "journey/journey.h"

namespace zelvan {
namespace {

// A run longer than this (minutes) is cut there: no stop beyond it can be reached within the
// days a journey spans, and the times stay far from overflowing.
constexpr std::int64_t kLongestRun = std::int64_t{1} << 28;

template <class T>
std::size_t bytesOf(const std::vector<T>& v) {
    return v.capacity() * sizeof(T);
}

// Turns (key, value) pairs into a compressed list per key (a station or a group), 0 to keyCount
// - 1.
template <class T>
void groupByKey(int keyCount, std::vector<std::pair<int, T>>& pairs,
                std::vector<std::uint32_t>& start, std::vector<T>& values) {
    start.assign(static_cast<std::size_t>(keyCount) + 1, 0);
    for (const auto& [s, value] : pairs) ++start[static_cast<std::size_t>(s) + 1];
    for (std::size_t s = 1; s < start.size(); ++s) start[s] += start[s - 1];
    values.resize(pairs.size());
    std::vector<std::uint32_t> next(start.begin(), start.end() - 1);
    for (const auto& [s, value] : pairs) values[next[static_cast<std::size_t>(s)]++] = value;
}

// The groups of one place: a name that is a station's gathers every station whose name is
// that name, or that name followed by one suffix (北京: 北京, 北京西, 北京南; no group for 淮
// when 淮 is no station, so 淮南 and 淮北 share none). Stored as groups, not as pairs, so that
// a thousand stations of one name cost a thousand entries and not a million.
void buildPlaces(const TimetableDb& db, int namedStations, TimetableArrays& arrays) {
    std::vector<std::u16string> names(static_cast<std::size_t>(namedStations));
    std::unordered_map<std::u16string_view, std::vector<int>> byBase;
    for (int s = 0; s < namedStations; ++s) {
        names[static_cast<std::size_t>(s)] = db.stationNameByIndex(s);
        byBase.try_emplace(names[static_cast<std::size_t>(s)]);  // every name is a base
    }
    for (int s = 0; s < namedStations; ++s) {
        const std::u16string_view name = names[static_cast<std::size_t>(s)];
        std::vector<int>& own = byBase[name];
        if (own.empty() || own.back() != s) own.push_back(s);
        for (std::u16string_view suffix : stationSuffixes()) {
            if (suffix.empty() || name.size() <= suffix.size() || !name.ends_with(suffix)) continue;
            auto group = byBase.find(name.substr(0, name.size() - suffix.size()));
            if (group != byBase.end()) group->second.push_back(s);
        }
    }
    std::vector<std::pair<int, std::int32_t>> groupsOf;  // (station, group)
    std::vector<std::pair<int, std::int32_t>> members;   // (group, station)
    int groups = 0;
    for (auto& [base, group] : byBase) {
        std::sort(group.begin(), group.end());
        group.erase(std::unique(group.begin(), group.end()), group.end());
        if (group.size() < 2) continue;
        for (int s : group) {
            groupsOf.emplace_back(s, groups);
            members.emplace_back(groups, s);
        }
        ++groups;
    }
    groupByKey(arrays.stationCount, groupsOf, arrays.groupStart, arrays.stationGroups);
    groupByKey(groups, members, arrays.memberStart, arrays.groupMembers);
}

// Least riding minutes between consecutive stops, as a bound that never exceeds a real ride.
// A ride boarding at b and leaving at j lasts arrival[j] - departure[b]. Leg i (stop i to i + 1)
// counts the part of [arrival[i], arrival[i + 1]] after every departure up to stop i; those
// parts do not overlap and all lie after departure[b], so a ride is never shorter than the sum
// of its legs' counts, even where a dwell outlasts the legs after it.
// emit(station ridden to, edge from the station before) for every leg of the train.
template <class Emit>
void eachRideEdge(const TimetableArrays& arrays, int train, Emit emit) {
    const int first = arrays.firstStop[static_cast<std::size_t>(train)];
    const int count = arrays.stopCount(train);
    std::int32_t latestDeparture = 0;
    for (int i = 0; i + 1 < count; ++i) {
        const std::size_t g = static_cast<std::size_t>(first + i);
        latestDeparture = std::max(latestDeparture, arrays.departure[g]);
        const std::int32_t from = std::max(arrays.arrival[g], latestDeparture);
        const std::int32_t minutes = std::max(0, arrays.arrival[g + 1] - from);
        // A ride back to the station it left is a way too: it ends in an arrival there, which
        // a walk or a change to another station of the place may follow.
        emit(arrays.station[g + 1], RideEdge{arrays.station[g], minutes});
    }
}

}  // namespace

std::size_t TimetableArrays::memoryBytes() const {
    return sizeof(*this) + bytesOf(firstStop) + bytesOf(days) + bytesOf(station) +
           bytesOf(arrival) + bytesOf(departure) + bytesOf(clockDay) + bytesOf(statusOffset) +
           bytesOf(alightFrom) + bytesOf(noAlight) + bytesOf(stepFreeAlightFrom) +
           bytesOf(stepFreeNoAlight) + bytesOf(stationStopStart) + bytesOf(stationStops) +
           bytesOf(stationStopClock) + bytesOf(groupStart) + bytesOf(stationGroups) +
           bytesOf(memberStart) + bytesOf(groupMembers) + bytesOf(rideInStart) + bytesOf(rideIn);
}

TimetableArrays buildTimetableArrays(const TimetableDb& db) {
    TimetableArrays arrays;
    const int namedStations = static_cast<int>(db.stationNames.size());
    arrays.trainCount = static_cast<int>(db.trainIndex.size());
    arrays.stationCount = namedStations;
    arrays.firstStop.reserve(static_cast<std::size_t>(arrays.trainCount) + 1);
    arrays.days.reserve(static_cast<std::size_t>(arrays.trainCount));

    // Station query day offset: hour roll-overs up to the train's first stop at the station.
    // firstSeen[station] holds (train + 1) and the roll-overs there when the train met it.
    std::vector<std::pair<int, std::int32_t>> firstSeen;
    const int stationLimit = std::max(namedStations, 128 * 128);
    TrainRecord train;
    // About as many stops as a national timetable has per train; grown when there are more.
    const std::size_t expected = static_cast<std::size_t>(arrays.trainCount) * 16;
    for (auto* v : {&arrays.arrival, &arrays.departure, &arrays.clockDay, &arrays.statusOffset,
                    &arrays.alightFrom}) {
        v->reserve(expected);
    }
    arrays.station.reserve(expected);
    for (int t = 0; t < arrays.trainCount; ++t) {
        // The record's header and stops are all the planner reads: decodeTrain would also look
        // up the number shown and the day's status of every train, half the build on an
        // imported timetable. A record without stops (none found) takes decodeTrain's reading
        // of a header that may be cut short.
        if (const TimetableDb::RawTrain raw = db.rawTrain(t); raw.count > 0) {
            const std::uint8_t* h = raw.header;
            const auto date = [h](int i) {
                return h[i] + h[i + 1] * 128 + h[i + 2] * 128 * 128 + h[i + 3] * 128 * 128 * 128;
            };
            train.validFrom = date(2);
            train.validUntil = date(6);
            train.ruleNumber = h[10];
            train.stops.resize(static_cast<std::size_t>(raw.count));
            for (int i = 0; i < raw.count; ++i)
                train.stops[static_cast<std::size_t>(i)] = raw.stop(i);
        } else {
            db.decodeTrain(t, train);
        }
        arrays.firstStop.push_back(static_cast<std::int32_t>(arrays.station.size()));
        TrainDays& days = arrays.days.emplace_back();
        days.validFrom = train.validFrom;
        days.validUntil = train.validUntil;
        days.validFromDay = daysBetween(kDayZero, train.validFrom);
        days.listed = db.extensions.serviceDays(t);
        const std::size_t rule = static_cast<std::size_t>(train.ruleNumber);
        if (train.ruleNumber >= 0 && rule < db.runningRules.size()) {
            const RunningRule parsed = parseRunningRule(db.runningRules[rule]);
            days.period = parsed.period;
            days.mask = parsed.mask;
        }

        std::int64_t time = 0;
        int previousClock = 0;
        int previousHour = -1;
        std::int32_t rollOvers = 0;
        for (const StopRecord& stop : train.stops) {
            const int clock = stop.arrivalHour * 60 + stop.arrivalMinute;
            if (stop.sequence == 0) {
                time = clock;
            } else {
                time +=
                    ((clock - previousClock) % kMinutesPerDay + kMinutesPerDay) % kMinutesPerDay;
            }
            if (time > kLongestRun) break;
            // A station no name stands for is damaged data: the run ends before it. Narrow
            // records reach 16,384 stations at most; wide ones reach 2^28, which would size
            // the tables below by a damaged byte.
            if (stop.station < 0 || stop.station >= stationLimit) break;
            previousClock = clock;
            if (previousHour > stop.arrivalHour) ++rollOvers;
            previousHour = stop.arrivalHour;

            if (stop.station >= static_cast<int>(firstSeen.size())) {
                firstSeen.resize(static_cast<std::size_t>(stop.station) + 1, {0, 0});
            }
            auto& seen = firstSeen[static_cast<std::size_t>(stop.station)];
            if (seen.first != t + 1) seen = {t + 1, rollOvers};

            arrays.station.push_back(static_cast<std::int32_t>(stop.station));
            arrays.arrival.push_back(static_cast<std::int32_t>(time));
            arrays.departure.push_back(static_cast<std::int32_t>(time + stop.dwellMinutes));
            arrays.clockDay.push_back(static_cast<std::int32_t>((time - clock) / kMinutesPerDay));
            arrays.statusOffset.push_back(seen.second);
            arrays.stationCount = std::max(arrays.stationCount, stop.station + 1);
        }
        // Where a rider boarding at each stop may leave: arrivals never decrease along a run.
        const std::size_t first = static_cast<std::size_t>(arrays.firstStop.back());
        const auto begin = arrays.arrival.begin() + static_cast<std::ptrdiff_t>(first);
        const bool restricted = db.extensions.restricted(t);
        const int count = static_cast<int>(arrays.arrival.size() - first);
        for (std::size_t g = first; g < arrays.arrival.size(); ++g) {
            const auto from = arrays.arrival.begin() + static_cast<std::ptrdiff_t>(g) + 1;
            const int position = static_cast<int>(g - first);
            const StopExtras extras =
                restricted ? db.extensions.stopExtras(t, position) : StopExtras{};
            arrays.alightFrom.push_back(
                extras.board
                    ? static_cast<std::int32_t>(
                          std::lower_bound(from, arrays.arrival.end(), arrays.departure[g]) - begin)
                    : count);
            arrays.noAlight.push_back(extras.alight ? 0 : 1);
        }
    }
    arrays.firstStop.push_back(static_cast<std::int32_t>(arrays.station.size()));

    // The timetable's own change times and walks (an imported feed's transfers).
    if (db.extensions.present()) {
        arrays.changeAt.assign(static_cast<std::size_t>(arrays.stationCount), -1);
        for (int s = 0; s < arrays.stationCount; ++s) {
            const int change = db.extensions.stationExtras(s).changeMinutes;
            if (change >= 0)
                arrays.changeAt[static_cast<std::size_t>(s)] = static_cast<std::int16_t>(change);
        }
        for (const Walk& walk : db.extensions.walks()) {
            if (walk.from < arrays.stationCount && walk.to < arrays.stationCount &&
                walk.from != walk.to) {
                arrays.walks.push_back(walk);
            }
        }
        std::sort(arrays.walks.begin(), arrays.walks.end(),
                  [](const Walk& a, const Walk& b) { return a.from < b.from; });
    }

    // Each station's stops by the clock time of their departure, so that a search finds the
    // runs leaving within a span of the day by halving.
    arrays.stationStopStart.assign(static_cast<std::size_t>(arrays.stationCount) + 1, 0);
    for (const std::int32_t station : arrays.station) {
        ++arrays.stationStopStart[static_cast<std::size_t>(station) + 1];
    }
    for (std::size_t k = 1; k < arrays.stationStopStart.size(); ++k) {
        arrays.stationStopStart[k] += arrays.stationStopStart[k - 1];
    }
    // Counting sorts: the flat stops by clock time, then into their stations in that order.
    const std::size_t stopTotal = arrays.station.size();
    auto clockOf = [&](std::size_t g) {
        return static_cast<std::uint16_t>((arrays.departure[g] % kMinutesPerDay + kMinutesPerDay) %
                                          kMinutesPerDay);
    };
    std::vector<std::uint32_t> clockStart(kMinutesPerDay + 1, 0);
    for (std::size_t g = 0; g < stopTotal; ++g) ++clockStart[clockOf(g) + 1u];
    for (std::size_t k = 1; k < clockStart.size(); ++k) clockStart[k] += clockStart[k - 1];
    std::vector<std::uint32_t> byClock(stopTotal);
    for (std::size_t g = 0; g < stopTotal; ++g) {
        byClock[clockStart[clockOf(g)]++] = static_cast<std::uint32_t>(g);
    }
    std::vector<std::int32_t> trainOf(stopTotal);
    for (int t = 0; t < arrays.trainCount; ++t) {
        std::fill(trainOf.begin() + arrays.firstStop[static_cast<std::size_t>(t)],
                  trainOf.begin() + arrays.firstStop[static_cast<std::size_t>(t) + 1], t);
    }
    arrays.stationStops.resize(stopTotal);
    arrays.stationStopClock.resize(stopTotal);
    std::vector<std::uint32_t> next(arrays.stationStopStart.begin(),
                                    arrays.stationStopStart.end() - 1);
    for (std::uint32_t g : byClock) {
        const std::uint32_t at = next[arrays.station[g]]++;
        const std::int32_t t = trainOf[g];
        arrays.stationStops[at] =
            StopRef{t, static_cast<std::int32_t>(g) - arrays.firstStop[static_cast<std::size_t>(t)],
                    static_cast<std::int32_t>(g), arrays.departure[g]};
        arrays.stationStopClock[at] = clockOf(g);
    }

    // Each way in once, with the least minutes of all trains riding it: the legs gathered by
    // the station ridden to (counted, then placed), then one edge per station ridden from.
    std::vector<std::uint32_t> start(static_cast<std::size_t>(arrays.stationCount) + 1, 0);
    for (int t = 0; t < arrays.trainCount; ++t) {
        eachRideEdge(arrays, t,
                     [&](int v, const RideEdge&) { ++start[static_cast<std::size_t>(v) + 1]; });
    }
    for (std::size_t k = 1; k < start.size(); ++k) start[k] += start[k - 1];
    std::vector<RideEdge> ways(start.back());
    next.assign(start.begin(), start.end() - 1);
    for (int t = 0; t < arrays.trainCount; ++t) {
        eachRideEdge(arrays, t, [&](int v, const RideEdge& way) {
            ways[next[static_cast<std::size_t>(v)]++] = way;
        });
    }
    std::vector<int> seenFor(static_cast<std::size_t>(arrays.stationCount), -1);
    std::vector<std::uint32_t> slot(static_cast<std::size_t>(arrays.stationCount), 0);
    arrays.rideInStart.assign(start.size(), 0);
    for (int v = 0; v < arrays.stationCount; ++v) {
        for (std::uint32_t i = start[static_cast<std::size_t>(v)];
             i < start[static_cast<std::size_t>(v) + 1]; ++i) {
            const RideEdge& way = ways[i];
            const std::size_t u = static_cast<std::size_t>(way.from);
            if (seenFor[u] != v) {
                seenFor[u] = v;
                slot[u] = static_cast<std::uint32_t>(arrays.rideIn.size());
                arrays.rideIn.push_back(way);
            } else {
                RideEdge& kept = arrays.rideIn[slot[u]];
                kept.minutes = std::min(kept.minutes, way.minutes);
            }
        }
        arrays.rideInStart[static_cast<std::size_t>(v) + 1] =
            static_cast<std::uint32_t>(arrays.rideIn.size());
    }

    buildPlaces(db, namedStations, arrays);
    return arrays;
}

void buildStepFreeArrays(const TimetableDb& db, TimetableArrays& arrays) {
    std::vector<char> stepFree(static_cast<std::size_t>(arrays.stationCount), 0);
    for (int s = 0; s < arrays.stationCount; ++s) {
        stepFree[static_cast<std::size_t>(s)] =
            db.extensions.stationExtras(s).wheelchair == Access::Yes;
    }
    const std::size_t stops = arrays.station.size();
    arrays.stepFreeAlightFrom.assign(stops, 0);
    arrays.stepFreeNoAlight.assign(stops, 1);
    for (int t = 0; t < arrays.trainCount; ++t) {
        const bool accessible = db.extensions.tripAccess(t).wheelchair == Access::Yes;
        const int count = arrays.stopCount(t);
        for (int p = 0; p < count; ++p) {
            const std::size_t g = static_cast<std::size_t>(arrays.stopOf(t, p));
            const bool usable = accessible && stepFree[arrays.station[g]];
            arrays.stepFreeAlightFrom[g] = usable ? arrays.alightFrom[g] : count;
            arrays.stepFreeNoAlight[g] = usable ? arrays.noAlight[g] : 1;
        }
    }
}

}  // namespace zelvan
