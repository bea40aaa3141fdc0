#include "cli/cli_common.h"

#include <cstdio>
#include <iostream>

#include "db/running_days.h"
#include "db/text.h"

namespace zelvan::cli {

DataFolder dataFolder(const Globals& globals) {
    std::optional<std::u16string> option;
    if (!globals.dataDir.empty()) option = fromUtf8(globals.dataDir);
    return resolveDataFolder(option);
}

std::string whyNotLoaded(const std::u16string& folder) {
    std::string problem = loadProblem(folder);
    return problem.empty() ? "a data file cannot be read" : problem;
}

bool parseDate(const std::string& text, DateKey& date) {
    int year = 0;
    int month = 0;
    int day = 0;
    char tail = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3) return false;
    static const int kDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || day < 1 || day > kDays[month - 1]) return false;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    if (month == 2 && day == 29 && !leap) return false;
    date = makeDateKey(year, month, day);
    return true;
}

bool openDatabase(Globals& globals, TimetableDb& db) {
    const DataFolder folder = dataFolder(globals);
    if (globals.queryDate != 0) db.queryDate = globals.queryDate;
    if (db.load(folder.path)) return true;
    std::cerr << "zelvan-cli: cannot load the timetable in '" << toUtf8(folder.path) << "' ("
              << dataSourceReason(folder.source) << "): " << whyNotLoaded(folder.path)
              << "\n(use --data DIR to name the folder that holds s.i, t.i, S0-S9.dat and "
                 "T0-T19.dat)\n";
    globals.exitCode = kExitFailed;
    return false;
}

void printJson(const nlohmann::json& document) {
    std::cout << document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

std::string out(const std::u16string& text) {
    return toUtf8(text);
}

}  // namespace zelvan::cli
