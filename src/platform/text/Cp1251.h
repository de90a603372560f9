#pragma once

#include <string>
#include <string_view>

namespace kroyna::text {

// Converts text between the Windows Cyrillic code page 1251 used by the
// files the program reads and writes, and UTF-8 used inside the program.
//
// Bytes of code page 1251 that have no character (0x98) become U+FFFD.
// Characters that code page 1251 cannot hold become '?', so a conversion
// never fails and never loses the rest of the text.
std::string cp1251ToUtf8(std::string_view bytes);
std::string utf8ToCp1251(std::string_view utf8);

// True when every character of the UTF-8 text exists in code page 1251.
bool fitsCp1251(std::string_view utf8);

// Upper and lower case of UTF-8 text for Latin and Cyrillic letters, as
// used for case-insensitive names of keys, sections and fields.
std::string toUpperUtf8(std::string_view utf8);
bool equalsIgnoreCase(std::string_view a, std::string_view b);

}  // namespace kroyna::text
