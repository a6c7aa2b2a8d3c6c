// Numbers given as text (setting values, option values): one integer, or a
// list of integers separated by commas, each within a range.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

// An integer option value within [min, max]; anything else is a Failure
// naming what the value is for.
long ParseInteger(std::string_view text, std::string_view what, long min, long max);

// Exactly count integers separated by commas, each within [min, max].
std::vector<long> ParseIntegerList(std::string_view text, std::string_view what, std::size_t count,
                                   long min, long max);
