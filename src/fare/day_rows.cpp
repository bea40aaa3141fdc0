#include "fare/day_rows.h"

#include <algorithm>
#include <numeric>
#include <set>
#include <string>

namespace zelvan {
namespace {

bool runs(const ResultRow& row) {
    return row.status == static_cast<int>(RunStatus::Running);
}

// What sameShownRow compares, as one text.
std::u16string shownKey(const ResultRow& row) {
    std::u16string key;
    for (const std::u16string* part :
         {&row.trainName, &row.departureStation, &row.departureTime, &row.arrivalStation,
          &row.arrivalTime, &row.originStation, &row.terminusStation}) {
        key += *part;
        key += u'\x1F';
    }
    key += static_cast<char16_t>(row.status + 8);
    key += static_cast<char16_t>(row.endsHere ? u'e' : u'-');
    for (const char c : std::to_string(row.arrivalDays)) key += static_cast<char16_t>(c);
    return key;
}

}  // namespace

bool sameShownRow(const ResultRow& a, const ResultRow& b) {
    return a.trainName == b.trainName && a.status == b.status &&
           a.departureStation == b.departureStation && a.departureTime == b.departureTime &&
           a.arrivalStation == b.arrivalStation && a.arrivalTime == b.arrivalTime &&
           a.arrivalDays == b.arrivalDays && a.endsHere == b.endsHere &&
           a.originStation == b.originStation && a.terminusStation == b.terminusStation;
}

int firstTimeMinutes(const ResultRow& row) {
    const std::u16string& text = row.endsHere ? row.arrivalTime : row.departureTime;
    if (text.size() != 5 || text[2] != u':') return -1;
    int value = 0;
    for (const std::size_t i : {0, 1, 3, 4}) {
        if (text[i] < u'0' || text[i] > u'9') return -1;
        value = value * 10 + (text[i] - u'0');
    }
    const int hours = value / 100;
    const int minutes = value % 100;
    if (hours > 23 || minutes > 59) return -1;
    return hours * 60 + minutes;
}

DayRows dayRows(const std::vector<ResultRow>& rows, SortKey key, bool descending, std::size_t begin,
                std::size_t end) {
    end = std::min(end, rows.size());
    begin = std::min(begin, end);
    std::vector<std::size_t> order(end - begin);
    std::iota(order.begin(), order.end(), begin);
    if (key != SortKey::Listed) {
        std::vector<std::u16string> texts(rows.size());
        std::vector<std::u16string> numbers(rows.size());
        for (const std::size_t i : order) {
            texts[i] = sortText(rows[i], key);
            numbers[i] = trainSortText(rows[i].trainName);
        }
        // Equal times go by train number, then as the query listed them.
        std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
            if (texts[a] != texts[b]) return sortsBefore(texts[a], texts[b], descending);
            return numbers[a] < numbers[b];
        });
    }
    DayRows day;
    std::set<std::u16string> runningNumbers;
    std::set<std::u16string> shown;
    for (const std::size_t i : order) {
        if (!runs(rows[i]) || !shown.insert(shownKey(rows[i])).second) continue;
        day.running.push_back(i);
        runningNumbers.insert(rows[i].trainName);
    }
    std::set<std::u16string> notRunningNumbers;
    for (const std::size_t i : order) {
        if (runs(rows[i]) || runningNumbers.count(rows[i].trainName) != 0) continue;
        if (!notRunningNumbers.insert(rows[i].trainName).second) continue;
        day.notRunning.push_back(i);
    }
    return day;
}

std::vector<std::size_t> rowsFrom(const std::vector<ResultRow>& rows,
                                  const std::vector<std::size_t>& running, int fromMinutes) {
    std::vector<std::size_t> from;
    for (const std::size_t i : running) {
        if (fromMinutes < 0 || firstTimeMinutes(rows[i]) >= fromMinutes) from.push_back(i);
    }
    return from;
}

}  // namespace zelvan
