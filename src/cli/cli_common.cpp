#include "cli/cli_common.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>

#include "db/running_days.h"
#include "db/text.h"
#include "db/timetable_check.h"
#include "update/installation.h"

namespace zelvan::cli {

DataFolder dataFolder(const Globals& globals) {
    std::optional<std::u16string> option;
    if (!globals.dataDir.empty()) option = fromUtf8(globals.dataDir);
    return resolveDataFolder(option);
}

DataFolder mendedDataFolder(const Globals& globals) {
    const DataFolder chosen = dataFolder(globals);
    if (chosen.updateFolder.empty()) return chosen;
    recoverDataFolder(std::filesystem::path(toUtf8(chosen.updateFolder)));
    return dataFolder(globals);
}

std::string whyNotLoaded(const std::u16string& folder) {
    std::string problem = loadProblem(folder);
    return problem.empty() ? "a data file cannot be read" : problem;
}

void chooseCommand(int argc, const char* const* argv, Globals& globals) {
    // The first word that is neither an option nor the value of a global option that takes one,
    // as the parser will read it.
    for (int i = 1; i < argc; ++i) {
        const std::string_view word = argv[i];
        if (word == "--help-all" || word == "--") {
            globals.everyCommand = true;
            return;
        }
        if (word == "--data" || word == "--date" || word == "--sort") {
            ++i;
        } else if (word.empty() || word.front() != '-') {
            globals.command = std::string(word);
            return;
        }
    }
}

CLI::App* addCommand(CLI::App& app, Globals& globals, const std::string& name,
                     const std::string& description) {
    globals.commands.emplace_back(name, description);
    if (!globals.everyCommand && globals.command != name) return nullptr;
    return app.add_subcommand(name, description);
}

bool parseSortKey(std::string_view name, SortKey& key) {
    static constexpr std::pair<std::string_view, SortKey> kKeys[] = {
        {"departure", SortKey::Departure},
        {"arrival", SortKey::Arrival},
        {"duration", SortKey::Duration},
        {"train", SortKey::Train},
    };
    for (const auto& [word, value] : kKeys) {
        if (word == name) {
            key = value;
            return true;
        }
    }
    return false;
}

void sortTransferLegs(std::vector<ResultRow>& rows, int legCount, SortKey key) {
    if (key == SortKey::Listed) return;
    const std::vector<std::size_t> order =
        sortedLegOrder(rows, static_cast<std::size_t>(std::max(legCount, 0)), key, false);
    std::vector<ResultRow> sorted;
    sorted.reserve(rows.size());
    for (const std::size_t i : order) sorted.push_back(std::move(rows[i]));
    rows = std::move(sorted);
}

bool parseDate(const std::string& text, DateKey& date) {
    int year = 0;
    int month = 0;
    int day = 0;
    char tail = 0;
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    if (std::sscanf(text.c_str(), "%4d-%2d-%2d%c", &year, &month, &day, &tail) != 3) return false;
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    const DateKey key = makeDateKey(year, month, day);
    if (!isCalendarDate(key)) return false;
    date = key;
    return true;
}

bool openDatabase(Globals& globals, TimetableDb& db, bool checked) {
    const DataFolder folder = mendedDataFolder(globals);
    if (globals.queryDate != 0) db.queryDate = globals.queryDate;
    // Loaded first: once the check has passed, the stamp of the files as the load found them
    // stands for it, without another look at each file.
    const bool loaded = db.load(folder.path);
    // "Today" is the timetable's own: an imported railway's in its time zone.
    if (globals.queryDate == 0 && loaded && !db.extensions.timeZone().empty()) {
        db.queryDate = todayIn(db.extensions.timeZone());
    }
    CheckReport report;
    bool aboutLoaded = false;
    if (loaded && checked) {
        report = checkInstalledTimetable(std::filesystem::path(toUtf8(folder.path)), db.openedFiles,
                                         &aboutLoaded);
    }
    if (loaded && report.passed()) {
        // The check found the train numbers in order: their order need not be read again.
        if (aboutLoaded) db.trainIndex.assumeOrdered();
        return true;
    }
    if (report.passed()) report = checkTimetable(folder.path);  // why it did not load
    std::cerr << "zelvan-cli: the timetable in '" << toUtf8(folder.path) << "' ("
              << dataSourceReason(folder.source) << ") cannot be used: "
              << (report.errors.empty() || !loadProblem(folder.path).empty()
                      ? whyNotLoaded(folder.path)
                      : describeFinding(report.errors.front()))
              << "\n(run 'zelvan-cli update' for a new timetable";
    if (!folder.updateFolder.empty() &&
        hasPreviousTimetable(std::filesystem::path(toUtf8(folder.updateFolder)))) {
        std::cerr << " or 'zelvan-cli rollback' for the previous one";
    }
    std::cerr << "; 'zelvan-cli check' lists every fault; use --data DIR to name the folder that "
                 "holds s.i, t.i, S0-S9.dat and T0-T19.dat)\n";
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
