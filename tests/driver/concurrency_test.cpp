// Several printers at once: each thread enables instances for its own
// printer, prints, replaces the instance within the document and disables
// it, while the others do the same; and PPD files are read while instances
// are made. Built and run under ThreadSanitizer too; every printer must
// receive exactly the job a lone thread produces, every file read the same
// description.
#include <gtest/gtest.h>

#include <latch>
#include <filesystem>
#include <memory>
#include <thread>
#include <vector>

#include "engine/constants.h"
#include "engine_instance.h"
#include "host/ppd_file/ppd_file.h"
#include "support/byte_diff.h"
#include "support/host_fixture.h"

namespace {

// Paints a coloured band across the page, as an application would.
void Draw(const DriverTable& driver, SURFOBJ* surface, ULONG color) {
  RECTL band = {100, 200, 700, 400};
  BRUSHOBJ brush{};
  brush.iSolidColor = color;
  driver.BitBlt(surface, nullptr, nullptr, nullptr, nullptr, &band, nullptr, nullptr, &brush,
                nullptr, ROP4_PATCOPY);
}

// One job of two pages; the second page on an instance that replaces the
// first within the document.
bool PrintJob(const DriverTable& driver, HostEngine& engine, HANDLE printer) {
  auto first = std::make_unique<EngineInstance>(driver, engine, printer);
  if (!first->ok()) return false;
  bool ok = driver.StartDoc(first->surface(), nullptr, 1) && driver.StartPage(first->surface());
  Draw(driver, first->surface(), 0x00336699);
  ok = ok && driver.SendPage(first->surface());

  EngineInstance second(driver, engine, printer);
  ok = ok && second.ok() && driver.ResetPDEV(first->dhpdev(), second.dhpdev());
  first.reset();
  ok = ok && driver.StartDoc(second.surface(), nullptr, 1) && driver.StartPage(second.surface());
  Draw(driver, second.surface(), 0x00000000);
  return ok && driver.SendPage(second.surface()) && driver.EndDoc(second.surface(), 0);
}

class ConcurrencyTest : public HostEngineTest {
 protected:
  DriverTable driver = EnableDriver();
};

TEST_F(ConcurrencyTest, PrintersPrintTheirOwnJobsAtTheSameTime) {
  HANDLE reference = engine.spooler().OpenPrinter();
  ASSERT_TRUE(PrintJob(driver, engine, reference));
  const std::vector<std::uint8_t> expected = engine.spooler().Output(reference);

  constexpr int kThreads = 4;
  constexpr int kInstancesBeforeTheJob = 20;
  std::vector<HANDLE> printers;
  for (int i = 0; i < kThreads; ++i) printers.push_back(engine.spooler().OpenPrinter());
  std::vector<char> printed(kThreads, 0);
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      // Instances come and go while the other printers build theirs.
      bool ok = true;
      for (int k = 0; k < kInstancesBeforeTheJob; ++k) {
        ok = ok && EngineInstance(driver, engine, printers[i]).ok();
      }
      printed[i] = ok && PrintJob(driver, engine, printers[i]);
    });
  }
  for (std::thread& thread : threads) thread.join();

  for (int i = 0; i < kThreads; ++i) {
    SCOPED_TRACE(i);
    EXPECT_TRUE(printed[i]);
    EXPECT_BYTES_EQ(expected, engine.spooler().Output(printers[i]));
  }
}

// Nothing has made the description lock when the threads start (each test
// runs in a process of its own): the file reads and the driver's enabling
// race to make it, then every parse, of a file or of an instance's built-in
// description, takes it.
TEST_F(HostEngineTest, PpdFilesAreReadWhileInstancesAreMade) {
  const std::vector<char> text =
      LoadPpdBytes(std::filesystem::path(CARDPRINT_TEST_DATA) / "ppd_real_world_shape.ppd");
  constexpr int kThreads = 4;
  constexpr int kRounds = 10;
  std::vector<HANDLE> printers;
  for (int i = 0; i < kThreads; ++i) printers.push_back(engine.spooler().OpenPrinter());
  std::vector<char> done(kThreads, 0);
  std::vector<std::vector<PpdRefusal>> refusals(kThreads);
  std::latch start(kThreads);
  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) {
    threads.emplace_back([&, i] {
      start.arrive_and_wait();
      bool ok = true;
      if (i % 2 == 0) {
        for (int k = 0; k < kRounds; ++k) {
          PpdFile file = ReadPpdText(text, u"shape.ppd");
          ok = ok && file.description != nullptr && (k == 0 || file.refusals == refusals[i]);
          refusals[i] = std::move(file.refusals);
        }
      } else {
        DriverEnabling enabled = EnableDriverTable();
        ok = enabled.table.has_value();
        for (int k = 0; ok && k < kRounds; ++k) {
          ok = EngineInstance(*enabled.table, engine, printers[i]).ok();
        }
      }
      done[i] = ok;
    });
  }
  for (std::thread& thread : threads) thread.join();
  for (int i = 0; i < kThreads; ++i) EXPECT_TRUE(done[i]) << "thread " << i;

  const PpdFile alone = ReadPpdText(text, u"shape.ppd");
  ASSERT_NE(alone.description, nullptr);
  for (int i = 0; i < kThreads; i += 2) EXPECT_EQ(refusals[i], alone.refusals) << "thread " << i;
}

}  // namespace
