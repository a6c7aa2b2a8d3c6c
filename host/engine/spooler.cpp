#include "host/engine/spooler.h"

#include <stdexcept>
#include <utility>

HANDLE Spooler::OpenPrinter() {
  std::lock_guard lock(mutex_);
  next_handle_ += 0x10;
  auto printer = reinterpret_cast<HANDLE>(next_handle_);
  sinks_.emplace(printer, Sink{});
  return printer;
}

void Spooler::ClosePrinter(HANDLE printer) {
  std::lock_guard lock(mutex_);
  sinks_.erase(printer);
}

BOOL Spooler::Write(HANDLE printer, const void* bytes, DWORD count, DWORD* written) {
  std::lock_guard lock(mutex_);
  auto it = sinks_.find(printer);
  if (written != nullptr) *written = 0;
  if (it == sinks_.end()) return 0;
  Sink& sink = it->second;
  ++sink.write_calls;
  if (sink.fail_from && sink.write_calls >= *sink.fail_from) {
    ++sink.failed;
    return 0;
  }
  const auto* first = static_cast<const std::uint8_t*>(bytes);
  if (sink.consumer) {
    if (!sink.consumer(first, count)) {
      ++sink.failed;
      return 0;
    }
  } else {
    sink.writes.emplace_back(first, first + count);
  }
  if (written != nullptr) *written = count;
  return 1;
}

void Spooler::StreamTo(HANDLE printer, Consumer consumer) {
  std::lock_guard lock(mutex_);
  SinkOf(printer).consumer = std::move(consumer);
}

std::vector<std::uint8_t> Spooler::Output(HANDLE printer) const {
  std::lock_guard lock(mutex_);
  std::vector<std::uint8_t> all;
  for (const auto& write : SinkOf(printer).writes)
    all.insert(all.end(), write.begin(), write.end());
  return all;
}

std::vector<std::vector<std::uint8_t>> Spooler::Writes(HANDLE printer) const {
  std::lock_guard lock(mutex_);
  return SinkOf(printer).writes;
}

void Spooler::ClearOutput(HANDLE printer) {
  std::lock_guard lock(mutex_);
  SinkOf(printer).writes.clear();
}

void Spooler::FailWritesFrom(HANDLE printer, std::size_t n) {
  std::lock_guard lock(mutex_);
  Sink& sink = SinkOf(printer);
  sink.fail_from = sink.write_calls + n;
}

std::size_t Spooler::FailedWrites(HANDLE printer) const {
  std::lock_guard lock(mutex_);
  return SinkOf(printer).failed;
}

Spooler::Sink& Spooler::SinkOf(HANDLE printer) {
  auto it = sinks_.find(printer);
  if (it == sinks_.end()) throw std::invalid_argument("no such printer");
  return it->second;
}

const Spooler::Sink& Spooler::SinkOf(HANDLE printer) const {
  auto it = sinks_.find(printer);
  if (it == sinks_.end()) throw std::invalid_argument("no such printer");
  return it->second;
}
