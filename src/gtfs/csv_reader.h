// Reading CSV as RFC 4180 has it: fields separated by commas, lines by LF or CR LF, a field in
// double quotes may hold commas, line breaks and doubled quotes; a byte-order mark before the
// header is skipped. The GTFS files are read this way, columns found by their header names.
#pragma once

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvan::gtfs {

// One parsed line: its fields (views into the file, or into the reader's buffer for a quoted
// field that needed unescaping) and the number of the line it starts on (1: the header).
struct CsvRow {
    std::vector<std::string_view> fields;
    int line = 0;
};

// A walk over a file read piece by piece: the same state goes to readCsv with each piece. With
// `partial` set (more text follows), a last line without its line break, or a quoted field
// still open at the end, is not read: `consumed` says how many bytes were, and the rest goes
// again at the front of the next piece. The last piece goes without `partial`.
struct CsvState {
    bool headerDone = false;
    int line = 1;            // the line the next piece starts on
    std::string headerText;  // the header's names: its views stay valid for the whole walk
    bool partial = false;
    std::size_t consumed = 0;
    bool stopped = false;  // `row` returned false
};

// Reads `text` line by line. `header` gets the header's fields (trimmed; the views hold until
// readCsv returns); then `row` gets each
// later non-empty line, with fields trimmed of surrounding spaces and tabs (`trimmed` counts
// the fields that had some). Returns false and sets `error` for a quote that
// is never closed or text after a closing quote ("N: what", N the line); `row` returning false
// stops the walk.
bool readCsv(std::string_view text,
             const std::function<void(const std::vector<std::string_view>&)>& header,
             const std::function<bool(const CsvRow&)>& row, long long& trimmed, std::string& error,
             CsvState* state = nullptr);

// The column of a header by name; -1 when absent.
int columnOf(const std::vector<std::string_view>& header, std::string_view name);

}  // namespace zelvan::gtfs
