#include "db/running_days.h"

#include <climits>
#include <cstdint>
#include <ctime>

#include "db/wide_space.h"

namespace zelvan {
namespace {

// Days since 1970-01-01 of a proleptic Gregorian date with month 1-12 (any year, any day: days
// beyond the month simply count on).
long long daysFromCivil(long long y, long long m, long long d) {
    y -= m <= 2 ? 1 : 0;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468 + d - 1;
}

// The day number of a DateKey as a broken-down-time conversion normalises it: the month first
// (month 0 is December of the year before, 13 January of the next), then the day.
long long dayNumber(DateKey key) {
    long long year = key / 10000;
    long long month0 = (key % 10000) / 100 - 1;
    long long day = key % 100;
    long long carry = month0 >= 0 ? month0 / 12 : -((11 - month0) / 12);
    return daysFromCivil(year + carry, month0 - carry * 12 + 1, 1) + day - 1;
}

// One decimal integer as a formatted scan reads it: white space, a sign, digits. Saturates.
bool scanInt(const std::u16string& text, std::size_t& pos, long long& value) {
    while (pos < text.size() && isWideSpace(text[pos])) ++pos;
    std::size_t p = pos;
    bool negative = false;
    if (p < text.size() && (text[p] == u'+' || text[p] == u'-')) negative = text[p++] == u'-';
    if (p >= text.size() || text[p] < u'0' || text[p] > u'9') return false;
    long long v = 0;
    for (; p < text.size() && text[p] >= u'0' && text[p] <= u'9'; ++p) {
        if (v < INT_MAX) v = v * 10 + (text[p] - u'0');
    }
    if (v > INT_MAX) v = INT_MAX;
    value = negative ? -v : v;
    pos = p;
    return true;
}

}  // namespace

int daysBetween(DateKey a, DateKey b) {
    return static_cast<int>(dayNumber(b) - dayNumber(a));
}

DateKey addDays(DateKey date, int days) {
    // Days since 1970-01-01 back to a civil date (proleptic Gregorian).
    const long long z = static_cast<long long>(dayNumber(date)) + days + 719468;
    const long long era = (z >= 0 ? z : z - 146096) / 146097;
    const long long doe = z - era * 146097;
    const long long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const long long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const long long mp = (5 * doy + 2) / 153;
    const long long day = doy - (153 * mp + 2) / 5 + 1;
    const long long month = mp < 10 ? mp + 3 : mp - 9;
    const long long year = yoe + era * 400 + (month <= 2 ? 1 : 0);
    return makeDateKey(static_cast<int>(year), static_cast<int>(month), static_cast<int>(day));
}

DateKey todayUtc() {
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    return makeDateKey(utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday);
}

bool isCalendarDate(DateKey key) {
    const int year = key / 10000;
    const int month = key / 100 % 100;
    const int day = key % 100;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month != 2 || day != 29 || leap;
}

RunningRule parseRunningRule(const std::u16string& line) {
    RunningRule rule;
    std::size_t pos = 0;
    long long value = 0;
    if (scanInt(line, pos, value)) {
        rule.period = value;
        rule.numbers = 1;
        if (scanInt(line, pos, value)) {
            rule.mask = value;
            rule.numbers = 2;
        }
    }
    if (rule.period == 0) rule.period = 1;
    return rule;
}

std::vector<std::string> splitRuleFile(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
        text.push_back(bytes[i]);
    }
    std::vector<std::string> pieces;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = pos;
        while (end < text.size() && end - pos < 255) {
            if (text[end++] == '\n') break;
        }
        pieces.push_back(text.substr(pos, end - pos));
        pos = end;
    }
    return pieces;
}

int dayOffset(const std::vector<StopRecord>& stops, int fromStation) {
    return dayOffset(static_cast<int>(stops.size()), fromStation,
                     [&](int i) { return stops[static_cast<std::size_t>(i)]; });
}

RunStatus runningStatus(const TrainRecord& train, const std::vector<std::u16string>& rules,
                        DateKey queryDate, int fromStation) {
    RunningRule rule;
    if (train.ruleNumber >= 0 && static_cast<std::size_t>(train.ruleNumber) < rules.size()) {
        rule = parseRunningRule(rules[static_cast<std::size_t>(train.ruleNumber)]);
    }
    return runningStatus(train, rule, queryDate, fromStation);
}

RunStatus runningStatus(const TrainRecord& train, const RunningRule& rule, DateKey queryDate,
                        int fromStation) {
    return runningStatus(train.validFrom, train.validUntil, rule, queryDate,
                         static_cast<int>(train.stops.size()),
                         [&] { return dayOffset(train.stops, fromStation); });
}

}  // namespace zelvan
