// Texts between the program's UTF-8 and the driver's UTF-16, and the check
// that a text survives the printer's 8-bit code page.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Null when text is not valid UTF-8. Characters beyond the basic plane
// become surrogate pairs.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// The first character of text that the printer's code page cannot encode,
// or null when every character can be sent.
std::optional<char32_t> FirstUnencodable(std::u16string_view text);
