// Every PPD file of the openprinting-ppds package, in one pass: read through
// the file reader, every record walked, packed into the image the driver
// keeps, and the image dumped as `cardprint ppd dump --json` shows it. None
// may crash, trip a sanitizer or leave pool memory behind; each must give a
// description, an image and one JSON object (the JSON itself is checked
// whole against fixtures elsewhere). The files are unpacked, gzip'd, into
// the build folder by the ppd_corpus_unpack setup test. The test prints what
// it read: files, bytes, time, statements, and the statements not taken,
// grouped by code and keyword, and the malformed ones by reason. The summary
// is also written next to the unpacked files (ppd_corpus_summary.txt).
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "host/cardprint/ppd_dump.h"
#include "host/ppd_file/ppd_file.h"
#include "ppd/packed_image.h"
#include "ppd/parser/parser.h"
#include "ppd/parser/ppd_file_reader.h"
#include "ppd/parser/ppd_statements.h"
#include "support/host_fixture.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kStampName = "unpacked-from";

// The files the setup test unpacked, and how many its stamp says there are.
struct Corpus {
  std::vector<fs::path> files;
  std::size_t announced = 0;
};

Corpus ListCorpus(const fs::path& folder) {
  Corpus corpus;
  std::ifstream stamp(folder / kStampName);
  std::string identity;
  std::getline(stamp, identity);
  stamp >> corpus.announced;
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    if (entry.is_regular_file() && entry.path().filename() != kStampName) corpus.files.push_back(entry.path());
  }
  std::sort(corpus.files.begin(), corpus.files.end());
  return corpus;
}

// The first word of each line, as a refused statement is grouped by: the
// main keyword with its asterisk, or "(text)" for a line without one.
// Query keywords ("*?PageSize") and localised ones ("*de.Translation") are
// grouped by their kind.
class LineKeywords {
 public:
  explicit LineKeywords(std::string_view text) : text_(text) {
    starts_.push_back(0);
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      if (text[i] == '\r' || text[i] == '\n') starts_.push_back(i + 1);
    }
  }

  std::string At(unsigned line) const {
    if (line == 0 || line > starts_.size()) return "(no such line)";
    std::string_view rest = text_.substr(starts_[line - 1]);
    if (rest.empty() || rest[0] != '*') return "(text)";
    const std::size_t end = rest.find_first_of(" \t:/\r\n");
    std::string keyword(rest.substr(0, std::min(end, std::size_t{48})));
    // Query keywords are never interpreted; they are one group.
    if (keyword.starts_with("*?")) return "*?<query>";
    const std::size_t dot = keyword.find('.');
    if (dot != std::string::npos && dot <= 6) keyword = "*<lang>" + keyword.substr(dot);
    return keyword;
  }

 private:
  std::string_view text_;
  std::vector<std::size_t> starts_;
};

// Counts what the splitter sees, by itself: statements and malformed lines
// by reason.
struct SplitCount {
  std::size_t statements = 0;
  std::map<PpdMalformed, std::size_t> malformed;

  static BOOL Statement(PVOID context, const PPDSTATEMENT*) {
    ++static_cast<SplitCount*>(context)->statements;
    return TRUE;
  }
  static BOOL Malformed(PVOID context, ULONG, PpdMalformed reason) {
    ++static_cast<SplitCount*>(context)->malformed[reason];
    return TRUE;
  }
};

const char* CodeName(unsigned code) {
  switch (code) {
    case PPDERR_SYNTAX: return "3 refused by the interpreter";
    case PPDERR_MEMORY: return "4 text longer than the parser's buffer";
    case PPDREAD_MALFORMED: return "5 malformed";
    case PPDERR_FULL: return "6 beyond the 65,535 entries a list can index";
    case PPDREAD_PAPER_REFUSED: return "7 paper size whose PageSize statement was refused";
    case PPDREAD_OPTION_BEYOND_SELECTION: return "8 constraint on an option beyond the selection byte";
    default: return "other";
  }
}

const char* ReasonName(PpdMalformed reason) {
  switch (reason) {
    case PpdMalformed::NotAStatement: return "line without an asterisk";
    case PpdMalformed::BadKeyword: return "bad main keyword";
    case PpdMalformed::BadOption: return "bad option keyword or translation";
    case PpdMalformed::NoColon: return "option keyword without colon and value";
    case PpdMalformed::TextAfterQuote: return "text behind a closing quote";
    case PpdMalformed::QuoteLeftOpen: return "plain value leaving a quote open";
    case PpdMalformed::UnclosedQuote: return "quote open at the end of the file";
    case PpdMalformed::NulInValue: return "NUL byte in a value";
  }
  return "?";
}

std::size_t Length(const CHAR* text) { return text == nullptr ? 0 : std::strlen(text); }

// Touches every record and string of a description, as a sanitizer wants
// them touched; returns the bytes of its strings.
std::size_t WalkPpd(const PPDOBJ& ppd) {
  std::size_t bytes = Length(ppd.nickName) + Length(ppd.password) + Length(ppd.exitServer) +
                      Length(ppd.jclBegin) + Length(ppd.jclToPs) + Length(ppd.jclEnd) + Length(ppd.customPageCode);
  for (LISTOBJ* item = ppd.uiGroups; item != nullptr; item = item->next) {
    const UIGROUP& group = *ListRecord<UIGROUP>(item);
    bytes += Length(item->name) + Length(group.translation) + Length(group.defaultOption);
    for (LISTOBJ* entry = group.options; entry != nullptr; entry = entry->next) {
      const UIOPTION& option = *ListRecord<UIOPTION>(entry);
      bytes += Length(entry->name) + Length(option.translation) + Length(option.invocation);
      if (group.kind == UIGRP_PAGESIZE) bytes += Length(ListRecord<MEDIAOPTION>(entry)->pageRegionCode);
      if (group.kind == UIGRP_RESOLUTION) {
        bytes += Length(ListRecord<RESOPTION>(entry)->jclResolutionCode) +
                 Length(ListRecord<RESOPTION>(entry)->setResolutionCode);
      }
    }
  }
  for (LISTOBJ* item = ppd.deviceFonts; item != nullptr; item = item->next) {
    bytes += Length(item->name) + Length(ListRecord<DEVFONT>(item)->translation);
  }
  for (LISTOBJ* item = ppd.orderDeps; item != nullptr; item = item->next) {
    bytes += Length(item->name) + Length(ListRecord<ORDERDEP>(item)->optionKeyword);
  }
  for (LISTOBJ* item = ppd.uiConstraints; item != nullptr; item = item->next) {
    const UICONSTRAINT& constraint = *ListRecord<UICONSTRAINT>(item);
    bytes += Length(item->name) + Length(constraint.option1) + Length(constraint.feature2) + Length(constraint.option2);
  }
  return bytes;
}

struct ImageDeleter {
  void operator()(PPDOBJ* image) const { PpdDelete(image); }
};
using PpdImage = std::unique_ptr<PPDOBJ, ImageDeleter>;

double Seconds(Clock::duration duration) { return std::chrono::duration<double>(duration).count(); }

using CorpusTest = HostEngineTest;

TEST_F(CorpusTest, EveryOpenprintingPpdIsRead) {
  if (!fs::exists(OPENPRINTING_PPDS_PROGRAM)) {
    GTEST_SKIP() << OPENPRINTING_PPDS_PROGRAM << " is absent: install openprinting-ppds (scripts/install-deps)";
  }
  const fs::path folder = PPD_CORPUS_DIR;
  ASSERT_TRUE(fs::exists(folder / kStampName))
      << "the corpus is not unpacked in " << folder << ": the ppd_corpus_unpack test does it";
  const Corpus corpus = ListCorpus(folder);
  ASSERT_EQ(corpus.files.size(), corpus.announced);

  std::size_t bytes = 0, groups = 0, options = 0, fonts = 0, constraints = 0, stringBytes = 0;
  std::size_t filesWithRefusals = 0;
  std::size_t jsonBytes = 0;
  Clock::duration loadTime{}, readTime{}, packTime{}, dumpTime{};
  SplitCount split;
  std::map<unsigned, std::size_t> byCode;
  std::map<std::pair<unsigned, std::string>, std::size_t> byCodeAndKeyword;

  const Clock::time_point start = Clock::now();
  for (const fs::path& path : corpus.files) {
    const Clock::time_point loadStart = Clock::now();
    const std::vector<char> text = LoadPpdBytes(path);
    const Clock::time_point readStart = Clock::now();
    PpdFile file = ReadPpdText(text, path.filename().u16string());
    readTime += Clock::now() - readStart;
    loadTime += readStart - loadStart;
    bytes += text.size();

    if (file.description == nullptr) {
      ADD_FAILURE() << path << " gave no description";
      continue;
    }
    stringBytes += WalkPpd(*file.description);
    for (LISTOBJ* group = file.description->uiGroups; group != nullptr; group = group->next) {
      ++groups;
      options += UIGROUP_CountOptions(ListRecord<UIGROUP>(group));
    }
    fonts += LISTOBJ_Count(file.description->deviceFonts);
    constraints += LISTOBJ_Count(file.description->uiConstraints);

    const PPDSTATEMENTSINK sink{&split, SplitCount::Statement, SplitCount::Malformed};
    PPDFILE_SplitStatements(text, &sink);

    if (!file.refusals.empty()) {
      ++filesWithRefusals;
      const LineKeywords keywords({text.data(), text.size()});
      for (const PpdRefusal& refusal : file.refusals) {
        ++byCode[refusal.code];
        ++byCodeAndKeyword[{refusal.code, keywords.At(refusal.line)}];
      }
    }

    const Clock::time_point packStart = Clock::now();
    const PpdImage image(PpdCreateFromParsed(file.description.release()));
    const Clock::time_point dumpStart = Clock::now();
    packTime += dumpStart - packStart;
    if (image == nullptr) {
      ADD_FAILURE() << path << " could not be packed";
      continue;
    }
    const std::string json = PpdImageJson(image.get(), &file.refusals);
    dumpTime += Clock::now() - dumpStart;
    jsonBytes += json.size();
    if (!json.starts_with("{\n") || !json.ends_with("\n}")) {
      ADD_FAILURE() << path << ": the dump is not one JSON object";
    }
  }
  const Clock::duration total = Clock::now() - start;

  std::ostringstream summary;
  char line[160];
  std::snprintf(line, sizeof line, "%zu files, %.1f MB (inflated), %zu statements\n", corpus.files.size(), bytes / 1e6,
                split.statements);
  summary << line;
  std::snprintf(line, sizeof line, "%.2f s in all: %.2f s loading and inflating, %.2f s reading (%.1f MB/s)\n", Seconds(total),
                Seconds(loadTime), Seconds(readTime), bytes / 1e6 / Seconds(readTime));
  summary << line;
  std::snprintf(line, sizeof line, "%.2f s packing, %.2f s dumping %.1f MB of JSON\n", Seconds(packTime),
                Seconds(dumpTime), jsonBytes / 1e6);
  summary << line;
  summary << groups << " UI groups, " << options << " options, " << fonts << " device fonts, " << constraints
          << " constraints; " << stringBytes << " bytes of strings\n";
  std::size_t refused = 0;
  for (const auto& [code, count] : byCode) refused += count;
  summary << refused << " statements not taken, in " << filesWithRefusals << " files:\n";
  for (const auto& [code, count] : byCode) summary << "  " << count << "  code " << CodeName(code) << "\n";
  summary << "malformed lines by reason:\n";
  for (const auto& [reason, count] : split.malformed) summary << "  " << count << "  " << ReasonName(reason) << "\n";
  summary << "not taken, by code and keyword (most frequent first):\n";
  std::vector<std::pair<std::size_t, std::pair<unsigned, std::string>>> ranked;
  for (const auto& [key, count] : byCodeAndKeyword) ranked.push_back({count, key});
  std::sort(ranked.begin(), ranked.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
  for (std::size_t i = 0; i < ranked.size() && i < 80; ++i) {
    std::snprintf(line, sizeof line, "  %7zu  %u  %s\n", ranked[i].first, ranked[i].second.first,
                  ranked[i].second.second.c_str());
    summary << line;
  }
  if (ranked.size() > 80) summary << "  (" << ranked.size() - 80 << " smaller groups)\n";

  std::cout << summary.str();
  std::ofstream(folder.parent_path() / "ppd_corpus_summary.txt") << summary.str();
}

}  // namespace
