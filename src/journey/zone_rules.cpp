// Reading a zone file (RFC 8536): a header, the changes with 32-bit times (version 1), the
// same again with 64-bit times (version 2 and later), and a POSIX TZ string for the years
// after the last change ("EST5EDT,M3.2.0,M11.1.0"). Debian's files list the changes up to
// 2037; another system's may stop at the year its rule took over, so the rule is read too.
#include "journey/zone_rules.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>

#include "db/timetable_extensions.h"

namespace zelvan {
namespace {

constexpr std::int64_t kDaySeconds = 24 * 3600;

std::int64_t bigEndian(const unsigned char* p, int bytes) {
    std::uint64_t value = 0;
    for (int i = 0; i < bytes; ++i) value = value << 8 | p[i];
    if (bytes == 4) return static_cast<std::int32_t>(static_cast<std::uint32_t>(value));
    return static_cast<std::int64_t>(value);
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar (H. Hinnant's method).
std::int64_t daysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

bool leapYear(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

int daysInMonth(std::int64_t y, int m) {
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && leapYear(y) ? 29 : days[m - 1];
}

// The year of a moment, counted in UTC.
std::int64_t yearOf(std::int64_t at) {
    std::int64_t days = at >= 0 ? at / kDaySeconds : -((-at + kDaySeconds - 1) / kDaySeconds);
    days += 719468;
    const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    return yoe + era * 400 + (mp >= 10 ? 1 : 0);
}

// Reads "[+-]hh[:mm[:ss]]" at `text`'s front; false when there is none.
bool takeSeconds(std::string_view& text, int& seconds) {
    int sign = 1;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        sign = text.front() == '-' ? -1 : 1;
        text.remove_prefix(1);
    }
    int parts[3] = {0, 0, 0};
    for (int part = 0; part < 3; ++part) {
        if (part > 0) {
            if (text.empty() || text.front() != ':') break;
            text.remove_prefix(1);
        }
        int digits = 0;
        while (!text.empty() && text.front() >= '0' && text.front() <= '9' && digits < 3) {
            parts[part] = parts[part] * 10 + (text.front() - '0');
            text.remove_prefix(1);
            ++digits;
        }
        if (digits == 0) return false;
    }
    if (parts[0] > 167 || parts[1] > 59 || parts[2] > 59) return false;
    seconds = sign * (parts[0] * 3600 + parts[1] * 60 + parts[2]);
    return true;
}

// Reads a zone abbreviation: letters, or anything but '>' within "<...>".
bool takeName(std::string_view& text, std::string& name) {
    std::size_t end = 0;
    if (!text.empty() && text.front() == '<') {
        end = text.find('>');
        if (end == std::string_view::npos) return false;
        name = std::string(text.substr(1, end - 1));
        text.remove_prefix(end + 1);
    } else {
        while (end < text.size() &&
               ((text[end] >= 'A' && text[end] <= 'Z') || (text[end] >= 'a' && text[end] <= 'z'))) {
            ++end;
        }
        name = std::string(text.substr(0, end));
        text.remove_prefix(end);
    }
    return name.size() >= 3;
}

bool takeNumber(std::string_view& text, int& value, int most) {
    int digits = 0;
    value = 0;
    while (!text.empty() && text.front() >= '0' && text.front() <= '9' && digits < 4) {
        value = value * 10 + (text.front() - '0');
        text.remove_prefix(1);
        ++digits;
    }
    return digits > 0 && value <= most;
}

}  // namespace

bool ZoneRules::load(const std::string& name) {
    *this = ZoneRules();
    if (!knownTimeZone(name)) return false;
    const char* base = std::getenv("TZDIR");
    std::ifstream file(std::string(base && *base ? base : "/usr/share/zoneinfo") + "/" + name,
                       std::ios::binary);
    if (!file) return false;
    std::string bytes;
    char block[4096];
    // A zone file is a few kilobytes; anything much larger is not one.
    while (file.read(block, sizeof block) || file.gcount() > 0) {
        bytes.append(block, static_cast<std::size_t>(file.gcount()));
        if (bytes.size() > (1 << 20)) return false;
    }
    return parse(bytes);
}

bool ZoneRules::parse(std::string_view bytes) {
    *this = ZoneRules();
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    struct Counts {
        std::int64_t ut, std, leap, time, type, chars;
    };
    const auto header = [&](std::size_t at, Counts& c) {
        if (bytes.size() < at + 44 || bytes.substr(at, 4) != "TZif") return false;
        const unsigned char* p = data + at + 20;
        c = {bigEndian(p, 4),      bigEndian(p + 4, 4),  bigEndian(p + 8, 4),
             bigEndian(p + 12, 4), bigEndian(p + 16, 4), bigEndian(p + 20, 4)};
        return c.ut >= 0 && c.std >= 0 && c.leap >= 0 && c.time >= 0 && c.type >= 1 &&
               c.chars >= 0 && c.time < 100000 && c.type < 256 && c.chars < 100000 &&
               c.leap < 100000;
    };
    const auto blockSize = [](const Counts& c, int timeBytes) {
        return c.time * timeBytes + c.time + c.type * 6 + c.chars + c.leap * (timeBytes + 4) +
               c.std + c.ut;
    };
    Counts counts;
    if (!header(0, counts)) return false;
    std::size_t at = 44;
    int timeBytes = 4;
    const bool wide = bytes[4] >= '2';
    if (wide) {
        at += static_cast<std::size_t>(blockSize(counts, 4));
        if (!header(at, counts)) return false;
        at += 44;
        timeBytes = 8;
    }
    const std::size_t size = static_cast<std::size_t>(blockSize(counts, timeBytes));
    if (bytes.size() < at + size) return false;
    const unsigned char* p = data + at;
    for (std::int64_t i = 0; i < counts.time; ++i, p += timeBytes) {
        times_.push_back(bigEndian(p, timeBytes));
    }
    for (std::int64_t i = 0; i < counts.time; ++i, ++p) {
        if (*p >= counts.type) return false;
        typeOf_.push_back(*p);
    }
    const unsigned char* names = p + counts.type * 6;
    for (std::int64_t i = 0; i < counts.type; ++i, p += 6) {
        ZoneType type;
        type.offsetSeconds = static_cast<int>(bigEndian(p, 4));
        type.daylight = p[4] != 0;
        if (p[5] >= counts.chars) return false;
        const char* name = reinterpret_cast<const char*>(names + p[5]);
        type.name = std::string(name, strnlen(name, static_cast<std::size_t>(counts.chars - p[5])));
        if (type.offsetSeconds < -26 * 3600 || type.offsetSeconds > 26 * 3600) return false;
        types_.push_back(type);
    }
    if (!std::is_sorted(times_.begin(), times_.end())) return false;
    // The footer: "\n" TZ string "\n".
    std::string_view footer = bytes.substr(at + size);
    if (wide && footer.size() >= 2 && footer.front() == '\n') {
        footer.remove_prefix(1);
        const std::size_t end = footer.find('\n');
        if (end != std::string_view::npos && !parseRule(footer.substr(0, end))) rule_ = Rule{};
    }
    return true;
}

bool ZoneRules::parseRule(std::string_view text) {
    rule_ = Rule{};
    int offset = 0;
    if (!takeName(text, rule_.standard.name) || !takeSeconds(text, offset)) return false;
    rule_.standard.offsetSeconds = -offset;  // POSIX counts hours west of Greenwich
    if (text.empty()) return rule_.valid = true;
    if (!takeName(text, rule_.daylight.name)) return false;
    rule_.daylight.daylight = true;
    rule_.daylight.offsetSeconds = rule_.standard.offsetSeconds + 3600;
    if (!text.empty() && text.front() != ',') {
        if (!takeSeconds(text, offset)) return false;
        rule_.daylight.offsetSeconds = -offset;
    }
    const auto date = [&text](Rule::Date& d) {
        if (text.empty() || text.front() != ',') return false;
        text.remove_prefix(1);
        if (!text.empty() && text.front() == 'M') {
            text.remove_prefix(1);
            d.kind = 'M';
            if (!takeNumber(text, d.month, 12) || d.month < 1 || text.empty() ||
                text.front() != '.') {
                return false;
            }
            text.remove_prefix(1);
            if (!takeNumber(text, d.week, 5) || d.week < 1 || text.empty() || text.front() != '.') {
                return false;
            }
            text.remove_prefix(1);
            if (!takeNumber(text, d.weekday, 6)) return false;
        } else if (!text.empty() && text.front() == 'J') {
            text.remove_prefix(1);
            d.kind = 'J';
            if (!takeNumber(text, d.day, 365) || d.day < 1) return false;
        } else {
            d.kind = 'D';
            if (!takeNumber(text, d.day, 365)) return false;
        }
        if (!text.empty() && text.front() == '/') {
            text.remove_prefix(1);
            if (!takeSeconds(text, d.seconds)) return false;
        }
        return true;
    };
    // A daylight name without dates says nothing of when: such a rule is left unread.
    if (!date(rule_.start) || !date(rule_.end) || !text.empty()) return false;
    rule_.hasDaylight = true;
    return rule_.valid = true;
}

std::vector<ZoneChange> ZoneRules::ruleChanges(int year) const {
    if (!rule_.valid || !rule_.hasDaylight) return {};
    const auto day = [year](const Rule::Date& d) -> std::int64_t {
        switch (d.kind) {
            case 'J': {
                // 1-365, never counting February 29.
                const int shift = leapYear(year) && d.day >= 60 ? 1 : 0;
                return daysFromCivil(year, 1, 1) + d.day - 1 + shift;
            }
            case 'D':
                return daysFromCivil(year, 1, 1) + d.day;
            default: {
                const std::int64_t first = daysFromCivil(year, d.month, 1);
                const int weekday = static_cast<int>(((first + 4) % 7 + 7) % 7);  // 0: Sunday
                int dayOfMonth = 1 + (d.weekday - weekday + 7) % 7 + (d.week - 1) * 7;
                while (dayOfMonth > daysInMonth(year, d.month)) dayOfMonth -= 7;
                return first + dayOfMonth - 1;
            }
        }
    };
    ZoneChange start{
        day(rule_.start) * kDaySeconds + rule_.start.seconds - rule_.standard.offsetSeconds,
        rule_.standard, rule_.daylight};
    ZoneChange end{day(rule_.end) * kDaySeconds + rule_.end.seconds - rule_.daylight.offsetSeconds,
                   rule_.daylight, rule_.standard};
    if (end.at < start.at) std::swap(start, end);  // the southern hemisphere
    return {start, end};
}

ZoneType ZoneRules::typeAt(std::int64_t at) const {
    if (types_.empty()) return rule_.valid ? rule_.standard : ZoneType{};
    if (!times_.empty() && at < times_.front()) return types_.front();
    const auto next = std::upper_bound(times_.begin(), times_.end(), at);
    if (next != times_.end() || !rule_.valid) {
        return next == times_.begin()
                   ? types_.front()
                   : types_[static_cast<std::size_t>(
                         typeOf_[static_cast<std::size_t>(next - times_.begin() - 1)])];
    }
    // Past the file's last change: the rule's type.
    if (!rule_.hasDaylight) return rule_.standard;
    const int year = static_cast<int>(yearOf(at));
    std::vector<ZoneChange> around;
    for (int y = year - 1; y <= year + 1; ++y) {
        const std::vector<ZoneChange> changes = ruleChanges(y);
        around.insert(around.end(), changes.begin(), changes.end());
    }
    ZoneType type = around.front().before;
    for (const ZoneChange& change : around) {
        if (change.at <= at) type = change.after;
    }
    return type;
}

std::vector<ZoneChange> ZoneRules::changes(std::int64_t from, std::int64_t until) const {
    std::vector<ZoneChange> found;
    const auto differ = [](const ZoneType& a, const ZoneType& b) {
        return a.offsetSeconds != b.offsetSeconds || a.daylight != b.daylight || a.name != b.name;
    };
    for (std::size_t i = 0; i < times_.size(); ++i) {
        if (times_[i] < from || times_[i] >= until) continue;
        const ZoneType& before =
            i == 0 ? types_.front() : types_[static_cast<std::size_t>(typeOf_[i - 1])];
        const ZoneType& after = types_[static_cast<std::size_t>(typeOf_[i])];
        if (differ(before, after)) found.push_back({times_[i], before, after});
    }
    if (!rule_.valid || !rule_.hasDaylight) return found;
    const std::int64_t last = times_.empty() ? from - 1 : times_.back();
    for (std::int64_t year = yearOf(std::max(from, last)) - 1; year <= yearOf(until); ++year) {
        for (const ZoneChange& change : ruleChanges(static_cast<int>(year))) {
            if (change.at > last && change.at >= from && change.at < until) {
                found.push_back(change);
            }
        }
    }
    return found;
}

}  // namespace zelvan
