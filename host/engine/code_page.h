// The host's ANSI code page, Windows-1252, and UTF-16. A UTF-16 unit the
// code page cannot show becomes "?".
#pragma once

#include <cstddef>

#include "engine/types.h"

WCHAR AnsiToUnicode(unsigned char byte);
unsigned char UnicodeToAnsi(WCHAR unit);
