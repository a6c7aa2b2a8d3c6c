// DrvSendPage on a full card of photo-like content, every panel on and the
// colour correction on (landscape; landscape with a saturation of 20; portrait),
// next to the memory-traffic floor of a page: one read of the 2,686,976-byte
// surface, four 671,744-byte panels written to the spooler, and the surface
// wiped. The two take turns in each iteration; the x_floor counter is the
// ratio of their times. Before timing, the page's panels are checked against
// a straightforward separation (each pixel corrected step by step) of the
// same picture, and, once, of every colour.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bench/thread_clock.h"
#include "driver/pdev.h"
#include "driver/surface.h"
#include "engine/services.h"
#include "host/engine/host_engine.h"
#include "output/color_correction.h"
#include "output/page_render.h"

namespace {

constexpr std::size_t kWords = CB_SURFACE_BITS / 4;
constexpr std::size_t kPanel = CB_PANEL_BUFFER;

// Smooth colour fields with fine texture and grain, as seen on the card:
// image row y, column x (1024 x 656 in landscape, 656 x 1024 in portrait).
std::uint32_t PhotoLikePixel(int x, int y, std::uint32_t& seed) {
  seed = seed * 1103515245u + 12345u;
  int grain = static_cast<int>((seed >> 16) % 25) - 12;
  auto clamp = [](double v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0, 255.0)); };
  std::uint32_t r = clamp(128 + 100 * std::sin(x / 97.0) * std::cos(y / 61.0) + grain);
  std::uint32_t g = clamp(120 + 90 * std::sin((x + y) / 143.0) + 6 * std::sin(x / 5.0) + grain);
  std::uint32_t b = clamp(110 + 80 * std::cos((x - 2 * y) / 177.0) + grain);
  return r | g << 8 | b << 16;
}

// The picture in the surface's layout: landscape is bottom-up (memory row
// r is image row 655 - r), portrait top-down.
std::vector<std::uint32_t> PhotoLikeImage(bool landscape) {
  std::vector<std::uint32_t> image(kWords);
  std::uint32_t seed = 12345;
  const int width = landscape ? 1024 : 656;
  const int height = landscape ? 656 : 1024;
  for (int row = 0; row < height; ++row) {
    for (int x = 0; x < width; ++x) {
      int y = landscape ? height - 1 - row : row;
      image[static_cast<std::size_t>(row) * width + x] = PhotoLikePixel(x, y, seed);
    }
  }
  // Some pure black and pure white, as text and borders on a card would be.
  for (std::size_t i = 0; i < kWords; i += 97) image[i] = (i / 97) % 2 ? 0x000000 : 0xFFFFFF;
  return image;
}

// One device instance with default settings and its surface, on a printer
// whose writes are consumed and dropped.
class Card {
 public:
  Card(bool landscape, LONG saturation) {
    pdev_ = std::make_unique<PDEV>();
    pdev_->dwSignature = PDEV_SIGNATURE;
    pdev_->dwEndSignature = PDEV_SIGNATURE;
    pdev_->dm.dmPrivate = DefPrivateDevMode;
    pdev_->dm.dmPrivate.alColor[1] = saturation;
    pdev_->cCopies = 1;
    pdev_->CurForm.bLandscape = landscape ? 1 : 0;
    pdev_->hPrinter = engine_.spooler().OpenPrinter();
    pdev_->hdev = engine_.CreateDevice(pdev_.get());
    if (DrvEnableSurface(pdev_.get()) == nullptr) std::abort();
    so_ = engine_.SurfaceObject(pdev_->hsurf);
    Drop();
  }
  ~Card() { DrvDisableSurface(pdev_.get()); }

  PDEV* pdev() const { return pdev_.get(); }
  SURFOBJ* so() const { return so_; }
  std::uint32_t* bits() const { return static_cast<std::uint32_t*>(pdev_->pvBits); }
  HostEngine& engine() { return engine_; }

  void Drop() {
    engine_.spooler().StreamTo(pdev_->hPrinter,
                               [](const std::uint8_t*, std::size_t) { return true; });
  }
  void Keep() { engine_.spooler().StreamTo(pdev_->hPrinter, nullptr); }

 private:
  HostEngine engine_;
  ScopedHostEngine installed_{engine_};
  std::unique_ptr<PDEV> pdev_;
  SURFOBJ* so_ = nullptr;
};

// The panels of a full card taken the plain way: every pixel corrected
// step by step and marked, then each panel walked dot by dot (line i, dot j
// from word (j x 1024 + i) in landscape, (i x 656 + j) in portrait).
std::vector<std::vector<std::uint8_t>> StraightforwardPanels(std::vector<std::uint32_t> image,
                                                             const PRIVATEDEVMODE& dmp,
                                                             bool landscape) {
  COLORCORRECTION cc = MakeColorCorrection(dmp.alColor);
  for (std::uint32_t& pixel : image) {
    pixel = CorrectPixel(pixel, cc);
    pixel = (pixel & 0xFFFFFF) == 0 ? 0x00FFFFFF : pixel | 0xFF000000;
  }
  std::vector<std::vector<std::uint8_t>> panels(4, std::vector<std::uint8_t>(kPanel));
  for (std::size_t i = 0; i < 1024; ++i) {
    for (std::size_t j = 0; j < 656; ++j) {
      std::uint32_t pixel = image[landscape ? j * 1024 + i : i * 656 + j];
      panels[0][i * 656 + j] = static_cast<std::uint8_t>(255 - ((pixel >> 16) & 0xFF));
      panels[1][i * 656 + j] = static_cast<std::uint8_t>(255 - ((pixel >> 8) & 0xFF));
      panels[2][i * 656 + j] = static_cast<std::uint8_t>(255 - (pixel & 0xFF));
      panels[3][i * 656 + j] = static_cast<std::uint8_t>(255 - (pixel >> 24));
    }
  }
  return panels;
}

void CheckAgainstStraightforward(Card& card, const std::vector<std::uint32_t>& image,
                                 bool landscape) {
  card.Keep();
  std::copy(image.begin(), image.end(), card.bits());
  if (!DrvSendPage(card.so())) std::abort();
  std::vector<std::vector<std::uint8_t>> writes =
      card.engine().spooler().Writes(card.pdev()->hPrinter);
  std::vector<std::vector<std::uint8_t>> sent;
  for (const auto& w : writes) {
    if (w.size() == kPanel) sent.push_back(w);
  }
  if (sent != StraightforwardPanels(image, card.pdev()->dm.dmPrivate, landscape)) {
    std::fprintf(stderr, "DrvSendPage differs from the straightforward separation\n");
    std::abort();
  }
  card.engine().spooler().ClearOutput(card.pdev()->hPrinter);
  card.Drop();
}

// Every colour through whole pages, a surface of them at a time, against
// the straightforward separation; once per run, before the first timing.
void CheckEveryColorOnce(Card& card, bool landscape) {
  static bool checked = false;
  if (checked) return;
  checked = true;
  std::vector<std::uint32_t> colors(kWords, 0x00FFFFFF);
  for (std::uint32_t first = 0; first <= 0xFFFFFF; first += kWords) {
    for (std::uint32_t i = 0; i < kWords; ++i) {
      colors[i] = first + i <= 0xFFFFFF ? first + i : 0x00FFFFFF;
    }
    CheckAgainstStraightforward(card, colors, landscape);
  }
}

// The floor: the surface read once in memory order into four panels, each
// panel written with one call, the surface wiped.
void MemoryTrafficFloor(Card& card, std::vector<std::uint8_t>& panels) {
  const std::uint32_t* bits = card.bits();
  std::uint8_t* y = panels.data();
  std::uint8_t* m = y + kPanel;
  std::uint8_t* c = m + kPanel;
  std::uint8_t* k = c + kPanel;
  for (std::size_t i = 0; i < kWords; ++i) {
    std::uint32_t pixel = bits[i];
    y[i] = static_cast<std::uint8_t>(~(pixel >> 16));
    m[i] = static_cast<std::uint8_t>(~(pixel >> 8));
    c[i] = static_cast<std::uint8_t>(~pixel);
    k[i] = static_cast<std::uint8_t>(~(pixel >> 24));
  }
  DWORD written = 0;
  for (int p = 0; p < 4; ++p) {
    EngWritePrinter(card.pdev()->hPrinter, panels.data() + p * kPanel, kPanel, &written);
  }
  std::fill_n(card.bits(), kWords, 0xFFFFFFFFu);
  benchmark::ClobberMemory();
}

double Seconds(ThreadClock::duration d) {
  return std::chrono::duration<double>(d).count();
}

// A full card, every panel on, the correction on: DrvSendPage and the floor
// take turns on the same picture, so that both see the same machine. The
// time reported is DrvSendPage's; the counters give the floor's time and
// the ratio (x_floor: DrvSendPage's time over the floor's).
void BM_SendPage(benchmark::State& state, bool landscape, LONG saturation) {
  using Clock = ThreadClock;
  Card card(landscape, saturation);
  std::vector<std::uint32_t> image = PhotoLikeImage(landscape);
  CheckAgainstStraightforward(card, image, landscape);
  CheckEveryColorOnce(card, landscape);
  std::vector<std::uint8_t> panels(4 * kPanel);
  double page = 0;
  double floor = 0;
  for (auto _ : state) {
    std::copy(image.begin(), image.end(), card.bits());
    Clock::time_point start = Clock::now();
    DrvSendPage(card.so());
    Clock::time_point end = Clock::now();
    state.SetIterationTime(Seconds(end - start));
    page += Seconds(end - start);

    std::copy(image.begin(), image.end(), card.bits());
    start = Clock::now();
    MemoryTrafficFloor(card, panels);
    floor += Seconds(Clock::now() - start);
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["floor_ms"] = floor / n * 1e3;
  state.counters["x_floor"] = page / floor;
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * CB_SURFACE_BITS);
}
BENCHMARK_CAPTURE(BM_SendPage, Landscape, true, 0)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK_CAPTURE(BM_SendPage, LandscapeSaturation20, true, 20)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime();
BENCHMARK_CAPTURE(BM_SendPage, Portrait, false, 0)->Unit(benchmark::kMillisecond)->UseManualTime();

}  // namespace

BENCHMARK_MAIN();
