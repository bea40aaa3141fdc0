// Aligned plain-text tables for the terminal, with the display width of CJK text.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvan::cli {

// Terminal columns a UTF-16 text takes: 2 for East Asian wide characters, else 1.
int displayWidth(std::u16string_view text);

// Rows of cells (UTF-16) printed under their headings, columns separated by two spaces.
std::string renderTable(const std::vector<std::u16string>& headings,
                        const std::vector<std::vector<std::u16string>>& rows);

// The same for `rowCount` rows whose cells cell(row, column) gives: each cell is asked for twice
// (to measure the columns, then to write it) instead of being copied into a table first, and
// each text it gives is used before it is asked for the next.
using CellText = std::function<std::u16string_view(std::size_t row, std::size_t column)>;
std::string renderTable(const std::vector<std::u16string>& headings, std::size_t rowCount,
                        const CellText& cell);

// Lines "LABEL  VALUE" with the values lined up two columns after the widest label.
using Labelled = std::pair<std::u16string, std::string>;
std::string renderLabelled(const std::vector<Labelled>& lines);

}  // namespace zelvan::cli
