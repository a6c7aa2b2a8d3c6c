#include "host/cups/run_filter.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>

namespace {

int MemoryFile(const std::vector<std::uint8_t>& bytes) {
  int fd = memfd_create("filter-test", 0);
  if (!bytes.empty() && write(fd, bytes.data(), bytes.size()) < 0) return -1;
  lseek(fd, 0, SEEK_SET);
  return fd;
}

std::vector<std::uint8_t> ReadAll(int fd) {
  lseek(fd, 0, SEEK_SET);
  std::vector<std::uint8_t> bytes;
  std::uint8_t buffer[65536];
  for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
    bytes.insert(bytes.end(), buffer, buffer + n);
  return bytes;
}

FilterResult Run(const FilterRun& run, int input, const std::function<void(pid_t)>& while_running) {
  int out = MemoryFile({});
  int err = MemoryFile({});
  pid_t child = fork();
  if (child == 0) {
    dup2(input, 0);
    dup2(out, 1);
    dup2(err, 2);
    if (run.ppd.empty()) {
      unsetenv("PPD");
    } else {
      setenv("PPD", run.ppd.c_str(), 1);
    }
    std::vector<std::string> args{FILTER_PROGRAM, "7", "alex", "card", run.copies, run.options};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(FILTER_PROGRAM, argv.data());
    _exit(127);
  }
  close(input);
  while_running(child);
  int wait_status = 0;
  waitpid(child, &wait_status, 0);
  FilterResult result;
  result.status = WIFEXITED(wait_status) ? WEXITSTATUS(wait_status) : 128 + WTERMSIG(wait_status);
  result.out = ReadAll(out);
  std::vector<std::uint8_t> err_bytes = ReadAll(err);
  result.err.assign(err_bytes.begin(), err_bytes.end());
  close(out);
  close(err);
  return result;
}

}  // namespace

FilterResult RunFilter(const FilterRun& run) {
  return Run(run, MemoryFile(run.input), [](pid_t) {});
}

FilterResult RunFilterOnPipe(const FilterRun& run,
                             const std::function<void(int fd, pid_t child)>& feed) {
  int ends[2];
  if (pipe(ends) != 0) return {};
  return Run(run, ends[0], [&](pid_t child) {
    feed(ends[1], child);
    close(ends[1]);
  });
}

cups_page_header2_t CardHeader(int width, int height) {
  cups_page_header2_t header{};
  std::strcpy(header.MediaClass, "");
  header.HWResolution[0] = header.HWResolution[1] = 300;
  header.PageSize[0] = 158;
  header.PageSize[1] = 246;
  header.ImagingBoundingBox[2] = 157;
  header.ImagingBoundingBox[3] = 245;
  header.cupsPageSize[0] = 158;
  header.cupsPageSize[1] = 246;
  header.cupsImagingBBox[2] = 157.4399f;
  header.cupsImagingBBox[3] = 245.7598f;
  header.cupsWidth = static_cast<unsigned>(width);
  header.cupsHeight = static_cast<unsigned>(height);
  header.cupsBitsPerColor = 8;
  header.cupsBitsPerPixel = 24;
  header.cupsBytesPerLine = static_cast<unsigned>(width) * 3;
  header.cupsColorOrder = CUPS_ORDER_CHUNKED;
  header.cupsColorSpace = CUPS_CSPACE_SRGB;
  header.NumCopies = 1;
  return header;
}

std::vector<std::uint8_t> RasterOf(
    const std::vector<std::pair<cups_page_header2_t, RgbImage>>& pages) {
  int fd = MemoryFile({});
  cups_raster_t* raster = cupsRasterOpen(fd, CUPS_RASTER_WRITE_COMPRESSED);
  for (auto [header, image] : pages) {
    cupsRasterWriteHeader2(raster, &header);
    std::vector<std::uint8_t> line(header.cupsBytesPerLine, 0);
    for (unsigned y = 0; y < header.cupsHeight; ++y) {
      // Pages whose header the printer refuses carry lines of their own size.
      if (image.width * 3 == static_cast<int>(header.cupsBytesPerLine) &&
          static_cast<int>(y) < image.height) {
        std::memcpy(line.data(), image.at(0, static_cast<int>(y)), line.size());
      }
      cupsRasterWritePixels(raster, line.data(), static_cast<unsigned>(line.size()));
    }
  }
  cupsRasterClose(raster);
  std::vector<std::uint8_t> bytes = ReadAll(fd);
  close(fd);
  return bytes;
}
