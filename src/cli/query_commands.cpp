// The query commands: route, transfer, train, stops, station, suggest, find.
#include <algorithm>
#include <iostream>

#include "cli/cli_common.h"
#include "cli/language.h"
#include "cli/places.h"
#include "cli/query_documents.h"
#include "cli/shown_texts.h"
#include "cli/text_table.h"
#include "db/passenger_stops.h"
#include "db/text.h"
#include "fare/result_row.h"
#include "fare/result_table.h"
#include "journey/calendar_export.h"
#include "query/route_runs.h"

namespace zelvan::cli {
namespace {

// The rows as the results view lays them out for `kind` (train or station table).
std::string rowsTable(TableKind kind, const std::vector<ResultRow>& rows) {
    std::u16string text;
    // A foreign railway's rows have one fare, its own, in place of the four classes.
    const bool tariff = rows.empty() || rows.front().hasFares;
    const std::vector<int> columns = shownColumns(kind, tariff);
    std::vector<std::u16string> headings;
    for (int c : columns) headings.push_back(translatedHeading(kind, c, tariff));
    return renderTable(headings, rows.size(), [&](std::size_t r, std::size_t c) {
        return shownRowCell(kind, rows[r], columns[c], text);
    });
}

void printRows(const Globals& globals, TableKind kind, std::vector<ResultRow>& rows) {
    if (globals.running) {
        keepRunning(rows, static_cast<int>(rows.size()), globals.sort);
    } else {
        sortRows(rows, globals.sort, false);
    }
    if (globals.json) {
        printDocument([&](std::string& out) { appendRowsDocument(out, rows); });
    } else if (rows.empty()) {
        std::cout << nothingFound() << "\n";
    } else {
        std::cout << rowsTable(kind, rows);
    }
}

void printStops(Globals& globals, const TimetableDb& db, const TrainRecord& train) {
    if (globals.json) {
        printDocument([&](std::string& out) { appendStopsDocument(out, db, train); });
        return;
    }
    if (train.name.empty()) {
        std::cout << nothingFound() << "\n";
        return;
    }
    std::cout << out(train.name) << out(statusMarker(static_cast<int>(train.status))) << "\n";
    const std::vector<std::u16string> headings = shownHeadings(TableKind::Stops);
    std::vector<std::vector<std::u16string>> cells;
    cells.reserve(train.stops.size());
    const std::vector<StopDays> days = stopDays(train.stops);
    for (std::size_t i = 0; i < train.stops.size(); ++i) {
        // A call no rider may use is passed, not a stop.
        if (passedWithoutCall(db.extensions, train.index, static_cast<int>(i))) continue;
        std::vector<std::u16string> line;
        line.reserve(headings.size());
        for (int c = 0; c < static_cast<int>(headings.size()); ++c) {
            line.push_back(shownStopCell(db, train.stops, days, i, c, train.index));
        }
        cells.push_back(std::move(line));
    }
    std::cout << renderTable(headings, cells);
}

// A number no train has may be a route's name ("752"), whose runs carry no number: one run
// (or the one `run` picks) shows its stops; several are listed to choose from with --run.
void runStops(Globals& globals, TimetableDb& db, const std::u16string& number, int run) {
    TrainRecord train;
    findStops(db, number, train);
    if (!train.name.empty()) {
        printStops(globals, db, train);
        return;
    }
    std::vector<ResultRow> runs = routeRuns(db, number);
    if (run > static_cast<int>(runs.size())) {
        std::cerr << fill(
                         tr("%s has %s runs; --run takes 1 to %s"),
                         {toUtf8(number), std::to_string(runs.size()), std::to_string(runs.size())})
                  << "\n";
        globals.exitCode = 1;
        return;
    }
    if (run > 0 || runs.size() == 1) {
        db.decodeTrain(runs[static_cast<std::size_t>(std::max(run, 1) - 1)].trainIndex, train);
        printStops(globals, db, train);
        return;
    }
    if (runs.empty()) {
        printStops(globals, db, train);
        return;
    }
    if (globals.json) {
        printDocument([&](std::string& out) { appendRunsDocument(out, runs); });
        return;
    }
    std::cout << fill(tr("%s: %s runs; choose one with --run K"),
                      {toUtf8(number), std::to_string(runs.size())})
              << "\n"
              << rowsTable(TableKind::Train, runs);
}

void runTransfer(Globals& globals, TimetableDb& db, const std::string& fromText,
                 const std::string& toText, const std::string& viaText) {
    std::vector<std::u16string> names{fromUtf8(fromText), fromUtf8(toText)};
    if (!requireStations(globals, db, names)) return;
    const std::u16string& from = names[0];
    const std::u16string& to = names[1];
    if (!viaText.empty()) {
        std::vector<std::u16string> vias{fromUtf8(viaText)};
        if (!requireStations(globals, db, vias)) return;
        const std::string via = out(vias[0]);
        std::vector<ResultRow> rows;
        int legCount = db.queryTransferTrains(from, vias[0], to, rows);
        if (globals.running) {
            legCount = keepRunning(rows, legCount, globals.sort);
        } else {
            sortTransferLegs(rows, legCount, globals.sort);
        }
        if (globals.json) {
            printDocument(
                [&](std::string& out) { appendTransferRowsDocument(out, rows, legCount); });
            return;
        }
        std::cout << fill(trZh("%s 至 %s 至 %s ,结果%s"),
                          {out(from), via, out(to), std::to_string(rows.size())})
                  << "\n";
        std::vector<ResultRow> first(rows.begin(), rows.begin() + legCount);
        std::vector<ResultRow> second(rows.begin() + legCount, rows.end());
        const char* leg = trZh("%s 至 %s");
        std::cout << "\n" << fill(leg, {out(from), via}) << "\n";
        std::cout << (first.empty() ? std::string(nothingFound()) + "\n"
                                    : rowsTable(TableKind::Train, first));
        std::cout << "\n" << fill(leg, {via, out(to)}) << "\n";
        std::cout << (second.empty() ? std::string(nothingFound()) + "\n"
                                     : rowsTable(TableKind::Train, second));
        return;
    }
    std::vector<std::u16string> stations;
    db.queryTransferStations(from, to, stations);
    if (globals.json) {
        printDocument([&](std::string& out) { appendTransferStationsDocument(out, stations); });
    } else if (stations.empty()) {
        std::cout << nothingFound() << "\n";
    } else {
        std::cout << trZh("请选择中转站点") << "\n";
        for (const std::u16string& s : stations) std::cout << out(s) << "\n";
    }
}

// Adds a command that takes `arguments` (a function adding them to the command), loads the
// database and then runs `body`.
template <typename Arguments, typename Body>
void queryCommand(CLI::App& app, Globals& globals, const char* name, const char* help,
                  Arguments arguments, Body body) {
    CLI::App* command = addCommand(app, globals, name, help);
    if (!command) return;
    arguments(*command);
    command->callback([&globals, body] {
        TimetableDb& db = TimetableDb::instance();
        if (!openDatabase(globals, db)) return;
        body(db);
    });
}

// Writes the ride of the row of train `train` (as the table shows its number) to `file`; false
// (told on stderr, exit status 1) when no row is of that train or the file is not written.
bool writeRideCalendar(Globals& globals, const TimetableDb& db, const std::vector<ResultRow>& rows,
                       const std::string& train, const std::string& file) {
    const auto row = std::find_if(rows.begin(), rows.end(),
                                  [&](const ResultRow& r) { return out(r.trainName) == train; });
    std::string error;
    const CoreTextsInRunLanguage language;
    if (row == rows.end()) {
        error = fill(tr("no train %s in the answer to write to %s"), {train, file});
    } else if (writeCalendarFile(db, {rowRide(db, *row, db.queryDate)}, file, error)) {
        return true;
    }
    std::cerr << error << "\n";
    globals.exitCode = kExitFailed;
    return false;
}

}  // namespace

void addQueryCommands(CLI::App& app, Globals& globals) {
    static std::string from, to, via, text, number, station, typed, found, calendar, calendarTrain;
    static int run = 0;

    queryCommand(
        app, globals, "route", tr("Trains from one station to another"),
        [](CLI::App& command) {
            command.add_option("FROM", from, tr("Departure station"))->required();
            command.add_option("TO", to, tr("Arrival station"))->required();
            CLI::Option* file =
                command.add_option("--ics", calendar,
                                   tr("Write the ride of the train --train names to this "
                                      "iCalendar file"));
            command.add_option("--train", calendarTrain, tr("The train --ics writes"))->needs(file);
            file->needs("--train");
        },
        [&globals](TimetableDb& db) {
            std::vector<std::u16string> names{fromUtf8(from), fromUtf8(to)};
            if (!requireStations(globals, db, names)) return;
            std::vector<ResultRow> rows;
            db.queryStationToStation(names[0], names[1], rows);
            if (!calendar.empty() &&
                !writeRideCalendar(globals, db, rows, calendarTrain, calendar)) {
                return;
            }
            printRows(globals, TableKind::Train, rows);
        });

    queryCommand(
        app, globals, "transfer", tr("Stations to change at, or the two legs via one"),
        [](CLI::App& command) {
            command.add_option("FROM", from, tr("Departure station"))->required();
            command.add_option("TO", to, tr("Arrival station"))->required();
            command.add_option("--via", via,
                               tr("List the trains of both legs through this station"));
        },
        [&globals](TimetableDb& db) { runTransfer(globals, db, from, to, via); });

    queryCommand(
        app, globals, "train", tr("Trains whose number contains TEXT"),
        [](CLI::App& command) {
            command.add_option("TEXT", text, tr("Train number or part of one"))->required();
        },
        [&globals](TimetableDb& db) {
            std::vector<ResultRow> rows;
            db.queryTrainNumber(upperAscii(fromUtf8(text)), rows);
            printRows(globals, TableKind::Train, rows);
        });

    queryCommand(
        app, globals, "stops", tr("The stops of the train with this number"),
        [](CLI::App& command) {
            command.add_option("NUMBER", number, tr("Train number, or a route's name"))->required();
            command
                .add_option("--run", run,
                            tr("Of a route's runs listed for its name, the K-th (from 1)"))
                ->check(CLI::PositiveNumber);
        },
        [&globals](TimetableDb& db) { runStops(globals, db, fromUtf8(number), run); });

    queryCommand(
        app, globals, "station", tr("Trains calling at a station"),
        [](CLI::App& command) {
            command.add_option("NAME", station, tr("Station name"))->required();
        },
        [&globals](TimetableDb& db) {
            std::vector<std::u16string> names{fromUtf8(station)};
            if (!requireStations(globals, db, names)) return;
            std::vector<ResultRow> rows;
            db.queryStation(names[0], rows);
            printRows(globals, TableKind::Station, rows);
        });

    queryCommand(
        app, globals, "suggest", tr("Station names for a typed code"),
        [](CLI::App& command) {
            command.add_option("TEXT", typed, tr("Code letters, e.g. BJ"))->required();
        },
        [&globals](TimetableDb& db) {
            std::vector<std::u16string> names;
            db.suggestStations(upperAscii(fromUtf8(typed)), names);
            if (globals.json) {
                printDocument([&](std::string& out) { appendNamesDocument(out, names); });
            } else if (names.empty()) {
                std::cout << nothingFound() << "\n";
            } else {
                for (const std::u16string& n : names) std::cout << out(n) << "\n";
            }
        });

    queryCommand(
        app, globals, "find", tr("Stations by pinyin, pinyin initials or first characters"),
        [](CLI::App& command) {
            command.add_option("TEXT", found, tr("e.g. beijingnan, \"xi'an\", bjn or 北京"))
                ->required();
        },
        [&globals](TimetableDb& db) {
            std::vector<std::u16string> names;
            db.findStations(fromUtf8(found), names);
            if (globals.json) {
                printDocument([&](std::string& out) { appendNamesDocument(out, names); });
                return;
            }
            for (const std::u16string& n : names) std::cout << out(n) << "\n";
        });
}

}  // namespace zelvan::cli
