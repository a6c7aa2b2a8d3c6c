#include "output/panel_separation.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "output/pixel_color.h"

namespace {

// The surface is walked in tiles of 16 lines by 16 dots: in landscape the 16
// dots of a line then come from 16 memory rows, and the tile is turned round
// in registers so that each line's 16 bytes are stored at once.
constexpr ULONG TILE = 16;

DWORD Mark(DWORD pixel) { return IsPureBlack(pixel) ? COLOR_BITS : pixel | 0xFF000000; }

template <PanelTake Take>
BYTE TakeByte(DWORD pixel) {
  switch (Take) {
    case PanelTake::Yellow:
      return static_cast<BYTE>(255 - ((pixel >> 16) & 0xFF));
    case PanelTake::Magenta:
      return static_cast<BYTE>(255 - ((pixel >> 8) & 0xFF));
    case PanelTake::Cyan:
      return static_cast<BYTE>(255 - (pixel & 0xFF));
    case PanelTake::Marked:
      return static_cast<BYTE>(255 - (pixel >> 24));
    case PanelTake::PureBlack:
      return IsPureBlack(pixel) ? 0xFF : 0x00;
  }
  return 0;
}

// The yellow walk marks each pixel in place before taking its byte.
void MarkRun(DWORD* pRun, ULONG cRun, bool bMark) {
  if (bMark) {
    for (ULONG i = 0; i < cRun; ++i) pRun[i] = Mark(pRun[i]);
  }
}

#if defined(__SSE2__)

// The bytes of 16 dots.
using Bytes16 = __m128i;

// 4 pixels as 32-bit lanes, for the pixel tests.
typedef LONG Pixels4 __attribute__((vector_size(16)));

__m128i IsPureBlack4(__m128i pixels) {
  return reinterpret_cast<__m128i>(IsPureBlack(reinterpret_cast<Pixels4>(pixels)));
}

// Bytes of 4 pixels, one in the low byte of each 32-bit lane.
template <PanelTake Take>
__m128i TakeBytes4(__m128i pixels) {
  const __m128i low = _mm_set1_epi32(0xFF);
  const __m128i ones = _mm_set1_epi32(-1);
  switch (Take) {
    case PanelTake::Yellow:
      return _mm_and_si128(_mm_srli_epi32(_mm_xor_si128(pixels, ones), 16), low);
    case PanelTake::Magenta:
      return _mm_and_si128(_mm_srli_epi32(_mm_xor_si128(pixels, ones), 8), low);
    case PanelTake::Cyan:
      return _mm_and_si128(_mm_xor_si128(pixels, ones), low);
    case PanelTake::Marked:
      return _mm_srli_epi32(_mm_xor_si128(pixels, ones), 24);
    case PanelTake::PureBlack:
      return _mm_and_si128(IsPureBlack4(pixels), low);
  }
  return _mm_setzero_si128();
}

// Turns a tile of 16 rows of 16 bytes round: afterwards row t holds byte t
// of every former row. Four rounds of interleaving rows i and i + 8.
void TransposeTile(Bytes16 (&rows)[TILE]) {
  for (int round = 0; round < 4; ++round) {
    __m128i next[TILE];
    for (ULONG i = 0; i < TILE / 2; ++i) {
      next[2 * i] = _mm_unpacklo_epi8(rows[i], rows[i + 8]);
      next[2 * i + 1] = _mm_unpackhi_epi8(rows[i], rows[i + 8]);
    }
    std::copy(next, next + TILE, rows);
  }
}

// Marks 4 pixels: pure black becomes white with mark 0, others get mark 0xFF.
__m128i Mark4(__m128i pixels) {
  const __m128i color_bits = _mm_set1_epi32(static_cast<int>(COLOR_BITS));
  __m128i black = IsPureBlack4(pixels);
  __m128i marked = _mm_or_si128(pixels, _mm_set1_epi32(static_cast<int>(0xFF000000)));
  return _mm_or_si128(_mm_and_si128(black, color_bits), _mm_andnot_si128(black, marked));
}

template <PanelTake Take>
[[gnu::always_inline]] inline void MarkAndTake16(DWORD* pRun, bool bMark, Bytes16& bytes) {
  __m128i taken[4];
  for (int i = 0; i < 4; ++i) {
    auto* p = reinterpret_cast<__m128i*>(pRun + 4 * i);
    __m128i pixels = _mm_loadu_si128(p);
    if (bMark) {
      pixels = Mark4(pixels);
      _mm_storeu_si128(p, pixels);
    }
    taken[i] = TakeBytes4<Take>(pixels);
  }
  bytes =
      _mm_packus_epi16(_mm_packs_epi32(taken[0], taken[1]), _mm_packs_epi32(taken[2], taken[3]));
}

void Store16(BYTE* pb, Bytes16 bytes) { _mm_storeu_si128(reinterpret_cast<__m128i*>(pb), bytes); }

#else

struct Bytes16 {
  BYTE ab[TILE];
};

template <PanelTake Take>
void MarkAndTake16(DWORD* pRun, bool bMark, Bytes16& bytes) {
  MarkRun(pRun, TILE, bMark);
  for (ULONG i = 0; i < TILE; ++i) bytes.ab[i] = TakeByte<Take>(pRun[i]);
}

void TransposeTile(Bytes16 (&rows)[TILE]) {
  for (ULONG i = 0; i < TILE; ++i) {
    for (ULONG j = i + 1; j < TILE; ++j) std::swap(rows[i].ab[j], rows[j].ab[i]);
  }
}

void Store16(BYTE* pb, const Bytes16& bytes) { std::memcpy(pb, bytes.ab, TILE); }

#endif

// Dot by dot, for what is left beside the whole tiles.
template <PanelTake Take>
void TakeOne(DWORD* pPixel, BYTE* pb, bool bMark) {
  MarkRun(pPixel, 1, bMark);
  *pb = TakeByte<Take>(*pPixel);
}

template <PanelTake Take>
void Separate(BYTE* pbPanel, DWORD* pBits, bool bLandscape, const PRINTAREA& rc, bool bMark) {
  const ULONG cx = rc.cx;
  const ULONG cy = rc.cy;
  const ULONG cxTiles = cx / TILE * TILE;
  if (!bLandscape) {
    for (ULONG i = 0; i < cy; ++i) {
      DWORD* pRow = pBits + (rc.y + i) * ULONG{FRAME_DOTS} + rc.x;
      BYTE* pbLine = pbPanel + i * cx;
      for (ULONG j = 0; j < cxTiles; j += TILE) {
        Bytes16 bytes;
        MarkAndTake16<Take>(pRow + j, bMark, bytes);
        Store16(pbLine + j, bytes);
      }
      for (ULONG j = cxTiles; j < cx; ++j) TakeOne<Take>(pRow + j, pbLine + j, bMark);
    }
    return;
  }

  auto column = [&](ULONG j, ULONG i) {
    return pBits + (rc.x + j) * ULONG{FRAME_LINES} + rc.y + i;
  };
  const ULONG cyTiles = cy / TILE * TILE;
  for (ULONG i0 = 0; i0 < cyTiles; i0 += TILE) {
    for (ULONG j0 = 0; j0 < cxTiles; j0 += TILE) {
      Bytes16 rows[TILE];
      for (ULONG jj = 0; jj < TILE; ++jj) MarkAndTake16<Take>(column(j0 + jj, i0), bMark, rows[jj]);
      TransposeTile(rows);
      for (ULONG t = 0; t < TILE; ++t) Store16(pbPanel + (i0 + t) * cx + j0, rows[t]);
    }
    for (ULONG j = cxTiles; j < cx; ++j) {
      DWORD* pColumn = column(j, i0);
      for (ULONG t = 0; t < TILE; ++t)
        TakeOne<Take>(pColumn + t, pbPanel + (i0 + t) * cx + j, bMark);
    }
  }
  for (ULONG j = 0; j < cx; ++j) {
    DWORD* pColumn = column(j, 0);
    for (ULONG i = cyTiles; i < cy; ++i) TakeOne<Take>(pColumn + i, pbPanel + i * cx + j, bMark);
  }
}

}  // namespace

void SeparatePanel(BYTE* pbPanel, DWORD* pBits, bool bLandscape, const PRINTAREA& rc,
                   PanelTake take) {
  switch (take) {
    case PanelTake::Yellow:
      return Separate<PanelTake::Yellow>(pbPanel, pBits, bLandscape, rc, false);
    case PanelTake::Magenta:
      return Separate<PanelTake::Magenta>(pbPanel, pBits, bLandscape, rc, false);
    case PanelTake::Cyan:
      return Separate<PanelTake::Cyan>(pbPanel, pBits, bLandscape, rc, false);
    case PanelTake::Marked:
      return Separate<PanelTake::Marked>(pbPanel, pBits, bLandscape, rc, false);
    case PanelTake::PureBlack:
      return Separate<PanelTake::PureBlack>(pbPanel, pBits, bLandscape, rc, false);
  }
}

void SeparateYellow(BYTE* pbPanel, DWORD* pBits, bool bLandscape, const PRINTAREA& rc,
                    const COLORCORRECTION* pcc, bool bMark) {
  // The correction runs first, along the memory rows of the print area: long
  // runs keep its vector lanes full.
  if (pcc != nullptr) {
    if (bLandscape) {
      for (ULONG j = 0; j < rc.cx; ++j) {
        CorrectPixels(pBits + (rc.x + j) * ULONG{FRAME_LINES} + rc.y, rc.cy, *pcc);
      }
    } else {
      for (ULONG i = 0; i < rc.cy; ++i) {
        CorrectPixels(pBits + (rc.y + i) * ULONG{FRAME_DOTS} + rc.x, rc.cx, *pcc);
      }
    }
  }
  Separate<PanelTake::Yellow>(pbPanel, pBits, bLandscape, rc, bMark);
}
