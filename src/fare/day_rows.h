// The rows of a table as the day of travel reads them: the trains that run that day first, in
// time order, and apart from them the trains that do not run that day, each number once. The
// views show the first part and keep the second behind a switch; `zelvan-cli --running` prints
// the first part. The query's own list stays as it is: this only picks and orders positions.
#pragma once

#include <cstddef>
#include <vector>

#include "fare/result_row.h"
#include "fare/row_order.h"

namespace zelvan {

struct DayRows {
    // Positions of the rows of trains that run that day, in the order asked for. Rows that
    // say the same (one train listed twice for one stretch) appear once.
    std::vector<std::size_t> running;
    // Positions of the rows of trains that do not run that day, in the same order: one per
    // train number, and none for a number that runs that day (another run of it is in
    // `running`).
    std::vector<std::size_t> notRunning;
};

// The day's rows of `rows[begin, end)` ordered by `key` (Departure: a row's first time, which
// for a train that ends at the queried station is its arrival; ties by train number, then as
// listed). Listed keeps the query's order in both parts.
DayRows dayRows(const std::vector<ResultRow>& rows, SortKey key, bool descending,
                std::size_t begin = 0, std::size_t end = static_cast<std::size_t>(-1));

// Whether two rows tell the same: train, status, stations and times.
bool sameShownRow(const ResultRow& a, const ResultRow& b);

// Positions of `running` whose first time is at or after `fromMinutes` (minutes after
// midnight), in their order; all of them when `fromMinutes` is negative.
std::vector<std::size_t> rowsFrom(const std::vector<ResultRow>& rows,
                                  const std::vector<std::size_t>& running, int fromMinutes);
// The minutes after midnight of a row's first time ("HH:MM"; a train ending at the queried
// station: its arrival); -1 when the text is no time.
int firstTimeMinutes(const ResultRow& row);

}  // namespace zelvan
