// A data folder written byte by byte for the database tests.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "db/timetable_db.h"
#include "test_files.h"

namespace zelvan::test {

// Name-list file (s.i / t.i): 2 unread bytes, entries of a big-endian length and the bytes,
// ended by a zero-length entry.
inline std::string nameList(const std::vector<std::string>& names) {
    std::string bytes = "\0\0";
    bytes.resize(2);
    for (const std::string& n : names) {
        bytes.push_back(static_cast<char>(n.size() >> 8));
        bytes.push_back(static_cast<char>(n.size() & 0xFF));
        bytes += n;
    }
    bytes.append(2, '\0');
    return bytes;
}

// Writes s.i, t.i and all thirty record files (empty unless given) into a temporary folder.
struct DbFolder {
    TempDir dir;
    std::vector<std::string> stations;
    std::vector<std::string> trains;
    std::map<std::string, std::string> files;  // file name -> bytes, overrides and extras

    void write() const {
        writeBytes(dir / "s.i", nameList(stations));
        writeBytes(dir / "t.i", nameList(trains));
        for (int i = 0; i < 10; ++i) writeBytes(dir / ("S" + std::to_string(i) + ".dat"), "");
        for (int i = 0; i < 20; ++i) writeBytes(dir / ("T" + std::to_string(i) + ".dat"), "");
        for (const auto& [name, bytes] : files) writeBytes(dir / name, bytes);
    }
    bool load(TimetableDb& db) const {
        write();
        return db.load(dir.wide());
    }
};

}  // namespace zelvan::test
