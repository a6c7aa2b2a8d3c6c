// JSON read with the line on which each value begins, so that a message
// about any part of a file can point at it.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

struct LocatedJson {
  nlohmann::json value;
  // Line of each value by its JSON pointer ("" for the whole document,
  // "/calls/3" for the fourth call). A member's line is that of its key.
  std::map<std::string, int> lines;

  // The line of the value at pointer, or of the nearest enclosing value that
  // has one.
  int LineOf(std::string pointer) const;
};

// Parses text; a syntax error is a Failure "line N: REASON" about `what`
// (such as "the script s.json").
LocatedJson ParseLocatedJson(std::string_view text, const std::string& what);
