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

// A station reached: where, when, and whether the journey has been at a via station (1), or
// need not (1 as well), or has yet to (0).
struct Reached {
    int station;
    int time;
    int via;
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

int JourneyOracle::changeMinutes(int from, int to, const JourneyOptions& options) {
    int least = -1;
    for (const Change& change : changesFrom(from, options)) {
        if (change.station == to && (least < 0 || change.minutes < least)) least = change.minutes;
    }
    return least;
}

std::vector<JourneyOracle::Change> JourneyOracle::changesFrom(int station,
                                                              const JourneyOptions& options) {
    std::vector<Change> changes;
    // At the station: the asked wait, else the timetable's own there, else the default.
    int wait = options.changeMinutes;
    const int own = db_.extensions.stationExtras(station).changeMinutes;
    if (!options.changeMinutesGiven && own >= 0) wait = own;
    changes.push_back({station, wait});
    const int named = static_cast<int>(db_.stationNames.size());
    for (const Walk& walk : db_.extensions.walks()) {
        if (walk.from == station && walk.to != station && walk.to < named) {
            changes.push_back({walk.to, walk.minutes});
        }
    }
    for (int s = 0; s < named; ++s) {
        if (onePlace(station, s)) changes.push_back({s, options.placeChangeMinutes});
    }
    return changes;
}

bool JourneyOracle::mayBoard(int index, int position, const JourneyOptions& options) {
    const TrainRecord& t = train(index);
    if (!db_.extensions.stopExtras(index, position).board) return false;
    if (!options.stepFree) return true;
    const int station = t.stops[static_cast<std::size_t>(position)].station;
    return db_.extensions.tripAccess(index).wheelchair == Access::Yes &&
           db_.extensions.stationExtras(station).wheelchair == Access::Yes;
}

bool JourneyOracle::mayLeave(int index, int position, const JourneyOptions& options) {
    const TrainRecord& t = train(index);
    if (!db_.extensions.stopExtras(index, position).alight) return false;
    if (!options.stepFree) return true;
    const int station = t.stops[static_cast<std::size_t>(position)].station;
    return db_.extensions.tripAccess(index).wheelchair == Access::Yes &&
           db_.extensions.stationExtras(station).wheelchair == Access::Yes;
}

bool JourneyOracle::passes(int index, int from, int to, const std::vector<int>& vias, int minutes) {
    const TrainRecord& t = train(index);
    const std::vector<int>& times = runTimes(index);
    const StopRecord& board = t.stops[static_cast<std::size_t>(from)];
    const int departure = times[static_cast<std::size_t>(from)] + board.dwellMinutes;
    for (int p = from + 1; p < to; ++p) {
        const StopRecord& stop = t.stops[static_cast<std::size_t>(p)];
        // A stop the rider is on the train at: reached after the boarding's departure.
        if (times[static_cast<std::size_t>(p)] < departure) continue;
        if (std::find(vias.begin(), vias.end(), stop.station) != vias.end() &&
            stop.dwellMinutes >= minutes) {
            return true;
        }
    }
    return false;
}

std::set<Triple> JourneyOracle::unbeaten(const std::u16string& from, const std::u16string& to,
                                         DateKey date, const JourneyOptions& options) {
    const std::vector<int> origins = placeStations(from);
    const std::vector<int> destinations = placeStations(to);
    const std::vector<int>& vias = options.viaStations;
    const auto among = [](const std::vector<int>& list, int s) {
        return std::find(list.begin(), list.end(), s) != list.end();
    };
    std::set<Triple> all;
    for (int s : origins) {
        if (among(destinations, s) || among(vias, s)) return {};
    }
    for (int s : destinations) {
        if (among(vias, s)) return {};
    }
    const int trainCount = static_cast<int>(db_.trainIndex.size());
    const int lastArrival =
        options.arriveByMinutes == kNoArriveBy ? kHorizon - 1 : options.arriveByMinutes;
    // Every leg that boards at `station` no earlier than `earliest` on a day in [first, last]:
    // each (station left, arrival, whether it passed a via station) it reaches.
    auto legsFrom = [&](int station, int earliest, int first, int last, auto emit) {
        for (int t = 0; t < trainCount; ++t) {
            const TrainRecord& record = train(t);
            const std::vector<int>& times = runTimes(t);
            for (std::size_t k = 0; k < record.stops.size(); ++k) {
                const StopRecord& stop = record.stops[k];
                if (stop.station != station) continue;
                if (!mayBoard(t, static_cast<int>(k), options)) continue;
                for (int day = first; day <= last; ++day) {
                    const int departure =
                        day * kDay + stop.arrivalHour * 60 + stop.arrivalMinute + stop.dwellMinutes;
                    if (departure < earliest || departure >= kHorizon) continue;
                    if (!runs(t, date, day, station)) continue;
                    for (std::size_t j = k + 1; j < record.stops.size(); ++j) {
                        const int arrival = departure + times[j] - times[k] - stop.dwellMinutes;
                        if (arrival < departure || arrival >= kHorizon) continue;
                        if (!mayLeave(t, static_cast<int>(j), options)) continue;
                        const bool passed =
                            !vias.empty() && passes(t, static_cast<int>(k), static_cast<int>(j),
                                                    vias, options.viaMinutes);
                        emit(departure, record.stops[j].station, arrival, passed);
                    }
                }
            }
        }
    };
    // Journeys by the departure of their first leg, then leg by leg over distinct
    // (station, time, been at a via station) reached: a journey is its first departure and
    // where and when it is. First legs of the next day too: their journeys only beat those of
    // the day of travel.
    const int done = vias.empty() ? 1 : 0;  // the journey needs no via station, or has been
    std::map<int, std::set<Reached>> level;
    for (int s : origins) {
        legsFrom(s, options.afterMinutes, 0, 1,
                 [&](int departure, int station, int arrival, bool passed) {
                     level[departure].insert({station, arrival, passed ? 1 : done});
                 });
    }
    for (int legs = 1; legs <= options.maxChanges + 1; ++legs) {
        std::map<int, std::set<Reached>> next;
        for (const auto& [departure, reached] : level) {
            for (const Reached& r : reached) {
                if (among(destinations, r.station) && r.via == 1 && r.time <= lastArrival) {
                    all.insert({departure, r.time, legs - 1});
                }
                if (legs == options.maxChanges + 1) continue;
                for (const Change& change : changesFrom(r.station, options)) {
                    // The same leg, boarded after the change as it is, and after the stay at a
                    // via station where the change is one there.
                    std::vector<std::pair<int, int>> waits{{change.minutes, r.via}};
                    if (r.via == 0 && (among(vias, r.station) || among(vias, change.station))) {
                        const int stay = change.station == r.station
                                             ? std::max(change.minutes, options.viaMinutes)
                                             : change.minutes + options.viaMinutes;
                        waits.push_back({stay, 1});
                    }
                    for (const auto& [wait, via] : waits) {
                        legsFrom(
                            change.station, r.time + wait, kEarliestDay, kLatestDay,
                            [&, via = via](int, int reachedStation, int arrival, bool passed) {
                                next[departure].insert({reachedStation, arrival, passed ? 1 : via});
                            });
                    }
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
    const std::vector<int>& vias = options.viaStations;
    const auto among = [](const std::vector<int>& list, int s) {
        return std::find(list.begin(), list.end(), s) != list.end();
    };
    if (journey.legs.empty()) return "no legs";
    if (journey.changes != static_cast<int>(journey.legs.size()) - 1) return "changes miscounted";
    if (journey.changes > options.maxChanges) return "too many changes";
    if (journey.departure != journey.legs.front().departure ||
        journey.arrival != journey.legs.back().arrival) {
        return "journey times are not its legs' times";
    }
    bool visited = vias.empty();
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
        if (!mayBoard(leg.train, leg.fromStop, options)) return where + "boards where none may";
        if (!mayLeave(leg.train, leg.toStop, options)) return where + "leaves where none may";
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
            const int least = changeMinutes(before.toStation, leg.fromStation, options);
            if (least < 0) return where + "changes between unrelated stations";
            if (wait < least) return where + "change too short";
            if (among(vias, before.toStation) || among(vias, leg.fromStation)) {
                const int stay = before.toStation == leg.fromStation ? wait : wait - least;
                if (stay >= options.viaMinutes) visited = true;
            }
        }
        if (!vias.empty() &&
            passes(leg.train, leg.fromStop, leg.toStop, vias, options.viaMinutes)) {
            visited = true;
        }
    }
    if (std::find(destinations.begin(), destinations.end(), journey.legs.back().toStation) ==
        destinations.end()) {
        return "does not end at a destination";
    }
    if (!visited) return "passes no via station";
    if (journey.arrival >= kHorizon) return "arrives too late";
    if (options.arriveByMinutes != kNoArriveBy && journey.arrival > options.arriveByMinutes) {
        return "arrives after the latest arrival";
    }
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

TimetableSource longLineTimetable(std::mt19937& random, DateKey date) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::vector<std::u16string> places = {u"甲", u"乙", u"丙", u"丁", u"戊",
                                          u"己", u"庚", u"辛", u"壬"};
    std::shuffle(places.begin(), places.end(), random);
    places.resize(static_cast<std::size_t>(7 + pick(3)));
    TimetableSource source;
    // The line's stations; a place's second station (甲东) now and then, served by the hops
    // of one side only.
    std::vector<int> line;
    for (const std::u16string& place : places) {
        line.push_back(static_cast<int>(source.stations.size()));
        SourceStation station;
        station.name = place;
        source.stations.push_back(station);
        if (pick(4) == 0) {
            station.name = place + u"东";
            source.stations.push_back(station);
        }
    }
    source.rules = {u"1 1"};
    source.hasRules = true;
    int number = 1;
    for (std::size_t i = 0; i + 1 < line.size(); ++i) {
        for (int run = 4 + pick(4); run > 0; --run) {
            SourceTrain train;
            train.name = u"D" + fromUtf8(std::to_string(number++));
            train.validFrom = shiftDate(date, -30);
            train.validUntil = shiftDate(date, 30);
            const bool back = pick(4) == 0;  // now and then the other way
            int from = line[back ? i + 1 : i];
            int to = line[back ? i : i + 1];
            // The second station of a place, when it has one, for some hops.
            if (pick(3) == 0 && to + 1 < static_cast<int>(source.stations.size()) &&
                std::find(line.begin(), line.end(), to + 1) == line.end()) {
                to += 1;
            }
            int minute = pick(24 * 60);
            for (int station : {from, to}) {
                SourceStop stop;
                stop.station = u"#" + fromUtf8(std::to_string(station));
                stop.arrivalHour = minute / 60;
                stop.arrivalMinute = minute % 60;
                stop.dwellMinutes = pick(5);
                stop.distanceKm = station == from ? 0 : 50;
                train.stops.push_back(stop);
                minute = (minute + 20 + pick(90)) % (24 * 60);
            }
            source.trains.push_back(train);
        }
    }
    return source;
}

void addRandomTables(std::mt19937& random, TimetableSource& source) {
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const int stations = static_cast<int>(source.stations.size());
    const int trains = static_cast<int>(source.trains.size());
    // Access: mostly yes, so that step-free journeys exist; now and then no, or nothing said.
    auto access = [&]() -> std::string {
        const int r = pick(10);
        return r < 7 ? "1" : r < 9 ? "2" : pick(2) == 0 ? "0" : "";
    };
    std::string walks = "from\tto\tminutes\n";
    for (int w = pick(stations); w > 0; --w) {
        walks += std::to_string(pick(stations)) + "\t" + std::to_string(pick(stations)) + "\t" +
                 std::to_string(pick(4) == 0 ? pick(5) : 5 + pick(80)) + "\n";
    }
    std::string more = "station\tid\tlatitude\tlongitude\tchange\tzone\twheelchair\n";
    for (int s = 0; s < stations; ++s) {
        const std::string change = pick(3) == 0 ? std::to_string(pick(45)) : "";
        more += std::to_string(s) + "\tS" + std::to_string(s) + "\t\t\t" + change + "\t\t" +
                access() + "\n";
    }
    std::string trainMore = "train\tnumber\ttype\troute\twheelchair\tbikes\n";
    for (int t = 0; t < trains; ++t) {
        trainMore += std::to_string(t) + "\t\t\t\t" + access() + "\t" + access() + "\n";
    }
    // A stop's position may lie past its train's last: such a line says nothing.
    std::string stops = "train\tstop\tboard\talight\tplatform\n";
    for (int r = pick(trains / 2 + 1); r > 0; --r) {
        const int board = pick(3) == 0 ? 0 : 1;
        stops += std::to_string(pick(trains)) + "\t" + std::to_string(pick(5)) + "\t" +
                 std::to_string(board) + "\t" + std::to_string(board == 0 ? pick(2) : 0) + "\t\n";
    }
    source.extensions["s.walks"] = walks;
    source.extensions["s.more"] = more;
    source.extensions["t.more"] = trainMore;
    source.extensions["t.stops"] = stops;
}

}  // namespace zelvan::test
