#include "host/printer_app/device_watch.h"

#include <ctime>
#include <vector>

namespace {

constexpr int kLookEverySeconds = 2;

struct Waiting {
  std::vector<int> job_ids;
};

// A job processing on a stopped printer has not got its device: PAPPL stops
// the printer only while it retries opening the device for the job (a
// printer paused by its administrator finishes the job it is printing).
void NoteWaitingJob(pappl_job_t* job, void* data) {
  if (papplJobGetState(job) != IPP_JSTATE_PROCESSING) return;
  if (std::time(nullptr) - papplJobGetTimeProcessed(job) < kDeviceWaitSeconds) return;
  static_cast<Waiting*>(data)->job_ids.push_back(papplJobGetID(job));
}

void FailWaitingJobs(pappl_printer_t* printer, void*) {
  if (papplPrinterGetState(printer) != IPP_PSTATE_STOPPED) return;
  Waiting waiting;
  papplPrinterIterateActiveJobs(printer, NoteWaitingJob, &waiting, 1, 0);
  for (int id : waiting.job_ids) {
    pappl_job_t* job = papplPrinterFindJob(printer, id);
    if (job == nullptr) continue;
    const char* uri = papplPrinterGetDeviceURI(printer);
    papplJobSetMessage(job, "The printer's device %s cannot be opened; the job is cancelled.",
                       uri != nullptr ? uri : "");
    papplLogJob(job, PAPPL_LOGLEVEL_ERROR, "The device %s cannot be opened; cancelling the job.",
                uri != nullptr ? uri : "");
    papplJobCancel(job);
  }
}

bool Look(pappl_system_t* system, void*) {
  papplSystemIteratePrinters(system, FailWaitingJobs, nullptr);
  return true;
}

}  // namespace

void WatchDevices(pappl_system_t* system) {
  papplSystemAddTimerCallback(system, 0, kLookEverySeconds, Look, nullptr);
}
