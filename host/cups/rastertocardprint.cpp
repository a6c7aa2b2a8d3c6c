// rastertocardprint: the CUPS filter of the card printer. It reads the CUPS
// raster pages of one job (8-bit RGB, chunky, 300 dpi) and prints each page
// as one card through the driver, hosted by the card-job library: one
// document per job, the driver's bytes on standard output, progress and
// errors on standard error as CUPS reads them.
//
//   rastertocardprint job-id user title copies options [file]
//
// Exit status: 0 when the job was printed, and when it was cancelled with
// SIGTERM (the card being read is dropped, a card being drawn is finished,
// and the document end is sent); 1 when it failed, after one "ERROR:" line.
#include <cups/raster.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>
#include <variant>

#include "host/card_job/card_job.h"
#include "host/card_job/engine_session.h"
#include "host/card_job/errors.h"
#include "host/card_job/page_turn.h"
#include "host/cups/job_settings.h"
#include "host/cups/raster_page.h"

namespace {

volatile std::sig_atomic_t cancelled = 0;

void Cancel(int) { cancelled = 1; }

// Where the raster comes from. SIGTERM is blocked while the filter works and
// let through only while it waits for input, so a cancel arriving at any
// time ends the wait and is seen before the next read.
struct Input {
  int fd;
  sigset_t waiting_mask;
};

ssize_t ReadInput(void* context, unsigned char* buffer, size_t length) {
  auto* input = static_cast<Input*>(context);
  while (true) {
    if (cancelled) return -1;
    pollfd readable{input->fd, POLLIN, 0};
    int ready = ppoll(&readable, 1, nullptr, &input->waiting_mask);
    if (ready < 0 && errno != EINTR) return -1;
    if (ready <= 0) continue;
    ssize_t count = read(input->fd, buffer, length);
    if (count >= 0 || (errno != EINTR && errno != EAGAIN)) return count;
  }
}

// Bytes from the driver to standard output, every one, or false.
bool WriteOut(const std::uint8_t* bytes, std::size_t count) {
  while (count > 0) {
    ssize_t written = write(STDOUT_FILENO, bytes, count);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes += written;
    count -= static_cast<std::size_t>(written);
  }
  return true;
}

// A sentence of the library's as CUPS shows it: a capital first letter.
std::string Sentence(std::string text) {
  if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 32);
  return text;
}

int Fail(const std::string& reason) {
  std::fprintf(stderr, "ERROR: %s\n", Sentence(reason).c_str());
  return 1;
}

struct RasterClose {
  void operator()(cups_raster_t* raster) const { cupsRasterClose(raster); }
};

// One page of the raster, row by row; null when the stream ends early or
// the job was cancelled while it was read.
std::optional<RgbImage> ReadPage(cups_raster_t* raster, const cups_page_header2_t& header,
                                 int page) {
  RgbImage image(static_cast<int>(header.cupsWidth), static_cast<int>(header.cupsHeight));
  int tenth = std::max(1, image.height / 10);
  for (int y = 0; y < image.height; ++y) {
    if (cupsRasterReadPixels(raster, image.at(0, y), header.cupsBytesPerLine) !=
        header.cupsBytesPerLine) {
      return std::nullopt;
    }
    if ((y + 1) % tenth == 0 || y + 1 == image.height) {
      std::fprintf(stderr, "ATTR: job-media-progress=%d\n", (y + 1) * 100 / image.height);
    }
  }
  std::fprintf(stderr, "DEBUG: Read page %d, %dx%d pixels.\n", page, image.width, image.height);
  return image;
}

int Run(int argc, char* argv[]) {
  if (argc < 6 || argc > 7) {
    std::fprintf(stderr, "Usage: %s job-id user title copies options [file]\n", argv[0]);
    return 1;
  }
  Input input{STDIN_FILENO, {}};
  if (argc == 7) {
    input.fd = open(argv[6], O_RDONLY);
    if (input.fd < 0) return Fail("The raster file " + std::string(argv[6]) + " cannot be read.");
  }

  std::variant<CardSettings, std::string> made = JobSettings(std::getenv("PPD"), argv[4], argv[5]);
  if (auto* reason = std::get_if<std::string>(&made)) return Fail(*reason);
  const CardSettings& settings = std::get<CardSettings>(made);

  struct sigaction action {};
  action.sa_handler = Cancel;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigset_t blocked;
  sigemptyset(&blocked);
  sigaddset(&blocked, SIGTERM);
  sigprocmask(SIG_BLOCK, &blocked, &input.waiting_mask);
  sigdelset(&input.waiting_mask, SIGTERM);

  std::unique_ptr<cups_raster_t, RasterClose> raster(
      cupsRasterOpenIO(ReadInput, &input, CUPS_RASTER_READ));
  if (!raster) return Fail("The input is not a CUPS raster stream.");

  EngineSession session;
  session.engine().spooler().StreamTo(session.printer(), WriteOut);
  std::optional<CardJob> job;
  int page = 0;
  std::optional<std::string> failure;
  cups_page_header2_t header;
  while (!cancelled && cupsRasterReadHeader2(raster.get(), &header)) {
    ++page;
    if (std::optional<std::string> refusal = RefusalOf(header)) {
      failure = *refusal;
      break;
    }
    std::fprintf(stderr, "INFO: Printing card %d.\n", page);
    std::optional<RgbImage> image = ReadPage(raster.get(), header, page);
    if (!image) {
      if (!cancelled) failure = "The raster stream ends inside page " + std::to_string(page) + ".";
      break;
    }
    if (!job) job.emplace(session, settings, false);
    job->PrintCard(OntoSurface(CardArea(*image, header), job->width(), job->height()), Fit::kCover);
    std::fprintf(stderr, "PAGE: %d %ld\n", page, settings.copies.value_or(1));
  }
  if (job) job->EndDocument();
  if (session.engine().spooler().FailedWrites(session.printer()) != 0) {
    return Fail("The job could not be written to the printer.");
  }
  if (failure) return Fail(*failure);
  if (cancelled) {
    std::fprintf(stderr, "INFO: The job was cancelled after %d cards.\n", job ? page - 1 : 0);
    return 0;
  }
  if (page == 0) return Fail("The raster stream holds no page.");
  std::fprintf(stderr, "INFO: Printed %d cards.\n", page);
  return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
  try {
    return Run(argc, argv);
  } catch (const Failure& failure) {
    return Fail(failure.what());
  } catch (const std::exception& error) {
    return Fail(error.what());
  }
}
