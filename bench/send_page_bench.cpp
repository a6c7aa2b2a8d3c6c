// DrvSendPage on a full landscape card of photo-like content, every panel on
// and the colour correction on, next to the memory-traffic floor of a page:
// one read of the 2,686,976-byte surface, four 671,744-byte panels written
// to the spooler, and the surface wiped. Before timing, the page's panels are
// checked against a straightforward separation of the same picture, and the
// correction of every colour against the step-by-step one.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "driver/pdev.h"
#include "driver/surface.h"
#include "engine/services.h"
#include "host/engine/host_engine.h"
#include "output/color_correction.h"
#include "output/page_render.h"

namespace {

constexpr std::size_t kWords = CB_SURFACE_BITS / 4;
constexpr std::size_t kPanel = CB_PANEL_BUFFER;

// Smooth colour fields with fine texture and grain, in the surface's layout
// (landscape, bottom-up: memory row r is image row 655 - r).
std::vector<std::uint32_t> PhotoLikeImage() {
  std::vector<std::uint32_t> image(kWords);
  std::uint32_t seed = 12345;
  for (int row = 0; row < 656; ++row) {
    for (int x = 0; x < 1024; ++x) {
      int y = 655 - row;
      seed = seed * 1103515245u + 12345u;
      int grain = static_cast<int>((seed >> 16) % 25) - 12;
      auto clamp = [](double v) { return static_cast<std::uint32_t>(std::clamp(v, 0.0, 255.0)); };
      std::uint32_t r = clamp(128 + 100 * std::sin(x / 97.0) * std::cos(y / 61.0) + grain);
      std::uint32_t g = clamp(120 + 90 * std::sin((x + y) / 143.0) + 6 * std::sin(x / 5.0) + grain);
      std::uint32_t b = clamp(110 + 80 * std::cos((x - 2 * y) / 177.0) + grain);
      image[static_cast<std::size_t>(row) * 1024 + x] = r | g << 8 | b << 16;
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
  Card() {
    pdev_ = std::make_unique<PDEV>();
    pdev_->dwSignature = PDEV_SIGNATURE;
    pdev_->dwEndSignature = PDEV_SIGNATURE;
    pdev_->dm.dmPrivate = DefPrivateDevMode;
    pdev_->cCopies = 1;
    pdev_->CurForm.bLandscape = 1;
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

// The panels of a full landscape card taken the plain way: every pixel
// corrected and marked, then each panel walked dot by dot.
std::vector<std::vector<std::uint8_t>> StraightforwardPanels(std::vector<std::uint32_t> image) {
  COLORCORRECTION cc = MakeColorCorrection(DefPrivateDevMode.alColor);
  for (std::uint32_t& pixel : image) {
    pixel = CorrectPixel(pixel, cc);
    pixel = (pixel & 0xFFFFFF) == 0 ? 0x00FFFFFF : pixel | 0xFF000000;
  }
  std::vector<std::vector<std::uint8_t>> panels(4, std::vector<std::uint8_t>(kPanel));
  for (std::size_t i = 0; i < 1024; ++i) {
    for (std::size_t j = 0; j < 656; ++j) {
      std::uint32_t pixel = image[j * 1024 + i];
      panels[0][i * 656 + j] = static_cast<std::uint8_t>(255 - ((pixel >> 16) & 0xFF));
      panels[1][i * 656 + j] = static_cast<std::uint8_t>(255 - ((pixel >> 8) & 0xFF));
      panels[2][i * 656 + j] = static_cast<std::uint8_t>(255 - (pixel & 0xFF));
      panels[3][i * 656 + j] = static_cast<std::uint8_t>(255 - (pixel >> 24));
    }
  }
  return panels;
}

void CheckAgainstStraightforward(Card& card, const std::vector<std::uint32_t>& image) {
  card.Keep();
  std::copy(image.begin(), image.end(), card.bits());
  if (!DrvSendPage(card.so())) std::abort();
  std::vector<std::vector<std::uint8_t>> writes =
      card.engine().spooler().Writes(card.pdev()->hPrinter);
  std::vector<std::vector<std::uint8_t>> sent;
  for (const auto& w : writes) {
    if (w.size() == kPanel) sent.push_back(w);
  }
  if (sent != StraightforwardPanels(image)) {
    std::fprintf(stderr, "DrvSendPage differs from the straightforward separation\n");
    std::abort();
  }
  card.engine().spooler().ClearOutput(card.pdev()->hPrinter);
  card.Drop();
}

// Every colour through the correction as the page runs it, against the
// step-by-step correction.
void CheckEveryColor() {
  COLORCORRECTION cc = MakeColorCorrection(DefPrivateDevMode.alColor);
  std::vector<std::uint32_t> colors(1u << 24);
  for (std::uint32_t i = 0; i < colors.size(); ++i) colors[i] = i;
  CorrectPixels(colors.data(), static_cast<ULONG>(colors.size()), cc);
  for (std::uint32_t i = 0; i < colors.size(); ++i) {
    if (colors[i] != CorrectPixel(i, cc)) {
      std::fprintf(stderr, "the correction of 0x%06x differs from the step-by-step one\n", i);
      std::abort();
    }
  }
}

void BM_SendPage(benchmark::State& state) {
  Card card;
  std::vector<std::uint32_t> image = PhotoLikeImage();
  CheckAgainstStraightforward(card, image);
  CheckEveryColor();
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(image.begin(), image.end(), card.bits());
    state.ResumeTiming();
    DrvSendPage(card.so());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * CB_SURFACE_BITS);
}
BENCHMARK(BM_SendPage)->Unit(benchmark::kMillisecond)->UseRealTime();

// The floor: the surface read once in memory order into four panels, each
// panel written with one call, the surface wiped.
void BM_MemoryTrafficFloor(benchmark::State& state) {
  Card card;
  std::vector<std::uint32_t> image = PhotoLikeImage();
  std::vector<std::uint8_t> panels(4 * kPanel);
  for (auto _ : state) {
    state.PauseTiming();
    std::copy(image.begin(), image.end(), card.bits());
    state.ResumeTiming();
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
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * CB_SURFACE_BITS);
}
BENCHMARK(BM_MemoryTrafficFloor)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
