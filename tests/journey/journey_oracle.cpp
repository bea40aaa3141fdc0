#include "journey_oracle.h"

#include <algorithm>
#include <chrono>
#include <tuple>

#include <gtest/gtest.h>

#include "db/text.h"

namespace zelvan::test {
namespace {

constexpr int kDay = 24 * 60;
constexpr int kHorizon = 3 * kDay;  // arrive before the end of the second day after
// A boarding's calendar day lies between these, counted from the day of travel: departures
// fall before the horizon, and clock plus dwell is less than a day and a half.
constexpr int kEarliestDay = -2;
constexpr int kLatestDay = 2;

const std::u16string kSuffixes[] = {u"", u"东", u"西", u"南", u"北", u"虹桥", u"新区", u"园区"};

// A station reached: where, when, and how many legs it took.
struct Reached {
    int station;
    int time;
    auto operator<=>(const Reached&) const = default;
};

}  // namespace

DateKey shiftDate(DateKey date, int days) {
    using namespace std::chrono;
    const year_month_day ymd{year{date / 10000}, month{static_cast<unsigned>(date / 100 % 100)},
                             day{static_cast<unsigned>(date % 100)}};
    const year_month_day shifted{sys_days{ymd} + std::chrono::days{days}};
    return static_cast<int>(shifted.year()) * 10000 +
           static_cast<int>(static_cast<unsigned>(shifted.month())) * 100 +
           static_cast<int>(static_cast<unsigned>(shifted.day()));
}

std::vector<int> JourneyOracle::placeStations(const std::u16string& place) const {
    std::vector<int> stations;
    for (const std::u16string& suffix : kSuffixes) {
        const int s = db_.stationIndexByName(place + suffix);
        if (s >= 0 && std::find(stations.begin(), stations.end(), s) == stations.end()) {
            stations.push_back(s);
        }
    }
    return stations;
}

bool JourneyOracle::onePlace(int a, int b) const {
    const int named = static_cast<int>(db_.stationNames.size());
    if (a == b || a < 0 || b < 0 || a >= named || b >= named) return false;
    auto bases = [&](const std::u16string& name) {
        std::vector<std::u16string> out{name};
        for (const std::u16string& suffix : kSuffixes) {
            if (!suffix.empty() && name.size() > suffix.size() && name.ends_with(suffix)) {
                out.push_back(name.substr(0, name.size() - suffix.size()));
            }
        }
        return out;
    };
    for (const std::u16string& x : bases(db_.stationNames[static_cast<std::size_t>(a)])) {
        for (const std::u16string& y : bases(db_.stationNames[static_cast<std::size_t>(b)])) {
            if (x == y && std::find(db_.stationNames.begin(), db_.stationNames.end(), x) !=
                              db_.stationNames.end()) {
                return true;
            }
        }
    }
    return false;
}

const TrainRecord& JourneyOracle::train(int index) {
    auto it = trains_.find(index);
    if (it == trains_.end()) {
        it = trains_.emplace(index, TrainRecord{}).first;
        db_.decodeTrain(index, it->second);
    }
    return it->second;
}

const std::vector<int>& JourneyOracle::runTimes(int index) {
    auto it = times_.find(index);
    if (it != times_.end()) return it->second;
    std::vector<int> times;
    const TrainRecord& t = train(index);
    for (std::size_t k = 0; k < t.stops.size(); ++k) {
        const int clock = t.stops[k].arrivalHour * 60 + t.stops[k].arrivalMinute;
        if (k == 0) {
            times.push_back(clock);
        } else {
            const int previous = t.stops[k - 1].arrivalHour * 60 + t.stops[k - 1].arrivalMinute;
            times.push_back(times.back() + ((clock - previous) % kDay + kDay) % kDay);
        }
    }
    return times_.emplace(index, std::move(times)).first->second;
}

bool JourneyOracle::runs(int index, DateKey date, int day, int station) {
    const auto key = std::make_tuple(index, date, day, station);
    auto it = runs_.find(key);
    if (it != runs_.end()) return it->second;
    const DateKey savedDate = db_.queryDate;
    const int savedFrom = db_.fromStation;
    db_.queryDate = shiftDate(date, day);
    db_.fromStation = station;
    TrainRecord decoded;
    db_.decodeTrain(index, decoded);
    db_.queryDate = savedDate;
    db_.fromStation = savedFrom;
    const bool running = decoded.status == RunStatus::Running;
    runs_.emplace(key, running);
    return running;
}

std::set<Triple> JourneyOracle::unbeaten(const std::u16string& from, const std::u16string& to,
                                         DateKey date, const JourneyOptions& options) {
    const std::vector<int> origins = placeStations(from);
    const std::vector<int> destinations = placeStations(to);
    std::set<Triple> all;
    for (int s : origins) {
        if (std::find(destinations.begin(), destinations.end(), s) != destinations.end()) {
            return {};
        }
    }
    const int trainCount = static_cast<int>(db_.trainIndex.size());
    auto isDestination = [&](int s) {
        return std::find(destinations.begin(), destinations.end(), s) != destinations.end();
    };
    // Every leg that boards at `station` no earlier than `earliest` on a day in [first, last]:
    // each (station left, arrival) it reaches.
    auto legsFrom = [&](int station, int earliest, int first, int last, auto emit) {
        for (int t = 0; t < trainCount; ++t) {
            const TrainRecord& record = train(t);
            const std::vector<int>& times = runTimes(t);
            for (std::size_t k = 0; k < record.stops.size(); ++k) {
                const StopRecord& stop = record.stops[k];
                if (stop.station != station) continue;
                for (int day = first; day <= last; ++day) {
                    const int departure =
                        day * kDay + stop.arrivalHour * 60 + stop.arrivalMinute + stop.dwellMinutes;
                    if (departure < earliest || departure >= kHorizon) continue;
                    if (!runs(t, date, day, station)) continue;
                    for (std::size_t j = k + 1; j < record.stops.size(); ++j) {
                        const int arrival = departure + times[j] - times[k] - stop.dwellMinutes;
                        if (arrival < departure || arrival >= kHorizon) continue;
                        emit(departure, record.stops[j].station, arrival);
                    }
                }
            }
        }
    };
    // Journeys by the departure of their first leg, then leg by leg over distinct
    // (station, time) reached: a journey is its first departure and where and when it is.
    // First legs of the next day too: their journeys only beat those of the day of travel.
    std::map<int, std::set<Reached>> level;
    for (int s : origins) {
        legsFrom(s, options.afterMinutes, 0, 1, [&](int departure, int station, int arrival) {
            level[departure].insert({station, arrival});
        });
    }
    const int stationCount = static_cast<int>(db_.stationNames.size());
    for (int legs = 1; legs <= options.maxChanges + 1; ++legs) {
        std::map<int, std::set<Reached>> next;
        for (const auto& [departure, reached] : level) {
            for (const Reached& r : reached) {
                if (isDestination(r.station)) all.insert({departure, r.time, legs - 1});
                if (legs == options.maxChanges + 1) continue;
                // Stations beyond the name list are stations of their own.
                std::vector<std::pair<int, int>> changes{{r.station, options.changeMinutes}};
                for (int s = 0; s < stationCount; ++s) {
                    if (onePlace(r.station, s)) changes.push_back({s, options.placeChangeMinutes});
                }
                for (const auto& [station, wait] : changes) {
                    legsFrom(station, r.time + wait, kEarliestDay, kLatestDay,
                             [&](int, int reachedStation, int arrival) {
                                 next[departure].insert({reachedStation, arrival});
                             });
                }
            }
        }
        level = std::move(next);
    }
    std::set<Triple> kept;
    for (const Triple& a : all) {
        const bool beaten = std::any_of(all.begin(), all.end(), [&](const Triple& b) {
            return b != a && b.departure >= a.departure && b.arrival <= a.arrival &&
                   b.changes <= a.changes;
        });
        if (!beaten && a.departure < kDay) kept.insert(a);
    }
    return kept;
}

std::string JourneyOracle::check(const Journey& journey, const std::u16string& from,
                                 const std::u16string& to, DateKey date,
                                 const JourneyOptions& options) {
    const std::vector<int> origins = placeStations(from);
    const std::vector<int> destinations = placeStations(to);
    if (journey.legs.empty()) return "no legs";
    if (journey.changes != static_cast<int>(journey.legs.size()) - 1) return "changes miscounted";
    if (journey.changes > options.maxChanges) return "too many changes";
    if (journey.departure != journey.legs.front().departure ||
        journey.arrival != journey.legs.back().arrival) {
        return "journey times are not its legs' times";
    }
    for (std::size_t i = 0; i < journey.legs.size(); ++i) {
        const JourneyLeg& leg = journey.legs[i];
        const std::string where = "leg " + std::to_string(i) + ": ";
        if (leg.train < 0 || leg.train >= static_cast<int>(db_.trainIndex.size())) {
            return where + "no such train";
        }
        const TrainRecord& record = train(leg.train);
        if (leg.fromStop < 0 || leg.toStop <= leg.fromStop ||
            leg.toStop >= static_cast<int>(record.stops.size())) {
            return where + "stops out of order";
        }
        const StopRecord& board = record.stops[static_cast<std::size_t>(leg.fromStop)];
        const StopRecord& leave = record.stops[static_cast<std::size_t>(leg.toStop)];
        if (board.station != leg.fromStation || leave.station != leg.toStation) {
            return where + "stations are not the stops'";
        }
        const int offset =
            leg.departure - board.arrivalHour * 60 - board.arrivalMinute - board.dwellMinutes;
        if (offset % kDay != 0) return where + "departure is not the stop's clock";
        const int day = offset / kDay;
        if (!runs(leg.train, date, day, board.station)) return where + "train not running";
        const std::vector<int>& times = runTimes(leg.train);
        const std::size_t b = static_cast<std::size_t>(leg.fromStop);
        const std::size_t l = static_cast<std::size_t>(leg.toStop);
        if (leg.arrival != leg.departure + times[l] - times[b] - board.dwellMinutes) {
            return where + "arrival is not the run's";
        }
        if (leg.arrival < leg.departure) return where + "arrives before it leaves";
        if (i == 0) {
            if (std::find(origins.begin(), origins.end(), leg.fromStation) == origins.end()) {
                return where + "not from an origin";
            }
            if (day != 0) return where + "first leg not boarded on the day of travel";
            if (leg.departure < options.afterMinutes) return where + "leaves too early";
        } else {
            const JourneyLeg& before = journey.legs[i - 1];
            const int wait = leg.departure - before.arrival;
            if (before.toStation == leg.fromStation) {
                if (wait < options.changeMinutes) return where + "change too short";
            } else if (onePlace(before.toStation, leg.fromStation)) {
                if (wait < options.placeChangeMinutes) return where + "place change too short";
            } else {
                return where + "changes between unrelated stations";
            }
        }
    }
    if (std::find(destinations.begin(), destinations.end(), journey.legs.back().toStation) ==
        destinations.end()) {
        return "does not end at a destination";
    }
    if (journey.arrival >= kHorizon) return "arrives too late";
    return "";
}

bool loadTimetable(const TimetableSource& source, const std::filesystem::path& folder,
                   TimetableDb& db) {
    std::string error;
    if (!writeDataFiles(source, folder, error)) {
        ADD_FAILURE() << error;
        return false;
    }
    if (!db.load(fromUtf8(folder.string()))) {
        ADD_FAILURE() << "cannot load " << folder;
        return false;
    }
    return true;
}

TimetableSource randomJourneyTimetable(std::mt19937& random, DateKey date) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    TimetableSource source;
    // Places of several stations, two stations of one name, and 淮南/淮北 with no 淮; a
    // random few of them in a random order.
    std::vector<std::u16string> names = {u"甲", u"甲东", u"甲西", u"乙", u"乙南",   u"丙", u"丙北",
                                         u"丙", u"淮南", u"淮北", u"丁", u"丁虹桥", u"戊"};
    std::shuffle(names.begin(), names.end(), random);
    const int stationCount = 5 + pick(static_cast<int>(names.size()) - 4);
    for (int s = 0; s < stationCount; ++s) {
        SourceStation station;
        station.name = names[static_cast<std::size_t>(s)];
        source.stations.push_back(station);
    }
    source.rules = {u"1 1", u"2 1", u"2 2", u"3 5", u"7 85"};
    source.hasRules = true;
    // Half the timetables run short hops along a line of the stations: going far takes changes.
    const bool hops = pick(2) == 0;
    const int trainCount = hops ? 20 + pick(30) : 8 + pick(25);
    for (int t = 0; t < trainCount; ++t) {
        SourceTrain train;
        train.name = u"K" + fromUtf8(std::to_string(t + 1));
        train.kindCode = pick(128);
        train.validFrom = shiftDate(date, -pick(6) - (pick(4) == 0 ? 0 : 30));
        train.validUntil = shiftDate(date, pick(5) == 0 ? pick(3) : 60);
        train.ruleNumber = hops && pick(2) == 0 ? 0 : pick(7);  // 5 and 6 have no line: daily
        if (pick(8) == 0) train.validFrom = shiftDate(date, 1 + pick(2));  // not valid yet
        int minute = pick(24 * 60);
        int km = 0;
        const int stops = 2 + (hops ? (pick(4) == 0 ? 1 : 0) : pick(4));
        const int start = pick(stationCount);
        const int step = pick(2) == 0 ? 1 : stationCount - 1;
        std::vector<int> called;
        for (int i = 0; i < stops; ++i) {
            SourceStop stop;
            // Now and then the train comes back to a station it called at before.
            const int station = i >= 2 && pick(6) == 0 ? called[static_cast<std::size_t>(pick(i))]
                                : hops                 ? (start + i * step) % stationCount
                                                       : pick(stationCount);
            called.push_back(station);
            stop.station = u"#" + fromUtf8(std::to_string(station));
            stop.arrivalHour = minute / 60 % 24;
            stop.arrivalMinute = minute % 60;
            // Mostly short stops; now and then one longer than the leg after it.
            stop.dwellMinutes = pick(8) == 0 ? 60 + pick(68) : pick(25);
            stop.distanceKm = km;
            km += pick(300);
            train.stops.push_back(stop);
            // Legs from none to most of a day: runs overnight and over two midnights.
            minute += pick(4) == 0 ? pick(30) : 20 + pick(pick(4) == 0 ? 1400 : 240);
        }
        source.trains.push_back(train);
    }
    return source;
}

}  // namespace zelvan::test
