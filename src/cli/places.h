// Taking place names as typed, for every command that takes one: a place the queries know as it
// is, a name that pinyin, initials, a code or characters resolve to one station as that station,
// and a refusal for anything else.
#pragma once

#include <string>
#include <vector>

#include "cli/cli_common.h"

namespace zelvan::cli {

// The message for a place name that names no station: "没有找到车站：NAME" as written (the
// JSON documents), or with `shown` in the language of the run (the terminal).
std::string unknownStationMessage(const std::u16string& name, bool shown = false);

// Replaces each of `names` with what it names (TimetableDb::resolveTypedName) and returns "";
// at the first that names no single station, returns why: "请输入车站名称" (empty),
// "没有找到车站：NAME", or "车站名称不唯一：NAME（A、B、…）" with the first stations found; as
// written (the JSON documents), or with `shown` in the language of the run (the terminal).
std::string resolvePlaces(const TimetableDb& db, std::vector<std::u16string>& names,
                          bool shown = false);

// resolvePlaces for a command: on a refusal prints it to stderr, sets globals.exitCode to 1
// and returns false; nothing is printed on stdout, with --json too.
bool requireStations(Globals& globals, const TimetableDb& db, std::vector<std::u16string>& names);

}  // namespace zelvan::cli
