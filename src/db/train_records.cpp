// Decoding train records. Layout of a record (every byte below 0x80 but the last), with d the
// digits of an index (2 in the narrow form, 3 or 4 in the wide one, db/record_layout.h):
//   0..d-1    train index, base 128, high digit first
//   d         kindCode          d+1  fareFactor
//   d+2..d+5  validFrom, base 128, least significant digit first
//   d+6..d+9  validUntil, same   d+10 ruleNumber
//   d+11..    stops of d+5 bytes: station (d), arrival hour, minute, dwell, distance (2)
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

// Stops are taken from the end of the header on while the byte at the position is not 0x80 and
// the whole stop lies within the record's reach.
int countStops(const std::uint8_t* record, std::int32_t reach, const RecordLayout& layout) {
    const int stride = layout.stopBytes();
    int count = 0;
    for (std::int32_t pos = layout.trainHeaderBytes();
         pos < reach && record[pos] != 0x80 && reach - pos >= stride; pos += stride) {
        ++count;
    }
    return count;
}

int trainStopCount(const ByteSpan& span, std::int32_t offset) {
    return countStops(span.data.get() + offset, span.length - offset, RecordLayout{});
}

int TimetableDb::stopCountAt(int trainIndexValue, const FoundRecord& record) const {
    // A wide record's walk is bounded by its range; a narrow one's reaches to the end of its
    // file, and is counted once while its file's index holds.
    if (record.layout.digits != 2 || !useIndexes) {
        return countStops(record.bytes, record.reach, record.layout);
    }
    std::uint16_t& counted = trainStopCount_[static_cast<std::size_t>(trainIndexValue)];
    if (counted != kUncounted) return counted;
    const int count = countStops(record.bytes, record.reach, record.layout);
    if (count < kUncounted) counted = static_cast<std::uint16_t>(count);
    return count;
}

TimetableDb::RawTrain TimetableDb::rawTrain(int trainIndexValue) const {
    RawTrain raw;
    const FoundRecord record = recordOf(true, trainIndexValue);
    if (record.bytes == nullptr) return raw;
    raw.layout = record.layout;
    raw.header = record.bytes + record.layout.digits;
    raw.count = stopCountAt(trainIndexValue, record);
    if (raw.count > 0) raw.stops = record.bytes + record.layout.trainHeaderBytes();
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

RunStatus TimetableDb::runningStatusOf(int trainIndexValue, const RawTrain& train,
                                       int station) const {
    const auto offset = [&] {
        return dayOffset(train.count, station, [&](int i) { return train.stop(i); });
    };
    // A train that runs on listed days: the run calling on queryDate left offset days before.
    if (const ServiceDays* days = extensions.serviceDays(trainIndexValue)) {
        const int back = offset();
        return days->statusOn(back == 0 ? queryDate : addDays(queryDate, -back));
    }
    // With stops the whole header lies within the file (h: the kind code, after the index).
    const std::uint8_t* h = train.header;
    auto date = [&](int i) {
        return h[i] + h[i + 1] * 128 + h[i + 2] * 128 * 128 + h[i + 3] * 128 * 128 * 128;
    };
    return runningStatus(date(2), date(6), runningRuleOf(h[10]), queryDate, train.count, offset);
}

RunStatus TimetableDb::runningStatusAt(const TrainRecord& train, int station) const {
    if (station == fromStation || train.stops.empty()) return train.status;
    if (const ServiceDays* days = extensions.serviceDays(train.index)) {
        const int back = dayOffset(train.stops, station);
        return days->statusOn(back == 0 ? queryDate : addDays(queryDate, -back));
    }
    return runningStatus(train, runningRuleOf(train.ruleNumber), queryDate, station);
}

void TimetableDb::decodeTrain(int trainIndexValue, TrainRecord& record) const {
    record.stops.clear();
    record.index = trainIndexValue;
    const FoundRecord found = recordOf(true, trainIndexValue);
    if (found.bytes == nullptr) return;
    const std::uint8_t* b = found.bytes;
    const std::int32_t reach = found.reach;
    const int digits = found.layout.digits;
    // A header cut short by the end of the file reads its missing bytes as 0.
    auto at = [&](std::int32_t i) -> int { return i < reach ? b[i] : 0; };
    auto date = [&](std::int32_t i) {
        return at(i) + at(i + 1) * 128 + at(i + 2) * 128 * 128 + at(i + 3) * 128 * 128 * 128;
    };

    // Assigned in place: the record's own buffer is reused from one decode to the next.
    trainNameAt(trainIndexValue, record.name);
    record.kindCode = at(digits);
    record.fareFactor = at(digits + 1);
    record.validFrom = date(digits + 2);
    record.validUntil = date(digits + 6);
    record.ruleNumber = at(digits + 10);

    std::int32_t pos = found.layout.trainHeaderBytes();
    const int stride = found.layout.stopBytes();
    const int count = stopCountAt(trainIndexValue, found);
    record.stops.resize(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i, pos += stride) {
        record.stops[static_cast<std::size_t>(i)] = found.layout.stop(b + pos, i);
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
