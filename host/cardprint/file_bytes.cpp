#include "host/cardprint/file_bytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "host/cardprint/errors.h"

std::vector<std::uint8_t> ReadWholeFile(const std::string& path, std::string_view what) {
  auto fail = [&](int error) {
    return Failure(std::string(what) + " " + path + " cannot be read: " + ReasonOf(error) +
                   ".");
  };
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw fail(errno);
  struct stat status {};
  if (fstat(fd, &status) == 0 && S_ISDIR(status.st_mode)) {
    close(fd);
    throw fail(EISDIR);
  }
  std::vector<std::uint8_t> bytes;
  if (S_ISREG(status.st_mode)) bytes.reserve(static_cast<std::size_t>(status.st_size));
  std::uint8_t chunk[65536];
  while (true) {
    ssize_t count = read(fd, chunk, sizeof chunk);
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
