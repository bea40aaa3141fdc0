// Asks one question of a loaded timetable again and again, for instruction counts that the
// machine's load does not move: callgrind counts only what runs inside askRepeatedly(), and the
// difference of two runs with different counts is the cost of one question once every table a
// process builds on its way is built (bench/count_instructions.py).
//
//     zelvan_question_loop DATA QUESTION COUNT
//
// QUESTION: station, station_answer, route, route_answer, number_1, number_G101, suggest,
// transfer (the zelvan_bench questions on the national timetable of seed 1).
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "db/running_days.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"

namespace {

using zelvan::TimetableDb;

__attribute__((noinline)) void askRepeatedly(const std::function<void()>& ask, int count) {
    for (int i = 0; i < count; ++i) ask();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: zelvan_question_loop DATA QUESTION COUNT\n");
        return 2;
    }
    TimetableDb db;
    db.queryDate = zelvan::makeDateKey(2026, 6, 15);
    if (!db.load(zelvan::fromUtf8(argv[1]))) {
        std::fprintf(stderr, "zelvan_question_loop: %s does not load\n", argv[1]);
        return 1;
    }
    std::vector<zelvan::ResultRow> rows;
    std::vector<zelvan::TrainStretch> stretches;
    std::vector<std::u16string> names;
    const auto numbers = [&] {
        for (const zelvan::TrainStretch& s : stretches)
            names.push_back(db.trainNameByIndex(s.trainIndex));
    };
    const std::map<std::string, std::function<void()>> questions = {
        {"station",
         [&] {
             rows.clear();
             db.queryStation(u"北孝", rows);
         }},
        {"station_answer",
         [&] {
             stretches.clear();
             names.clear();
             db.findStationTrains(u"北孝", stretches);
             numbers();
         }},
        {"route",
         [&] {
             rows.clear();
             db.queryStationToStation(u"肇元北", u"丽密连北", rows);
         }},
        {"route_answer",
         [&] {
             stretches.clear();
             names.clear();
             db.findStationToStation(u"肇元北", u"丽密连北", stretches);
             numbers();
         }},
        {"number_1",
         [&] {
             rows.clear();
             db.queryTrainNumber(u"1", rows);
         }},
        {"number_G101",
         [&] {
             rows.clear();
             db.queryTrainNumber(u"G101", rows);
         }},
        {"suggest", [&] { db.suggestStations(u"YY", names); }},
        {"transfer",
         [&] {
             names.clear();
             db.queryTransferStations(u"长铁", u"舟潍台", names);
         }},
    };
    const auto question = questions.find(argv[2]);
    if (question == questions.end()) {
        std::fprintf(stderr, "zelvan_question_loop: no question %s\n", argv[2]);
        return 2;
    }
    askRepeatedly(question->second, std::atoi(argv[3]));
    return 0;
}
