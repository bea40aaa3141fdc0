// Finding records in the record files, by a scan from the file's start or through indexes built
// when a question first needs them: the record offsets of a file on its first lookup, a
// station's train list (and the distances beside it) on the station's first use, the table of
// station names on the first lookup by name. Both ways find the same record: the index keeps,
// for every record index, the first record that the scan of its own file would stop at.
#include <sys/mman.h>

#include <algorithm>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "db/text.h"
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

// The same walk over a whole file in one pass: every 0x80 ends a record and the byte after it
// starts the next, so the record starts are found 16 bytes at a time instead of by a search
// from each start.
template <typename Visit>
void walkAllRecords(const ByteSpan& span, Visit visit) {
    const std::uint8_t* b = span.data.get();
    const std::int32_t length = span.length;
    if (length >= 2) visit(b[0] * 128 + b[1], 0);
    auto start = [&](std::int32_t end) {
        const std::int32_t pos = end + 1;
        if (pos + 1 < length) visit(b[pos] * 128 + b[pos + 1], pos);
    };
    std::int32_t i = 0;
#ifdef __SSE2__
    // 64 bytes a step: a record is about a hundred bytes long, so most steps find one or none.
    const __m128i marker = _mm_set1_epi8(static_cast<char>(0x80));
    const auto markers = [&](std::int32_t at) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(b + at));
        return static_cast<std::uint64_t>(
            static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(chunk, marker))));
    };
    for (; i + 64 <= length; i += 64) {
        std::uint64_t bits =
            markers(i) | markers(i + 16) << 16 | markers(i + 32) << 32 | markers(i + 48) << 48;
        while (bits != 0) {
            start(i + __builtin_ctzll(bits));
            bits &= bits - 1;
        }
    }
#endif
    for (; i < length; ++i) {
        if (b[i] == 0x80) start(i);
    }
}

int fileNumberOf(int index, int fileCount) {
    // Index -1 (a failed train-number search) lies in file 0; other negatives in no file.
    return index < -1 ? -1 : (index + 1) % fileCount;
}

std::size_t slotOf(bool trains, int file) {
    return static_cast<std::size_t>(file + (trains ? 0 : kTrainFileCount));
}

}  // namespace

bool TimetableDb::fileIndexed(bool trains, int file) const {
    // Only the record's own file matters: its offsets hold while that file is the one indexed.
    const std::vector<ByteSpan>& files = trains ? trainFiles : stationFiles;
    return useIndexes && file >= 0 && file < static_cast<int>(files.size()) &&
           indexedFiles_[slotOf(trains, file)] == files[static_cast<std::size_t>(file)].data.get();
}

void TimetableDb::indexFile(bool trains, int file) const {
    if (fileIndexed(trains, file)) return;
    const int fileCount = trains ? kTrainFileCount : kStationFileCount;
    const ByteSpan& span = (trains ? trainFiles : stationFiles)[static_cast<std::size_t>(file)];
    std::vector<std::int32_t>& at = trains ? trainRecordAt_ : stationRecordAt_;
    // Entries of this file's indices from an earlier file are forgotten first.
    for (std::size_t i = static_cast<std::size_t>((file + fileCount - 1) % fileCount);
         i < at.size(); i += static_cast<std::size_t>(fileCount)) {
        at[i] = -1;
        if (trains) trainStopCount_[i] = kUncounted;
    }
    // The walk reads the whole file: a mapped one has its pages mapped in one call rather than
    // by a fault every few pages (a kernel without MADV_POPULATE_READ, or a file cut short,
    // says no, and the walk faults them in as before).
    if (span.data && span.data.get_deleter().mappedBytes > 0) {
        ::madvise(span.data.get(), static_cast<std::size_t>(span.length), MADV_POPULATE_READ);
    }
    walkAllRecords(span, [&](int recordIndex, std::int32_t offset) {
        // Only records in their own file can be found; the first one wins. Two index bytes
        // give indices below 128 * 128 in valid data, damaged bytes up to 255 reach further:
        // the table grows to the highest index found.
        if ((recordIndex + 1) % fileCount != file) return;
        const std::size_t i = static_cast<std::size_t>(recordIndex);
        if (i >= at.size()) {
            // At once to the most indices two valid index bytes give (or the stations there
            // are), rather than in steps that each copy the table.
            const std::size_t room = trains ? 128 * 128 : stationNames.size();
            at.resize(std::max({i + 1, at.size() + at.size() / 2, room}), -1);
            // Stop counts are taken when a record is first read.
            if (trains) trainStopCount_.resize(at.size(), kUncounted);
        }
        if (at[i] < 0) at[i] = offset;
    });
    indexedFiles_[slotOf(trains, file)] = span.data.get();
}

TimetableDb::FoundRecord TimetableDb::recordOf(bool trains, int index) const {
    FoundRecord found;
    const std::vector<ByteSpan>& files = trains ? trainFiles : stationFiles;
    if (const WideRecordFile wide = wideRecordFile(files, !trains); wide.valid()) {
        std::uint32_t begin = 0, end = 0;
        if (!wide.record(index, begin, end)) return found;
        found.bytes = wide.bytes() + begin;
        found.reach = static_cast<std::int32_t>(end - begin);
        found.layout = wide.layout();
        return found;
    }
    if (files.size() == 1) return found;  // a wide file whose tables do not fit
    const int offset = findRecord(trains, index);
    if (offset < 0) return found;
    const ByteSpan& span = files[static_cast<std::size_t>(
        (index + 1) % (trains ? kTrainFileCount : kStationFileCount))];
    found.bytes = span.data.get() + offset;
    found.reach = span.length - offset;
    return found;
}

int TimetableDb::findRecord(bool trains, int index) const {
    const std::vector<ByteSpan>& files = trains ? trainFiles : stationFiles;
    if (files.size() == 1) {
        const WideRecordFile wide = wideRecordFile(files, !trains);
        std::uint32_t begin = 0, end = 0;
        return wide.valid() && wide.record(index, begin, end) ? static_cast<int>(begin) : -1;
    }
    int f = fileNumberOf(index, trains ? kTrainFileCount : kStationFileCount);
    if (f < 0 || f >= static_cast<int>(files.size())) return -1;
    if (useIndexes) {
        if (indexedFiles_[slotOf(trains, f)] != files[static_cast<std::size_t>(f)].data.get()) {
            indexFile(trains, f);
        }
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

void TimetableDb::buildIndexes() {
    indexedFiles_.fill(nullptr);
    trainRecordAt_.clear();
    trainStopCount_.clear();
    stationRecordAt_.clear();
    stationEntryAt_.clear();
    stationEntries_.clear();
    measuredFrom_.fill(nullptr);
    stationSlots_.clear();
    stationSlotsVersion_ = ~std::uint64_t{0};
    trainNamesByRank_.clear();
    trainIndexByRank_.clear();
    rankVersion_ = ~std::uint64_t{0};
    convertedNumbers_.clear();
    convertedVersion_ = ~std::uint64_t{0};
    numbersRead_ = 0;
    parsedRules_.clear();
}

TimetableDb::StationEntry& TimetableDb::stationEntry(int stationIndex) const {
    // A station's train list rests on its record: read again when its station file changed.
    const std::size_t file = stationFiles.size() == 1
                                 ? 0
                                 : static_cast<std::size_t>((stationIndex + 1) % kStationFileCount);
    const std::uint8_t* data = file < stationFiles.size() ? stationFiles[file].data.get() : nullptr;
    const std::size_t station = static_cast<std::size_t>(stationIndex);
    if (station >= stationEntryAt_.size()) {
        stationEntryAt_.resize(std::max(station + 1, stationNames.size()), -1);
    }
    std::int32_t& at = stationEntryAt_[station];
    if (at < 0) {
        at = static_cast<std::int32_t>(stationEntries_.size());
        stationEntries_.emplace_back();
    }
    StationEntry& entry = stationEntries_[static_cast<std::size_t>(at)];
    if (entry.read && entry.file == data) return entry;
    entry = StationEntry{};
    entry.read = true;
    entry.file = data;
    // The record's entries as trainsAtStation reads them: an entry is taken while its digits
    // and the byte after them lie within the data.
    const FoundRecord record = recordOf(false, stationIndex);
    if (record.bytes != nullptr) {
        const int digits = record.layout.digits;
        const std::uint8_t* b = record.bytes;
        for (std::int32_t pos = digits; pos + digits < record.reach && b[pos] != 0x80;
             pos += digits) {
            entry.trains.push_back(static_cast<std::uint32_t>(record.layout.readIndex(b + pos)));
        }
    }
    return entry;
}

std::span<const std::uint32_t> TimetableDb::stationList(int stationIndex) const {
    if (stationIndex < 0) return {};
    return stationEntry(stationIndex).trains;
}

std::span<const std::uint16_t> TimetableDb::stationListKm(int stationIndex) const {
    if (stationIndex < 0) return {};
    StationEntry& entry = stationEntry(stationIndex);
    // The distances rest on the trains' records: measured again once any train file changed.
    bool changed = false;
    for (std::size_t f = 0; f < kTrainFileCount; ++f) {
        const std::uint8_t* data = f < trainFiles.size() ? trainFiles[f].data.get() : nullptr;
        changed = changed || measuredFrom_[f] != data;
        measuredFrom_[f] = data;
    }
    if (changed) ++measuredGeneration_;
    if (entry.measured && entry.generation != measuredGeneration_) {
        entry.measured = false;
        entry.requests = 0;
    }
    // Read on the second request: a one-off question reads only the records it needs.
    if (!entry.measured && ++entry.requests < 2) return {};
    if (!entry.measured) {
        // The first stop of each listed train at the station, in running order, as decodeTrain
        // reads the stops; a train listed twice gets it twice.
        entry.km.assign(entry.trains.size(), kNoStop);
        for (std::size_t k = 0; k < entry.trains.size(); ++k) {
            const RawTrain train = rawTrain(static_cast<int>(entry.trains[k]));
            for (int i = 0; i < train.count; ++i) {
                if (train.stationAt(i) != stationIndex) continue;
                entry.km[k] = static_cast<std::uint16_t>(train.kmAt(i));
                break;
            }
        }
        entry.measured = true;
        entry.generation = measuredGeneration_;
    }
    return entry.km;
}

std::string_view TimetableDb::stationNameKey(std::size_t station, std::string& buffer) const {
    std::string_view key;
    if (stationNames.storedBytes(station, key)) return key;
    buffer = toUtf8(stationNames[station]);
    return buffer;
}

void TimetableDb::indexStationNames() const {
    if (stationSlotsVersion_ == stationNames.version()) return;
    const std::size_t count = stationNames.size();
    std::size_t size = 16;
    while (size < count * 2) size *= 2;
    stationSlots_.assign(size, {0, -1});
    const std::size_t mask = size - 1;
    std::string buffer;
    const bool stored = stationNames.fromFile();
    for (std::size_t i = 0; i < count; ++i) {
        std::uint32_t hash = 0;
        if (stored) {
            // The hash of the stored bytes up to a NUL, in the one pass that finds the NUL.
            hash = kNameHashStart;
            for (const char c : stationNames.entryBytes(i)) {
                if (c == '\0') break;
                hash = nameHashStep(hash, c);
            }
        } else {
            hash = stationNameHash(stationNameKey(i, buffer));
        }
        // Linear probing in index order: of equal names the first is met first.
        std::size_t slot = hash & mask;
        while (stationSlots_[slot].second >= 0) slot = (slot + 1) & mask;
        stationSlots_[slot] = {hash, static_cast<std::int32_t>(i)};
    }
    stationSlotsVersion_ = stationNames.version();
}

TimetableDb::IndexState TimetableDb::indexState() const {
    IndexState state;
    for (int f = 0; f < kTrainFileCount; ++f) {
        if (indexedFiles_[slotOf(true, f)] != nullptr && fileIndexed(true, f)) {
            state.indexedTrainFiles.push_back(f);
        }
    }
    for (int f = 0; f < kStationFileCount; ++f) {
        if (indexedFiles_[slotOf(false, f)] != nullptr && fileIndexed(false, f)) {
            state.indexedStationFiles.push_back(f);
        }
    }
    for (std::size_t station = 0; station < stationEntryAt_.size(); ++station) {
        const std::int32_t at = stationEntryAt_[station];
        if (at < 0) continue;
        const StationEntry& entry = stationEntries_[static_cast<std::size_t>(at)];
        if (!entry.read) continue;
        state.listedStations.push_back(static_cast<int>(station));
        if (entry.measured) {
            state.measuredStations.push_back(static_cast<int>(station));
        }
    }
    state.convertedStationNames = stationNames.convertedCount();
    state.stationNameIndex = stationSlotsVersion_ == stationNames.version();
    state.trainNumberMap = trainIndex.filled();
    state.stationCodes = stationsByCode.filled();
    return state;
}

}  // namespace zelvan
