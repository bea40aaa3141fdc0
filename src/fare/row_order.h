// Sorting result tables: which key a column sorts by, and a row's value under a key as a text
// whose plain order is the row order, so that the views and the command line sort alike. The
// order the query gave stays the default; sorting is a choice of the reader.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "fare/result_row.h"
#include "fare/result_table.h"

namespace zelvan {

enum class SortKey : int {
    Listed = 0,     // the order the query gave
    Departure = 1,  // the row's first time
    Arrival = 2,    // the arrival, days counted
    Duration = 3,   // travel time
    Distance = 4,   // km
    Train = 5,      // train number, its digits as numbers (G5 before G11)
    HardSeat = 6,   // the fares, each by its first (lowest) amount
    SoftSeat = 7,
    HardSleeper = 8,
    SoftSleeper = 9,
    Changes = 10,  // a journey's changes
};

// The key column `column` of a table sorts by; Listed for a column that does not sort (types
// and stations, and the stop and leg tables, whose order is the run's).
SortKey columnSortKey(TableKind kind, int column);
// The column of `kind` that sorts by `key`; -1 when it has none.
int sortColumn(TableKind kind, SortKey key);

// Texts that order as numbers: `value` zero-padded past its sign (negative values first).
std::u16string sortNumberText(long long value);
// A train number with every run of digits padded, so that G5 < G11 < G101 and 1461 < D1.
std::u16string trainSortText(std::u16string_view number);
// The row's value under `key` as a text whose code-unit order is the row order; empty when the
// row has none (a fare "-", the arrival of a train that ends at the queried station).
std::u16string sortText(const ResultRow& row, SortKey key);
// Whether a value sorts before b: values that are absent (empty) go last either way; equal
// values do not (a stable sort then keeps the listed order).
bool sortsBefore(const std::u16string& a, const std::u16string& b, bool descending);
// The positions of `rows` in the order of `key` (stable; the listed order for Listed).
std::vector<std::size_t> sortedOrder(const std::vector<ResultRow>& rows, SortKey key,
                                     bool descending);
// The positions of `texts` in their order (stable; absent values last, as sortsBefore has it).
std::vector<std::size_t> textOrder(const std::vector<std::u16string>& texts, bool descending);
// sortedOrder for the two legs of a transfer: the first `firstLegCount` rows in their order,
// then the others in theirs, so that a leg never mixes with the other.
std::vector<std::size_t> sortedLegOrder(const std::vector<ResultRow>& rows,
                                        std::size_t firstLegCount, SortKey key, bool descending);
// The earliest arrival at the destination that a transfer's legs give when matched in time:
// `rows` holds the first leg's rows (the first `firstLegCount`), then the second leg's. A first
// leg train that runs on the day of travel, then the earliest second-leg train that runs and
// leaves the change station `changeMinutes` or more after that arrival, that day or a later
// one. Minutes from the midnight starting the day of travel; -1 when no pair matches.
int earliestMatchedArrival(const std::vector<ResultRow>& rows, std::size_t firstLegCount,
                           int changeMinutes);

// Sorts `rows` in place by sortedOrder.
void sortRows(std::vector<ResultRow>& rows, SortKey key, bool descending);

}  // namespace zelvan
