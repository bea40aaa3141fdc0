// The core's result texts as the terminal shows them: the headings and cells of the result
// tables in the language of the run. The JSON documents keep the core's texts as they are.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "fare/result_row.h"
#include "fare/result_table.h"

namespace zelvan::cli {

// shownHeading(kind, column, builtInTariff) without its padding, translated.
std::u16string translatedHeading(TableKind kind, int column, bool builtInTariff);
// Every heading of a table of the built-in tariff (tableHeadings) so.
std::vector<std::u16string> shownHeadings(TableKind kind);

// rowCellText with the kind name and the "终到" of a train ending at the station translated.
std::u16string_view shownRowCell(TableKind kind, const ResultRow& row, int column,
                                 std::u16string& scratch);

// stopTableCell with the station's marks (platform, what riders may not do there) translated.
std::u16string shownStopCell(const TimetableDb& db, const std::vector<StopRecord>& stops,
                             const std::vector<StopDays>& days, std::size_t index, int column,
                             int train);

}  // namespace zelvan::cli
