// A description written out as text, one record per line, so that a test
// compares a whole description at once and a difference shows as a line
// diff. Every string is quoted with its non-printable bytes escaped; reals
// are written as the stored PS real (value x 256). Walking the description
// also touches every record and string it holds.
#pragma once

#include <string>

#include "ppd/records.h"

std::string DescribePpd(const PPDOBJ& ppd);

// A text with its non-printable bytes escaped (\r, \n, \xNN), in quotes;
// NULL is written as null.
std::string Quote(const CHAR* text);
