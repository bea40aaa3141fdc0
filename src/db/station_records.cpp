// Station records: 2-byte station index (base 128, high digit first), then 2 bytes per train
// calling there (train index, same encoding), then 0x80.
#include "db/timetable_db.h"

namespace zelvan {

void TimetableDb::trainsAtStation(const std::u16string& stationName,
                                  std::vector<int>& trains) const {
    trains.clear();
    int s = stationIndexByName(stationName);
    if (s < 0) return;
    if (useIndexes) {
        const std::span<const std::uint16_t> cached = stationList(s);
        trains.assign(cached.begin(), cached.end());
        return;
    }
    int offset = findRecord(false, s);
    if (offset < 0) return;
    const ByteSpan& span = stationFiles[static_cast<std::size_t>((s + 1) % kStationFileCount)];
    const std::uint8_t* b = span.data.get();
    // An entry is taken when its two bytes and the byte after them lie within the data.
    for (std::int32_t pos = offset + 2; pos + 2 < span.length && b[pos] != 0x80; pos += 2) {
        trains.push_back(b[pos] * 128 + b[pos + 1]);
    }
}

std::u16string TimetableDb::stationNameByIndex(int stationIndex) const {
    // An empty list has no last name to fall back on.
    if (stationNames.empty()) return {};
    std::size_t n = stationNames.size();
    std::size_t i = static_cast<std::size_t>(static_cast<unsigned>(stationIndex));
    return i < n - 1 ? stationNames[i] : stationNames[n - 1];
}

}  // namespace zelvan
