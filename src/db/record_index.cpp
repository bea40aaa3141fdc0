// Finding records in the record files, by a scan from the file's start or through an index of
// record positions built at load time. Both find the same record: the index keeps, for every
// record index, the first record that the scan of its own file would stop at.
#include <algorithm>

#include "db/timetable_db.h"

namespace zelvan {
namespace {

// Two index bytes: below 128 * 128 in valid data, but damaged bytes up to 255 reach further.
constexpr int kIndexLimit = 255 * 128 + 255 + 1;

// Calls visit(index, offset) for each record of a record file in file order until it returns
// true. A record starts with its 2-byte index (read only where both bytes lie in the data) and
// the next one starts after the first 0x80 at or after its start.
template <typename Visit>
void walkRecords(const ByteSpan& span, Visit visit) {
    const std::uint8_t* b = span.data.get();
    std::int32_t pos = 0;
    while (pos + 1 < span.length) {
        if (visit(b[pos] * 128 + b[pos + 1], pos)) return;
        const std::uint8_t* end = std::find(b + pos, b + span.length, 0x80);
        if (end == b + span.length) return;
        pos = static_cast<std::int32_t>(end - b) + 1;
    }
}

int fileNumberOf(int index, int fileCount) {
    // Index -1 (a failed train-number search) lies in file 0; other negatives in no file.
    return index < -1 ? -1 : (index + 1) % fileCount;
}

}  // namespace

int TimetableDb::findRecord(bool trains, int index) const {
    const std::vector<ByteSpan>& files = trains ? trainFiles : stationFiles;
    int f = fileNumberOf(index, trains ? kTrainFileCount : kStationFileCount);
    if (f < 0 || f >= static_cast<int>(files.size())) return -1;
    if (useIndexes && recordIndexCurrent(trains)) {
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
        at.assign(kIndexLimit, -1);
        for (int f = 0; f < static_cast<int>(files.size()); ++f) {
            walkRecords(files[f], [&](int recordIndex, std::int32_t offset) {
                // Only records in their own file can be found; the first one wins.
                if ((recordIndex + 1) % fileCount == f && at[recordIndex] < 0) {
                    at[recordIndex] = offset;
                }
                return false;
            });
        }
    };
    indexFiles(trainFiles, kTrainFileCount, trainRecordAt_);
    indexFiles(stationFiles, kStationFileCount, stationRecordAt_);

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
}

}  // namespace zelvan
