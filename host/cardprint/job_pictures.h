// Pictures of what a job asks the printer to print, made from the job's own
// bytes as the reader walks them: each dye panel of each page as a grey
// picture (its lines as rows, dark where dye is laid), and the card as the
// dyes would lay it down on white, with the overlay marked.
#pragma once

#include <functional>
#include <vector>

#include "host/card_job/image.h"
#include "host/job_reader/job_reader.h"

struct PanelPicture {
  char panel;  // 'Y', 'M', 'C' or 'K'
  int x;       // where the panel's first dot lies in the frame
  int y;
  GrayImage ink;  // the panel's bytes: 255 is full dye
};

struct PagePictures {
  int page;
  std::vector<PanelPicture> panels;  // in the order sent
  RgbImage card;                     // the whole frame, kFrameDots wide and kFrameLines high
};

// Colours of the overlay marks on the card picture.
inline constexpr std::uint8_t kOverlayMark[3] = {0, 170, 255};

class JobPictures : public JobListener {
 public:
  // page_done receives each page when it is over; what it gets lives only
  // for the call.
  explicit JobPictures(std::function<void(const PagePictures&)> page_done);

  void OnSequence(const Sequence& sequence) override;
  void OnPanelBytes(char panel, std::uint64_t at, std::span<const std::uint8_t> bytes) override;
  void OnPageEnd(int page) override;

 private:
  struct Overlay {
    bool sent = false;  // the overlay trailer came
    std::vector<OverlayArea> areas;
  };

  std::function<void(const PagePictures&)> page_done_;
  PagePictures page_;
  Overlay overlay_;
};
