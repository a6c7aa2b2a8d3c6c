// cardprint inspect JOB [--json] [--png DIR]: decodes a job in the printer's
// language, lists every sequence with its fields, checks that the job is well
// formed and, on request, draws its panels and cards.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "host/card_job/errors.h"
#include "host/cardprint/command_line.h"
#include "host/cardprint/commands.h"
#include "host/cardprint/job_listing.h"
#include "host/cardprint/job_pictures.h"
#include "host/job_reader/job_reader.h"
#include "host/cardprint/output_file.h"
#include "host/cardprint/png_file.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: cardprint inspect JOB [--json] [--png DIR]

Decodes JOB, a job in the card printer's language ("-" reads standard
input), lists every sequence with its byte offset, length, page and fields,
and checks that the job is well formed: every sequence known and complete,
panel data of the size its header gives, each trailer matching its panel,
panels only inside pages, pages only inside documents. The first fault is
reported with the offset of the byte where it shows.

Options:
  --json       list the sequences and the verdict as one JSON object
  --png DIR    write pictures into DIR (made if missing): for each page N,
               pageN-yellow.png, pageN-magenta.png, pageN-cyan.png and
               pageN-black.png (the panels as sent, dark where dye is laid,
               one row per printed line) and pageN-card.png (the card as the
               dyes lay it down on white, in the printer's frame, with the
               overlay outlined in blue: solid for areas of type 0, dashed
               for type 1, around the whole card when it has no areas)
  -h, --help   show this help

Exit status: 0 for a well-formed job, 1 for a malformed or unreadable one,
2 for bad usage.
)";

GrayImage DarkWhereDyed(const GrayImage& ink) {
  GrayImage picture = ink;
  for (std::uint8_t& value : picture.pixels) value = static_cast<std::uint8_t>(255 - value);
  return picture;
}

void WritePagePictures(const std::filesystem::path& folder, const PagePictures& page,
                       int stdout_fd) {
  std::string prefix = "page" + std::to_string(page.page) + "-";
  for (const PanelPicture& panel : page.panels) {
    WriteWholeFile((folder / (prefix + std::string(PanelName(panel.panel)) + ".png")).string(),
                   EncodePng(DarkWhereDyed(panel.ink)), stdout_fd);
  }
  WriteWholeFile((folder / (prefix + "card.png")).string(), EncodePng(page.card), stdout_fd);
}

// Hands every listener the same events: the listing and the pictures.
class Fanout : public JobListener {
 public:
  void Add(JobListener* listener) { listeners_.push_back(listener); }
  void OnSequence(const Sequence& sequence) override {
    for (JobListener* listener : listeners_) listener->OnSequence(sequence);
  }
  void OnPanelBytes(char panel, std::uint64_t at, std::span<const std::uint8_t> bytes) override {
    for (JobListener* listener : listeners_) listener->OnPanelBytes(panel, at, bytes);
  }
  void OnPageEnd(int page) override {
    for (JobListener* listener : listeners_) listener->OnPageEnd(page);
  }

 private:
  std::vector<JobListener*> listeners_;
};

void ReadJob(const std::string& path, int stdin_fd, JobReader& reader) {
  int fd = stdin_fd;
  if (path != "-") {
    fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw Failure("the job " + path + " cannot be read: " + ReasonOf(errno) + ".");
    struct stat status {};
    if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
      close(fd);
      throw Failure("the job " + path + " cannot be read: it is a directory.");
    }
  }
  std::vector<std::uint8_t> chunk(1 << 20);
  while (true) {
    ssize_t count = read(fd, chunk.data(), chunk.size());
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      int error = errno;
      if (fd != stdin_fd) close(fd);
      throw Failure("the job " + path + " cannot be read: " + ReasonOf(error) + ".");
    }
    if (count == 0) break;
    reader.Feed(std::span(chunk.data(), static_cast<std::size_t>(count)));
  }
  if (fd != stdin_fd) close(fd);
}

}  // namespace

int RunInspect(CommandArguments args, Console& console) {
  bool json = false;
  std::string picture_folder;
  const Option options[] = {
      {"--json", "", false, [&](const std::string&) { json = true; }},
      {"--png", "", true, [&](const std::string& value) { picture_folder = value; }},
  };
  ParsedArguments parsed = ParseArguments("inspect", args, options);
  if (parsed.help) {
    console.out << kHelp;
    return kExitSuccess;
  }
  if (parsed.operands.size() != 1) {
    throw UsageError(
        "cardprint inspect needs exactly one job file (see cardprint inspect --help).");
  }
  const std::string& job = parsed.operands[0];
  if (!picture_folder.empty()) {
    std::error_code error;
    std::filesystem::create_directories(picture_folder, error);
    if (error) {
      throw Failure("the picture folder " + picture_folder + " cannot be made: " + error.message() +
                    ".");
    }
  }

  JobListing listing(console.out, json ? JobListing::Format::kJson : JobListing::Format::kText);
  JobPictures pictures(
      [&](const PagePictures& page) { WritePagePictures(picture_folder, page, console.out_fd); });
  Fanout listeners;
  listeners.Add(&listing);
  if (!picture_folder.empty()) listeners.Add(&pictures);
  JobReader reader(&listeners);
  ReadJob(job, console.in_fd, reader);
  reader.Finish();
  listing.Close(reader);
  console.out.flush();
  if (!reader.WellFormed()) {
    throw Failure("the job " + job + " is not well formed: at byte " +
                  std::to_string(reader.fault()->offset) + ", " + reader.fault()->reason + ".");
  }
  return kExitSuccess;
}
