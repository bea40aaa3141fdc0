// Station records: the station index (d base-128 digits, high digit first: d = 2 in the narrow
// form, 3 or 4 in the wide one), then d bytes per train calling there (train index, same
// encoding), then 0x80.
#include "db/timetable_db.h"

namespace zelvan {

void TimetableDb::trainsAtStation(const std::u16string& stationName,
                                  std::vector<int>& trains) const {
    trains.clear();
    int s = stationIndexByName(stationName);
    if (s < 0) return;
    if (useIndexes) {
        const std::span<const std::uint32_t> cached = stationList(s);
        trains.assign(cached.begin(), cached.end());
        return;
    }
    if (std::optional<std::vector<int>> stored = storedTrainList(s)) trains = std::move(*stored);
}

std::optional<std::vector<int>> TimetableDb::storedTrainList(int stationIndex) const {
    const FoundRecord record = recordOf(false, stationIndex);
    if (record.bytes == nullptr) return std::nullopt;
    std::vector<int> trains;
    const int digits = record.layout.digits;
    // An entry is taken when its digits and the byte after them lie within the data.
    for (std::int32_t pos = digits; pos + digits < record.reach && record.bytes[pos] != 0x80;
         pos += digits) {
        trains.push_back(record.layout.readIndex(record.bytes + pos));
    }
    return trains;
}

std::u16string TimetableDb::stationNameByIndex(int stationIndex) const {
    // An empty list has no last name to fall back on.
    if (stationNames.empty()) return {};
    std::size_t n = stationNames.size();
    std::size_t i = static_cast<std::size_t>(static_cast<unsigned>(stationIndex));
    return i < n - 1 ? stationNames[i] : stationNames[n - 1];
}

}  // namespace zelvan
