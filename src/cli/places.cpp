#include "cli/places.h"

#include <iostream>

namespace zelvan::cli {

std::string unknownStationMessage(const std::u16string& name) {
    return "没有找到车站：" + out(name);
}

std::optional<std::u16string> firstUnknownStation(const TimetableDb& db,
                                                  std::initializer_list<std::u16string> names) {
    for (const std::u16string& name : names) {
        if (db.placeStations(name).count == 0) return name;
    }
    return std::nullopt;
}

bool requireStations(Globals& globals, const TimetableDb& db,
                     std::initializer_list<std::u16string> names) {
    const std::optional<std::u16string> unknown = firstUnknownStation(db, names);
    if (!unknown) return true;
    std::cerr << unknownStationMessage(*unknown) << "\n";
    globals.exitCode = kExitFailed;
    return false;
}

}  // namespace zelvan::cli
