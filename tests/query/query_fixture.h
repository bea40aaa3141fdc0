// Tiny timetables written inline as source text and compiled for the query tests.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "compiler/timetable_source.h"
#include "db/text.h"
#include "db/timetable_db.h"
#include "fare/result_row.h"
#include "test_files.h"

namespace zelvan::test {

// Compiles the given source files into a temporary folder and loads them.
class CompiledDb {
  public:
    explicit CompiledDb(const std::map<std::string, std::string>& files) {
        std::string error;
        compiled_ = compileSourceText(files, dir_.path(), error);
        EXPECT_TRUE(compiled_) << error;
        if (compiled_) {
            EXPECT_TRUE(db.load(dir_.wide()));
        }
        db.queryDate = 20261208;
    }
    TimetableDb db;

  private:
    TempDir dir_;
    bool compiled_ = false;
};

// One line per row: number, from and to with times, distance, travel time, status.
inline std::string render(const std::vector<ResultRow>& rows) {
    std::string text;
    for (const ResultRow& r : rows) {
        text += toUtf8(r.trainName + u" " + r.departureStation + u" " + r.departureTime + u" " +
                       r.arrivalStation + u" " + r.arrivalTime + u" " + r.distanceText + u"km " +
                       r.travelTimeText) +
                " " + std::to_string(r.status) + "\n";
    }
    return text;
}

inline std::string render(const std::vector<std::u16string>& names) {
    std::string text;
    for (const std::u16string& n : names) text += toUtf8(n) + "\n";
    return text;
}

}  // namespace zelvan::test
