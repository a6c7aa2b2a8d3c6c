// What `cardprint ppd dump` shows of a packed description image: one JSON
// object with a fixed set of keys, or the same as readable text.
//
// Reals are shown as stored (value x 256) in JSON and as points in text;
// 8-bit strings take each byte as the code point of the same value; an
// absent string is null. Feature and option indexes of the order
// dependencies and constraints come with the names they resolve to.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "host/ppd_file/ppd_file.h"
#include "ppd/records.h"

// The image as one JSON object (the text, without a final line end).
// refusals, given for a description read from a file, adds the "errors"
// list: the statements the interpreter refused.
std::string PpdImageJson(PPDOBJ* image, const std::vector<PpdRefusal>* refusals);

// The image as text, one record per line.
void WritePpdImageText(std::ostream& out, PPDOBJ* image, const std::vector<PpdRefusal>* refusals);
