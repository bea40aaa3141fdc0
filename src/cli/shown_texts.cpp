#include "cli/shown_texts.h"

#include "cli/language.h"
#include "db/text.h"

namespace zelvan::cli {

namespace {

// A platform in the language of the run: "3站台", "Track 3".
std::u16string platformShown(const std::u16string& platform) {
    return fromUtf8(fill(trZh("%s站台"), {toUtf8(platform)}));
}

}  // namespace

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
    if (kind == TableKind::Station && column == 1) {
        // This station's time, what riders may not do there and its platform.
        const std::u16string& platform = row.endsHere ? row.arrivalPlatform : row.departurePlatform;
        if (row.endsHere) {
            scratch = trZh(kEndsHereText) + u' ' + row.arrivalTime;
        } else if (row.noBoarding) {
            scratch = row.departureTime + u' ' + trZh(kSetsDownText);
        } else {
            scratch = row.departureTime;
        }
        if (!platform.empty()) scratch += u' ' + platformShown(platform);
        return scratch;
    }
    if ((kind == TableKind::Train || kind == TableKind::Station) && column == 0) {
        scratch = row.trainName + statusMarker(row.status);
        for (std::u16string_view mark : accessMarks(row)) scratch += u' ' + trZh(mark);
        return scratch;
    }
    return rowCellText(kind, row, column, scratch);
}

std::u16string shownStopCell(const TimetableDb& db, const std::vector<StopRecord>& stops,
                             const std::vector<StopDays>& days, std::size_t index, int column,
                             int train) {
    std::u16string text = stopTableCell(db, stops, days, index, column, train, false);
    if (column != 0) return text;
    const int station = index < stops.size() ? stops[index].station : -1;
    const StopMarkParts marks = stopMarkParts(db, train, index, stops.size(), station);
    if (!marks.platform.empty()) text += u' ' + platformShown(marks.platform);
    if (!marks.restriction.empty()) text += u' ' + trZh(marks.restriction);
    if (marks.stepFree) text += u' ' + trZh(kWheelchairMark);
    return text;
}

}  // namespace zelvan::cli
