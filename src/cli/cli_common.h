// What the commands of zelvan-cli share: the global options, loading the database, output.
#pragma once

#include <CLI/CLI.hpp>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "db/data_folder.h"
#include "db/timetable_db.h"
#include "fare/row_order.h"
#include "journey/journey.h"

namespace zelvan {
class JourneyPlanner;
struct CalendarRide;
struct JourneyRow;
struct ResultRow;
}  // namespace zelvan

namespace zelvan::cli {

// Exit codes of the tool.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // the database cannot be loaded, or the command failed
inline constexpr int kExitUsage = 2;

struct Globals {
    std::string dataDir;             // --data; empty: the folder resolveDataFolder chooses
    std::string date;                // --date YYYY-MM-DD; empty: today
    bool json = false;               // --json: one JSON document on stdout, nothing else
    std::string sortName;            // --sort as given
    SortKey sort = SortKey::Listed;  // ... parsed: the order of rows and journeys
    // --running: only the rows of trains that run on the day of travel, each run once, in
    // departure order unless --sort names another.
    bool running = false;
    DateKey queryDate = 0;  // parsed --date; 0: leave the database's (today)
    int exitCode = kExitOk;
    // The command the command line runs ("" when it names none), and whether every command is
    // set up all the same (for --help-all): see addCommand.
    std::string command;
    bool everyCommand = false;
    // Every command's name and description, in order, for the list in --help.
    std::vector<std::pair<std::string, std::string>> commands;
};

// Sets globals.command and globals.everyCommand from the command line, before it is parsed.
void chooseCommand(int argc, const char* const* argv, Globals& globals);
// Lists the command `name` in globals.commands and, when the command line runs it (or with
// --help-all), adds it to `app` and returns it to be given its arguments, options and action;
// else null. Setting up every command with its options took a one-off question longer than
// answering it; the parser needs only the command that runs, and --help lists the others from
// globals.commands.
CLI::App* addCommand(CLI::App& app, Globals& globals, const std::string& name,
                     const std::string& description);

// Adds the command `name` to `parent`, its help flags in the parent's group of options.
CLI::App* addSubcommand(CLI::App& parent, const std::string& name, const std::string& description);

// The data folder that --data, ZELVAN_DATA or the default order chooses.
DataFolder dataFolder(const Globals& globals);
// The same after an update that a crash cut short has been completed or undone in the folder
// updates go to (which may decide whether the user's folder holds a timetable).
DataFolder mendedDataFolder(const Globals& globals);
// Loads `db` from the mended data folder and sets its query date from --date. When the
// timetable cannot be loaded or (with `checked`) fails the check, prints "the timetable in
// FOLDER (WHY CHOSEN) cannot be used: FILE: WHAT" and what to do to stderr and returns false
// with globals.exitCode = 1.
bool openDatabase(Globals& globals, TimetableDb& db, bool checked = true);
// Why the timetable in `folder` does not load: "s.i is missing", "T7.dat cannot be read", ...
std::string whyNotLoaded(const std::u16string& folder);
// The keys --sort takes ("departure", "arrival", "duration", "train"); false for another word.
bool parseSortKey(std::string_view name, SortKey& key);
// Sorts a transfer's two legs by `key`, each on its own: the first `legCount` rows, then the rest.
void sortTransferLegs(std::vector<ResultRow>& rows, int legCount, SortKey key);
// Keeps the rows of the trains that run on the day of travel (fare/day_rows.h), each leg of a
// transfer on its own (the first `legCount` rows, then the rest), ordered by `key` (departure
// for Listed). Returns the first leg's rows kept.
int keepRunning(std::vector<ResultRow>& rows, int legCount, SortKey key);
// Parses YYYY-MM-DD into a DateKey; false when malformed.
bool parseDate(const std::string& text, DateKey& date);

// The line of a query that finds nothing: "没有查到相关结果" in the language of the run.
const char* nothingFound();

// Writes one JSON document followed by a line feed to stdout.
void printJson(const nlohmann::json& document);
// Text for output: UTF-16 to UTF-8.
std::string out(const std::u16string& text);

// A journey question: two place names (UTF-8) and what the journeys may do.
struct JourneyQuestion {
    std::string from;
    std::string to;
    std::string via;         // a place to pass through or change at; empty: none
    JourneyOptions options;  // options.viaStations: filled from `via` by findJourneys
    bool trace = false;      // the search's rounds on stderr
    bool shown = false;  // errors in the language of the run (the terminal), else as written (JSON)
};
// Finds the journeys of `question` on db.queryDate, building `planner` first when it is null;
// with a latest arrival, latest departure first. False with `error` (resolvePlaces's refusal,
// or a via place that is one of the two) when a place names no single station. `options`
// gets the options searched with (the via stations filled in).
bool findJourneys(const TimetableDb& db, std::unique_ptr<JourneyPlanner>& planner,
                  const JourneyQuestion& question, std::vector<JourneyRow>& journeys,
                  std::string& error, JourneyOptions* options = nullptr);
// "HH:MM" (hours 0-23, minutes 0-59) as minutes after midnight; false when malformed.
bool parseClock(const std::string& text, int& minutes);
// "HH:MM", or "HH:MM+N" on the Nth day after the day of travel (N 1 or 2), as minutes from
// midnight starting the day of travel; false when malformed.
bool parseJourneyTime(const std::string& text, int& minutes);

// Writes `text` to `file`, replacing it; false with `error` ("cannot write FILE: REASON").
bool writeTextFile(const std::string& file, const std::string& text, std::string& error);
// While one lives, the texts the core composes (a calendar's) come in the language of the run,
// as the terminal's do; none does otherwise (the tables and JSON translate as they print).
class CoreTextsInRunLanguage {
  public:
    CoreTextsInRunLanguage();
    ~CoreTextsInRunLanguage();
    CoreTextsInRunLanguage(const CoreTextsInRunLanguage&) = delete;
    CoreTextsInRunLanguage& operator=(const CoreTextsInRunLanguage&) = delete;
};
// Writes `rides` (made while a CoreTextsInRunLanguage lives) as an iCalendar file; false with
// `error` (the zone unknown to the system, the file not written).
bool writeCalendarFile(const TimetableDb& db, const std::vector<CalendarRide>& rides,
                       const std::string& file, std::string& error);

// Registration of each group of subcommands (one file each).
void addQueryCommands(CLI::App& app, Globals& globals);
void addJourneyCommand(CLI::App& app, Globals& globals);
void addToolCommands(CLI::App& app, Globals& globals);
void addUpdateCommands(CLI::App& app, Globals& globals);
void addImportCommand(CLI::App& app, Globals& globals);
void addBatchCommand(CLI::App& app, Globals& globals);

}  // namespace zelvan::cli
