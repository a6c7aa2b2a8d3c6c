// The print spooler as the host provides it: one sink per printer handle
// that collects every byte the driver writes, in order. Writes can be made to
// fail on purpose; the host counts the failures so that a program can refuse
// a job the driver believed sent.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

#include "engine/types.h"

class Spooler {
 public:
  // A new printer with an empty sink; its handle is what the driver gets.
  HANDLE OpenPrinter();
  void ClosePrinter(HANDLE printer);

  BOOL Write(HANDLE printer, const void* bytes, DWORD count, DWORD* written);

  // Sends every later write to the printer to consumer instead of keeping it
  // (a program streams a long job to its file); a consumer that returns
  // false fails that write.
  using Consumer = std::function<bool(const std::uint8_t* bytes, std::size_t count)>;
  void StreamTo(HANDLE printer, Consumer consumer);

  // Everything written to the printer so far, and each write as it came.
  std::vector<std::uint8_t> Output(HANDLE printer) const;
  std::vector<std::vector<std::uint8_t>> Writes(HANDLE printer) const;
  void ClearOutput(HANDLE printer);

  // Makes the write with this 1-based number (counted from now) and every
  // later one to this printer fail; the failed bytes are not kept.
  void FailWritesFrom(HANDLE printer, std::size_t n);
  std::size_t FailedWrites(HANDLE printer) const;

 private:
  struct Sink {
    std::vector<std::vector<std::uint8_t>> writes;
    std::size_t write_calls = 0;
    std::optional<std::size_t> fail_from;
    std::size_t failed = 0;
    Consumer consumer;
  };

  Sink& SinkOf(HANDLE printer);
  const Sink& SinkOf(HANDLE printer) const;

  mutable std::mutex mutex_;
  std::map<HANDLE, Sink> sinks_;
  std::uintptr_t next_handle_ = 0x5000;
};
