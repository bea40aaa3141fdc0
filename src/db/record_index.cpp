// Finding records in the record files, by a scan from the file's start or through an index of
// record positions built at load time. Both find the same record: the index keeps, for every
// record index, the first record that the scan of its own file would stop at.
#include <algorithm>
#include <cstring>

#include "db/timetable_db.h"

namespace zelvan {
namespace {

// Calls visit(index, offset) for each record of a record file in file order until it returns
// true. A record starts with its 2-byte index (read only where both bytes lie in the data) and
// the next one starts after the first 0x80 at or after its start.
template <typename Visit>
void walkRecords(const ByteSpan& span, Visit visit) {
    const std::uint8_t* b = span.data.get();
    std::int32_t pos = 0;
    while (pos + 1 < span.length) {
        if (visit(b[pos] * 128 + b[pos + 1], pos)) return;
        const void* end = std::memchr(b + pos, 0x80, static_cast<std::size_t>(span.length - pos));
        if (end == nullptr) return;
        pos = static_cast<std::int32_t>(static_cast<const std::uint8_t*>(end) - b) + 1;
    }
}

int fileNumberOf(int index, int fileCount) {
    // Index -1 (a failed train-number search) lies in file 0; other negatives in no file.
    return index < -1 ? -1 : (index + 1) % fileCount;
}

}  // namespace

bool TimetableDb::fileIndexed(bool trains, int file) const {
    // Only the record's own file matters: its offsets hold while that file is the one indexed.
    const std::vector<ByteSpan>& files = trains ? trainFiles : stationFiles;
    const std::size_t indexed = static_cast<std::size_t>(file + (trains ? 0 : kTrainFileCount));
    return useIndexes && indexed < indexedFiles_.size() &&
           indexedFiles_[indexed] == files[static_cast<std::size_t>(file)].data.get();
}

int TimetableDb::findRecord(bool trains, int index) const {
    const std::vector<ByteSpan>& files = trains ? trainFiles : stationFiles;
    int f = fileNumberOf(index, trains ? kTrainFileCount : kStationFileCount);
    if (f < 0 || f >= static_cast<int>(files.size())) return -1;
    if (fileIndexed(trains, f)) {
        const std::vector<std::int32_t>& at = trains ? trainRecordAt_ : stationRecordAt_;
        return index >= 0 && index < static_cast<int>(at.size()) ? at[index] : -1;
    }
    int found = -1;
    walkRecords(files[f], [&](int recordIndex, std::int32_t offset) {
        if (recordIndex != index) return false;
        found = offset;
        return true;
    });
    return found;
}

bool TimetableDb::recordIndexCurrent(bool trains) const {
    const std::vector<ByteSpan>& files = trains ? trainFiles : stationFiles;
    std::size_t first = trains ? 0 : static_cast<std::size_t>(kTrainFileCount);
    if (indexedFiles_.size() != kTrainFileCount + kStationFileCount) return false;
    for (std::size_t i = 0;
         i < static_cast<std::size_t>(trains ? kTrainFileCount : kStationFileCount); ++i) {
        const std::uint8_t* data = i < files.size() ? files[i].data.get() : nullptr;
        if (indexedFiles_[first + i] != data) return false;
    }
    return true;
}

bool TimetableDb::nameIndexCurrent() const {
    return indexedStations_ == stationNames.size() && indexedTrains_ == trainIndex.size() &&
           trainNamesByRank_.size() == trainIndex.size();
}

void TimetableDb::buildIndexes() {
    auto indexFiles = [](const std::vector<ByteSpan>& files, int fileCount,
                         std::vector<std::int32_t>& at) {
        // Two index bytes give indices below 128 * 128 in valid data, damaged bytes up to 255
        // reach further: the table grows to the highest index found.
        at.clear();
        for (int f = 0; f < static_cast<int>(files.size()); ++f) {
            walkRecords(files[f], [&](int recordIndex, std::int32_t offset) {
                // Only records in their own file can be found; the first one wins.
                if ((recordIndex + 1) % fileCount != f) return false;
                const std::size_t i = static_cast<std::size_t>(recordIndex);
                if (i >= at.size()) at.resize(std::max(i + 1, at.size() * 2), -1);
                if (at[i] < 0) at[i] = offset;
                return false;
            });
        }
        while (!at.empty() && at.back() < 0) at.pop_back();
        at.shrink_to_fit();
    };
    indexFiles(trainFiles, kTrainFileCount, trainRecordAt_);
    indexFiles(stationFiles, kStationFileCount, stationRecordAt_);
    trainStopCount_.assign(trainRecordAt_.size(), 0);
    for (std::size_t t = 0; t < trainRecordAt_.size(); ++t) {
        if (trainRecordAt_[t] < 0) continue;
        const ByteSpan& span = trainFiles[(t + 1) % kTrainFileCount];
        const int count = trainStopCount(span, trainRecordAt_[t]);
        trainStopCount_[t] = static_cast<std::uint16_t>(std::min(count, int{kUncounted}));
    }

    indexedFiles_.clear();
    for (int i = 0; i < kTrainFileCount; ++i) {
        indexedFiles_.push_back(i < static_cast<int>(trainFiles.size()) ? trainFiles[i].data.get()
                                                                        : nullptr);
    }
    for (int i = 0; i < kStationFileCount; ++i) {
        indexedFiles_.push_back(
            i < static_cast<int>(stationFiles.size()) ? stationFiles[i].data.get() : nullptr);
    }
    indexedStations_ = stationNames.size();
    indexedTrains_ = trainIndex.size();

    trainNamesByRank_.clear();
    trainIndexByRank_.clear();
    trainNamesByRank_.reserve(trainIndex.size());
    trainIndexByRank_.reserve(trainIndex.size());
    for (const auto& entry : trainIndex) {
        trainNamesByRank_.push_back(entry.first);
        trainIndexByRank_.push_back(entry.second);
    }

    stationByName_.clear();
    stationByName_.reserve(stationNames.size());
    for (int i = 0; i < static_cast<int>(stationNames.size()); ++i) {
        stationByName_.emplace(stationNames[i], i);  // keeps the first of equal names
    }

    // Every station record's train entries, read as trainsAtStation reads them: an entry is
    // taken while its two bytes and the byte after them lie within the data.
    int lastStation = -1;
    for (int s = 0; s < static_cast<int>(stationRecordAt_.size()); ++s) {
        if (stationRecordAt_[s] >= 0) lastStation = s;
    }
    stationListStart_.assign(static_cast<std::size_t>(lastStation + 2), 0);
    stationLists_.clear();
    std::size_t stationBytes = 0;  // two bytes per entry: room for all of them
    for (const ByteSpan& span : stationFiles) {
        stationBytes += static_cast<std::size_t>(std::max(span.length, std::int32_t{0}));
    }
    stationLists_.reserve(stationBytes / 2);
    for (int s = 0; s <= lastStation; ++s) {
        stationListStart_[s] = static_cast<std::uint32_t>(stationLists_.size());
        const std::int32_t offset = stationRecordAt_[s];
        if (offset < 0) continue;
        const ByteSpan& span = stationFiles[static_cast<std::size_t>((s + 1) % kStationFileCount)];
        const std::uint8_t* b = span.data.get();
        for (std::int32_t pos = offset + 2; pos + 2 < span.length && b[pos] != 0x80; pos += 2) {
            stationLists_.push_back(static_cast<std::uint16_t>(b[pos] * 128 + b[pos + 1]));
        }
    }
    stationListStart_[static_cast<std::size_t>(lastStation + 1)] =
        static_cast<std::uint32_t>(stationLists_.size());
    buildStationListKm();

    parsedRules_.clear();
    parsedRules_.reserve(runningRules.size());
    for (const std::u16string& line : runningRules) {
        parsedRules_.push_back({line, parseRunningRule(line)});
    }
}

bool TimetableDb::stationListsCurrent() const {
    return recordIndexCurrent(false);
}

void TimetableDb::buildStationListKm() {
    stationListKm_.assign(stationLists_.size(), kNoStop);
    const std::size_t stations = stationListStart_.size() - 1;
    // Calls f(station, km) for the raw stops of a train, in running order, as decodeTrain
    // takes them.
    auto forStops = [&](int train, auto f) {
        if (static_cast<std::size_t>(train) >= trainRecordAt_.size()) return;
        const std::int32_t offset = trainRecordAt_[static_cast<std::size_t>(train)];
        if (offset < 0) return;
        const ByteSpan& span = trainFiles[static_cast<std::size_t>((train + 1) % kTrainFileCount)];
        const std::uint8_t* b = span.data.get();
        for (std::int32_t pos = offset + 13;
             pos < span.length && b[pos] != 0x80 && span.length - pos >= 7; pos += 7) {
            if (f(b[pos] * 128 + b[pos + 1], b[pos + 5] * 128 + b[pos + 6])) return;
        }
    };
    auto range = [&](std::size_t s) {
        return std::pair{stationListStart_[s], stationListStart_[s + 1]};
    };
    // Lists in train order (all that the compiler derives) are filled in one pass over the
    // trains, a cursor per station; the others entry by entry.
    std::vector<std::uint32_t> cursor(stations);
    std::vector<std::uint8_t> ordered(stations);
    for (std::size_t s = 0; s < stations; ++s) {
        auto [begin, end] = range(s);
        cursor[s] = begin;
        ordered[s] = std::is_sorted(stationLists_.begin() + begin, stationLists_.begin() + end);
    }
    for (int t = 0; t < static_cast<int>(trainRecordAt_.size()); ++t) {
        forStops(t, [&](int station, int km) {
            const std::size_t s = static_cast<std::size_t>(station);
            if (s >= stations || !ordered[s]) return false;
            std::uint32_t k = cursor[s];
            const std::uint32_t end = stationListStart_[s + 1];
            while (k < end && stationLists_[k] < t) ++k;
            cursor[s] = k;
            // The first stop there wins; a train listed twice gets it twice.
            for (; k < end && stationLists_[k] == t; ++k) {
                if (stationListKm_[k] == kNoStop) {
                    stationListKm_[k] = static_cast<std::uint16_t>(km);
                }
            }
            return false;
        });
    }
    for (std::size_t s = 0; s < stations; ++s) {
        if (ordered[s]) continue;
        auto [begin, end] = range(s);
        for (std::uint32_t k = begin; k < end; ++k) {
            forStops(stationLists_[k], [&](int station, int km) {
                if (static_cast<std::size_t>(station) != s) return false;
                stationListKm_[k] = static_cast<std::uint16_t>(km);
                return true;
            });
        }
    }
}

bool TimetableDb::stationListKmCurrent() const {
    return recordIndexCurrent(false) && recordIndexCurrent(true);
}

std::span<const std::uint16_t> TimetableDb::stationListKm(int stationIndex) const {
    const std::span<const std::uint16_t> list = stationList(stationIndex);
    if (list.empty()) return {};
    return {stationListKm_.data() + (list.data() - stationLists_.data()), list.size()};
}

std::span<const std::uint16_t> TimetableDb::stationList(int stationIndex) const {
    if (stationIndex < 0 || stationIndex + 1 >= static_cast<int>(stationListStart_.size())) {
        return {};
    }
    const std::uint32_t begin = stationListStart_[static_cast<std::size_t>(stationIndex)];
    const std::uint32_t end = stationListStart_[static_cast<std::size_t>(stationIndex) + 1];
    return {stationLists_.data() + begin, end - begin};
}

}  // namespace zelvan
