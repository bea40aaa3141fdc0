#include "cli/shown_texts.h"

#include "cli/language.h"

namespace zelvan::cli {

std::u16string translatedHeading(TableKind kind, int column, bool builtInTariff) {
    const std::u16string heading = shownHeading(kind, column, builtInTariff);
    const std::size_t first = heading.find_first_not_of(u' ');
    if (first == std::u16string::npos) return {};
    const std::size_t last = heading.find_last_not_of(u' ');
    return trZh(std::u16string_view(heading).substr(first, last - first + 1));
}

std::vector<std::u16string> shownHeadings(TableKind kind) {
    std::vector<std::u16string> headings;
    const int count = static_cast<int>(tableHeadings(kind).size());
    for (int c = 0; c < count; ++c) headings.push_back(translatedHeading(kind, c, true));
    return headings;
}

std::u16string_view shownRowCell(TableKind kind, const ResultRow& row, int column,
                                 std::u16string& scratch) {
    const int kindColumn = kind == TableKind::Train ? 5 : 4;
    if ((kind == TableKind::Train || kind == TableKind::Station) && column == kindColumn) {
        scratch = trZh(row.kindText);
        return scratch;
    }
    if (kind == TableKind::Station && column == 1 && row.endsHere) {
        scratch = trZh(kEndsHereText) + u' ' + row.arrivalTime;
        return scratch;
    }
    return rowCellText(kind, row, column, scratch);
}

}  // namespace zelvan::cli
