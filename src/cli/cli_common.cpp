#include "cli/cli_common.h"

#include "fare/day_rows.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <iterator>
#include <utility>

#include <cerrno>
#include <cstring>

#include "cli/language.h"
#include "db/running_days.h"
#include "db/text.h"
#include "db/timetable_check.h"
#include "db/translation.h"
#include "journey/calendar_export.h"
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
    return addSubcommand(app, name, description);
}

CLI::App* addSubcommand(CLI::App& parent, const std::string& name, const std::string& description) {
    CLI::App* command = parent.add_subcommand(name, description);
    // The parser makes a command's help flags before it takes its parent's group of options:
    // made again, they join that group.
    if (const CLI::Option* help = parent.get_help_ptr()) {
        command->set_help_flag(help->get_name(false, true), help->get_description());
    }
    if (const CLI::Option* all = std::as_const(parent).get_help_all_ptr()) {
        command->set_help_all_flag(all->get_name(false, true), all->get_description());
    }
    return command;
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

int keepRunning(std::vector<ResultRow>& rows, int legCount, SortKey key) {
    if (key == SortKey::Listed) key = SortKey::Departure;
    const std::size_t split =
        std::min(static_cast<std::size_t>(std::max(legCount, 0)), rows.size());
    const DayRows first = dayRows(rows, key, false, 0, split);
    const DayRows second = dayRows(rows, key, false, split);
    std::vector<ResultRow> kept;
    kept.reserve(first.running.size() + second.running.size());
    for (const std::size_t i : first.running) kept.push_back(std::move(rows[i]));
    for (const std::size_t i : second.running) kept.push_back(std::move(rows[i]));
    rows = std::move(kept);
    return static_cast<int>(first.running.size());
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
    const std::string why = report.errors.empty() || !loadProblem(folder.path).empty()
                                ? whyNotLoaded(folder.path)
                                : describeFinding(report.errors.front());
    std::cerr << "zelvan-cli: "
              << fill(tr("the timetable in '%s' (%s) cannot be used: %s"),
                      {toUtf8(folder.path), tr(dataSourceReason(folder.source)), why})
              << "\n("
              << (!folder.updateFolder.empty() &&
                          hasPreviousTimetable(std::filesystem::path(toUtf8(folder.updateFolder)))
                      ? tr("run 'zelvan-cli update' for a new timetable or 'zelvan-cli rollback' "
                           "for the previous one")
                      : tr("run 'zelvan-cli update' for a new timetable"))
              << tr("; 'zelvan-cli check' lists every fault; use --data DIR to name the folder "
                    "that holds s.i, t.i, S0-S9.dat and T0-T19.dat)")
              << "\n";
    globals.exitCode = kExitFailed;
    return false;
}

const char* nothingFound() {
    return trZh("没有查到相关结果");
}

void printJson(const nlohmann::json& document) {
    std::cout << document.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << "\n";
}

std::string out(const std::u16string& text) {
    return toUtf8(text);
}

bool writeTextFile(const std::string& file, const std::string& text, std::string& error) {
    std::FILE* stream = std::fopen(file.c_str(), "wb");
    bool written =
        stream != nullptr && std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    const int problem = errno;
    if (stream != nullptr && std::fclose(stream) != 0) written = false;
    if (!written) {
        error = fill(tr("cannot write %s: %s"), {file, std::strerror(problem)});
    }
    return written;
}

CoreTextsInRunLanguage::CoreTextsInRunLanguage() {
    setTextTranslator([](std::u16string_view text) { return trZh(text); });
}

CoreTextsInRunLanguage::~CoreTextsInRunLanguage() {
    setTextTranslator(nullptr);
}

bool writeCalendarFile(const TimetableDb& db, const std::vector<CalendarRide>& rides,
                       const std::string& file, std::string& error) {
    std::string text;
    if (!calendarOf(db, rides, text, error)) {
        error = fill(tr("cannot write %s: %s"), {file, error});
        return false;
    }
    return writeTextFile(file, text, error);
}

}  // namespace zelvan::cli
