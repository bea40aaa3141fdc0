// Refusing place names that name no station, for every command that takes one.
#pragma once

#include <initializer_list>
#include <optional>
#include <string>

#include "cli/cli_common.h"

namespace zelvan::cli {

// The message for a place name that names no station: "没有找到车站：NAME".
std::string unknownStationMessage(const std::u16string& name);

// The first of `names` that names no station (see requireStations), or none.
std::optional<std::u16string> firstUnknownStation(const TimetableDb& db,
                                                  std::initializer_list<std::u16string> names);

// True when every name names a station: itself, through the alias, or with one of the station
// suffixes (the stations a query would try). Otherwise prints the message for the first one
// that does not to stderr, sets globals.exitCode to 1 and returns false; nothing is printed on
// stdout, with --json too.
bool requireStations(Globals& globals, const TimetableDb& db,
                     std::initializer_list<std::u16string> names);

}  // namespace zelvan::cli
