#include "db/timetable_extensions.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdlib>
#include <ctime>
#include <mutex>

#include "db/running_days.h"
#include "db/text.h"
#include "db/timetable_db.h"

namespace zelvan {
namespace {

// Days: a hex digit covers four days, its lowest bit the first.
int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

bool parseInt(std::string_view text, long long& value, long long least, long long most) {
    if (text.empty() || text.size() > 18) return false;
    long long v = 0;
    bool negative = text.front() == '-';
    std::size_t i = negative ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    value = negative ? -v : v;
    return value >= least && value <= most;
}

// Whatever the user's locale: strtod would take a comma for the point under some.
bool parseDouble(std::string_view text, double& value) {
    if (text.empty() || text.size() > 40) return false;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    return problem == std::errc() && end == text.data() + text.size();
}

// The table's lines for train or station `index` grow a vector to hold it, up to the limit of
// the record format (four base-128 digits in the wide form).
constexpr long long kMostIndex = 128LL * 128 * 128 * 128 - 1;

// The first field of a line as a key; -1 when it is none.
long long lineKey(std::string_view line) {
    const std::size_t tab = line.find('\t');
    long long key = -1;
    if (tab == std::string_view::npos || !parseInt(line.substr(0, tab), key, 0, kMostIndex)) {
        return -1;
    }
    return key;
}

// The fields of a line (a CR before its end dropped).
void splitFields(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    for (std::size_t pos = 0;;) {
        const std::size_t tab = line.find('\t', pos);
        fields.push_back(line.substr(pos, tab == std::string_view::npos ? tab : tab - pos));
        if (tab == std::string_view::npos) break;
        pos = tab + 1;
    }
}

}  // namespace

// A table's text, read as far as it is looked at where its file is paged (a wide timetable's
// tables, found into by a binary search).
class TimetableExtensions::TableText {
  public:
    explicit TableText(const ByteSpan* span) : span_(span) {}
    std::size_t size() const { return span_ ? static_cast<std::size_t>(span_->length) : 0; }
    // The line starting at `at` (< size()), without its line feed.
    std::string_view line(std::size_t at) const {
        // Lines are short: read a little, then more until the line feed is in.
        for (std::size_t want = 256;; want *= 4) {
            const std::string_view text = ahead(at, want);
            const std::size_t end = text.find('\n');
            if (end != std::string_view::npos) return text.substr(0, end);
            if (at + text.size() >= size()) return text;
        }
    }
    // Where the line holding byte `at` - 1 begins, or `floor` when that lies before it.
    std::size_t lineStartBefore(std::size_t at, std::size_t floor) const {
        for (std::size_t want = 256; at > floor; want *= 4) {
            const std::size_t from = at - std::min(want, at - floor);
            const std::string_view text(
                reinterpret_cast<const char*>(span_->ready(from, at - from)), at - from);
            const std::size_t newline = text.rfind('\n');
            if (newline != std::string_view::npos) return from + newline + 1;
            if (from == floor) return floor;
        }
        return floor;
    }
    // Where the header line ends, or the end of the text.
    std::size_t afterHeader() const {
        return size() == 0 ? 0 : std::min(size(), line(0).size() + 1);
    }
    // The header's field count (a byte-order mark aside).
    std::size_t headerFields() const {
        if (size() == 0) return 0;
        std::string_view header = line(0);
        if (header.substr(0, 3) == "\xEF\xBB\xBF") header.remove_prefix(3);
        if (!header.empty() && header.back() == '\r') header.remove_suffix(1);
        return static_cast<std::size_t>(std::count(header.begin(), header.end(), '\t')) + 1;
    }

  private:
    std::string_view ahead(std::size_t at, std::size_t count) const {
        count = std::min(count, size() - at);
        return {reinterpret_cast<const char*>(span_->ready(at, count)), count};
    }
    const ByteSpan* span_;
};

namespace {

template <class T>
T& slot(std::vector<T>& v, long long index) {
    if (static_cast<std::size_t>(index) >= v.size()) v.resize(static_cast<std::size_t>(index) + 1);
    return v[static_cast<std::size_t>(index)];
}

}  // namespace

const std::vector<std::string>& extensionFileNames() {
    static const std::vector<std::string> names = {"t.days",  "t.more", "t.stops", "s.more",
                                                   "s.walks", "x.feed", "x.fares"};
    return names;
}

std::vector<std::string_view> readTable(
    std::string_view text, const std::function<void(const std::vector<std::string_view>&)>& row) {
    std::vector<std::string_view> header;
    std::vector<std::string_view> fields;
    bool first = true;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        fields.clear();
        for (std::size_t at = 0;;) {
            const std::size_t tab = line.find('\t', at);
            fields.push_back(line.substr(at, tab == std::string_view::npos ? tab : tab - at));
            if (tab == std::string_view::npos) break;
            at = tab + 1;
        }
        if (first) {
            header = fields;
            first = false;
        } else if (fields.size() == header.size()) {
            row(fields);
        }
    }
    return header;
}

DateKey ServiceDays::last() const {
    for (std::size_t i = bits.size() * 8; i-- > 0;) {
        if (runsOn(static_cast<int>(i))) return addDays(first, static_cast<int>(i));
    }
    return first;
}

RunStatus ServiceDays::statusOn(DateKey runDate) const {
    const int day = daysBetween(first, runDate);
    if (day < 0) return RunStatus::NotYetValid;
    if (runsOn(day)) return RunStatus::Running;
    if (runDate > last()) return RunStatus::Expired;
    return RunStatus::NotScheduled;
}

void TimetableExtensions::load(const std::u16string& folder, bool sorted) {
    clear();
    sorted_ = sorted;
    for (const std::string& name : extensionFileNames()) {
        ByteSpan span;
        const std::u16string path = folder + u'/' + fromUtf8(name);
        // A wide timetable's tables are read as far as they are looked into.
        if (!(sorted ? TimetableDb::readPagedFile(path, span)
                     : TimetableDb::readWholeFile(path, span))) {
            continue;
        }
        files_[name] = std::move(span);
    }
}

const ByteSpan* TimetableExtensions::fileSpan(const char* name) const {
    auto it = files_.find(name);
    return it == files_.end() || it->second.empty() ? nullptr : &it->second;
}

std::string_view TimetableExtensions::fileText(const char* name) const {
    const ByteSpan* span = fileSpan(name);
    if (span == nullptr) return {};
    return {reinterpret_cast<const char*>(span->whole()), static_cast<std::size_t>(span->length)};
}

void TimetableExtensions::indexLines(std::string_view text, TrainLines& lines) {
    bool header = true;
    // Offsets count from the text's first byte, byte-order mark and all.
    for (std::size_t pos = text.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0; pos < text.size();) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(pos, end - pos);
        if (header && !line.empty() && line != "\r") {
            lines.fields = static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')) + 1;
            header = false;
        } else if (!header) {
            long long train = 0;
            const std::size_t tab = line.find('\t');
            // Only lines with the header's field count, as a full read of the table takes.
            const auto fields =
                static_cast<std::size_t>(std::count(line.begin(), line.end(), '\t')) + 1;
            if (tab != std::string_view::npos && fields == lines.fields &&
                parseInt(line.substr(0, tab), train, 0, kMostIndex)) {
                // A train given twice keeps its last line, as a full read of the table would.
                slot(lines.at, train) = static_cast<std::uint32_t>(pos);
            }
        }
        pos = end + 1;
    }
    for (std::uint32_t& at : lines.at) {
        if (at == 0) at = TrainLines::kNoLine;  // offset 0 is the header's, never a train's
    }
}

std::pair<std::size_t, std::size_t> TimetableExtensions::sortedLines(const TableText& text,
                                                                     long long key) {
    // Every line before `lo` has a smaller key, every line from `hi` on a key not smaller:
    // each step takes the line around the middle.
    std::size_t lo = text.afterHeader(), hi = text.size();
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        const std::size_t start = text.lineStartBefore(mid, lo);
        const std::string_view line = text.line(start);
        if (lineKey(line) < key) {
            lo = start + line.size() + 1;
        } else {
            hi = start;
        }
    }
    std::size_t end = lo;
    while (end < text.size()) {
        const std::string_view line = text.line(end);
        if (lineKey(line) != key) break;
        end += line.size() + 1;
    }
    return {lo, std::min(end, text.size())};
}

bool TimetableExtensions::trainLine(const char* name, const TrainLines& lines, int train,
                                    std::vector<std::string_view>& fields) const {
    fields.clear();
    if (lines.sorted) {
        // A train given twice keeps its last line, as in the other form.
        const TableText text(fileSpan(name));
        const auto [begin, end] = sortedLines(text, train);
        std::size_t last = std::string_view::npos;
        for (std::size_t at = begin; at < end;) {
            const std::string_view line = text.line(at);
            splitFields(line, fields);
            if (fields.size() == lines.fields) last = at;
            at += line.size() + 1;
        }
        fields.clear();
        if (last == std::string_view::npos) return false;
        splitFields(text.line(last), fields);
        return true;
    }
    const std::string_view text = fileText(name);
    if (train < 0 || static_cast<std::size_t>(train) >= lines.at.size()) return false;
    const std::uint32_t at = lines.at[static_cast<std::size_t>(train)];
    if (at == TrainLines::kNoLine || at >= text.size()) return false;
    std::string_view line = text.substr(at, text.find('\n', at) - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    for (std::size_t pos = 0;;) {
        const std::size_t tab = line.find('\t', pos);
        fields.push_back(line.substr(pos, tab == std::string_view::npos ? tab : tab - pos));
        if (tab == std::string_view::npos) break;
        pos = tab + 1;
    }
    return fields.size() == lines.fields;
}

void TimetableExtensions::clear() {
    *this = TimetableExtensions();
}

void TimetableExtensions::parseDays() const {
    if (daysParsed_) return;
    daysParsed_ = true;
    dayLines_.sorted = sorted_;
    if (sorted_) {
        dayLines_.fields = TableText(fileSpan("t.days")).headerFields();
    } else {
        indexLines(fileText("t.days"), dayLines_);
    }
}

void TimetableExtensions::parseTrains() const {
    if (trainsParsed_) return;
    trainsParsed_ = true;
    trainLines_.sorted = sorted_;
    if (sorted_) {
        trainLines_.fields = TableText(fileSpan("t.more")).headerFields();
    } else {
        indexLines(fileText("t.more"), trainLines_);
    }
}

Access parseAccess(std::string_view text) {
    if (text == "1") return Access::Yes;
    if (text == "2") return Access::No;
    return Access::Unknown;
}

// train, number shown, type text[, route id[, wheelchair, bikes]]
const TimetableExtensions::TrainExtras& TimetableExtensions::parseTrain(int train) const {
    parseTrains();
    static const TrainExtras none;
    if (train < 0 ||
        (!trainLines_.sorted && static_cast<std::size_t>(train) >= trainLines_.at.size())) {
        return none;
    }
    auto [it, added] = trains_.try_emplace(train);
    if (!added) return it->second;
    std::vector<std::string_view> f;
    if (!trainLine("t.more", trainLines_, train, f) || f.size() < 3) return it->second;
    TrainExtras& extras = it->second;
    extras.number = fromUtf8(f[1]);
    extras.type = fromUtf8(f[2]);
    if (f.size() > 3) extras.route = f[3];
    return extras;
}

void TimetableExtensions::parseNumbers() const {
    if (numbersParsed_) return;
    numbersParsed_ = true;
    parseTrains();
    for (std::size_t t = 0; t < trainLines_.at.size(); ++t) {
        const std::u16string& number = parseTrain(static_cast<int>(t)).number;
        if (!number.empty()) numbered_[number].push_back(static_cast<int>(t));
    }
}

namespace {

// A line of t.stops: train, stop position, board (0/1), alight (0/1), platform[, dwell: minutes
// past 127, at most a day]; false when it does not parse.
bool parseStopLine(const std::vector<std::string_view>& f, long long& train, long long& stop,
                   StopExtras& extras) {
    long long board = 1, alight = 1, dwell = -1;
    if ((f.size() != 5 && f.size() != 6) || !parseInt(f[0], train, 0, kMostIndex) ||
        !parseInt(f[1], stop, 0, 1 << 20) || !parseInt(f[2], board, 0, 1) ||
        !parseInt(f[3], alight, 0, 1) ||
        (f.size() == 6 && !f[5].empty() && !parseInt(f[5], dwell, 128, 1439))) {
        return false;
    }
    extras.board = board == 1;
    extras.alight = alight == 1;
    extras.platform = fromUtf8(f[4]);
    extras.dwell = static_cast<int>(dwell);
    return true;
}

}  // namespace

void TimetableExtensions::parseStops() const {
    if (stopsParsed_) return;
    stopsParsed_ = true;
    const std::string_view text = fileText("t.stops");
    if (text.empty() || sorted_) return;
    readTable(text, [&](const std::vector<std::string_view>& f) {
        long long train = 0, stop = 0;
        StopExtras read;
        if (!parseStopLine(f, train, stop, read)) return;
        StopExtras& extras = stops_[{static_cast<int>(train), static_cast<int>(stop)}];
        extras = std::move(read);
        if (!extras.board || !extras.alight) slot(restricted_, train) = 1;
        if (extras.dwell >= 0) slot(longDwell_, train) = 1;
    });
}

const TimetableExtensions::TrainStops& TimetableExtensions::trainStops(int train) const {
    auto [it, added] = trainStops_.try_emplace(train);
    if (!added) return it->second;
    const TableText text(fileSpan("t.stops"));
    if (text.size() == 0 || train < 0) return it->second;
    const std::size_t fields = text.headerFields();
    if (fields != 5 && fields != 6) return it->second;
    const auto [begin, end] = sortedLines(text, train);
    std::vector<std::string_view> f;
    for (std::size_t at = begin; at < end;) {
        const std::string_view line = text.line(at);
        at += line.size() + 1;
        splitFields(line, f);
        long long t = 0, stop = 0;
        StopExtras extras;
        if (f.size() != fields || !parseStopLine(f, t, stop, extras)) continue;
        TrainStops& stops = it->second;
        stops.restricted = stops.restricted || !extras.board || !extras.alight;
        stops.longDwell = stops.longDwell || extras.dwell >= 0;
        // A stop given twice keeps its last line, as in the other form.
        auto same = std::find_if(stops.stops.begin(), stops.stops.end(),
                                 [&](const auto& s) { return s.first == static_cast<int>(stop); });
        if (same != stops.stops.end()) {
            same->second = std::move(extras);
        } else {
            stops.stops.emplace_back(static_cast<int>(stop), std::move(extras));
        }
    }
    return it->second;
}

namespace {

// A line of s.more: station, feed id, latitude, longitude, change minutes[, fare zone[,
// wheelchair]]; false when it does not parse.
bool parseStationLine(const std::vector<std::string_view>& f, long long& station,
                      StationExtras& extras) {
    long long change = -1;
    if (f.size() < 5 || !parseInt(f[0], station, 0, kMostIndex)) return false;
    extras = StationExtras{};
    extras.id = fromUtf8(f[1]);
    extras.located = parseDouble(f[2], extras.latitude) && parseDouble(f[3], extras.longitude) &&
                     extras.latitude >= -90 && extras.latitude <= 90 && extras.longitude >= -180 &&
                     extras.longitude <= 180;
    if (!f[4].empty() && parseInt(f[4], change, 0, 1439)) {
        extras.changeMinutes = static_cast<int>(change);
    }
    if (f.size() > 5) extras.zone = f[5];
    if (f.size() > 6) extras.wheelchair = parseAccess(f[6]);
    return true;
}

}  // namespace

void TimetableExtensions::parseStations() const {
    if (stationsParsed_) return;
    stationsParsed_ = true;
    if (const std::string_view text = fileText("s.more"); !text.empty() && !sorted_) {
        readTable(text, [&](const std::vector<std::string_view>& f) {
            long long station = 0;
            StationExtras extras;
            if (parseStationLine(f, station, extras)) slot(stations_, station) = std::move(extras);
        });
    }
    if (const std::string_view text = fileText("s.walks"); !text.empty()) {
        // from station, to station, minutes
        readTable(text, [&](const std::vector<std::string_view>& f) {
            long long from = 0, to = 0, minutes = 0;
            if (f.size() != 3 || !parseInt(f[0], from, 0, kMostIndex) ||
                !parseInt(f[1], to, 0, kMostIndex) || !parseInt(f[2], minutes, 0, 1439)) {
                return;
            }
            walks_.push_back(
                {static_cast<int>(from), static_cast<int>(to), static_cast<int>(minutes)});
        });
    }
}

void TimetableExtensions::parseFeed() const {
    if (feedParsed_) return;
    feedParsed_ = true;
    const std::string_view text = fileText("x.feed");
    if (text.empty()) return;
    readTable(text, [&](const std::vector<std::string_view>& f) {
        if (f.size() == 2) feed_[std::string(f[0])] = fromUtf8(f[1]);
    });
}

void TimetableExtensions::parseFares() const {
    if (faresParsed_) return;
    faresParsed_ = true;
    if (const std::string_view text = fileText("x.fares"); !text.empty()) fares_.parse(text);
}

std::u16string TimetableExtensions::fareText(int train, const std::vector<int>& stations) const {
    if (files_.empty() || stations.empty()) return {};
    parseFares();
    if (fares_.empty()) return {};
    const std::string_view route = parseTrain(train).route;
    parseStations();
    const auto zone = [&](int station) -> std::string_view {
        if (station < 0 || static_cast<std::size_t>(station) >= stations_.size()) return {};
        return stations_[static_cast<std::size_t>(station)].zone;
    };
    std::vector<StationExtras> held;  // sorted tables: the stations' lines, read for this ride
    if (sorted_) {
        held.reserve(stations.size());
        for (int station : stations) held.push_back(stationExtras(station));
    }
    std::vector<std::string_view> passed;
    passed.reserve(stations.size());
    for (std::size_t k = 0; k < stations.size(); ++k) {
        passed.push_back(sorted_ ? std::string_view(held[k].zone) : zone(stations[k]));
    }
    return fares_.price(route, passed.front(), passed.back(), passed);
}

const ServiceDays* TimetableExtensions::serviceDays(int train) const {
    if (files_.empty()) return nullptr;
    parseDays();
    if (train < 0 ||
        (!dayLines_.sorted && static_cast<std::size_t>(train) >= dayLines_.at.size())) {
        return nullptr;
    }
    auto [it, added] = days_.try_emplace(train);
    std::optional<ServiceDays>& days = it->second;
    if (added) {
        // train, first day (YYYYMMDD), the days as hex digits
        std::vector<std::string_view> f;
        long long first = 0;
        if (trainLine("t.days", dayLines_, train, f) && f.size() == 3 &&
            parseInt(f[1], first, 0, 99991231) && isCalendarDate(static_cast<DateKey>(first))) {
            ServiceDays read;
            read.first = static_cast<DateKey>(first);
            read.bits.assign((f[2].size() + 1) / 2, 0);
            bool valid = true;
            for (std::size_t i = 0; i < f[2].size() && valid; ++i) {
                const int v = hexValue(f[2][i]);
                valid = v >= 0;
                if (valid) read.bits[i / 2] |= static_cast<std::uint8_t>(v << (4 * (i % 2)));
            }
            if (valid) days = std::move(read);
        }
    }
    return days ? &*days : nullptr;
}

std::u16string_view TimetableExtensions::displayNumber(int train) const {
    if (files_.empty()) return {};
    return parseTrain(train).number;
}

std::u16string_view TimetableExtensions::typeText(int train) const {
    if (files_.empty()) return {};
    return parseTrain(train).type;
}

const std::vector<int>& TimetableExtensions::trainsNumbered(std::u16string_view number) const {
    static const std::vector<int> none;
    if (files_.empty()) return none;
    parseNumbers();
    auto it = numbered_.find(number);
    return it == numbered_.end() ? none : it->second;
}

StopExtras TimetableExtensions::stopExtras(int train, int position) const {
    if (files_.empty()) return {};
    if (sorted_) {
        for (const auto& [at, extras] : trainStops(train).stops) {
            if (at == position) return extras;
        }
        return {};
    }
    parseStops();
    auto it = stops_.find({train, position});
    return it == stops_.end() ? StopExtras{} : it->second;
}

bool TimetableExtensions::longDwellIn(int train) const {
    if (sorted_) return trainStops(train).longDwell;
    parseStops();
    return train >= 0 && static_cast<std::size_t>(train) < longDwell_.size() &&
           longDwell_[static_cast<std::size_t>(train)] != 0;
}

void TimetableExtensions::applyDwell(int train, StopRecord& stop) const {
    // Only a stop whose record says 127, the most it holds, may stand longer.
    if (stop.dwellMinutes != 127 || !longDwell(train)) return;
    if (sorted_) {
        const StopExtras extras = stopExtras(train, stop.sequence);
        if (extras.dwell >= 0) stop.dwellMinutes = extras.dwell;
        return;
    }
    auto it = stops_.find({train, stop.sequence});
    if (it != stops_.end() && it->second.dwell >= 0) stop.dwellMinutes = it->second.dwell;
}

bool TimetableExtensions::restricted(int train) const {
    if (files_.empty()) return false;
    if (sorted_) return trainStops(train).restricted;
    parseStops();
    return train >= 0 && static_cast<std::size_t>(train) < restricted_.size() &&
           restricted_[static_cast<std::size_t>(train)] != 0;
}

StationExtras TimetableExtensions::stationExtras(int station) const {
    if (files_.empty()) return {};
    if (sorted_) {
        auto [it, added] = stationLines_.try_emplace(station);
        if (!added || station < 0) return it->second;
        const TableText text(fileSpan("s.more"));
        if (text.size() == 0) return it->second;
        const auto [begin, end] = sortedLines(text, station);
        std::vector<std::string_view> f;
        const std::size_t fields = text.headerFields();
        for (std::size_t at = begin; at < end;) {
            const std::string_view line = text.line(at);
            at += line.size() + 1;
            splitFields(line, f);
            long long s = 0;
            StationExtras extras;
            if (f.size() == fields && parseStationLine(f, s, extras))
                it->second = std::move(extras);
        }
        return it->second;
    }
    parseStations();
    if (station < 0 || static_cast<std::size_t>(station) >= stations_.size()) return {};
    return stations_[static_cast<std::size_t>(station)];
}

namespace {

// A timetable of several feeds stores each stop id behind its feed's number, "2:place_17"; a
// traveller types the id the feed publishes, with or without that number.
template <class Text>
bool sameStopId(Text stored, Text typed) {
    if (stored == typed) return true;
    if (stored.size() <= typed.size() + 1 || stored.substr(stored.size() - typed.size()) != typed) {
        return false;
    }
    const std::size_t colon = stored.size() - typed.size() - 1;
    if (stored[colon] != ':' || colon == 0) return false;
    for (std::size_t i = 0; i < colon; ++i) {
        if (stored[i] < '0' || stored[i] > '9') return false;
    }
    return true;
}

}  // namespace

std::vector<int> TimetableExtensions::stationsWithId(std::u16string_view id) const {
    std::vector<int> found;
    if (files_.empty() || id.empty()) return found;
    if (!sorted_) {
        parseStations();
        for (std::size_t s = 0; s < stations_.size(); ++s) {
            if (sameStopId(std::u16string_view(stations_[s].id), id))
                found.push_back(static_cast<int>(s));
        }
        return found;
    }
    // A wide timetable's table is not held parsed: its id column is read line by line.
    const std::string key = toUtf8(std::u16string(id));
    readTable(fileText("s.more"), [&](const std::vector<std::string_view>& f) {
        long long station = 0;
        if (f.size() >= 5 && sameStopId(f[1], std::string_view(key)) &&
            parseInt(f[0], station, 0, kMostIndex)) {
            found.push_back(static_cast<int>(station));
        }
    });
    std::sort(found.begin(), found.end());
    found.erase(std::unique(found.begin(), found.end()), found.end());
    return found;
}

TripAccess TimetableExtensions::tripAccess(int train) const {
    if (files_.empty()) return {};
    parseTrains();
    std::vector<std::string_view> f;
    TripAccess access;
    if (!trainLine("t.more", trainLines_, train, f)) return access;
    if (f.size() > 4) access.wheelchair = parseAccess(f[4]);
    if (f.size() > 5) access.bikes = parseAccess(f[5]);
    return access;
}

bool TimetableExtensions::saysAccess() const {
    if (files_.empty()) return false;
    if (saysAccess_ >= 0) return saysAccess_ != 0;
    // The wheelchair columns of s.more and t.more, read in one pass each (in either form).
    bool says = false;
    const auto look = [&says](std::string_view text, std::size_t column) {
        readTable(text, [&says, column](const std::vector<std::string_view>& f) {
            says = says || (f.size() > column && parseAccess(f[column]) != Access::Unknown);
        });
    };
    look(fileText("s.more"), 6);
    if (!says) look(fileText("t.more"), 4);
    saysAccess_ = says ? 1 : 0;
    return says;
}

const std::vector<Walk>& TimetableExtensions::walks() const {
    parseStations();
    return walks_;
}

std::u16string TimetableExtensions::feedValue(std::string_view key) const {
    if (files_.empty()) return {};
    parseFeed();
    auto it = feed_.find(key);
    return it == feed_.end() ? std::u16string() : it->second;
}

std::u16string TimetableExtensions::timeZone() const {
    return feedValue("timezone");
}

bool TimetableExtensions::hasTariff() const {
    return feedValue("tariff") != u"none";
}

bool knownTimeZone(const std::string& name) {
    // An IANA name: letters, digits and "/_-+", no way out of the zone folder.
    if (name.empty() || name.size() > 64 || name.front() == '/' ||
        name.find("..") != std::string::npos) {
        return false;
    }
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '/' && c != '_' && c != '-' &&
            c != '+') {
            return false;
        }
    }
    const char* base = std::getenv("TZDIR");
    const std::string path = std::string(base && *base ? base : "/usr/share/zoneinfo") + "/" + name;
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

DateKey todayIn(const std::u16string& timeZone) {
    const std::string name = toUtf8(timeZone);
    if (!knownTimeZone(name)) return todayUtc();
    // The C library's time-zone database, read through a zone named for this one call; TZ is
    // the process's, so the change is made and undone under a lock.
    static std::mutex lock;
    const std::lock_guard<std::mutex> guard(lock);
    const char* previous = std::getenv("TZ");
    const std::string saved = previous ? previous : "";
    ::setenv("TZ", name.c_str(), 1);
    ::tzset();
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    if (previous) {
        ::setenv("TZ", saved.c_str(), 1);
    } else {
        ::unsetenv("TZ");
    }
    ::tzset();
    return makeDateKey(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
}

}  // namespace zelvan
