// One card job through the driver, as every front end runs it: the printer
// properties stored for the printer, a device context made with the job's
// device mode, the copies and the encoding mode sent, the document started;
// then cards, each a design fitted onto the drawing surface and sent as a
// page, with its track texts and copies sent before it; then the document
// ended. The driver's bytes go to the session's spooler, wherever the front
// end streams them.
#pragma once

#include <array>
#include <optional>
#include <string>

#include "host/card_job/card_settings.h"
#include "host/card_job/engine_session.h"
#include "host/card_job/image.h"
#include "host/card_job/image_fit.h"

class CardJob {
 public:
  // Starts the document with settings made final by FinishSettings. With
  // per_card, copies and track texts are not sent for the whole job: each
  // card sends its own (SetCopies, SetTracks). Whatever the driver refuses
  // is a Failure.
  CardJob(EngineSession& session, const CardSettings& settings, bool per_card);

  // The drawing surface: 1024 x 656 for a landscape card, 656 x 1024 for a
  // portrait one.
  int width() const { return device_.width(); }
  int height() const { return device_.height(); }

  // Sent before the next card.
  void SetTracks(const std::array<std::u16string, 3>& tracks);
  void SetCopies(long copies);

  // One card: the track texts and copies pending, the page started, the
  // design (in the surface's orientation; near-black made pure black when
  // SnapBlack is set) fitted onto the surface, the page sent.
  void PrintCard(const RgbImage& design, Fit fit);

  void EndDocument();

 private:
  DeviceContext device_;
  std::optional<std::array<std::u16string, 3>> tracks_;
  std::optional<long> copies_;
  int snap_black_;
};
