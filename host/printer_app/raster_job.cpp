#include "host/printer_app/raster_job.h"

#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <variant>

#include "host/card_job/card_job.h"
#include "host/card_job/engine_session.h"
#include "host/card_job/errors.h"
#include "host/card_job/page_turn.h"
#include "host/printer_app/device_output.h"
#include "host/printer_app/job_options.h"
#include "host/printer_app/job_spool.h"

namespace {

struct RasterJob {
  explicit RasterJob(CardSettings made) : settings(std::move(made)) {
    session.engine().spooler().StreamTo(
        session.printer(),
        [this](const std::uint8_t* bytes, std::size_t count) { return spool.Write(bytes, count); });
  }

  std::unique_lock<std::mutex> engine{EngineInUse()};
  CardSettings settings;
  SpoolFile spool;
  EngineSession session;
  std::optional<CardJob> card;
  RgbImage page;
  bool gray = false;
};

RasterJob* StateOf(pappl_job_t* job) { return static_cast<RasterJob*>(papplJobGetData(job)); }

void Release(pappl_job_t* job) {
  delete StateOf(job);
  papplJobSetData(job, nullptr);
}

bool Fail(pappl_job_t* job, const std::string& reason) {
  Release(job);
  FailJob(job, reason);
  return false;
}

// Runs one callback's work; a Failure of the library fails the job with its
// sentence.
template <typename Work>
bool Guarded(pappl_job_t* job, Work work) {
  try {
    return work();
  } catch (const std::exception& error) {
    return Fail(job, error.what());
  }
}

}  // namespace

bool StartRasterJob(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*) {
  return Guarded(job, [&] {
    std::variant<CardSettings, std::string> made = CardSettingsOf(*options, RequestOf(job));
    if (auto* reason = std::get_if<std::string>(&made)) return Fail(job, *reason);
    papplJobSetData(job, new RasterJob(std::get<CardSettings>(std::move(made))));
    // The printer makes the copies of each card itself (the settings carry
    // them): PAPPL is to send each page once.
    options->copies = 1;
    return true;
  });
}

bool StartRasterPage(pappl_job_t* job, pappl_pr_options_t* options, pappl_device_t*, unsigned) {
  return Guarded(job, [&] {
    RasterJob* state = StateOf(job);
    if (state == nullptr) return false;
    const auto& header = options->header;
    if (header.cupsBitsPerColor != 8 ||
        (header.cupsBitsPerPixel != 24 && header.cupsBitsPerPixel != 8)) {
      return Fail(job, "the raster is " + std::to_string(header.cupsBitsPerPixel) +
                           " bits per pixel; the card printer takes 8-bit sRGB or grey.");
    }
    state->gray = header.cupsBitsPerPixel == 8;
    state->page = RgbImage(static_cast<int>(header.cupsWidth), static_cast<int>(header.cupsHeight));
    if (!state->card) state->card.emplace(state->session, state->settings, false);
    return true;
  });
}

bool WriteRasterLine(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned y,
                     const unsigned char* line) {
  RasterJob* state = StateOf(job);
  if (state == nullptr) return false;
  RgbImage& page = state->page;
  if (y >= static_cast<unsigned>(page.height)) return true;
  std::uint8_t* row = page.at(0, static_cast<int>(y));
  if (state->gray) {
    for (int x = 0; x < page.width; ++x) row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = line[x];
  } else {
    std::memcpy(row, line, static_cast<std::size_t>(page.width) * 3);
  }
  return true;
}

bool EndRasterPage(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t*, unsigned) {
  return Guarded(job, [&] {
    RasterJob* state = StateOf(job);
    if (state == nullptr) return false;
    if (papplJobIsCanceled(job)) return true;
    CardJob& card = *state->card;
    card.PrintCard(OntoSurface(std::move(state->page), card.width(), card.height()), Fit::kCover);
    return true;
  });
}

bool EndRasterJob(pappl_job_t* job, pappl_pr_options_t*, pappl_device_t* device) {
  return Guarded(job, [&] {
    RasterJob* state = StateOf(job);
    if (state == nullptr) return false;
    if (papplJobIsCanceled(job)) {
      Release(job);
      DropJobFile(job);
      return true;
    }
    if (!state->card) return Fail(job, "the document holds no page.");
    state->card->EndDocument();
    if (state->session.engine().spooler().FailedWrites(state->session.printer()) != 0) {
      return Fail(job, "the card job could not be written to the spool.");
    }
    if (!state->spool.SendTo(job, device)) {
      return Fail(job, "the card job could not be sent to the printer.");
    }
    Release(job);
    if (papplJobIsCanceled(job)) DropJobFile(job);
    return true;
  });
}
