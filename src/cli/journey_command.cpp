// The journey command: journeys with changes between two places, matched in time.
#include <iostream>
#include <memory>

#include "cli/cli_common.h"
#include "cli/language.h"
#include "cli/places.h"
#include "cli/query_documents.h"
#include "cli/shown_texts.h"
#include "cli/text_table.h"
#include "db/text.h"
#include "fare/result_table.h"
#include "journey/journey_planner.h"
#include "journey/journey_rows.h"

namespace zelvan::cli {
namespace {

std::vector<std::vector<std::u16string>> cellsOf(int columns, auto cell, const auto& items) {
    std::vector<std::vector<std::u16string>> cells;
    for (const auto& item : items) {
        std::vector<std::u16string> line;
        for (int c = 0; c < columns; ++c) line.push_back(cell(item, c));
        cells.push_back(std::move(line));
    }
    return cells;
}

// journeyCell with the mark of a change between two stations translated.
std::u16string shownJourneyCell(const JourneyRow& journey, int column) {
    std::u16string text = journeyCell(journey, column);
    const std::u16string_view mark = kStationChangeMark;
    if (text.size() >= mark.size() &&
        text.compare(text.size() - mark.size(), mark.size(), mark) == 0) {
        text.resize(text.size() - mark.size());
        text += u' ' + trZh(mark.substr(1));
    }
    return text;
}

// stationChangeText in the language of the run.
std::string shownStationChange(const LegRow& before, const LegRow& leg, int minutes) {
    const std::string from = out(before.row.arrivalStation), to = out(leg.row.departureStation);
    if (minutes < 0) return fill(trZh("换乘：%s → %s"), {from, to});
    return fill(trZh("换乘：%s → %s，步行/市内交通 %s 分钟"), {from, to, std::to_string(minutes)});
}

// A line per journey; with `legs`, each journey's legs under it, indented, with the wait at
// each change and a line for a change between two stations (the least minutes `planner`
// allows there with `options`).
void printJourneyTable(const std::vector<JourneyRow>& journeys, bool legs,
                       const JourneyPlanner& planner, const JourneyOptions& options) {
    const std::vector<std::u16string> headings = shownHeadings(TableKind::Journeys);
    const std::string table = renderTable(
        headings, cellsOf(static_cast<int>(headings.size()), shownJourneyCell, journeys));
    if (!legs) {
        std::cout << table;
        return;
    }
    // The journey lines keep the alignment of the whole table; the legs go between them.
    std::size_t at = table.find('\n') + 1;
    std::cout << table.substr(0, at);
    const std::vector<std::u16string> legHeadings = shownHeadings(TableKind::JourneyLegs);
    for (const JourneyRow& journey : journeys) {
        const std::size_t end = table.find('\n', at) + 1;
        std::cout << table.substr(at, end - at);
        at = end;
        // The leg table up to the wait: the fares and the rest belong to `route`.
        const std::vector<std::u16string> shown(legHeadings.begin(), legHeadings.begin() + 7);
        const std::string legTable =
            renderTable(shown, cellsOf(static_cast<int>(shown.size()), legCell, journey.legs));
        std::size_t from = 0;
        // Line 0 holds the headings, line i + 1 leg i.
        for (std::size_t line = 0; from < legTable.size(); ++line) {
            const std::size_t next = legTable.find('\n', from);
            const std::size_t stop = next == std::string::npos ? legTable.size() : next + 1;
            if (line >= 2 && line <= journey.legs.size()) {
                const LegRow& before = journey.legs[line - 2];
                const LegRow& leg = journey.legs[line - 1];
                if (before.leg.toStation != leg.leg.fromStation) {
                    const int minutes =
                        planner.changeMinutes(before.leg.toStation, leg.leg.fromStation, options);
                    std::cout << "    " << shownStationChange(before, leg, minutes) << "\n";
                }
            }
            std::cout << "    " << legTable.substr(from, stop - from);
            from = stop;
        }
    }
}

}  // namespace

bool parseClock(const std::string& text, int& minutes) {
    if (text.size() != 5 || text[2] != ':') return false;
    for (int i : {0, 1, 3, 4}) {
        if (text[static_cast<std::size_t>(i)] < '0' || text[static_cast<std::size_t>(i)] > '9') {
            return false;
        }
    }
    const int hours = (text[0] - '0') * 10 + (text[1] - '0');
    const int mins = (text[3] - '0') * 10 + (text[4] - '0');
    if (hours > 23 || mins > 59) return false;
    minutes = hours * 60 + mins;
    return true;
}

bool findJourneys(const TimetableDb& db, std::unique_ptr<JourneyPlanner>& planner,
                  const JourneyQuestion& question, std::vector<JourneyRow>& journeys,
                  std::string& error) {
    // The planner reads the whole timetable: only a question that names two places pays.
    std::vector<std::u16string> names{fromUtf8(question.from), fromUtf8(question.to)};
    error = resolvePlaces(db, names, question.shown);
    if (!error.empty()) return false;
    if (!planner) planner = std::make_unique<JourneyPlanner>(db);
    planner->setTrace(question.trace ? &std::cerr : nullptr);
    const DateKey date = db.queryDate;
    journeys = journeyRows(db, planner->plan(names[0], names[1], date, question.options), date);
    planner->setTrace(nullptr);
    return true;
}

void addJourneyCommand(CLI::App& app, Globals& globals) {
    static JourneyQuestion question;
    static std::string after = "00:00";
    static bool legs = false;
    question.shown = true;
    CLI::App* command = addCommand(app, globals, "journey",
                                   tr("Journeys with changes between two places, matched in time"));
    if (!command) return;
    command->add_option("FROM", question.from, tr("Departure place"))->required();
    command->add_option("TO", question.to, tr("Arrival place"))->required();
    command
        ->add_option("--after", after,
                     tr("Earliest departure on the day of travel (default 00:00)"))
        ->check(CLI::Validator(
            [](std::string& text) {
                int minutes = 0;
                return parseClock(text, minutes)
                           ? std::string()
                           : fill(tr("expects a time HH:MM, got '%s'"), {text});
            },
            "HH:MM"));
    command
        ->add_option("--max-changes", question.options.maxChanges, tr("Most changes (default 2)"))
        ->check(CLI::Range(0, kMaxJourneyChanges));
    CLI::Option* change =
        command
            ->add_option("--change-minutes", question.options.changeMinutes,
                         tr("Least wait when changing at one station (default 20, or the "
                            "timetable's own change time of the station)"))
            ->check(CLI::Range(0, kMinutesPerDay - 1));
    command
        ->add_option("--place-change-minutes", question.options.placeChangeMinutes,
                     tr("Least wait between two stations of one place (default 60)"))
        ->check(CLI::Range(0, kMinutesPerDay - 1));
    command->add_flag("--legs", legs, tr("List each journey's legs under it"));
    command->add_flag("--trace", question.trace, tr("Print the search's rounds on stderr"));
    command->callback([&globals, change] {
        parseClock(after, question.options.afterMinutes);
        question.options.changeMinutesGiven = change->count() > 0;
        TimetableDb db;
        if (!openDatabase(globals, db)) return;
        std::unique_ptr<JourneyPlanner> planner;
        std::vector<JourneyRow> journeys;
        std::string error;
        if (!findJourneys(db, planner, question, journeys, error)) {
            std::cerr << error << "\n";
            globals.exitCode = kExitFailed;
            return;
        }
        sortJourneys(journeys, globals.sort, false);
        if (globals.json) {
            printDocument([&](std::string& out) { appendJourneysDocument(out, journeys); });
        } else if (journeys.empty()) {
            std::cout << nothingFound() << "\n";
        } else {
            printJourneyTable(journeys, legs, *planner, question.options);
        }
    });
}

}  // namespace zelvan::cli
