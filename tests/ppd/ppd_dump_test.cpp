// cardprint ppd dump: the built-in description and a PPD file checked whole
// against fixtures, the statements refused by line, 8-bit strings, gzip'd
// files, and the exit status and message of each failure.
#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "host/cardprint/run_command.h"
#include "host/cardprint/scratch_folder.h"

namespace {

using namespace std::string_literals;

std::string Data(const std::string& name) { return std::string(CARDPRINT_TEST_DATA) + "/" + name; }

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void Write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

std::uint32_t Crc32(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFF;
  for (unsigned char byte : bytes) {
    crc ^= byte;
    for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

std::string LittleEndian(std::uint32_t value, int bytes) {
  std::string out;
  for (int i = 0; i < bytes; ++i) out += static_cast<char>((value >> (8 * i)) & 0xFF);
  return out;
}

// text as one gzip member holding a single stored (uncompressed) block.
std::string Gzip(const std::string& text) {
  std::string out = "\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03"s;
  out += '\x01';  // the last block, stored
  out += LittleEndian(static_cast<std::uint32_t>(text.size()), 2);
  out += LittleEndian(static_cast<std::uint32_t>(~text.size()), 2);
  out += text;
  out += LittleEndian(Crc32(text), 4);
  out += LittleEndian(static_cast<std::uint32_t>(text.size()), 4);
  return out;
}

TEST(PpdDump, BuiltInDescriptionAsJsonMatchesTheFixture) {
  CommandResult result = RunInProcess({"ppd", "dump", "--json"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Contents(Data("ppd_dump_builtin.json")));
  EXPECT_EQ(result.err, "");
}

TEST(PpdDump, BuiltInDescriptionAsTextMatchesTheFixture) {
  CommandResult result = RunInProcess({"ppd", "dump"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Contents(Data("ppd_dump_builtin.txt")));
}

// Every kind of option record, fonts, constraints, custom page sizes and
// the JCL strings of a file shaped like a shipped one.
TEST(PpdDump, FileAsJsonMatchesTheFixture) {
  CommandResult result = RunInProcess({"ppd", "dump", Data("ppd_real_world_shape.ppd"), "--json"});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, Contents(Data("ppd_dump_real_world_shape.json")));
}

TEST(PpdDump, ListsTheRefusedStatementsByLine) {
  CommandResult result = RunInProcess({"ppd", "dump", "--json", Data("ppd_refusals_by_line.ppd")});
  EXPECT_EQ(result.status, 0) << result.err;
  const auto json = nlohmann::ordered_json::parse(result.out);
  const auto expected = nlohmann::ordered_json::parse(R"([
    {"line": 4, "code": 5}, {"line": 5, "code": 3}, {"line": 6, "code": 3},
    {"line": 7, "code": 5}, {"line": 8, "code": 3}, {"line": 10, "code": 4}, {"line": 11, "code": 5}, {"line": 12, "code": 3},
    {"line": 13, "code": 3}, {"line": 14, "code": 5}, {"line": 18, "code": 3},
    {"line": 20, "code": 5}])");
  // Line 9, an over-long keyword that nothing takes, is ignored.
  EXPECT_EQ(json["errors"], expected);
  // The built-in description has no statements from a file: no "errors".
  EXPECT_FALSE(nlohmann::ordered_json::parse(RunInProcess({"ppd", "dump", "--json"}).out)
                   .contains("errors"));
}

// Bytes above 127 become the code points of the same value, plain or
// gzip'd alike.
TEST(PpdDump, EightBitStringsAndGzipFiles) {
  const std::string text =
      "*PPD-Adobe: \"4.3\"\n"
      "*NickName: \"Caf\xe9 <E9>\"\n"
      "*OpenUI *ManualFeed/Feed \xbb: Boolean\n"
      "*ManualFeed True/\xc0 la main: \"\"\n"
      "*Collate True: \"collate\"\n";
  ScratchFolder folder;
  Write(folder / "latin.ppd", text);
  Write(folder / "latin.ppd.gz", Gzip(text));
  for (const char* name : {"latin.ppd", "latin.ppd.gz"}) {
    CommandResult result = RunInProcess({"ppd", "dump", "--json", folder / name});
    ASSERT_EQ(result.status, 0) << name << ": " << result.err;
    const auto json = nlohmann::ordered_json::parse(result.out);
    EXPECT_EQ(json["nickName"], "Caf\u00e9 \u00e9") << name;
    ASSERT_EQ(json["groups"].size(), 2u) << name;
    EXPECT_EQ(json["groups"][0]["name"], "ManualFeed");
    EXPECT_EQ(json["groups"][0]["kind"], 2);
    EXPECT_EQ(json["groups"][0]["options"][0]["translation"], "\u00c0 la main") << name;
    EXPECT_EQ(json["groups"][1]["name"], "Collate");
    EXPECT_EQ(json["groups"][1]["options"][0]["invocation"], "collate");
    EXPECT_EQ(json["errors"], nlohmann::ordered_json::array());
  }
}

TEST(PpdDump, FailuresExitWithOneSentenceNamingTheFile) {
  ScratchFolder folder;
  const std::string text = "*NickName: \"cut\"\n";
  Write(folder / "cut.ppd.gz", Gzip(text).substr(0, 20));
  Write(folder / "trailing.ppd.gz", Gzip(text) + "junk");
  struct Case {
    std::vector<std::string> args;
    int status;
    std::string err;
  };
  const Case kCases[] = {
      {{"ppd", "dump", folder / "missing.ppd"},
       1,
       "cardprint: the PPD file " + folder / "missing.ppd" +
           " cannot be read: no such file or directory.\n"},
      {{"ppd", "dump", folder.path().string()},
       1,
       "cardprint: the PPD file " + folder.path().string() + " cannot be read: is a directory.\n"},
      {{"ppd", "dump", folder / "cut.ppd.gz"},
       1,
       "cardprint: the PPD file " + folder / "cut.ppd.gz" +
           " cannot be read: gzip data cut short.\n"},
      {{"ppd", "dump", folder / "trailing.ppd.gz"},
       1,
       "cardprint: the PPD file " + folder / "trailing.ppd.gz" +
           " cannot be read: data behind the gzip stream.\n"},
      {{"ppd", "dump", "a.ppd", "b.ppd"},
       2,
       "cardprint: cardprint ppd dump takes at most one PPD file (see cardprint ppd --help).\n"},
      {{"ppd", "dump", "--xml"}, 2, "cardprint: cardprint ppd dump has no option --xml.\n"},
      {{"ppd"}, 2, "cardprint: cardprint ppd needs a subcommand (see cardprint ppd --help).\n"},
      {{"ppd", "show"},
       2,
       "cardprint: cardprint ppd has no subcommand \"show\" (see cardprint ppd --help).\n"},
  };
  for (const Case& c : kCases) {
    CommandResult result = RunInProcess(c.args);
    EXPECT_EQ(result.status, c.status) << c.args.back();
    EXPECT_EQ(result.err, c.err);
    EXPECT_EQ(result.out, "") << c.args.back();
  }
}

TEST(PpdDump, ProgramExitStatus) {
  EXPECT_EQ(RunChild({"ppd", "dump", "--json"}).status, 0);
  EXPECT_EQ(RunChild({"ppd", "dump", "/nonexistent/file.ppd"}).status, 1);
  EXPECT_EQ(RunChild({"ppd", "dump", "--json", "a", "b"}).status, 2);
  CommandResult help = RunChild({"ppd", "--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("Usage: cardprint ppd dump [FILE] [--json]\n")) << help.out;
}

}  // namespace
