#include "cli/cli_common.h"

#include <cstdio>
#include <filesystem>
#include <iostream>

#include "db/running_days.h"
#include "db/text.h"

namespace zelvan::cli {
namespace {

// The files a load cannot do without, in the order the loader reads them.
std::vector<std::string> requiredFiles() {
    std::vector<std::string> files = {"s.i", "t.i"};
    for (int i = 0; i < kStationFileCount; ++i) files.push_back("S" + std::to_string(i) + ".dat");
    for (int i = 0; i < kTrainFileCount; ++i) files.push_back("T" + std::to_string(i) + ".dat");
    return files;
}

}  // namespace

std::u16string dataFolder(const Globals& globals) {
    if (globals.dataDir.empty()) return TimetableDb::programFolder();
    std::string dir = globals.dataDir;
    while (dir.size() > 1 && dir.back() == '/') dir.pop_back();
    return fromUtf8(dir);
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
    const std::u16string folder = dataFolder(globals);
    if (globals.queryDate != 0) db.queryDate = globals.queryDate;
    if (db.load(folder)) return true;
    std::string where = toUtf8(folder);
    std::string missing;
    std::error_code ec;
    for (const std::string& file : requiredFiles()) {
        if (!std::filesystem::is_regular_file(where + "/" + file, ec)) {
            missing = file;
            break;
        }
    }
    std::cerr << "zelvan-cli: cannot load the timetable in '" << where << "': "
              << (missing.empty() ? std::string("a data file cannot be read")
                                  : missing + " is missing")
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
