// The train-number query: trains whose number contains the typed text, in key order of numbers.
#include <algorithm>

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
    // An imported timetable searches the numbers travellers see: a number's further runs stand
    // in t.i as N 0x1F 2, N 0x1F 3 ... (the suffix is storage, never text), and a number beyond
    // Latin-1 stands there as '#' and its UTF-8 bytes in hex, shown as itself.
    const bool imported = extensions.present();
    const auto shownText = [&](int train, std::u16string_view key) {
        if (!imported) return std::u16string(key);
        if (const std::u16string_view shown = extensions.displayNumber(train); !shown.empty()) {
            return std::u16string(shown);
        }
        return std::u16string(key.substr(0, key.find(u'\x1F')));
    };
    int position = 0;
    if (useIndexes && trainIndex.ranked()) {
        const int size = static_cast<int>(trainIndex.size());
        const int from = std::max(start, 0);
        // The hex-stored numbers stand together: every key that starts with '#'.
        int hexBegin = 0, hexEnd = 0;
        if (imported) {
            const auto firstAtLeast = [&](char c) {
                int lo = 0, hi = size;
                while (lo < hi) {
                    const int mid = lo + (hi - lo) / 2;
                    const std::string_view key =
                        trainIndex.rankBytes(static_cast<std::size_t>(mid));
                    if (!key.empty() &&
                        static_cast<unsigned char>(key.front()) >= static_cast<unsigned char>(c)) {
                        hi = mid;
                    } else {
                        lo = mid + 1;
                    }
                }
                return lo;
            };
            hexBegin = firstAtLeast('#');
            hexEnd = firstAtLeast('#' + 1);
        }
        int shownHit = -1;
        for (int rank = std::max(from, hexBegin); rank < hexEnd; ++rank) {
            const std::string_view key = trainIndex.rankBytes(static_cast<std::size_t>(rank));
            if (matches(shownText(rank, trainNumberOf(key)), needle, wholeNumber)) {
                shownHit = rank;
                break;
            }
        }
        // Numbers read straight from t.i, single-byte text: a needle with a wider code unit
        // is in none of them.
        std::string bytes;
        bool narrow = true;
        for (const char16_t c : needle) {
            if (c > 0xFF) narrow = false;
            bytes.push_back(static_cast<char>(c));
        }
        int rank = -1;
        if (narrow) {
            rank =
                trainIndex.findRank(bytes, static_cast<std::size_t>(from), wholeNumber, imported);
            // Hex bytes are no text: their shown numbers were searched above.
            if (rank >= hexBegin && rank < hexEnd) {
                rank = trainIndex.findRank(bytes, static_cast<std::size_t>(hexEnd), wholeNumber,
                                           imported);
            }
        }
        if (shownHit >= 0 && (rank < 0 || shownHit < rank)) rank = shownHit;
        return {rank, rank};
    }
    if (useIndexes) {
        rankTrainNumbers();
        for (position = std::max(start, 0); position < static_cast<int>(trainNamesByRank_.size());
             ++position) {
            if (matches(shownText(trainIndexByRank_[position], trainNamesByRank_[position]), needle,
                        wholeNumber)) {
                return {position, trainIndexByRank_[position]};
            }
        }
        return {-1, -1};
    }
    for (const auto& [name, index] : trainIndex) {
        if (position >= start && matches(shownText(index, name), needle, wholeNumber)) {
            return {position, index};
        }
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
    std::vector<int> runs = {hit};
    if (useIndexes && trainIndex.ranked()) {
        // The further runs of a number N stand right after it in t.i: N 0x1F 2, N 0x1F 3 ...
        const std::string_view key = trainIndex.rankBytes(static_cast<std::size_t>(hit));
        const std::string_view base = key.substr(0, key.find('\x1F'));
        for (std::size_t rank = static_cast<std::size_t>(hit) + 1; rank < trainIndex.size();
             ++rank) {
            const std::string_view next = trainIndex.rankBytes(rank);
            if (next.size() <= base.size() || next.compare(0, base.size(), base) != 0 ||
                next[base.size()] != '\x1F') {
                break;
            }
            runs.push_back(static_cast<int>(rank));
        }
    } else {
        const std::vector<int>& others = extensions.trainsNumbered(trainNameByIndex(hit));
        runs.insert(runs.end(), others.begin(), others.end());
    }
    if (runs.size() == 1) return hit;
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
        if (!train.stops.empty()) {
            const StopRecord& first = train.stops.front();
            const StopRecord& last = train.stops.back();
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
