// The card job that both the output tests and the driver's whole-job test
// print: a known drawing on the default landscape card, and the stream the
// printer must receive for a job of that page followed by a blank one, byte
// for byte with the panel data (default settings: all panels, print area
// 0, 0, 656, 1024, one copy, no encoder, no adjustments).
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "engine/types.h"

namespace card_job {

using ByteVector = std::vector<std::uint8_t>;

// The drawing, in device coordinates of the landscape card (1024 x 656,
// y downwards): a red block, a black block and a near-black block on white.
struct Block {
  RECTL rect;
  ULONG color;
};
inline constexpr Block kDrawing[] = {
    {{100, 50, 300, 200}, 0x000000FF},
    {{400, 300, 500, 400}, 0x00000000},
    {{600, 100, 700, 150}, 0x00010101},
};

// Byte by byte: GCC 12 at -O3 takes a range insert into a vector that may
// still be empty for a write past its end (-Wstringop-overflow).
inline void Append(ByteVector& out, std::string_view text) {
  for (char c : text) out.push_back(static_cast<std::uint8_t>(c));
}

inline ULONG DrawnColor(LONG x, LONG y) {
  for (const Block& b : kDrawing) {
    if (x >= b.rect.left && x < b.rect.right && y >= b.rect.top && y < b.rect.bottom) {
      return b.color;
    }
  }
  return 0x00FFFFFF;
}

// Panel bytes of each drawn colour after correction and separation: red
// corrects to 0x241CFF, near-black to 0x020202; black goes to the black
// panel alone; white prints nothing.
struct Separated {
  BYTE y, m, c, k;
};

inline Separated SeparatedColor(ULONG color) {
  switch (color) {
    case 0x000000FF:
      return {0xFF - 0x24, 0xFF - 0x1C, 0x00, 0x00};
    case 0x00000000:
      return {0x00, 0x00, 0x00, 0xFF};
    case 0x00010101:
      return {0xFD, 0xFD, 0xFD, 0x00};
    default:
      return {0x00, 0x00, 0x00, 0x00};
  }
}

// A full-card landscape panel of one ink: line i, dot j comes from image
// column i, counted from the bottom row up (row 655 - j).
inline ByteVector Panel(BYTE Separated::*ink, bool drawn) {
  ByteVector data(656 * 1024);
  for (LONG i = 0; i < 1024; ++i) {
    for (LONG j = 0; j < 656; ++j) {
      data[i * 656 + j] = drawn ? SeparatedColor(DrawnColor(i, 655 - j)).*ink : 0x00;
    }
  }
  return data;
}

// One page: the page start, the panel resets, the four inks of the whole
// card (header, data, trailer) and the overlay panel without areas.
inline ByteVector Page(bool drawn) {
  using namespace std::string_view_literals;
  ByteVector page;
  Append(page, "\x1b\x01\r"sv);
  Append(page,
         "\x1b"
         "cY\r\x1b"
         "cM\r\x1b"
         "cC\r\x1b"
         "cK\r\x1b"
         "cO\r"sv);
  Append(page,
         "\x1b"
         "cY\r\x1b"
         "cM\r\x1b"
         "cC\r"sv);
  struct Ink {
    char letter;
    BYTE Separated::*part;
  };
  constexpr Ink kInks[] = {
      {'Y', &Separated::y}, {'M', &Separated::m}, {'C', &Separated::c}, {'K', &Separated::k}};
  for (const Ink& ink : kInks) {
    if (ink.letter == 'K')
      Append(page,
             "\x1b"
             "cK\r"sv);
    Append(page,
           "\x1b"
           "e"sv);
    page.push_back(static_cast<std::uint8_t>(ink.letter));
    Append(page, "000000011\x0a\x40\x00\x02\x90S"sv);
    ByteVector data = Panel(ink.part, drawn);
    page.insert(page.end(), data.begin(), data.end());
    Append(page,
           "\r\x1b"
           "a"sv);
    page.push_back(static_cast<std::uint8_t>(ink.letter));
    Append(page, "0001\r"sv);
  }
  Append(page,
         "\x1b"
         "cO\r\x1b"
         "aO0001\r"sv);
  return page;
}

// The whole job: document start and adjustments, the drawn page, a blank
// page, the document end.
inline ByteVector TwoPageJob() {
  using namespace std::string_view_literals;
  ByteVector job;
  Append(job,
         "\x1bPL\r\x1b"
         "d0505050005\r"sv);
  ByteVector drawn = Page(true);
  ByteVector blank = Page(false);
  job.insert(job.end(), drawn.begin(), drawn.end());
  job.insert(job.end(), blank.begin(), blank.end());
  Append(job, "\x1b\x04\r"sv);
  return job;
}

// Writes of that job: 2 for the document, 24 per page, 1 to end it.
inline constexpr std::size_t kTwoPageJobWrites = 2 + 24 + 24 + 1;

}  // namespace card_job
