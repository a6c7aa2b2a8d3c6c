// Output files: written to a temporary file and put in place only when
// complete; a failed write, close or rename fails with a sentence and leaves
// nothing behind.
#include "host/cardprint/output_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <fstream>
#include <iterator>

#include "host/card_job/errors.h"
#include "host/cardprint/scratch_folder.h"

namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::span<const std::uint8_t> Bytes(const std::string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

std::string FailureOf(const std::function<void()>& action) {
  try {
    action();
  } catch (const Failure& failure) {
    return failure.what();
  }
  return "no failure";
}

TEST(OutputFile, AppearsOnlyWhenCommitted) {
  ScratchFolder folder;
  std::string big(200000, 'x');  // larger than the buffer, written directly
  {
    OutputFile file(folder / "job.prn", 1);
    EXPECT_TRUE(file.Write(Bytes("head")));
    EXPECT_TRUE(file.Write(Bytes(big)));
    EXPECT_TRUE(file.Write(Bytes("tail")));
    ASSERT_EQ(folder.Files().size(), 1u);
    EXPECT_TRUE(folder.Files()[0].starts_with(".job.prn.")) << folder.Files()[0];
    file.Commit();
  }
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"job.prn"});
  EXPECT_EQ(Contents(folder / "job.prn"), "head" + big + "tail");
}

TEST(OutputFile, NeverCommittedLeavesNothingAndKeepsAnOldFile) {
  ScratchFolder folder;
  std::ofstream(folder / "job.prn") << "old job";
  {
    OutputFile file(folder / "job.prn", 1);
    file.Write(Bytes("half a new job"));
  }
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"job.prn"});
  EXPECT_EQ(Contents(folder / "job.prn"), "old job");
}

TEST(OutputFile, AFullDeviceFailsTheCommit) {
  OutputFile file("/dev/full", 1);
  file.Write(Bytes(std::string(100000, 'x')));
  EXPECT_TRUE(file.Failed());
  EXPECT_EQ(FailureOf([&] { file.Commit(); }), "cannot write /dev/full: no space left on device.");
}

TEST(OutputFile, AClosedPipeFailsTheCommit) {
  std::signal(SIGPIPE, SIG_IGN);
  int pipe_ends[2];
  ASSERT_EQ(pipe(pipe_ends), 0);
  close(pipe_ends[0]);
  OutputFile file("-", pipe_ends[1]);
  file.Write(Bytes("bytes nobody reads"));
  EXPECT_EQ(FailureOf([&] { file.Commit(); }), "cannot write standard output: broken pipe.");
  close(pipe_ends[1]);
}

TEST(OutputFile, AMissingFolderFailsAtOnce) {
  ScratchFolder folder;
  std::string path = folder / "no/such/job.prn";
  EXPECT_EQ(FailureOf([&] { OutputFile file(path, 1); }),
            "cannot create " + path + ": no such file or directory.");
  EXPECT_EQ(FailureOf([&] { OutputFile file(folder.path().string(), 1); }),
            "cannot write " + folder.path().string() + ": it is a directory.");
}

TEST(OutputFile, GetsTheUsualPermissions) {
  ScratchFolder folder;
  mode_t old_mask = umask(022);
  WriteWholeFile(folder / "job.prn", Bytes("x"), 1);
  umask(old_mask);
  EXPECT_EQ(std::filesystem::status(folder / "job.prn").permissions(),
            std::filesystem::perms::owner_read | std::filesystem::perms::owner_write |
                std::filesystem::perms::group_read | std::filesystem::perms::others_read);
}

}  // namespace
