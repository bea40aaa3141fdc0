// Conversions of stored text into UTF-16, and back for the files we write.
#pragma once

#include <string>
#include <string_view>

namespace zelvan {

// Capacity of the conversion buffers, terminator included: results hold at most 511 units.
inline constexpr std::size_t kWideBufferUnits = 512;

// ANSI code page of the data (code page 936, GBK) -> UTF-16, cut at 511 units. Conversion stops
// at the first NUL; an undecodable byte becomes U+FFFD.
std::u16string ansiToWide(std::string_view ansi);
// UTF-8 -> UTF-16 with the same limits.
std::u16string utf8ToWide(std::string_view utf8);

// Unlimited conversions for our own tools (compiler, command line, file paths).
std::u16string fromUtf8(std::string_view utf8);
std::string toUtf8(std::u16string_view wide);
// UTF-16 -> GBK; false when a character has no GBK form.
bool toAnsi(std::u16string_view wide, std::string& ansi);

// ASCII upper-casing of a copy, as the dialogs do with typed text.
std::u16string upperAscii(std::u16string_view text);

}  // namespace zelvan
