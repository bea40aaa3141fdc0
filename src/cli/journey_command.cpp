// The journey command: journeys with changes between two places, matched in time.
#include <algorithm>
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
#include "journey/calendar_export.h"
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

bool parseJourneyTime(const std::string& text, int& minutes) {
    if (text.size() == 5) return parseClock(text, minutes);
    if (text.size() != 7 || text[5] != '+' || (text[6] != '1' && text[6] != '2')) return false;
    if (!parseClock(text.substr(0, 5), minutes)) return false;
    minutes += (text[6] - '0') * kMinutesPerDay;
    return true;
}

bool findJourneys(const TimetableDb& db, std::unique_ptr<JourneyPlanner>& planner,
                  const JourneyQuestion& question, std::vector<JourneyRow>& journeys,
                  std::string& error, JourneyOptions* searched) {
    // The planner reads the whole timetable: only a question that names its places pays.
    std::vector<std::u16string> names{fromUtf8(question.from), fromUtf8(question.to)};
    if (!question.via.empty()) names.push_back(fromUtf8(question.via));
    error = resolvePlaces(db, names, question.shown);
    if (!error.empty()) return false;
    if (!planner) planner = std::make_unique<JourneyPlanner>(db);
    JourneyOptions options = question.options;
    if (names.size() > 2) {
        options.viaStations = planner->placeStations(names[2]);
        // Passing the place left from or gone to is no question of its own.
        for (int end : {0, 1}) {
            for (int s : planner->placeStations(names[static_cast<std::size_t>(end)])) {
                if (std::find(options.viaStations.begin(), options.viaStations.end(), s) !=
                    options.viaStations.end()) {
                    constexpr const char* kSame = markZh("途经站是出发地或目的地：%s");
                    error = fill(question.shown ? trZh(kSame) : kSame, {out(names[2])});
                    return false;
                }
            }
        }
    }
    planner->setTrace(question.trace ? &std::cerr : nullptr);
    const DateKey date = db.queryDate;
    journeys = journeyRows(db, planner->plan(names[0], names[1], date, options), date);
    planner->setTrace(nullptr);
    // Arriving by a time, the latest departure is the answer asked for: it comes first.
    if (options.arriveByMinutes != kNoArriveBy) std::reverse(journeys.begin(), journeys.end());
    if (searched) *searched = options;
    return true;
}

void addJourneyCommand(CLI::App& app, Globals& globals) {
    static JourneyQuestion question;
    static std::string after = "00:00";
    static std::string arriveBy;
    static std::string calendar;
    static int calendarJourney = 1;
    static bool legs = false;
    question.shown = true;
    CLI::App* command = addCommand(app, globals, "journey",
                                   tr("Journeys with changes between two places, matched in time"));
    if (!command) return;
    const auto timeCheck = [](bool later) {
        return CLI::Validator(
            [later](std::string& text) {
                int minutes = 0;
                return (later ? parseJourneyTime(text, minutes) : parseClock(text, minutes))
                           ? std::string()
                           : fill(tr("expects a time HH:MM, got '%s'"), {text});
            },
            later ? "HH:MM[+N]" : "HH:MM");
    };
    command->add_option("FROM", question.from, tr("Departure place"))->required();
    command->add_option("TO", question.to, tr("Arrival place"))->required();
    command
        ->add_option("--after", after,
                     tr("Earliest departure on the day of travel (default 00:00)"))
        ->check(timeCheck(false));
    command
        ->add_option("--arrive-by", arriveBy,
                     tr("Latest arrival, on the day of travel or +1, +2 days after; the latest "
                        "departure is listed first"))
        ->check(timeCheck(true));
    command->add_option("--via", question.via,
                        tr("A place the journey passes through or changes at"));
    command
        ->add_option("--via-minutes", question.options.viaMinutes,
                     tr("Least stay at the via place (default 0)"))
        ->check(CLI::Range(0, kMinutesPerDay - 1));
    command->add_flag("--step-free", question.options.stepFree,
                      tr("Only trains and stations the timetable says a wheelchair user can use"));
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
    command->add_option("--ics", calendar,
                        tr("Write a journey to this iCalendar file, each train an event"));
    command
        ->add_option("--ics-journey", calendarJourney,
                     tr("Which journey of the list --ics writes (default 1, the first)"))
        ->check(CLI::PositiveNumber);
    command->add_flag("--trace", question.trace, tr("Print the search's rounds on stderr"));
    command->callback([&globals, change] {
        parseClock(after, question.options.afterMinutes);
        if (!arriveBy.empty()) parseJourneyTime(arriveBy, question.options.arriveByMinutes);
        question.options.changeMinutesGiven = change->count() > 0;
        TimetableDb db;
        if (!openDatabase(globals, db)) return;
        std::unique_ptr<JourneyPlanner> planner;
        std::vector<JourneyRow> journeys;
        std::string error;
        JourneyOptions options;
        if (!findJourneys(db, planner, question, journeys, error, &options)) {
            std::cerr << error << "\n";
            globals.exitCode = kExitFailed;
            return;
        }
        sortJourneys(journeys, globals.sort, false);
        if (!calendar.empty()) {
            // The journey the list shows at that place; none there is a failure, not a file
            // without events.
            const std::size_t pick = static_cast<std::size_t>(calendarJourney) - 1;
            if (pick >= journeys.size()) {
                std::cerr << fill(tr("no journey %s to write to %s"),
                                  {std::to_string(calendarJourney), calendar})
                          << "\n";
                globals.exitCode = kExitFailed;
            } else {
                const CoreTextsInRunLanguage language;
                if (!writeCalendarFile(db, journeyRides(db, journeys[pick], *planner, options),
                                       calendar, error)) {
                    std::cerr << error << "\n";
                    globals.exitCode = kExitFailed;
                }
            }
        }
        if (options.stepFree && !db.extensions.saysAccess()) {
            // Nothing is claimed where the timetable says nothing: say why none was found.
            std::cerr << tr("the timetable says nothing of wheelchair access: no journey is "
                            "step-free by it")
                      << "\n";
        }
        if (globals.json) {
            printDocument([&](std::string& out) { appendJourneysDocument(out, journeys); });
        } else if (journeys.empty()) {
            std::cout << nothingFound() << "\n";
        } else {
            printJourneyTable(journeys, legs, *planner, options);
        }
    });
}

}  // namespace zelvan::cli
