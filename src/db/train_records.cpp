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

    record.name = trainNameByIndex(trainIndexValue);
    record.kindCode = at(offset + 2);
    record.fareFactor = at(offset + 3);
    record.validFrom = date(offset + 4);
    record.validUntil = date(offset + 8);
    record.ruleNumber = at(offset + 12);

    std::int32_t pos = offset + 13;
    while (pos < length && b[pos] != 0x80 && length - pos >= 7) {
        StopRecord stop;
        stop.station = b[pos] * 128 + b[pos + 1];
        stop.arrivalHour = b[pos + 2];
        stop.arrivalMinute = b[pos + 3];
        stop.dwellMinutes = b[pos + 4];
        stop.distanceKm = b[pos + 5] * 128 + b[pos + 6];
        stop.sequence = static_cast<std::int32_t>(record.stops.size());
        record.stops.push_back(stop);
        pos += 7;
    }
    record.status = runningStatus(record, runningRules, queryDate, fromStation);
}

std::u16string TimetableDb::trainNameByIndex(int trainIndexValue) const {
    if (trainIndex.empty()) return {};
    int last = static_cast<int>(trainIndex.size()) - 1;
    int rank = std::clamp(trainIndexValue, 0, last);
    if (useIndexes && nameIndexCurrent()) {
        return trainNamesByRank_[static_cast<std::size_t>(rank)];
    }
    auto it = trainIndex.begin();
    std::advance(it, rank);
    return it->first;
}

}  // namespace zelvan
