// Texts between the program's UTF-8 and the driver's UTF-16, and the check
// that a text keeps to a range of characters.
#pragma once

#include <optional>
#include <string>
#include <string_view>

// Null when text is not valid UTF-8. Characters beyond the basic plane
// become surrogate pairs.
std::optional<std::u16string> Utf8ToUtf16(std::string_view text);

// The first character of text outside first..last (a surrogate pair counts
// as the one character it stands for), or null when there is none.
std::optional<char32_t> FirstOutside(std::u16string_view text, char32_t first, char32_t last);
