// Decoding train records. Layout of a record (every byte below 0x80 but the last):
//   0-1  train index, base 128, high digit first
//   2    kindCode          3  fareFactor
//   4-7  validFrom, base 128, least significant digit first
//   8-11 validUntil, same   12 ruleNumber
//   13.. stops of 7 bytes: station (2), arrival hour, minute, dwell, distance (2)
//   0x80 where the next stop's first byte would stand
#include <algorithm>

#include "db/running_days.h"
#include "db/timetable_db.h"

namespace zelvan {
namespace {

// Stops are taken while the byte at the position is not 0x80 and all seven bytes lie within
// the data: how many of them there are from `pos`.
int stopCount(const std::uint8_t* b, std::int32_t length, std::int32_t pos) {
    int count = 0;
    for (; pos < length && b[pos] != 0x80 && length - pos >= 7; pos += 7) ++count;
    return count;
}

}  // namespace

int TimetableDb::rawStops(int trainIndexValue, const std::uint8_t*& first) const {
    first = nullptr;
    const int offset = findRecord(true, trainIndexValue);
    if (offset < 0) return 0;
    const ByteSpan& span =
        trainFiles[static_cast<std::size_t>((trainIndexValue + 1) % kTrainFileCount)];
    const std::int32_t pos = offset + 13;
    const int count = pos < span.length ? stopCount(span.data.get(), span.length, pos) : 0;
    if (count > 0) first = span.data.get() + pos;
    return count;
}

void TimetableDb::decodeTrain(int trainIndexValue, TrainRecord& record) const {
    record.stops.clear();
    int offset = findRecord(true, trainIndexValue);
    if (offset < 0) return;
    const ByteSpan& span =
        trainFiles[static_cast<std::size_t>((trainIndexValue + 1) % kTrainFileCount)];
    const std::uint8_t* b = span.data.get();
    const std::int32_t length = span.length;
    // A header cut short by the end of the file reads its missing bytes as 0.
    auto at = [&](std::int32_t i) -> int { return i < length ? b[i] : 0; };
    auto date = [&](std::int32_t i) {
        return at(i) + at(i + 1) * 128 + at(i + 2) * 128 * 128 + at(i + 3) * 128 * 128 * 128;
    };

    // Assigned in place: the record's own buffer is reused from one decode to the next.
    const std::u16string* name = trainNameAt(trainIndexValue);
    if (name) {
        record.name.assign(*name);
    } else {
        record.name.clear();
    }
    record.kindCode = at(offset + 2);
    record.fareFactor = at(offset + 3);
    record.validFrom = date(offset + 4);
    record.validUntil = date(offset + 8);
    record.ruleNumber = at(offset + 12);

    std::int32_t pos = offset + 13;
    const int count = pos < length ? stopCount(b, length, pos) : 0;
    record.stops.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i, pos += 7) {
        StopRecord& stop = record.stops[static_cast<std::size_t>(i)];
        stop.station = b[pos] * 128 + b[pos + 1];
        stop.arrivalHour = b[pos + 2];
        stop.arrivalMinute = b[pos + 3];
        stop.dwellMinutes = b[pos + 4];
        stop.distanceKm = b[pos + 5] * 128 + b[pos + 6];
        stop.sequence = i;
    }

    // A rule line is read once at load; a line changed since then is read again.
    RunningRule rule;
    const std::size_t r = static_cast<std::size_t>(record.ruleNumber);
    if (r < runningRules.size()) {
        if (useIndexes && r < parsedRules_.size() && parsedRules_[r].first == runningRules[r]) {
            rule = parsedRules_[r].second;
        } else {
            rule = parseRunningRule(runningRules[r]);
        }
    }
    record.status = runningStatus(record, rule, queryDate, fromStation);
}

const std::u16string* TimetableDb::trainNameAt(int trainIndexValue) const {
    if (trainIndex.empty()) return nullptr;
    int last = static_cast<int>(trainIndex.size()) - 1;
    int rank = std::clamp(trainIndexValue, 0, last);
    if (useIndexes && nameIndexCurrent()) {
        return &trainNamesByRank_[static_cast<std::size_t>(rank)];
    }
    auto it = trainIndex.begin();
    std::advance(it, rank);
    return &it->first;
}

std::u16string TimetableDb::trainNameByIndex(int trainIndexValue) const {
    const std::u16string* name = trainNameAt(trainIndexValue);
    return name ? *name : std::u16string();
}

}  // namespace zelvan
