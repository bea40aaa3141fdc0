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
    // Every file written, the name lists included.
    std::map<std::string, std::string> allFiles() const {
        std::map<std::string, std::string> all = files;
        all["s.i"] = nameList(stations);
        all["t.i"] = nameList(trains);
        return all;
    }
    bool load(TimetableDb& db) const {
        write();
        return db.load(dir.wide());
    }
};

// A small valid database: three stations, four trains, codes, ads and rules. D1 calls at
// 北京 and 上海 only, yet 天津's record lists it (the program reads around that).
inline void makeSmallTimetable(DbFolder& folder) {
    folder.stations = {"北京", "天津", "上海"};
    folder.trains = {"D1", "G1", "K1", "T1"};
    folder.files["S1.dat"] = hexBytes("00 00 00 00 00 01 00 02 80");
    folder.files["S2.dat"] = hexBytes("00 01 00 00 00 03 80");
    folder.files["S3.dat"] = hexBytes("00 02 00 00 00 01 00 02 00 03 80");
    folder.files["T1.dat"] = hexBytes(
        "00 00 06 00 15 36 4B 09 7F 3E 4B 09 00"
        " 00 00 08 00 05 00 00  00 02 0C 00 00 0A 00 80");
    folder.files["T2.dat"] = hexBytes(
        "00 01 21 05 15 36 4B 09 7F 3E 4B 09 01"
        " 00 00 17 1E 00 00 00  00 02 02 0A 00 0A 00 80");
    folder.files["T3.dat"] = hexBytes(
        "00 02 30 00 15 36 4B 09 7F 3E 4B 09 02"
        " 00 02 06 00 00 00 00  00 00 09 00 00 0A 00 80");
    folder.files["T4.dat"] = hexBytes(
        "00 03 01 00 15 36 4B 09 7F 3E 4B 09 00"
        " 00 01 06 00 03 00 00  00 02 07 00 00 01 00 80");
    folder.files["name.txt"] = utf16File(u"北京 BJ 天津 TJ 上海 SH 上海 S");
    folder.files["ads.txt"] = utf16File(u"a http://m.zelvan.cn/mp/a b http://x");
    folder.files["t.rule"] = "1 1\n2 1\n2 2\n";
    folder.files["ver.txt"] = "2026.12.01\n";
}

}  // namespace zelvan::test
