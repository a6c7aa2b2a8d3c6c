#include "host/printer_app/design_job.h"

#include <memory>
#include <mutex>
#include <string>
#include <variant>

#include "host/card_job/card_job.h"
#include "host/card_job/design_file.h"
#include "host/card_job/engine_session.h"
#include "host/card_job/errors.h"
#include "host/printer_app/device_output.h"
#include "host/printer_app/job_options.h"
#include "host/printer_app/job_spool.h"

namespace {

struct OptionsDeleter {
  void operator()(pappl_pr_options_t* options) const { papplJobDeletePrintOptions(options); }
};

void Print(pappl_job_t* job, pappl_device_t* device) {
  DesignFile design(papplJobGetFilename(job));
  std::unique_ptr<pappl_pr_options_t, OptionsDeleter> options(
      papplJobCreatePrintOptions(job, static_cast<unsigned>(design.pages()), true));
  if (!options) throw Failure("the job's options cannot be read.");
  std::variant<CardSettings, std::string> made = CardSettingsOf(*options, RequestOf(job));
  if (auto* reason = std::get_if<std::string>(&made)) throw Failure(*reason);
  CardSettings settings = std::get<CardSettings>(std::move(made));

  std::unique_lock<std::mutex> engine(EngineInUse());
  SpoolFile spool;
  EngineSession session;
  session.engine().spooler().StreamTo(
      session.printer(),
      [&spool](const std::uint8_t* bytes, std::size_t count) { return spool.Write(bytes, count); });
  CardJob card(session, settings, false);
  papplJobSetImpressions(job, design.pages());
  for (int page = 0; page < design.pages(); ++page) {
    if (papplJobIsCanceled(job)) return;
    card.PrintCard(design.Page(page, card.width(), card.height(), Fit::kCover), Fit::kCover);
    papplJobSetImpressionsCompleted(job, 1);
  }
  card.EndDocument();
  if (session.engine().spooler().FailedWrites(session.printer()) != 0) {
    throw Failure("the card job could not be written to the spool.");
  }
  if (!spool.SendTo(job, device)) throw Failure("the card job could not be sent to the printer.");
}

}  // namespace

bool PrintDesignJob(pappl_job_t* job, pappl_device_t* device, void*) {
  try {
    Print(job, device);
    if (papplJobIsCanceled(job)) DropJobFile(job);
    return true;
  } catch (const std::exception& error) {
    FailJob(job, error.what());
    return false;
  }
}
