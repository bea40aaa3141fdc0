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

// A train number of t.i, single-byte text: byte value = code unit.
void widenTrainNumber(std::string_view bytes, std::u16string& name) {
    name.assign(bytes.begin(), bytes.end());
    for (char16_t& c : name) c = static_cast<char16_t>(c & 0xFF);
}

}  // namespace

int trainStopCount(const ByteSpan& span, std::int32_t offset) {
    // Stops are taken from byte 13 on while the byte at the position is not 0x80 and all seven
    // bytes lie within the data.
    const std::uint8_t* b = span.data.get();
    int count = 0;
    for (std::int32_t pos = offset + 13;
         pos < span.length && b[pos] != 0x80 && span.length - pos >= 7; pos += 7) {
        ++count;
    }
    return count;
}

int TimetableDb::stopCountAt(int trainIndexValue, const ByteSpan& span, std::int32_t offset) const {
    if (!useIndexes) return trainStopCount(span, offset);
    // Counted when the record is first read, and kept while its file's index is.
    std::uint16_t& counted = trainStopCount_[static_cast<std::size_t>(trainIndexValue)];
    if (counted != kUncounted) return counted;
    const int count = trainStopCount(span, offset);
    if (count < kUncounted) counted = static_cast<std::uint16_t>(count);
    return count;
}

TimetableDb::RawTrain TimetableDb::rawTrain(int trainIndexValue) const {
    RawTrain raw;
    const int offset = findRecord(true, trainIndexValue);
    if (offset < 0) return raw;
    const int f = (trainIndexValue + 1) % kTrainFileCount;
    const ByteSpan& span = trainFiles[static_cast<std::size_t>(f)];
    raw.header = span.data.get() + offset;
    raw.count = stopCountAt(trainIndexValue, span, offset);
    if (raw.count > 0) raw.stops = span.data.get() + offset + 13;
    if (extensions.longDwell(trainIndexValue)) {
        raw.extensions = &extensions;
        raw.train = trainIndexValue;
    }
    return raw;
}

RunningRule TimetableDb::runningRuleOf(int ruleNumber) const {
    // A rule line is read once; a line changed since then is read again.
    const std::size_t r = static_cast<std::size_t>(ruleNumber);
    if (r >= runningRules.size()) return {};
    if (!useIndexes) return parseRunningRule(runningRules[r]);
    if (r >= parsedRules_.size()) parsedRules_.resize(runningRules.size());
    auto& [line, rule] = parsedRules_[r];
    if (line != runningRules[r] || line.empty()) {
        line = runningRules[r];
        rule = parseRunningRule(line);
    }
    return rule;
}

RunStatus TimetableDb::runningStatusOf(int trainIndexValue, const RawTrain& train) const {
    const auto offset = [&] {
        return dayOffset(train.count, fromStation, [&](int i) { return train.stop(i); });
    };
    // A train that runs on listed days: the run calling on queryDate left offset days before.
    if (const ServiceDays* days = extensions.serviceDays(trainIndexValue)) {
        const int back = offset();
        return days->statusOn(back == 0 ? queryDate : addDays(queryDate, -back));
    }
    // With stops the whole header lies within the file.
    const std::uint8_t* h = train.header;
    auto date = [&](int i) {
        return h[i] + h[i + 1] * 128 + h[i + 2] * 128 * 128 + h[i + 3] * 128 * 128 * 128;
    };
    return runningStatus(date(4), date(8), runningRuleOf(h[12]), queryDate, train.count, offset);
}

void TimetableDb::decodeTrain(int trainIndexValue, TrainRecord& record) const {
    record.stops.clear();
    record.index = trainIndexValue;
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
    trainNameAt(trainIndexValue, record.name);
    record.kindCode = at(offset + 2);
    record.fareFactor = at(offset + 3);
    record.validFrom = date(offset + 4);
    record.validUntil = date(offset + 8);
    record.ruleNumber = at(offset + 12);

    std::int32_t pos = offset + 13;
    const int count = stopCountAt(trainIndexValue, span, offset);
    record.stops.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i, pos += 7) {
        record.stops[static_cast<std::size_t>(i)] = decodeStop(b + pos, i);
    }
    if (extensions.longDwell(trainIndexValue)) {
        for (StopRecord& stop : record.stops) extensions.applyDwell(trainIndexValue, stop);
    }
    if (const ServiceDays* days = extensions.serviceDays(trainIndexValue)) {
        const int back = dayOffset(record.stops, fromStation);
        record.status = days->statusOn(back == 0 ? queryDate : addDays(queryDate, -back));
        return;
    }
    record.status = runningStatus(record, runningRuleOf(record.ruleNumber), queryDate, fromStation);
}

bool TimetableDb::trainNameAt(int trainIndexValue, std::u16string& name) const {
    // Several trains of one number: each is shown under that number.
    if (const std::u16string_view shown = extensions.displayNumber(trainIndexValue);
        !shown.empty()) {
        name.assign(shown);
        return true;
    }
    // Every number converted: the usual case of a process that answers many questions.
    if (useIndexes && convertedVersion_ == trainIndex.version()) {
        const int last = static_cast<int>(convertedNumbers_.size()) - 1;
        name.assign(
            convertedNumbers_[static_cast<std::size_t>(std::clamp(trainIndexValue, 0, last))]);
        return true;
    }
    name.clear();
    if (trainIndex.empty()) return false;
    const int last = static_cast<int>(trainIndex.size()) - 1;
    const std::size_t rank = static_cast<std::size_t>(std::clamp(trainIndexValue, 0, last));
    if (useIndexes && trainIndex.ranked()) {
        // Read from t.i while few numbers have been asked for: a one-off question converts only
        // its own rows'. Once an eighth of them have been, a process answering many questions
        // converts every number once and copies ready ones from then on.
        if (++numbersRead_ > trainIndex.size() / 8) {
            convertedNumbers_.resize(trainIndex.size());
            for (std::size_t r = 0; r < convertedNumbers_.size(); ++r) {
                widenTrainNumber(trainIndex.rankBytes(r), convertedNumbers_[r]);
            }
            convertedVersion_ = trainIndex.version();
        }
        widenTrainNumber(trainIndex.rankBytes(rank), name);
        return true;
    }
    if (useIndexes) {
        rankTrainNumbers();
        name.assign(trainNamesByRank_[rank]);
        return true;
    }
    auto it = trainIndex.begin();
    std::advance(it, rank);
    name.assign(it->first);
    return true;
}

void TimetableDb::rankTrainNumbers() const {
    if (rankVersion_ == trainIndex.version()) return;
    trainNamesByRank_.clear();
    trainIndexByRank_.clear();
    for (const auto& [number, index] : trainIndex) {
        trainNamesByRank_.push_back(number);
        trainIndexByRank_.push_back(index);
    }
    rankVersion_ = trainIndex.version();
}

std::u16string TimetableDb::trainNameByIndex(int trainIndexValue) const {
    std::u16string name;
    trainNameAt(trainIndexValue, name);
    return name;
}

}  // namespace zelvan
