#include "cli/places.h"

#include <iostream>

namespace zelvan::cli {

std::string unknownStationMessage(const std::u16string& name) {
    return "没有找到车站：" + out(name);
}

bool requireStations(Globals& globals, const TimetableDb& db,
                     std::initializer_list<std::u16string> names) {
    for (const std::u16string& name : names) {
        if (db.placeStations(name).count > 0) continue;
        std::cerr << unknownStationMessage(name) << "\n";
        globals.exitCode = kExitFailed;
        return false;
    }
    return true;
}

}  // namespace zelvan::cli
