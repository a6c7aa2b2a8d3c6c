#include "host/card_job/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "host/card_job/errors.h"

namespace {

std::vector<std::uint8_t> ReadFile(const std::string& path, std::string_view what,
                                   std::size_t limit) {
  auto fail = [&](int error) {
    return Failure(std::string(what) + " " + path + " cannot be read: " + ReasonOf(error) + ".");
  };
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw fail(errno);
  struct stat status {};
  if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
    close(fd);
    throw fail(EISDIR);
  }
  std::vector<std::uint8_t> bytes;
  if (S_ISREG(status.st_mode)) {
    bytes.reserve(std::min(limit, static_cast<std::size_t>(status.st_size)));
  }
  std::uint8_t chunk[65536];
  while (bytes.size() < limit) {
    ssize_t count = read(fd, chunk, std::min(sizeof chunk, limit - bytes.size()));
    if (count < 0) {
      if (errno == EINTR) continue;
      int error = errno;
      close(fd);
      throw fail(error);
    }
    if (count == 0) break;
    bytes.insert(bytes.end(), chunk, chunk + count);
  }
  close(fd);
  return bytes;
}

}  // namespace

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::string_view what) {
  return ReadFile(path, what, SIZE_MAX);
}

std::vector<std::uint8_t> ReadFileStart(const std::string& path, std::string_view what,
                                        std::size_t count) {
  return ReadFile(path, what, count);
}
