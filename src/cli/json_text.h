// JSON text written straight into a string, for the documents that carry many rows: the bytes
// nlohmann::json's dump() gives for the same document (no indentation, UTF-8 kept, ill-formed
// text replaced), without building the document first. Keys go out as written; a caller writes
// them in the sorted order in which a json object would hold them.
#pragma once

#include <string>
#include <string_view>

namespace zelvan::cli {

// Appends `text` as a quoted JSON string: '"' and '\\' escaped, the control characters below
// U+0020 as \b \t \n \f \r or \u00xx, everything else as UTF-8, an unpaired surrogate as U+FFFD.
void appendJsonString(std::string& out, std::u16string_view text);
// The most bytes a text of `units` code units takes as a JSON string, and the same writer as
// appendJsonString for room known to be large enough: writes from `p` on, returns the end.
constexpr std::size_t jsonStringBound(std::size_t units) {
    return 2 + 6 * units;  // the quotes, \u001f for a unit (a pair: four bytes for two units)
}
char* writeJsonString(char* p, std::u16string_view text);
// Appends a whole number.
void appendJsonNumber(std::string& out, long long value);

}  // namespace zelvan::cli
