// Whole card jobs and single pages: the stream byte for byte with its panel
// data, the order in which panels walk the surface, the black panel's rules,
// the overlay areas, and the bad settings and failures a page must survive.
#include "output/page_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "driver/pdev.h"
#include "driver/surface.h"
#include "engine/constants.h"
#include "engine/services.h"
#include "lib/pool_tags.h"
#include "output/color_correction.h"
#include "output/document_control.h"
#include "output/escapes.h"
#include "support/byte_diff.h"
#include "support/card_instance.h"
#include "support/card_job_stream.h"

using namespace std::string_view_literals;

namespace {

using ByteVector = std::vector<std::uint8_t>;

void Append(ByteVector& out, const ByteVector& bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}

// Paints a rectangle (device coordinates) through the driver's drawing call.
void Paint(CardInstance& card, RECTL rect, ULONG color) {
  BRUSHOBJ brush{color, nullptr, 0};
  ASSERT_TRUE(DrvBitBlt(card.pso(), nullptr, nullptr, nullptr, nullptr, &rect, nullptr, nullptr,
                        &brush, nullptr, ROP4_PATCOPY));
}

// The header and trailer of panel Y, M, C or K as the printer expects them.
std::string Header(char panel, unsigned x, unsigned y, unsigned cx, unsigned cy) {
  char position[32];
  std::snprintf(position, sizeof position, "%03u%04u", x, y);
  unsigned size = cx * cy;
  std::string header =
      "\x1b"
      "e";
  header += panel;
  header += position;
  header += "11";
  for (unsigned byte : {size >> 16, size >> 8, size, cx >> 8, cx})
    header += static_cast<char>(byte);
  return header + "S";
}

std::string Trailer(char panel, unsigned copies) {
  char text[32];
  std::snprintf(text, sizeof text,
                "\r\x1b"
                "a%c%04u\r",
                panel, copies);
  return text;
}

// The data written right after the header of a panel; empty when the panel
// was not sent.
ByteVector PanelData(const std::vector<ByteVector>& writes, char panel) {
  for (std::size_t i = 0; i + 1 < writes.size(); ++i) {
    const ByteVector& w = writes[i];
    if (w.size() == 18 && w[0] == 0x1B && w[1] == 'e' && w[2] == static_cast<BYTE>(panel)) {
      return writes[i + 1];
    }
  }
  return {};
}

bool SurfaceIsWhite(const PDEV* pdev) {
  const auto* words = static_cast<const std::uint32_t*>(pdev->pvBits);
  return std::all_of(words, words + CB_SURFACE_BITS / 4,
                     [](std::uint32_t w) { return w == 0xFFFFFFFF; });
}

using PageTest = CardJobTest;

// ---- A whole job ----

// The job's bytes are compared with the card job stream once, where the
// driver's whole-job test drives the same two pages through the entry-point
// table; here, what each page leaves behind.
TEST_F(PageTest, ADefaultTwoPageJobClosesEachPageAndWipesTheSurface) {
  card->EnableSurface();
  SURFOBJ* pso = card->pso();
  ASSERT_TRUE(DrvStartDoc(pso, nullptr, 1));
  ASSERT_TRUE(DrvStartPage(pso));
  for (const card_job::Block& b : card_job::kDrawing) Paint(*card, b.rect, b.color);
  ASSERT_TRUE(DrvSendPage(pso));
  EXPECT_TRUE(SurfaceIsWhite(card->pdev()));
  EXPECT_EQ(card->pdev()->dwFlags, PDEV_DOCUMENT_OPEN);
  ASSERT_TRUE(DrvStartPage(pso));
  ASSERT_TRUE(DrvSendPage(pso));
  ASSERT_TRUE(DrvEndDoc(pso, 0));

  // Every sequence and every panel in a write of its own.
  EXPECT_EQ(card->Writes().size(), card_job::kTwoPageJobWrites);
  EXPECT_EQ(card->pdev()->cPages, 2u);
  EXPECT_EQ(card->pdev()->dwFlags, 0u);
  EXPECT_TRUE(SurfaceIsWhite(card->pdev()));
}

// ---- Traversal ----

TEST_F(PageTest, LandscapeLinesRunUpTheImageFromItsBottomLeft) {
  card->EnableSurface();
  card->priv().bColorAdjust = 0;
  card->priv().bPrintK = 0;
  card->Pixel(0, 655) = 0x00332211;  // bottom left
  card->Pixel(0, 654) = 0x00443322;  // one up: the next dot of line 0
  card->Pixel(1, 655) = 0x00554433;  // one right: the first dot of line 1
  card->Pixel(0, 0) = 0x00665544;    // top left: the last dot of line 0
  ASSERT_TRUE(DrvSendPage(card->pso()));
  std::vector<ByteVector> writes = card->Writes();
  for (auto [panel, shift] : {std::pair{'Y', 16}, std::pair{'M', 8}, std::pair{'C', 0}}) {
    SCOPED_TRACE(panel);
    ByteVector data = PanelData(writes, panel);
    ASSERT_EQ(data.size(), 671744u);
    // A copy of the binding: clang 14 cannot capture a structured binding.
    auto ink = [by = shift](ULONG color) {
      return static_cast<BYTE>(255 - ((color >> by) & 0xFF));
    };
    EXPECT_EQ(data[0], ink(0x00332211));
    EXPECT_EQ(data[1], ink(0x00443322));
    EXPECT_EQ(data[655], ink(0x00665544));
    EXPECT_EQ(data[656], ink(0x00554433));
  }
}

TEST_F(PageTest, PortraitLinesRunAcrossTheImageFromItsTopLeft) {
  card.emplace(engine, false);
  card->EnableSurface();
  card->priv().bColorAdjust = 0;
  card->priv().bPrintK = 0;
  card->Pixel(0, 0) = 0x00332211;
  card->Pixel(1, 0) = 0x00443322;
  card->Pixel(655, 0) = 0x00665544;
  card->Pixel(0, 1) = 0x00554433;
  card->Pixel(655, 1023) = 0x00776655;
  ASSERT_TRUE(DrvSendPage(card->pso()));
  ByteVector data = PanelData(card->Writes(), 'C');
  ASSERT_EQ(data.size(), 671744u);
  EXPECT_EQ(data[0], 0xFF - 0x11);
  EXPECT_EQ(data[1], 0xFF - 0x22);
  EXPECT_EQ(data[655], 0xFF - 0x44);
  EXPECT_EQ(data[656], 0xFF - 0x33);
  EXPECT_EQ(data[671743], 0xFF - 0x55);
}

TEST_F(PageTest, APrintAreaInsideTheFrameIsWalkedFromItsOrigin) {
  card->EnableSurface();
  card->priv().bColorAdjust = 0;
  card->priv().rcPrint = {10, 20, 30, 40};
  card->Pixel(20, 645) = 0x00000011;  // memory row 10, column 20: line 0, dot 0
  card->Pixel(21, 645) = 0x00000022;  // line 1, dot 0
  card->Pixel(20, 616) = 0x00000033;  // memory row 39: line 0, dot 29
  ASSERT_TRUE(DrvSendPage(card->pso()));
  std::vector<ByteVector> writes = card->Writes();
  EXPECT_BYTES_EQ(Bytes(Header('C', 10, 20, 30, 40)), writes[14]);
  ByteVector data = PanelData(writes, 'C');
  ASSERT_EQ(data.size(), 1200u);
  EXPECT_EQ(data[0], 0xFF - 0x11);
  EXPECT_EQ(data[30], 0xFF - 0x22);
  EXPECT_EQ(data[29], 0xFF - 0x33);
  EXPECT_EQ(data[1], 0x00);
}

// Noise over the whole surface, with pure black and white mixed in, sent
// through a print area that leaves parts of tiles at every edge: the panels
// must equal a dot-by-dot walk with the step-by-step correction.
struct WalkCase {
  const char* name;
  bool landscape;
  PRINTAREA area;
};

const WalkCase kWalkCases[] = {
    {"Landscape", true, {5, 7, 611, 999}},
    {"Portrait", false, {3, 9, 650, 1001}},
    {"LandscapeFullFrame", true, {0, 0, 656, 1024}},
};

class WalkTest : public CardJobTest, public ::testing::WithParamInterface<WalkCase> {};

TEST_P(WalkTest, PanelsMatchADotByDotWalk) {
  const WalkCase& c = GetParam();
  card.emplace(engine, c.landscape);
  card->EnableSurface();
  card->priv().rcPrint = c.area;
  card->priv().alColor[0] = 7;
  auto* bits = static_cast<std::uint32_t*>(card->pdev()->pvBits);
  std::uint32_t seed = 99;
  for (std::size_t i = 0; i < CB_SURFACE_BITS / 4; ++i) {
    seed = seed * 1103515245u + 12345u;
    std::uint32_t pick = seed >> 24;
    bits[i] = pick < 8 ? 0 : pick < 16 ? 0x00FFFFFF : (seed >> 4) & 0x00FFFFFF;
  }
  std::vector<std::uint32_t> image(bits, bits + CB_SURFACE_BITS / 4);
  COLORCORRECTION cc = MakeColorCorrection(card->priv().alColor);
  ASSERT_TRUE(DrvSendPage(card->pso()));

  const PRINTAREA& a = c.area;
  ByteVector expected[4];
  for (ByteVector& panel : expected) panel.resize(std::size_t{a.cx} * a.cy);
  for (std::size_t i = 0; i < a.cy; ++i) {
    for (std::size_t j = 0; j < a.cx; ++j) {
      std::size_t word = c.landscape ? (a.x + j) * 1024 + a.y + i : (a.y + i) * 656 + a.x + j;
      std::uint32_t pixel = CorrectPixel(image[word], cc);
      pixel = (pixel & 0xFFFFFF) == 0 ? 0x00FFFFFF : pixel | 0xFF000000;
      std::size_t dot = i * a.cx + j;
      expected[0][dot] = static_cast<BYTE>(255 - ((pixel >> 16) & 0xFF));
      expected[1][dot] = static_cast<BYTE>(255 - ((pixel >> 8) & 0xFF));
      expected[2][dot] = static_cast<BYTE>(255 - (pixel & 0xFF));
      expected[3][dot] = static_cast<BYTE>(255 - (pixel >> 24));
    }
  }
  std::vector<ByteVector> writes = card->Writes();
  const char panels[] = {'Y', 'M', 'C', 'K'};
  for (int p = 0; p < 4; ++p) {
    SCOPED_TRACE(panels[p]);
    EXPECT_BYTES_EQ(expected[p], PanelData(writes, panels[p]));
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, WalkTest, ::testing::ValuesIn(kWalkCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Which panels, and the black panel's rules ----

struct BlackCase {
  const char* name;
  DWORD bPrintYMC, bPrintK;
  ULONG color;
  int ymc;  // byte of every yellow, magenta and cyan dot; -1: panels not sent
  int k;    // byte of every black dot; -1: panel not sent
};

const BlackCase kBlackCases[] = {
    {"BlackWithBlackPanelGoesToBlackOnly", 1, 1, 0x000000, 0x00, 0xFF},
    {"BlackWithoutBlackPanelIsFullColour", 1, 0, 0x000000, 0xFF, -1},
    {"BlackOnlyPrintsPureBlack", 0, 1, 0x000000, -1, 0xFF},
    {"BlackOnlyLeavesNearBlackOut", 0, 1, 0x010101, -1, 0x00},
    {"NearBlackIsCorrectedIntoTheColours", 1, 1, 0x010101, 0xFD, 0x00},
    {"AllPanelsOff", 0, 0, 0x000000, -1, -1},
};

class BlackPanelTest : public CardJobTest, public ::testing::WithParamInterface<BlackCase> {};

TEST_P(BlackPanelTest, Separates) {
  const BlackCase& c = GetParam();
  card->EnableSurface();
  card->priv().bPrintYMC = c.bPrintYMC;
  card->priv().bPrintK = c.bPrintK;
  card->priv().bPrintOverlay = 0;
  Paint(*card, RECTL{0, 0, 1024, 656}, c.color);
  ASSERT_TRUE(DrvSendPage(card->pso()));

  std::vector<ByteVector> writes = card->Writes();
  for (char panel : {'Y', 'M', 'C'}) {
    SCOPED_TRACE(panel);
    ByteVector data = PanelData(writes, panel);
    EXPECT_EQ(data, c.ymc < 0 ? ByteVector{} : ByteVector(671744, static_cast<BYTE>(c.ymc)));
  }
  ByteVector black = PanelData(writes, 'K');
  EXPECT_EQ(black, c.k < 0 ? ByteVector{} : ByteVector(671744, static_cast<BYTE>(c.k)));
  std::size_t expected_writes = 5 + (c.ymc < 0 ? 0 : 3 + 9) + (c.k < 0 ? 0 : 4);
  EXPECT_EQ(writes.size(), expected_writes);
  ByteVector resets;
  for (std::size_t i = 0; i < 5; ++i) Append(resets, writes[i]);
  EXPECT_BYTES_EQ(
      "\x1b"
      "cY\r\x1b"
      "cM\r\x1b"
      "cC\r\x1b"
      "cK\r\x1b"
      "cO\r"sv,
      resets);
  EXPECT_TRUE(SurfaceIsWhite(card->pdev()));
}

INSTANTIATE_TEST_SUITE_P(Cases, BlackPanelTest, ::testing::ValuesIn(kBlackCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- Overlay areas and copies ----

TEST_F(PageTest, OverlayAreasAreNumberedByTheAreasSent) {
  card->EnableSurface();
  card->priv().bPrintYMC = 0;
  card->priv().bPrintK = 0;
  card->priv().aOverlayArea[0] = {0, 10, 20, 100, 200};
  card->priv().aOverlayArea[2] = {1, 300, 400, 5, 6};
  ULONG copies = 3;
  ASSERT_EQ(DrvEscape(card->pso(), SETCOPYCOUNT, 4, &copies, 0, nullptr), 1u);
  ASSERT_TRUE(DrvSendPage(card->pso()));
  std::vector<ByteVector> writes = card->Writes();
  ASSERT_EQ(writes.size(), 9u);
  EXPECT_BYTES_EQ(
      "\x1b"
      "cO\r"sv,
      writes[5]);
  // index, y, x, y + cy, x + cx, 1 - type
  EXPECT_BYTES_EQ(
      "\x1b"
      "eO"
      "0"
      "0020"
      "0010"
      "0220"
      "0110"
      "1"
      "\r"sv,
      writes[6]);
  EXPECT_BYTES_EQ(
      "\x1b"
      "eO"
      "1"
      "0400"
      "0300"
      "0406"
      "0305"
      "0"
      "\r"sv,
      writes[7]);
  EXPECT_BYTES_EQ(
      "\x1b"
      "aO0003\r"sv,
      writes[8]);
}

TEST_F(PageTest, TheCopyCountFromTheEscapeReachesEveryTrailer) {
  card->EnableSurface();
  ULONG copies = 25;
  ASSERT_EQ(DrvEscape(card->pso(), SETCOPYCOUNT, 4, &copies, 0, nullptr), 1u);
  ASSERT_TRUE(DrvSendPage(card->pso()));
  std::vector<ByteVector> writes = card->Writes();
  EXPECT_BYTES_EQ(Bytes(Trailer('Y', 25)), writes[10]);
  EXPECT_BYTES_EQ(Bytes(Trailer('M', 25)), writes[13]);
  EXPECT_BYTES_EQ(Bytes(Trailer('C', 25)), writes[16]);
  EXPECT_BYTES_EQ(Bytes(Trailer('K', 25)), writes[20]);
  EXPECT_BYTES_EQ(
      "\x1b"
      "aO0025\r"sv,
      writes.back());
}

// ---- Bad settings and failures ----

struct AreaCase {
  const char* name;
  bool landscape;
  PRINTAREA area;
  unsigned cx, cy;  // as sent
};

const AreaCase kAreaCases[] = {
    {"WiderThanTheFrame", true, {600, 0, 100, 1024}, 56, 1024},
    {"LongerThanTheFrame", false, {0, 1000, 656, 100}, 656, 24},
    {"BeyondBothEdges", false, {650, 1020, 0xFFFF, 0xFFFF}, 6, 4},
    {"StartsOutsideTheFrame", true, {700, 0, 10, 10}, 0, 10},
};

class PrintAreaTest : public CardJobTest, public ::testing::WithParamInterface<AreaCase> {};

// An area that runs past the frame is cut at its edge: the surface is never
// read outside, and the headers describe what is sent.
TEST_P(PrintAreaTest, IsCutAtTheFrame) {
  const AreaCase& c = GetParam();
  card.emplace(engine, c.landscape);
  card->EnableSurface();
  card->priv().rcPrint = c.area;
  card->priv().bColorAdjust = 0;
  LONG right = c.landscape ? 1023 : 655;
  LONG bottom = c.landscape ? 655 : 1023;
  card->Pixel(right, bottom) = 0x00000000;
  ASSERT_TRUE(DrvSendPage(card->pso()));
  std::vector<ByteVector> writes = card->Writes();
  EXPECT_BYTES_EQ(Bytes(Header('Y', c.area.x, c.area.y, c.cx, c.cy)), writes[8]);
  EXPECT_EQ(writes[9].size(), c.cx * c.cy);
  EXPECT_EQ(PanelData(writes, 'K').size(), c.cx * c.cy);
}

INSTANTIATE_TEST_SUITE_P(Cases, PrintAreaTest, ::testing::ValuesIn(kAreaCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageTest, APageWithoutAPanelBufferIsLostAndSaysSo) {
  card->EnableSurface();
  card->pdev()->dwFlags = PDEV_DOCUMENT_OPEN | PDEV_PAGE_OPEN;
  Paint(*card, RECTL{0, 0, 10, 10}, 0x00000000);
  engine.pool().FailTag(DRIVER_PANEL_TAG);
  EngSetLastError(0);
  EXPECT_FALSE(DrvSendPage(card->pso()));
  EXPECT_EQ(EngGetLastError(), ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_TRUE(card->Writes().empty());
  EXPECT_TRUE(SurfaceIsWhite(card->pdev()));
  EXPECT_EQ(card->pdev()->dwFlags, PDEV_DOCUMENT_OPEN);
}

TEST_F(PageTest, AnInvalidInstanceLeavesThePageAlone) {
  card->EnableSurface();
  card->pdev()->dwFlags = PDEV_PAGE_OPEN;
  Paint(*card, RECTL{0, 0, 10, 10}, 0x00000000);
  card->pdev()->dwEndSignature = 0;
  EngSetLastError(0);
  EXPECT_FALSE(DrvSendPage(card->pso()));
  EXPECT_EQ(EngGetLastError(), ERROR_INVALID_PARAMETER);
  card->pdev()->dwEndSignature = PDEV_SIGNATURE;
  EXPECT_TRUE(card->Writes().empty());
  EXPECT_EQ(card->Pixel(5, 5) & 0xFFFFFF, 0u);
  EXPECT_EQ(card->pdev()->dwFlags, PDEV_PAGE_OPEN);

  // Nor can a page be sent from an instance that has no surface.
  DrvDisableSurface(card->pdev());
  EXPECT_FALSE(DrvSendPage(card->pso()));
  EXPECT_EQ(EngGetLastError(), ERROR_INVALID_PARAMETER);
  EXPECT_TRUE(card->Writes().empty());
}

}  // namespace
