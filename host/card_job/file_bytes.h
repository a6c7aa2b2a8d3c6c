// Reading a whole input file.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// The file's bytes; a Failure naming it as `what` (such as "the image") when
// it cannot be opened or read.
std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::string_view what);

// At most the first count bytes of the file, under the same rules.
std::vector<std::uint8_t> ReadFileStart(const std::string& path, std::string_view what,
                                        std::size_t count);
