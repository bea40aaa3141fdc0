// The query commands: route, transfer, train, stops, station, suggest, find.
#include <iostream>

#include "cli/cli_common.h"
#include "cli/places.h"
#include "cli/query_documents.h"
#include "cli/text_table.h"
#include "db/text.h"
#include "fare/result_row.h"
#include "fare/result_table.h"

namespace zelvan::cli {
namespace {

constexpr const char* kNothingFound = "没有查到相关结果";

// The rows as the results view lays them out for `kind` (train or station table).
std::string rowsTable(TableKind kind, const std::vector<ResultRow>& rows) {
    const std::vector<std::u16string>& headings = tableHeadings(kind);
    std::vector<std::vector<std::u16string>> cells;
    cells.reserve(rows.size());
    for (const ResultRow& row : rows) {
        std::vector<std::u16string> line;
        line.reserve(headings.size());
        for (int c = 0; c < static_cast<int>(headings.size()); ++c) {
            line.push_back(rowCell(kind, row, c));
        }
        cells.push_back(std::move(line));
    }
    return renderTable(headings, cells);
}

void printRows(const Globals& globals, TableKind kind, const std::vector<ResultRow>& rows) {
    if (globals.json) {
        printDocument([&](std::string& out) { appendRowsDocument(out, rows); });
    } else if (rows.empty()) {
        std::cout << kNothingFound << "\n";
    } else {
        std::cout << rowsTable(kind, rows);
    }
}

void runStops(Globals& globals, TimetableDb& db, const std::u16string& number) {
    TrainRecord train;
    findStops(db, number, train);
    if (globals.json) {
        printDocument([&](std::string& out) { appendStopsDocument(out, db, train); });
        return;
    }
    if (train.name.empty()) {
        std::cout << kNothingFound << "\n";
        return;
    }
    std::cout << out(train.name) << out(statusMarker(static_cast<int>(train.status))) << "\n";
    const std::vector<std::u16string>& headings = tableHeadings(TableKind::Stops);
    std::vector<std::vector<std::u16string>> cells;
    cells.reserve(train.stops.size());
    for (std::size_t i = 0; i < train.stops.size(); ++i) {
        std::vector<std::u16string> line;
        line.reserve(headings.size());
        for (int c = 0; c < static_cast<int>(headings.size()); ++c) {
            line.push_back(stopCell(db, train.stops[i], i == 0, i + 1 == train.stops.size(), c));
        }
        cells.push_back(std::move(line));
    }
    std::cout << renderTable(headings, cells);
}

void runTransfer(Globals& globals, TimetableDb& db, const std::u16string& from,
                 const std::u16string& to, const std::string& via) {
    if (!requireStations(globals, db, {from, to})) return;
    if (!via.empty()) {
        if (!requireStations(globals, db, {fromUtf8(via)})) return;
        std::vector<ResultRow> rows;
        int legCount = db.queryTransferTrains(from, fromUtf8(via), to, rows);
        if (globals.json) {
            printDocument(
                [&](std::string& out) { appendTransferRowsDocument(out, rows, legCount); });
            return;
        }
        std::cout << out(from) << " 至 " << via << " 至 " << out(to) << " ,结果" << rows.size()
                  << "\n";
        std::vector<ResultRow> first(rows.begin(), rows.begin() + legCount);
        std::vector<ResultRow> second(rows.begin() + legCount, rows.end());
        std::cout << "\n" << out(from) << " 至 " << via << "\n";
        std::cout << (first.empty() ? std::string(kNothingFound) + "\n"
                                    : rowsTable(TableKind::Train, first));
        std::cout << "\n" << via << " 至 " << out(to) << "\n";
        std::cout << (second.empty() ? std::string(kNothingFound) + "\n"
                                     : rowsTable(TableKind::Train, second));
        return;
    }
    std::vector<std::u16string> stations;
    db.queryTransferStations(from, to, stations);
    if (globals.json) {
        printDocument([&](std::string& out) { appendTransferStationsDocument(out, stations); });
    } else if (stations.empty()) {
        std::cout << kNothingFound << "\n";
    } else {
        std::cout << "请选择中转站点\n";
        for (const std::u16string& s : stations) std::cout << out(s) << "\n";
    }
}

// Adds a command that loads the database and then runs `body`.
template <typename Body>
CLI::App* queryCommand(CLI::App& app, Globals& globals, const char* name, const char* help,
                       Body body) {
    CLI::App* command = app.add_subcommand(name, help);
    command->callback([&globals, body] {
        TimetableDb& db = TimetableDb::instance();
        if (!openDatabase(globals, db)) return;
        body(db);
    });
    return command;
}

}  // namespace

void addQueryCommands(CLI::App& app, Globals& globals) {
    static std::string from, to, via, text, number, station, typed, found;

    queryCommand(app, globals, "route", "Trains from one station to another",
                 [&globals](TimetableDb& db) {
                     if (!requireStations(globals, db, {fromUtf8(from), fromUtf8(to)})) return;
                     std::vector<ResultRow> rows;
                     db.queryStationToStation(fromUtf8(from), fromUtf8(to), rows);
                     printRows(globals, TableKind::Train, rows);
                 })
        ->add_option("FROM", from, "Departure station")
        ->required();
    app.get_subcommand("route")->add_option("TO", to, "Arrival station")->required();

    CLI::App* transfer =
        queryCommand(app, globals, "transfer", "Stations to change at, or the two legs via one",
                     [&globals](TimetableDb& db) {
                         runTransfer(globals, db, fromUtf8(from), fromUtf8(to), via);
                     });
    transfer->add_option("FROM", from, "Departure station")->required();
    transfer->add_option("TO", to, "Arrival station")->required();
    transfer->add_option("--via", via, "List the trains of both legs through this station");

    queryCommand(app, globals, "train", "Trains whose number contains TEXT",
                 [&globals](TimetableDb& db) {
                     std::vector<ResultRow> rows;
                     db.queryTrainNumber(upperAscii(fromUtf8(text)), rows);
                     printRows(globals, TableKind::Train, rows);
                 })
        ->add_option("TEXT", text, "Train number or part of one")
        ->required();

    queryCommand(app, globals, "stops", "The stops of the train with this number",
                 [&globals](TimetableDb& db) { runStops(globals, db, fromUtf8(number)); })
        ->add_option("NUMBER", number, "Train number")
        ->required();

    queryCommand(app, globals, "station", "Trains calling at a station",
                 [&globals](TimetableDb& db) {
                     if (!requireStations(globals, db, {fromUtf8(station)})) return;
                     std::vector<ResultRow> rows;
                     db.queryStation(fromUtf8(station), rows);
                     printRows(globals, TableKind::Station, rows);
                 })
        ->add_option("NAME", station, "Station name")
        ->required();

    queryCommand(app, globals, "suggest", "Station names for a typed code",
                 [&globals](TimetableDb& db) {
                     std::vector<std::u16string> names;
                     db.suggestStations(upperAscii(fromUtf8(typed)), names);
                     if (globals.json) {
                         printDocument([&](std::string& out) { appendNamesDocument(out, names); });
                     } else if (names.empty()) {
                         std::cout << kNothingFound << "\n";
                     } else {
                         for (const std::u16string& n : names) std::cout << out(n) << "\n";
                     }
                 })
        ->add_option("TEXT", typed, "Code letters, e.g. BJ")
        ->required();

    queryCommand(app, globals, "find", "Stations by pinyin, pinyin initials or first characters",
                 [&globals](TimetableDb& db) {
                     std::vector<std::u16string> names;
                     db.findStations(fromUtf8(found), names);
                     if (globals.json) {
                         printDocument([&](std::string& out) { appendNamesDocument(out, names); });
                         return;
                     }
                     for (const std::u16string& n : names) std::cout << out(n) << "\n";
                 })
        ->add_option("TEXT", found, "e.g. beijingnan, \"xi'an\", bjn or 北京")
        ->required();
}

}  // namespace zelvan::cli
