// cardprint replay: the same card printed and replayed gives the same job, a
// replayed default job matches the printer's layout byte for byte, a reset
// within a document, the log, and scripts refused before any call runs.
#include <gtest/gtest.h>

#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "host/cardprint/decoded_job.h"
#include "host/cardprint/job_builder.h"
#include "host/cardprint/run_command.h"
#include "host/cardprint/scratch_folder.h"
#include "support/byte_diff.h"

namespace {

using json = nlohmann::json;

std::string Data(const std::string& name) { return std::string(CARDPRINT_TEST_DATA) + "/" + name; }

// The calls that enable an instance "a" with a surface.
json Enable(json devmode = nullptr) {
  return json::array({
      {{"call", "DrvEnablePDEV"}, {"id", "a"}, {"devmode", devmode}},
      {{"call", "DrvCompletePDEV"}, {"pdev", "a"}},
      {{"call", "DrvEnableSurface"}, {"pdev", "a"}},
  });
}

json Disable(const std::string& id = "a") {
  return json::array(
      {{{"call", "DrvDisableSurface"}, {"pdev", id}}, {{"call", "DrvDisablePDEV"}, {"pdev", id}}});
}

json Calls(std::initializer_list<json> parts) {
  json calls = json::array();
  for (const json& part : parts) {
    if (part.is_array()) {
      for (const json& call : part) calls.push_back(call);
    } else {
      calls.push_back(part);
    }
  }
  return calls;
}

json Call(const std::string& name, const std::string& pdev = "a") {
  return {{"call", name}, {"pdev", pdev}};
}

struct Replayed {
  CommandResult result;
  std::vector<std::uint8_t> job;
  std::vector<json> log;
};

Replayed Replay(const ScratchFolder& folder, const json& script) {
  std::ofstream(folder / "script.json") << script.dump(2);
  Replayed replayed;
  replayed.result = RunInProcess(
      {"replay", folder / "script.json", "-o", folder / "job.prn", "--log", folder / "log.jsonl"});
  replayed.job = FileBytes(folder / "job.prn");
  std::ifstream log(folder / "log.jsonl");
  for (std::string line; std::getline(log, line);) replayed.log.push_back(json::parse(line));
  return replayed;
}

struct SameJobCase {
  const char* name;
  std::vector<std::string> print_args;
  json devmode;  // of the replayed DrvEnablePDEV
  json escapes;  // before DrvStartDoc
  json rect;     // where the replayed image call puts the whole design
};

const SameJobCase kSameJobs[] = {
    {"Defaults", {}, nullptr, json::array(), {0, 0, 1024, 656}},
    {"Options",
     {"--panels", "k,o", "--copies", "2", "--doc-mode", "1", "--orientation", "portrait", "--fit",
      "stretch", "--print-area", "8,16,600,1000", "--overlay", "1:10,10,20,20"},
     {{"fields",
       {{"bPrintYMC", 0},
        {"wDocMode", 1},
        {"dmOrientation", 1},
        {"rcPrint", {8, 16, 600, 1000}},
        {"aOverlayArea",
         {{1, 10, 10, 20, 20},
          {2, 0, 0, 655, 1023},
          {2, 0, 0, 655, 1023},
          {2, 0, 0, 655, 1023}}}}}},
     json::array({{{"call", "DrvEscape"}, {"pdev", "a"}, {"escape", 17}, {"input", {{"u32", 2}}}}}),
     {0, 0, 656, 1024}},
};

class PrintAndReplay : public ::testing::TestWithParam<SameJobCase> {};

TEST_P(PrintAndReplay, GiveTheSameJob) {
  const SameJobCase& c = GetParam();
  ScratchFolder folder;
  std::vector<std::string> args{"print", Data("print_card.png"), "-o", folder / "printed.prn"};
  args.insert(args.end(), c.print_args.begin(), c.print_args.end());
  CommandResult printed = RunInProcess(args);
  ASSERT_EQ(printed.status, 0) << printed.err;

  json image{{"call", "image"}, {"pdev", "a"}, {"file", Data("print_card.png")}, {"rect", c.rect}};
  json script{
      {"calls", Calls({Enable(c.devmode), c.escapes, Call("DrvStartDoc"), Call("DrvStartPage"),
                       image, Call("DrvSendPage"), Call("DrvEndDoc"), Disable()})}};
  Replayed replayed = Replay(folder, script);
  ASSERT_EQ(replayed.result.status, 0) << replayed.result.err;
  EXPECT_BYTES_EQ(FileBytes(folder / "printed.prn"), replayed.job);
}

INSTANTIATE_TEST_SUITE_P(Cards, PrintAndReplay, ::testing::ValuesIn(kSameJobs),
                         [](const auto& info) { return std::string(info.param.name); });

// The printer's layout of a default one-page job (landscape, all panels,
// full print area, one copy) for a white card with one black rectangle:
// white and the marked black give no colour dye; black dye lies where the
// rectangle lies, each printed line running up a column of the card.
std::vector<std::uint8_t> DefaultJobWithBlackRectangle(int left, int top, int right, int bottom) {
  std::vector<std::uint8_t> black(656 * 1024, 0);
  for (int line = 0; line < 1024; ++line) {
    for (int dot = 0; dot < 656; ++dot) {
      int column = line;
      int row = 655 - dot;
      if (column >= left && column < right && row >= top && row < bottom)
        black[line * 656 + dot] = 0xFF;
    }
  }
  JobBuilder job;
  job.DocumentStart().Adjustments().PageStart().Resets("YMCKO").Resets("YMC");
  for (char panel : {'Y', 'M', 'C'}) job.Panel(panel, 0, 0, 656, 1024, 0);
  job.Reset('K').Header('K', 0, 0, 656 * 1024, 656);
  job.bytes.insert(job.bytes.end(), black.begin(), black.end());
  job.Trailer('K').Reset('O').OverlayTrailer().DocumentEnd();
  return job.bytes;
}

TEST(Replay, ADefaultOneCardJobMatchesThePrintersLayout) {
  ScratchFolder folder;
  json fill{{"call", "fill"}, {"pdev", "a"}, {"rect", {100, 50, 200, 100}}, {"color", {0, 0, 0}}};
  json script{{"calls", Calls({Enable(), Call("DrvStartDoc"), Call("DrvStartPage"), fill,
                               Call("DrvSendPage"), Call("DrvEndDoc"), Disable()})}};
  Replayed replayed = Replay(folder, script);
  ASSERT_EQ(replayed.result.status, 0) << replayed.result.err;
  EXPECT_BYTES_EQ(DefaultJobWithBlackRectangle(100, 50, 300, 150), replayed.job);
}

TEST(Replay, CarriesADocumentOverAResetInstance) {
  ScratchFolder folder;
  json second = json::array({
      {{"call", "DrvEnablePDEV"}, {"id", "b"}, {"devmode", {{"fields", {{"bPrintK", 0}}}}}},
      {{"call", "DrvCompletePDEV"}, {"pdev", "b"}},
      {{"call", "DrvEnableSurface"}, {"pdev", "b"}},
      {{"call", "DrvResetPDEV"}, {"old", "a"}, {"new", "b"}},
  });
  json script{
      {"calls", Calls({Enable(), Call("DrvStartDoc"), Call("DrvStartPage"), Call("DrvSendPage"),
                       second, Disable("a"), Call("DrvStartDoc", "b"), Call("DrvStartPage", "b"),
                       Call("DrvSendPage", "b"), Call("DrvEndDoc", "b"), Disable("b")})}};
  Replayed replayed = Replay(folder, script);
  ASSERT_EQ(replayed.result.status, 0) << replayed.result.err;
  DecodedJob job = DecodeJob(replayed.job);
  EXPECT_TRUE(job.well_formed) << job.fault;
  EXPECT_EQ(job.pages, 2);
  EXPECT_EQ(job.Count("documentStart: mode L"), 1u);
  EXPECT_EQ(job.Count("panelHeader: black at dot 0, line 0: 1024 lines of 656 dots"), 1u);
  // The second instance's settings apply from its first page on.
  EXPECT_EQ(job.panels[1].count('K'), 0u);
  EXPECT_EQ(replayed.log[9]["call"], "DrvResetPDEV");
  EXPECT_EQ(replayed.log[9]["result"], true);
  EXPECT_EQ(replayed.log.back(),
            (json{{"event", "end"}, {"outstanding", json::object()}, {"failedWrites", 0}}));
}

TEST(Replay, LogsTheCapabilitiesOfTheDefaultDeviceMode) {
  ScratchFolder folder;
  Replayed replayed = Replay(folder, {{"calls", Calls({Enable(), Disable()})}});
  ASSERT_EQ(replayed.result.status, 0) << replayed.result.err;
  const json& enable = replayed.log[0];
  EXPECT_EQ(enable["call"], "DrvEnablePDEV");
  EXPECT_EQ(enable["result"], true);
  const json& gdi = enable["gdiInfo"];
  EXPECT_EQ(gdi["ulVersion"], 0x400);
  EXPECT_EQ(gdi["ulTechnology"], 2);
  // Landscape: the 245.76-point side across, at 300 dots per inch.
  EXPECT_EQ(gdi["ulHorzRes"], 1024);
  EXPECT_EQ(gdi["ulVertRes"], 656);
  EXPECT_EQ(gdi["cBitsPixel"], 24);
  EXPECT_EQ(gdi["cPlanes"], 1);
  EXPECT_EQ(gdi["ulNumColors"], 8);
  EXPECT_EQ(gdi["ulLogPixelsX"], 300);
  EXPECT_EQ(gdi["ulLogPixelsY"], 300);
  EXPECT_EQ(gdi["flTextCaps"], 0x19F7);
  EXPECT_EQ(gdi["ulAspectX"], 300);
  EXPECT_EQ(gdi["ulAspectXY"], 424);
  EXPECT_EQ(gdi["denStyleStep"], 12);
  EXPECT_TRUE(gdi["ptlPhysOffset"].contains("x"));
  EXPECT_TRUE(gdi["szlPhysSize"].contains("cy"));
  EXPECT_EQ(gdi["ciDevice"]["Red"], (json{{"x", 6380}, {"y", 3350}, {"Y", 0}}));
  EXPECT_EQ(gdi["ciDevice"]["MagentaInYellowDye"], 10000);
  EXPECT_EQ(gdi["ulDevicePelsDPI"], 11800);
  EXPECT_EQ(gdi["ulHTPatternSize"], 5);
  EXPECT_EQ(gdi["ulHTOutputFormat"], 2);
  EXPECT_EQ(gdi["flHTFlags"], 0x102);
  const json& devinfo = enable["devInfo"];
  EXPECT_EQ(devinfo["flGraphicsCaps"], 0x210F);
  EXPECT_EQ(devinfo["cFonts"], 0);
  EXPECT_EQ(devinfo["iDitherFormat"], 6);
  EXPECT_EQ(devinfo["hpalDefault"], true);
  EXPECT_EQ(devinfo["lfDefaultFont"]["lfFaceName"], "");
  EXPECT_EQ(gdi.size(), 35u);
  EXPECT_EQ(devinfo.size(), 9u);
}

TEST(Replay, LogsEscapesWithTheirOutputAndTheLastError) {
  ScratchFolder folder;
  json calls =
      Calls({Enable(),
             {{"call", "DrvEscape"}, {"pdev", "a"}, {"escape", 20}, {"outputSize", 14}},
             {{"call", "DrvEscape"}, {"pdev", "a"}, {"escape", 20}, {"outputSize", 13}},
             {{"call", "DrvEscape"}, {"pdev", "a"}, {"escape", 8}, {"input", {{"u16", 17}}}},
             {{"call", "DrvEscape"}, {"pdev", "a"}, {"escape", 4159}, {"input", {{"ascii", "w"}}}},
             {{"call", "DrvEscape"}, {"pdev", "a"}, {"escape", 4157}, {"input", {{"utf16", "12"}}}},
             Disable()});
  Replayed replayed = Replay(folder, {{"calls", calls}});
  ASSERT_EQ(replayed.result.status, 0) << replayed.result.err;
  EXPECT_EQ(replayed.log[3], (json{{"call", "DrvEscape"},
                                   {"line", replayed.log[3]["line"]},
                                   {"result", 1},
                                   {"lastError", 0},
                                   {"output", "546865726d6f7072696e74657200"}}));
  EXPECT_EQ(replayed.log[4]["result"], 0);
  EXPECT_EQ(replayed.log[4]["lastError"], 87);
  EXPECT_EQ(replayed.log[5]["result"], 999);
  EXPECT_EQ(replayed.log[6]["result"], -4);
  EXPECT_EQ(replayed.log[7]["result"], 1);
}

TEST(Replay, ShowsWhatAScriptLeavesAllocated) {
  ScratchFolder folder;
  Replayed replayed = Replay(folder, {{"calls", Enable()}});
  ASSERT_EQ(replayed.result.status, 0) << replayed.result.err;
  const json& end = replayed.log.back();
  EXPECT_EQ(end["event"], "end");
  EXPECT_TRUE(end["outstanding"].contains("Dpsm"));
  EXPECT_TRUE(end["outstanding"].contains("Dpot"));
  EXPECT_GE(end["outstanding"]["Dpot"], 656 * 1024 * 4);
}

TEST(Replay, SetsThePrintersRegistryData) {
  ScratchFolder folder;
  json script{{"printer", {{"registry", {{"PrinterData", {{"props", {{"dwMagEncoder", 1}}}}}}}}},
              {"calls", Calls({Enable(), Call("DrvStartDoc"), Call("DrvStartPage"),
                               Call("DrvSendPage"), Call("DrvEndDoc"), Disable()})}};
  Replayed replayed = Replay(folder, script);
  ASSERT_EQ(replayed.result.status, 0) << replayed.result.err;
  EXPECT_TRUE(DecodeJob(replayed.job).Has("trackData: mode Q"));
}

struct MalformedScript {
  const char* name;
  std::string text;
  std::string message;  // after "the script PATH is malformed: " or the JSON error's start
};

const MalformedScript kMalformed[] = {
    {"NotJson", "{\n  \"calls\": [\n    {\"call\": \"DrvStartDoc\",,}\n  ]\n}\n",
     " is not valid JSON: line 3: syntax error while parsing object key"},
    {"NoCalls", "{\"printer\": {}}\n", " is malformed: line 1: the key \"calls\" is missing."},
    {"UnknownCall", "{\"calls\": [\n  {\"call\": \"DrvStartDocument\", \"pdev\": \"a\"}\n]}\n",
     " is malformed: line 2: there is no call \"DrvStartDocument\"."},
    {"UnknownKey",
     "{\"calls\": [\n  {\"call\": \"DrvEnablePDEV\", \"id\": \"a\"},\n  {\"call\": "
     "\"DrvStartDoc\",\n   \"pdv\": \"a\"}\n]}\n",
     " is malformed: line 4: DrvStartDoc takes no key \"pdv\"."},
    {"MissingKey", "{\"calls\": [\n  {\"call\": \"DrvEnablePDEV\"}\n]}\n",
     " is malformed: line 2: DrvEnablePDEV needs the key \"id\"."},
    {"InstanceNeverEnabled", "{\"calls\": [\n  {\"call\": \"DrvStartDoc\", \"pdev\": \"a\"}\n]}\n",
     " is malformed: line 2: no DrvEnablePDEV before this call has the id \"a\"."},
    {"InstanceDisabled",
     "{\"calls\": [{\"call\": \"DrvEnablePDEV\", \"id\": \"a\"},\n {\"call\": \"DrvDisablePDEV\", "
     "\"pdev\": \"a\"},\n {\"call\": \"DrvSendPage\", \"pdev\": \"a\"}]}\n",
     " is malformed: line 3: the instance \"a\" was disabled before this call."},
    {"UnknownDevModeField",
     "{\"calls\": [{\"call\": \"DrvEnablePDEV\", \"id\": \"a\",\n  \"devmode\": {\"fields\": {\n   "
     " \"bPrintX\": 1}}}]}\n",
     " is malformed: line 3: the device mode has no field \"bPrintX\"."},
    {"DevModeFieldOutOfRange",
     "{\"calls\": [{\"call\": \"DrvEnablePDEV\", \"id\": \"a\",\n  \"devmode\": {\"fields\": "
     "{\"dmOrientation\": 40000}}}]}\n",
     " is malformed: line 2: the field dmOrientation must lie between -32768 and 32767."},
    {"DevModeShorterThanItSays",
     "{\"calls\": [{\"call\": \"DrvEnablePDEV\", \"id\": \"a\",\n  \"devmode\": {\"hex\": "
     "\"00000000\"}}]}\n",
     " is malformed: line 2: the device mode's declared sizes (dmSize and dmDriverExtra) do not "
     "fit its 4 bytes."},
    {"BadHex", "{\"printer\": {\"registry\": {\"FreeMem\": {\"hex\": \"0g\"}}}, \"calls\": []}\n",
     " is malformed: line 1: \"hex\" holds a character that is not a hex digit."},
    {"PropsForAnotherValue",
     "{\"printer\": {\"registry\": {\"FreeMem\": {\"props\": {}}}}, \"calls\": []}\n",
     " is malformed: line 1: only \"PrinterData\" can be given as \"props\"."},
    {"ColorOutOfRange",
     "{\"calls\": [{\"call\": \"DrvEnablePDEV\", \"id\": \"a\"},\n{\"call\": \"fill\", \"pdev\": "
     "\"a\", \"rect\": [0,0,1,1], \"color\": [0,0,256]}]}\n",
     " is malformed: line 2: \"color\" (red, green, blue) must be a whole number from 0 to 255."},
    {"RawFileOfTheWrongSize",
     "{\"calls\": [{\"call\": \"DrvEnablePDEV\", \"id\": \"a\"},\n{\"call\": \"blit\", \"pdev\": "
     "\"a\", \"file\": \"pixels.rgb\", \"size\": [2, 2], \"at\": [0, 0]}]}\n",
     " is malformed: line 2: the raw RGB file FOLDER/pixels.rgb holds 9 bytes where 2 by 2 pixels "
     "take 12."},
    {"MissingImage",
     "{\"calls\": [{\"call\": \"DrvEnablePDEV\", \"id\": \"a\"},\n{\"call\": \"image\", \"pdev\": "
     "\"a\", \"file\": \"none.png\", \"rect\": [0, 0, 1, 1]}]}\n",
     " is malformed: line 2: the image FOLDER/none.png cannot be read: no such file or directory."},
};

class ReplayMalformed : public ::testing::TestWithParam<MalformedScript> {};

TEST_P(ReplayMalformed, IsRefusedBeforeAnyCall) {
  ScratchFolder folder;
  std::ofstream(folder / "script.json") << GetParam().text;
  std::ofstream(folder / "pixels.rgb") << "123456789";
  CommandResult result = RunInProcess(
      {"replay", folder / "script.json", "-o", folder / "job.prn", "--log", folder / "log.jsonl"});
  EXPECT_EQ(result.status, 1);
  std::string message = GetParam().message;
  for (std::size_t at; (at = message.find("FOLDER")) != std::string::npos;) {
    message.replace(at, 6, folder.path().string());
  }
  std::string expected = "cardprint: the script " + (folder / "script.json") + message;
  EXPECT_EQ(result.err.substr(0, expected.size()), expected) << result.err;
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"pixels.rgb", "script.json"}));
}

INSTANTIATE_TEST_SUITE_P(Scripts, ReplayMalformed, ::testing::ValuesIn(kMalformed),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Replay, FailsOnAFullDeviceAndLeavesNoLog) {
  ScratchFolder folder;
  json script{{"calls", Calls({Enable(), Call("DrvStartDoc"), Call("DrvEndDoc"), Disable()})}};
  std::ofstream(folder / "script.json") << script.dump();
  CommandResult result = RunInProcess(
      {"replay", folder / "script.json", "-o", "/dev/full", "--log", folder / "log.jsonl"});
  EXPECT_EQ(result.status, 1);
  EXPECT_EQ(result.err, "cardprint: cannot write /dev/full: no space left on device.\n");
  EXPECT_EQ(folder.Files(), std::vector<std::string>{"script.json"});
}

}  // namespace
