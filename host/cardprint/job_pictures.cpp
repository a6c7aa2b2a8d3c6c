#include "host/cardprint/job_pictures.h"

#include <algorithm>
#include <cstring>

namespace {

// Lays a panel's dye on the card: yellow takes away blue, magenta green,
// cyan red, black all three, each in proportion to the dye's strength.
void LayDye(RgbImage& card, const PanelPicture& panel) {
  bool channels[3] = {panel.panel == 'C' || panel.panel == 'K',
                      panel.panel == 'M' || panel.panel == 'K',
                      panel.panel == 'Y' || panel.panel == 'K'};
  for (int line = 0; line < panel.ink.height; ++line) {
    for (int dot = 0; dot < panel.ink.width; ++dot) {
      unsigned dye = panel.ink.pixels[static_cast<std::size_t>(line) * panel.ink.width + dot];
      std::uint8_t* pixel = card.at(panel.x + dot, panel.y + line);
      for (int c = 0; c < 3; ++c) {
        if (channels[c]) pixel[c] = static_cast<std::uint8_t>((pixel[c] * (255 - dye) + 127) / 255);
      }
    }
  }
}

void Mark(RgbImage& card, int x, int y) {
  if (x < 0 || y < 0 || x >= card.width || y >= card.height) return;
  std::memcpy(card.at(x, y), kOverlayMark, 3);
}

// Outlines an overlay area three dots wide: solid for an area of flag 1,
// dashed for flag 0.
void Outline(RgbImage& card, int left, int top, int right, int bottom, bool solid) {
  auto drawn = [solid](int along) { return solid || (along / 12) % 2 == 0; };
  for (int width = 0; width < 3; ++width) {
    for (int x = left; x < right; ++x) {
      if (!drawn(x)) continue;
      Mark(card, x, top + width);
      Mark(card, x, bottom - 1 - width);
    }
    for (int y = top; y < bottom; ++y) {
      if (!drawn(y)) continue;
      Mark(card, left + width, y);
      Mark(card, right - 1 - width, y);
    }
  }
}

}  // namespace

JobPictures::JobPictures(std::function<void(const PagePictures&)> page_done)
    : page_done_(std::move(page_done)) {}

void JobPictures::OnSequence(const Sequence& sequence) {
  if (const auto* header = std::get_if<PanelHeader>(&sequence.fields)) {
    page_.panels.push_back(
        {header->panel, header->x, header->y, GrayImage(header->line_length, header->lines())});
  } else if (const auto* area = std::get_if<OverlayArea>(&sequence.fields)) {
    overlay_.areas.push_back(*area);
  } else if (std::holds_alternative<OverlayTrailer>(sequence.fields)) {
    overlay_.sent = true;
  }
}

void JobPictures::OnPanelBytes(char, std::uint64_t at, std::span<const std::uint8_t> bytes) {
  std::vector<std::uint8_t>& ink = page_.panels.back().ink.pixels;
  std::copy(bytes.begin(), bytes.end(), ink.begin() + static_cast<long>(at));
}

void JobPictures::OnPageEnd(int page) {
  page_.page = page;
  page_.card = RgbImage(kFrameDots, kFrameLines);
  for (const PanelPicture& panel : page_.panels) LayDye(page_.card, panel);
  if (overlay_.sent && overlay_.areas.empty()) {
    Outline(page_.card, 0, 0, kFrameDots, kFrameLines, true);
  }
  for (const OverlayArea& area : overlay_.areas) {
    Outline(page_.card, area.left, area.top, area.right, area.bottom, area.flag == 1);
  }
  page_done_(page_);
  page_ = PagePictures{};
  overlay_ = Overlay{};
}
