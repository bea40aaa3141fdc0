// zelvan-cli batch: questions as JSON lines on stdin, one JSON answer per line on stdout, in
// order, with the documents the commands print with --json. The timetable is loaded once; a bad
// line is answered with {"error": "..."} and the next line is read as usual.
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <iostream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "cli/cli_common.h"
#include "cli/language.h"
#include "cli/places.h"
#include "cli/query_documents.h"
#include "db/text.h"
#include "journey/journey_planner.h"

namespace zelvan::cli {
namespace {

// The fields of one question, by name: texts, whole numbers and switches.
struct Fields {
    std::map<std::string, std::u16string> texts;
    std::map<std::string, int> numbers;
    std::map<std::string, bool> switches;
};

// What the answers of a batch share: the database, the result rows, whose room is kept from
// question to question instead of growing anew for each, and the journey planner, built for
// the first journey question (it reads the whole timetable).
struct Answering {
    TimetableDb& db;
    std::vector<ResultRow> rows;
    std::unique_ptr<JourneyPlanner> planner;

    std::vector<ResultRow>& emptyRows() {
        rows.clear();
        return rows;
    }
};

// A whole number a question may give, and its range.
struct NumberField {
    const char* name;
    int least;
    int most;
};

struct BatchCommand {
    const char* name;
    std::vector<const char*> required;  // string fields that must be given
    std::vector<const char*> optional;  // string fields that may be given
    std::vector<NumberField> numbers;   // whole numbers that may be given
    // Appends the answer document to `out` and returns "", or returns why there is none (a
    // place that names no station, as the command refuses it) and appends nothing.
    std::string (*answer)(Answering& a, const Fields& fields, std::string& out);
    std::vector<const char*> switches = {};  // true or false, false when not given
};

std::u16string field(const Fields& fields, const char* name) {
    auto it = fields.texts.find(name);
    return it == fields.texts.end() ? std::u16string() : it->second;
}

// Sets `value` to the number `name` when the question gives it.
void takeNumber(const Fields& fields, const char* name, int& value) {
    auto it = fields.numbers.find(name);
    if (it != fields.numbers.end()) value = it->second;
}

// The order a line asks for ("sort", as --sort takes it; the query's own order without it).
// False when the field holds another word.
bool takeSort(const Fields& fields, SortKey& key) {
    key = SortKey::Listed;
    auto it = fields.texts.find("sort");
    return it == fields.texts.end() || parseSortKey(toUtf8(it->second), key);
}

constexpr const char* kBadSort = "\"sort\" is not departure, arrival, duration or train";

std::string answerJourney(Answering& a, const Fields& f, std::string& out) {
    SortKey sort = SortKey::Listed;
    if (!takeSort(f, sort)) return kBadSort;
    JourneyQuestion question;
    question.from = toUtf8(field(f, "from"));
    question.to = toUtf8(field(f, "to"));
    if (f.texts.count("after") != 0 &&
        !parseClock(toUtf8(field(f, "after")), question.options.afterMinutes)) {
        return "\"after\" is not a time HH:MM";
    }
    if (f.texts.count("arriveBy") != 0 &&
        !parseJourneyTime(toUtf8(field(f, "arriveBy")), question.options.arriveByMinutes)) {
        return "\"arriveBy\" is not a time HH:MM, HH:MM+1 or HH:MM+2";
    }
    question.via = toUtf8(field(f, "via"));
    takeNumber(f, "viaMinutes", question.options.viaMinutes);
    question.options.stepFree = f.switches.count("stepFree") != 0 && f.switches.at("stepFree");
    takeNumber(f, "maxChanges", question.options.maxChanges);
    takeNumber(f, "changeMinutes", question.options.changeMinutes);
    question.options.changeMinutesGiven = f.numbers.count("changeMinutes") != 0;
    takeNumber(f, "placeChangeMinutes", question.options.placeChangeMinutes);
    std::vector<JourneyRow> journeys;
    std::string error;
    if (!findJourneys(a.db, a.planner, question, journeys, error)) return error;
    sortJourneys(journeys, sort, false);
    appendJourneysDocument(out, journeys);
    return {};
}

// The commands a line may ask, with the arguments of the command of the same name. A further
// query (such as the journey planner) is one more entry here.
const std::vector<BatchCommand>& batchCommands() {
    static const std::vector<BatchCommand> commands = {
        {"route",
         {"from", "to"},
         {"sort"},
         {},
         [](Answering& a, const Fields& f, std::string& out) -> std::string {
             SortKey sort = SortKey::Listed;
             if (!takeSort(f, sort)) return kBadSort;
             std::vector<std::u16string> names{field(f, "from"), field(f, "to")};
             if (std::string refusal = resolvePlaces(a.db, names); !refusal.empty()) {
                 return refusal;
             }
             std::vector<ResultRow>& rows = a.emptyRows();
             a.db.queryStationToStation(names[0], names[1], rows);
             sortRows(rows, sort, false);
             appendRowsDocument(out, rows);
             return {};
         }},
        {"transfer",
         {"from", "to"},
         {"via", "sort"},
         {},
         [](Answering& a, const Fields& f, std::string& out) -> std::string {
             SortKey sort = SortKey::Listed;
             if (!takeSort(f, sort)) return kBadSort;
             std::vector<std::u16string> names{field(f, "from"), field(f, "to")};
             if (f.texts.count("via") != 0) names.push_back(field(f, "via"));
             if (std::string refusal = resolvePlaces(a.db, names); !refusal.empty()) {
                 return refusal;
             }
             const std::u16string& from = names[0];
             const std::u16string& to = names[1];
             if (names.size() == 3) {
                 std::vector<ResultRow>& rows = a.emptyRows();
                 const int legs = a.db.queryTransferTrains(from, names[2], to, rows);
                 sortTransferLegs(rows, legs, sort);
                 appendTransferRowsDocument(out, rows, legs);
                 return {};
             }
             std::vector<std::u16string> stations;
             a.db.queryTransferStations(from, to, stations);
             appendTransferStationsDocument(out, stations);
             return {};
         }},
        {"train",
         {"text"},
         {"sort"},
         {},
         [](Answering& a, const Fields& f, std::string& out) -> std::string {
             SortKey sort = SortKey::Listed;
             if (!takeSort(f, sort)) return kBadSort;
             std::vector<ResultRow>& rows = a.emptyRows();
             a.db.queryTrainNumber(upperAscii(field(f, "text")), rows);
             sortRows(rows, sort, false);
             appendRowsDocument(out, rows);
             return {};
         }},
        {"stops",
         {"number"},
         {},
         {},
         [](Answering& a, const Fields& f, std::string& out) -> std::string {
             TrainRecord train;
             findStops(a.db, field(f, "number"), train);
             appendStopsDocument(out, a.db, train);
             return {};
         }},
        {"station",
         {"name"},
         {"sort"},
         {},
         [](Answering& a, const Fields& f, std::string& out) -> std::string {
             SortKey sort = SortKey::Listed;
             if (!takeSort(f, sort)) return kBadSort;
             std::vector<std::u16string> names{field(f, "name")};
             if (std::string refusal = resolvePlaces(a.db, names); !refusal.empty()) {
                 return refusal;
             }
             std::vector<ResultRow>& rows = a.emptyRows();
             a.db.queryStation(names[0], rows);
             sortRows(rows, sort, false);
             appendRowsDocument(out, rows);
             return {};
         }},
        {"suggest",
         {"text"},
         {},
         {},
         [](Answering& a, const Fields& f, std::string& out) -> std::string {
             std::vector<std::u16string> names;
             a.db.suggestStations(upperAscii(field(f, "text")), names);
             appendNamesDocument(out, names);
             return {};
         }},
        {"find",
         {"text"},
         {},
         {},
         [](Answering& a, const Fields& f, std::string& out) -> std::string {
             std::vector<std::u16string> names;
             a.db.findStations(field(f, "text"), names);
             appendNamesDocument(out, names);
             return {};
         }},
        {"journey",
         {"from", "to"},
         {"after", "arriveBy", "via", "sort"},
         {{"maxChanges", 0, kMaxJourneyChanges},
          {"changeMinutes", 0, kMinutesPerDay - 1},
          {"placeChangeMinutes", 0, kMinutesPerDay - 1},
          {"viaMinutes", 0, kMinutesPerDay - 1}},
         answerJourney,
         {"stepFree"}},
    };
    return commands;
}

// Answers one line: appends the answer to `out` and returns "", or returns what is wrong with
// the line and appends nothing. `defaultDate` is the day of a question that names none.
std::string answerQuestion(Answering& answering, std::string_view line, DateKey defaultDate,
                           std::string& out) {
    if (line.find_first_not_of(" \t") == std::string_view::npos) return "empty line";
    const nlohmann::json question = nlohmann::json::parse(line, nullptr, false);
    if (question.is_discarded()) return "not JSON";
    if (!question.is_object()) return "not a JSON object";
    auto command = question.find("command");
    if (command == question.end() || !command->is_string()) {
        return "\"command\" is missing or not a string";
    }
    const std::string name = command->get<std::string>();
    const BatchCommand* known = nullptr;
    for (const BatchCommand& c : batchCommands()) {
        if (name == c.name) known = &c;
    }
    if (known == nullptr) return "unknown command \"" + name + "\"";

    Fields fields;
    auto take = [&](const char* key, bool required) -> std::string {
        auto it = question.find(key);
        if (it == question.end()) {
            return required ? "\"" + std::string(key) + "\" is missing" : std::string();
        }
        if (!it->is_string()) return "\"" + std::string(key) + "\" is not a string";
        fields.texts[key] = fromUtf8(it->get<std::string>());
        return {};
    };
    for (const char* key : known->required) {
        if (std::string problem = take(key, true); !problem.empty()) return problem;
    }
    for (const char* key : known->optional) {
        if (std::string problem = take(key, false); !problem.empty()) return problem;
    }
    for (const NumberField& number : known->numbers) {
        auto it = question.find(number.name);
        if (it == question.end()) continue;
        // Integers only: 2.5, 2.0 and "2" are refused, as a number out of the range is.
        long long value = 0;
        bool whole = false;
        if (it->is_number_unsigned()) {
            const auto positive = it->get<std::uint64_t>();
            whole = positive <= static_cast<std::uint64_t>(number.most);
            value = whole ? static_cast<long long>(positive) : 0;
        } else if (it->is_number_integer()) {
            value = it->get<std::int64_t>();
            whole = true;
        }
        if (!whole || value < number.least || value > number.most) {
            return "\"" + std::string(number.name) + "\" is not a whole number " +
                   std::to_string(number.least) + "-" + std::to_string(number.most);
        }
        fields.numbers[number.name] = static_cast<int>(value);
    }
    for (const char* key : known->switches) {
        auto it = question.find(key);
        if (it == question.end()) continue;
        if (!it->is_boolean()) return "\"" + std::string(key) + "\" is not true or false";
        fields.switches[key] = it->get<bool>();
    }

    DateKey date = defaultDate;
    auto day = question.find("date");
    if (day != question.end()) {
        if (!day->is_string() || !parseDate(day->get<std::string>(), date)) {
            return "\"date\" is not a date YYYY-MM-DD";
        }
    }
    // Every line starts where a one-off command starts: its day, and no departure station (a
    // route or station line leaves its own behind, which a stops line would count from).
    answering.db.queryDate = date;
    answering.db.fromStation = -1;
    return known->answer(answering, fields, out);
}

// Appends the answer to one line, or its error, and a line feed.
void answerLine(Answering& answering, std::string_view line, DateKey defaultDate,
                std::string& out) {
    const std::string problem = answerQuestion(answering, line, defaultDate, out);
    if (!problem.empty()) {
        appendErrorDocument(out, fromUtf8(problem));
    }
    out += '\n';
}

bool writeAll(const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(STDOUT_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads stdin in blocks and answers every whole line of a block before the next read, so a
// script that writes one question and waits gets its answer, and a file of questions is
// answered in large writes. False when stdout cannot be written or stdin cannot be read.
bool runBatch(TimetableDb& db) {
    constexpr std::size_t kWriteAt = 1 << 20;
    const DateKey defaultDate = db.queryDate;
    Answering answering{db, {}, nullptr};
    std::string pending;
    std::string answers;
    char block[65536];
    bool ended = false;
    while (!ended) {
        const ssize_t n = ::read(STDIN_FILENO, block, sizeof block);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        ended = n == 0;
        pending.append(block, static_cast<std::size_t>(n));
        std::size_t start = 0;
        for (std::size_t end; (end = pending.find('\n', start)) != std::string::npos;
             start = end + 1) {
            std::string_view line(pending.data() + start, end - start);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            answerLine(answering, line, defaultDate, answers);
            // A block of short questions can ask for a few hundred long answers: written as
            // they reach a megabyte, so that they need not all be held at once.
            if (answers.size() >= kWriteAt) {
                if (!writeAll(answers)) return false;
                answers.clear();
            }
        }
        pending.erase(0, start);
        if (ended && !pending.empty()) {  // a last line without its line feed
            answerLine(answering, pending, defaultDate, answers);
        }
        if (!writeAll(answers)) return false;
        answers.clear();
    }
    return true;
}

}  // namespace

void addBatchCommand(CLI::App& app, Globals& globals) {
    CLI::App* batch =
        addCommand(app, globals, "batch",
                   tr("Answer questions given as JSON lines on stdin, one JSON line each"));
    if (!batch) return;
    batch->callback([&globals] {
        TimetableDb& db = TimetableDb::instance();
        // A batch may serve for hours: the timetable is copied, not mapped.
        db.mapFiles = false;
        if (!openDatabase(globals, db)) return;
        if (!runBatch(db)) {
            std::cerr << "zelvan-cli batch: "
                      << tr("cannot read the questions or write the answers") << "\n";
            globals.exitCode = kExitFailed;
        }
    });
}

}  // namespace zelvan::cli
