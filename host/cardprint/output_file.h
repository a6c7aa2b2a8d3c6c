// A file that a command writes, with the discipline that no partial output is
// ever left behind: bytes go to a temporary file beside the target, which is
// renamed over the target only when every byte was written and the file was
// closed. "-" writes to standard output; a target that exists and is not a
// regular file (a device such as /dev/full, a pipe) is written directly.
// A write that fails is remembered; Commit then fails, and the temporary file
// is removed. An output never committed is removed when it is destroyed.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

class OutputFile {
 public:
  // Opens the temporary file (or the device, or standard output); throws
  // Failure naming the path when it cannot be created.
  OutputFile(std::string path, int stdout_fd);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  // Appends bytes. Returns false once any write has failed; later bytes are
  // dropped and the first failure's reason is kept for Commit.
  bool Write(std::span<const std::uint8_t> bytes);
  bool Failed() const { return error_ != 0; }

  // Flushes and closes the file without putting it in place yet; a failure
  // is kept for Commit.
  void Close();

  // Flushes and closes the file and puts it in place. Throws Failure naming
  // the path and the reason when any write, the close or the rename failed;
  // nothing is left at the path then (a device or pipe keeps what it took).
  void Commit();

 private:
  void Flush();
  void WriteOut(const std::uint8_t* bytes, std::size_t count);
  void Discard();

  std::string path_;
  std::string temporary_;  // empty when writing straight to the target
  int fd_ = -1;
  bool owns_fd_ = false;
  int error_ = 0;
  std::vector<std::uint8_t> buffer_;
  bool committed_ = false;
};

// Writes a whole file under the same discipline.
void WriteWholeFile(const std::string& path, std::span<const std::uint8_t> bytes, int stdout_fd);

// On SIGINT, SIGTERM and SIGHUP, removes the temporary files of outputs not
// yet committed before the program ends. Called once by main().
void RemoveTemporaryFilesOnSignals();
