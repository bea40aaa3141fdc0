// Aligned plain-text tables for the terminal, with the display width of CJK text.
#pragma once

#include <string>
#include <vector>

namespace zelvan::cli {

// Terminal columns a UTF-16 text takes: 2 for East Asian wide characters, else 1.
int displayWidth(const std::u16string& text);

// Rows of cells (UTF-16) printed under their headings, columns separated by two spaces.
std::string renderTable(const std::vector<std::u16string>& headings,
                        const std::vector<std::vector<std::u16string>>& rows);

}  // namespace zelvan::cli
