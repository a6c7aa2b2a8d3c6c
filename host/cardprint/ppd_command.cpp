// cardprint ppd dump [FILE] [--json]: what the driver makes of a printer
// description. Without FILE it is the driver's own built-in card
// description; with one, a PPD file (plain or gzip'd) read by the driver's
// file reader in place of the built-in entries. Either way the description
// is packed into the image the driver keeps, and the image is shown.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/card_job/errors.h"
#include "host/cardprint/command_line.h"
#include "host/cardprint/commands.h"
#include "host/card_job/file_bytes.h"
#include "host/cardprint/ppd_dump.h"
#include "host/engine/host_engine.h"
#include "host/ppd_file/ppd_file.h"
#include "ppd/packed_image.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: cardprint ppd dump [FILE] [--json]

Builds the packed printer description the driver keeps and shows it: the
driver's built-in card description, or with FILE a PPD file (plain or
gzip'd) read in its place. Shows the printer-level fields, every feature
with its options in the image's order (document-sticky features first),
the order dependencies and constraints with the indexes their names
resolved to, the device fonts, the default selections of both sticky
classes, and for a file the statements the driver refused, by line.

Options:
  --json       one JSON object instead of text; reals as stored (value x 256)
  -h, --help   show this help

Exit status: 0 when the description was built, 1 when it could not be,
2 for bad usage.
)";

struct ImageDeleter {
  void operator()(PPDOBJ* image) const { PpdDelete(image); }
};
using PpdImage = std::unique_ptr<PPDOBJ, ImageDeleter>;

bool IsGzip(const std::vector<std::uint8_t>& bytes) {
  return bytes.size() >= 2 && bytes[0] == 0x1F && bytes[1] == 0x8B;
}

// The text of a PPD file, inflated when it is gzip'd.
std::vector<char> PpdText(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadWholeFile(path, "the PPD file");
  if (!IsGzip(bytes)) return {bytes.begin(), bytes.end()};
  try {
    return LoadPpdBytes(path);
  } catch (const std::runtime_error& error) {
    std::string reason = error.what();
    if (reason.starts_with(path + ": ")) reason.erase(0, path.size() + 2);
    throw Failure("the PPD file " + path + " cannot be read: " + reason + ".");
  }
}

int RunDump(CommandArguments args, Console& console) {
  bool json = false;
  const Option options[] = {{"--json", "", false, [&](const std::string&) { json = true; }}};
  ParsedArguments parsed = ParseArguments("ppd dump", args, options);
  if (parsed.help) {
    console.out << kHelp;
    return kExitSuccess;
  }
  if (parsed.operands.size() > 1) {
    throw UsageError("cardprint ppd dump takes at most one PPD file (see cardprint ppd --help).");
  }

  HostEngine engine;
  ScopedHostEngine installed(engine);
  PpdImage image;
  std::optional<std::vector<PpdRefusal>> refusals;
  if (parsed.operands.empty()) {
    image.reset(PpdCreate(u"cardprint.ppd"));
    if (image == nullptr) throw Failure("the built-in description cannot be built.");
  } else {
    const std::string& path = parsed.operands[0];
    const std::vector<char> text = PpdText(path);
    PpdFile file = ReadPpdText(text, std::filesystem::path(path).filename().u16string());
    image.reset(PpdCreateFromParsed(file.description.release()));
    if (image == nullptr) {
      throw Failure("the PPD file " + path + " cannot be built into a description: out of memory.");
    }
    refusals = std::move(file.refusals);
  }

  const std::vector<PpdRefusal>* errors = refusals ? &*refusals : nullptr;
  if (json) {
    console.out << PpdImageJson(image.get(), errors) << "\n";
  } else {
    WritePpdImageText(console.out, image.get(), errors);
  }
  return kExitSuccess;
}

}  // namespace

int RunPpd(CommandArguments args, Console& console) {
  if (args.empty())
    throw UsageError("cardprint ppd needs a subcommand (see cardprint ppd --help).");
  if (args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
    console.out << kHelp;
    return kExitSuccess;
  }
  if (args[0] != "dump") {
    throw UsageError("cardprint ppd has no subcommand \"" + args[0] +
                     "\" (see cardprint ppd --help).");
  }
  return RunDump(args.subspan(1), console);
}
