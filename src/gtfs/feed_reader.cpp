// Opening one feed, walking its files row by row, and reading the values GTFS writes: dates,
// times, whole numbers and coordinates.
#include <algorithm>
#include <charconv>
#include <cmath>

#include "db/running_days.h"
#include "gtfs/feed_files.h"
#include "gtfs/import_model_p.h"

namespace zelvan::gtfs {
namespace {

// Read piece by piece rather than whole: the files that make a feed large.
const std::vector<std::string> kStreamedFiles = {"stop_times.txt", "shapes.txt"};

const std::vector<std::string> kFeedFiles = {
    "agency.txt",   "stops.txt",           "routes.txt",      "trips.txt",     "stop_times.txt",
    "calendar.txt", "calendar_dates.txt",  "frequencies.txt", "transfers.txt", "feed_info.txt",
    "shapes.txt",   "fare_attributes.txt", "fare_rules.txt"};

bool streamed(const std::string& file) {
    return std::find(kStreamedFiles.begin(), kStreamedFiles.end(), file) != kStreamedFiles.end();
}

}  // namespace

std::string at(const std::string& file, int line) {
    return file + ":" + std::to_string(line) + ": ";
}

int dayNumberOf(DateKey date) {
    return daysBetween(19700101, date);
}

DateKey dateOfDay(int day) {
    return addDays(19700101, day);
}

bool parseGtfsDate(std::string_view text, DateKey& date) {
    if (text.size() != 8) return false;
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (!isCalendarDate(value)) return false;
    date = value;
    return true;
}

bool parseTime(std::string_view text, int& seconds) {
    const std::size_t first = text.find(':');
    if (first == std::string_view::npos || first == 0 || first > 3) return false;
    if (text.size() != first + 6 || text[first + 3] != ':') return false;
    int h = 0;
    for (std::size_t i = 0; i < first; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        h = h * 10 + (text[i] - '0');
    }
    auto two = [&](std::size_t i, int& v) {
        if (text[i] < '0' || text[i] > '9' || text[i + 1] < '0' || text[i + 1] > '9') return false;
        v = (text[i] - '0') * 10 + (text[i + 1] - '0');
        return v < 60;
    };
    int m = 0, s = 0;
    if (!two(first + 1, m) || !two(first + 4, s)) return false;
    seconds = h * 3600 + m * 60 + s;
    return true;
}

bool parseInteger(std::string_view text, long long& value) {
    if (text.empty() || text.size() > 15) return false;
    long long v = 0;
    std::size_t i = text.front() == '-' ? 1 : 0;
    if (i == text.size()) return false;
    for (; i < text.size(); ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        v = v * 10 + (text[i] - '0');
    }
    value = text.front() == '-' ? -v : v;
    return true;
}

// The C library's strtod would read by the user's locale (a comma for the point), from_chars
// never does.
bool parseCoordinate(std::string_view text, double& value, double limit) {
    if (text.empty() || text.size() > 32) return false;
    const auto [end, problem] = std::from_chars(text.data(), text.data() + text.size(), value);
    return problem == std::errc() && end == text.data() + text.size() && std::isfinite(value) &&
           std::fabs(value) <= limit;
}

double greatCircleKm(double lat1, double lon1, double lat2, double lon2) {
    constexpr double kRadius = 6371.0088;
    constexpr double kRad = 3.14159265358979323846 / 180.0;
    const double dLat = (lat2 - lat1) * kRad;
    const double dLon = (lon2 - lon1) * kRad;
    const double a =
        std::sin(dLat / 2) * std::sin(dLat / 2) +
        std::cos(lat1 * kRad) * std::cos(lat2 * kRad) * std::sin(dLon / 2) * std::sin(dLon / 2);
    return 2 * kRadius * std::asin(std::min(1.0, std::sqrt(a)));
}

std::string clean(std::string text) {
    for (char& c : text) {
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    }
    return text;
}

bool FeedReader::open() {
    tell("reading " + feed_.string());
    if (!readFeedFiles(feed_, kFeedFiles, files_, error_, 4ULL << 30, kStreamedFiles)) {
        return false;
    }
    for (const char* required :
         {"agency.txt", "stops.txt", "routes.txt", "trips.txt", "stop_times.txt"}) {
        if (files_.count(required) == 0) return fail(std::string(required) + ": missing");
    }
    if (files_.count("calendar.txt") == 0 && files_.count("calendar_dates.txt") == 0) {
        return fail("calendar.txt and calendar_dates.txt: both missing (one is required)");
    }
    return true;
}

bool FeedReader::walk(const std::string& file, const std::vector<const char*>& required,
                      Table& table, const std::function<bool(const CsvRow&)>& row) {
    auto it = files_.find(file);
    if (it == files_.end()) return true;
    table.file = file;
    std::string problem;
    long long trimmed = 0;
    bool missing = false;
    const auto header = [&](const std::vector<std::string_view>& names) {
        // Columns are checked before any row: the rows read the required ones.
        table.header = names;
        for (const char* column : required) {
            if (table.column(column) < 0 && problem.empty()) {
                problem = at(file, 1) + "no column " + column;
                missing = true;
            }
        }
    };
    const auto line = [&](const CsvRow& r) {
        if (missing) return false;
        if (r.fields.size() != table.header.size()) {
            problem = at(file, r.line) + std::to_string(r.fields.size()) +
                      " fields, the header has " + std::to_string(table.header.size());
            return false;
        }
        if (!row(r)) {
            problem = error_;
            return false;
        }
        return true;
    };
    bool ok = true;
    if (!streamed(file)) {
        ok = readCsv(it->second, header, line, trimmed, problem);
    } else {
        // The large files come piece by piece: their text is never held whole.
        CsvState state;
        state.partial = true;
        std::string pending;
        std::string readError;
        bool csvFailed = false;
        const bool read = streamFeedFile(
            feed_, file,
            [&](std::string_view piece, unsigned long long declared) {
                if (pending.empty() && state.line == 1) declaredSize_ = declared;
                pending.append(piece);
                if (!readCsv(pending, header, line, trimmed, problem, &state)) {
                    csvFailed = true;
                    return false;
                }
                if (state.stopped) return false;
                pending.erase(0, state.consumed);
                return true;
            },
            readError);
        if (!read) return fail(readError);
        if (!csvFailed && !state.stopped) {
            state.partial = false;
            csvFailed = !readCsv(pending, header, line, trimmed, problem, &state);
        }
        ok = !csvFailed;
    }
    warn(file + ": values with spaces around them (trimmed)", trimmed);
    if (!ok) return fail(file + ":" + problem);
    if (!problem.empty()) return fail(problem);
    return true;
}

}  // namespace zelvan::gtfs
