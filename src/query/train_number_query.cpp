// The train-number query: trains whose number contains the typed text, in key order of numbers.
#include <algorithm>

#include "db/passenger_stops.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"

namespace zelvan {
namespace {

// In whole-number mode the text is a whole number of the name: it starts the name or follows a
// "/", and it ends the name or stands before a "/". K12 then matches K12 and K11/K12 but not
// K123 or AK12. `needle` carries the "/" appended to the text.
bool matches(const std::u16string& name, const std::u16string& needle, bool wholeNumber) {
    if (!wholeNumber) return name.find(needle) != std::u16string::npos;
    const std::u16string padded = name + u'/';
    for (std::size_t at = padded.find(needle); at != std::u16string::npos;
         at = padded.find(needle, at + 1)) {
        if (at == 0 || padded[at - 1] == u'/') return true;
    }
    return false;
}

}  // namespace

std::pair<int, int> TimetableDb::findTrainPosition(const std::u16string& text, int start,
                                                   bool wholeNumber) const {
    const std::u16string needle = wholeNumber ? text + u'/' : text;
    int position = 0;
    if (useIndexes && trainIndex.ranked()) {
        // Numbers read straight from t.i, single-byte text: a needle with a wider code unit
        // is in none of them.
        std::string bytes;
        for (const char16_t c : needle) {
            if (c > 0xFF) return {-1, -1};
            bytes.push_back(static_cast<char>(c));
        }
        const int rank =
            trainIndex.findRank(bytes, static_cast<std::size_t>(std::max(start, 0)), wholeNumber);
        return {rank, rank};
    }
    if (useIndexes) {
        rankTrainNumbers();
        for (position = std::max(start, 0); position < static_cast<int>(trainNamesByRank_.size());
             ++position) {
            if (matches(trainNamesByRank_[position], needle, wholeNumber)) {
                return {position, trainIndexByRank_[position]};
            }
        }
        return {-1, -1};
    }
    for (const auto& [name, index] : trainIndex) {
        if (position >= start && matches(name, needle, wholeNumber)) return {position, index};
        ++position;
    }
    return {-1, -1};
}

int TimetableDb::findTrainByNumber(const std::u16string& text, int start, bool wholeNumber) const {
    return findTrainPosition(text, start, wholeNumber).second;
}

int TimetableDb::findTrainRun(const std::u16string& number) const {
    const int hit = findTrainByNumber(number, 0, true);
    if (hit < 0 || !extensions.present()) return hit;
    const std::vector<int>& others = extensions.trainsNumbered(trainNameByIndex(hit));
    if (others.empty()) return hit;
    std::vector<int> runs = {hit};
    runs.insert(runs.end(), others.begin(), others.end());
    std::sort(runs.begin(), runs.end());
    // From its origin (no day offset): the run that leaves on queryDate.
    for (const int t : runs) {
        const ServiceDays* days = extensions.serviceDays(t);
        if (days && days->statusOn(queryDate) == RunStatus::Running) return t;
    }
    return hit;
}

void TimetableDb::queryTrainNumber(const std::u16string& text, std::vector<ResultRow>& rows) {
    auto [position, hit] = findTrainPosition(text, 0, false);
    TrainRecord train;
    while (hit >= 0) {
        fromStation = -1;
        decodeTrain(hit, train);
        // The whole run riders may use: a depot at either end is passed, not a stop.
        const auto [firstUsed, lastUsed] =
            passengerEnds(extensions, hit, static_cast<int>(train.stops.size()));
        if (firstUsed >= 0) {
            const StopRecord& first = train.stops[static_cast<std::size_t>(firstUsed)];
            const StopRecord& last = train.stops[static_cast<std::size_t>(lastUsed)];
            ResultRow row;
            if (last.distanceKm >= first.distanceKm && buildResultRow(train, &first, &last, row)) {
                rows.push_back(std::move(row));
            }
        }
        // The search resumes after the hit's train index, which is its position when t.i is
        // in order. A t.i out of order could send it back to the same hit for ever, so it
        // never resumes before the position just matched.
        std::tie(position, hit) = findTrainPosition(text, std::max(hit, position) + 1, false);
    }
}

}  // namespace zelvan
