// cardprint print IMAGE... -o OUT: prints card designs into a job for the
// card printer. Each image is one card, drawn through the driver's own
// drawing hook and sent as a page; every option is a device-mode field, an
// escape or a printer property that the driver reads.
#include <unistd.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>

#include "driver/pdev.h"
#include "engine/constants.h"
#include "host/card_job/card_job.h"
#include "host/card_job/card_settings.h"
#include "host/card_job/design_file.h"
#include "host/card_job/engine_session.h"
#include "host/card_job/errors.h"
#include "host/card_job/file_bytes.h"
#include "host/card_job/frame_turn.h"
#include "host/card_job/number_text.h"
#include "host/cardprint/batch_file.h"
#include "host/cardprint/command_line.h"
#include "host/cardprint/commands.h"
#include "host/cardprint/job_pictures.h"
#include "host/cardprint/job_stream.h"
#include "host/cardprint/output_file.h"
#include "host/cardprint/png_file.h"
#include "settings/devmode_ranges.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: cardprint print IMAGE... -o OUT [OPTIONS]
       cardprint print --batch FILE.csv -o OUT [OPTIONS]

Prints each IMAGE (PNG, JPEG, PDF or SVG) as one card into OUT, a job in
the card printer's language ("-" for standard output); each page of a PDF
is a card. Pictures are turned as their Exif orientation says and
converted to sRGB through their colour profile; PDF pages and SVG drawings
are drawn at the printer's 300 dpi. The driver draws each card
with its own colour adjustment and halftoning, separates it into yellow,
magenta, cyan, black and overlay panels, and frames the job; the job is
checked as it is written, and OUT appears only when all of it was written.

Options:
  -o, --output OUT          the job file ("-": standard output)
  --orientation WAY         landscape or portrait (default: portrait when
                            the first design is taller than wide, as
                            shown, else landscape)
  --fit HOW                 cover (the default: fill the card without
                            distortion, cutting the overhang evenly), contain
                            (the whole image, white around it) or stretch
  --panels LIST             the panels to print, any of ymc, k and o
                            separated by commas (default: ymc,k,o)
  --print-area X,Y,CX,CY    the printed area in the printer's frame of
                            656 dots by 1024 lines (default 0,0,656,1024)
  --overlay TYPE:X,Y,CX,CY  an overlay area of type 0 or 1 in the frame; up
                            to four (default: none, the overlay covers all)
  --copies N                copies of each card, 1 to 999
  --doc-mode N              the device mode's document mode (1 sends the
                            other document header)
  --adjust A1,A2,A3,A4      print position adjustments (A1 -94 to 5, the
                            others -5 to 94)
  --color Y,S,M,C           colour corrections: yellow, saturation, magenta,
                            cyan weights (-96 to 96; saturation -50 to 50)
  --no-color-correction     send the colours as drawn
  --snap-black LEVEL        crisp black for text and barcodes: pixels whose
                            red, green and blue are all at or below LEVEL
                            (0 to 255) print as pure black, on the black
                            panel (default 0: off)
  --encoder                 the printer has a magnetic stripe encoder
  --track1 TEXT             magnetic track 1 text: at most 99 characters,
                            space to "_" (capitals, digits, punctuation)
  --track2 TEXT             magnetic track 2 text: at most 99 characters,
                            "0" to "?" (digits and : ; < = > ?)
  --track3 TEXT             magnetic track 3 text: at most 149 characters,
                            "0" to "?" as track 2
  --mag-mode Q|R|W          the encoding mode (W when track texts are given)
  --batch FILE.csv          one card per row: image, track1, track2, track3,
                            copies (relative image paths from the file's
                            folder; a first row starting "image" is skipped)
  --preview FILE.png        a picture of each card as the job asks the
                            printer to print it, decoded from the job itself:
                            the first card in FILE.png, the others beside it
                            as FILE-2.png, FILE-3.png, ...
  -q, --quiet               no progress on standard error
  -h, --help                show this help

Exit status: 0 when the job was written, 1 when it failed (nothing is left
at OUT then), 2 for bad usage.
)";

// The raw option values, checked after the whole command line was read.
struct RawOptions {
  std::vector<std::string> images;
  std::string output;
  std::optional<std::string> orientation, fit, panels, print_area, copies, doc_mode, adjust, color,
      mag_mode, batch, preview, snap_black;
  std::vector<std::string> overlays;
  std::array<std::optional<std::string>, 3> tracks;
  bool no_color_correction = false;
  bool encoder = false;
  bool quiet = false;
};

struct Card {
  std::string image;
  std::optional<std::array<std::u16string, 3>> tracks;  // set before this card
  std::optional<long> copies;                           // set before this card
};

struct PrintJob {
  std::vector<Card> cards;
  std::string output;
  std::string preview;
  bool quiet = false;
  Fit fit = Fit::kCover;
  CardSettings settings = DefaultCardSettings();
  bool batch = false;  // copies and track texts are set before each card
};

// A setting by its name; the library's reason is the failure.
void Set(CardSettings& settings, std::string_view name, std::string_view value) {
  if (std::optional<std::string> reason = ApplySetting(settings, name, value)) {
    throw Failure(*reason);
  }
}

std::vector<std::string> SplitCommas(const std::string& text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t comma = text.find(',', start);
    parts.push_back(
        text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) return parts;
    start = comma + 1;
  }
}

// --panels turned into the three panel settings.
void SetPanels(CardSettings& settings, const std::string& text) {
  std::array<std::string_view, 3> on{"False", "False", "False"};
  for (const std::string& panel : SplitCommas(text)) {
    std::size_t index = panel == "ymc" ? 0 : panel == "k" ? 1 : panel == "o" ? 2 : on.size();
    if (index == on.size() || on[index] == "True") {
      throw Failure("the panels \"" + text +
                    "\" are not a list of ymc, k and o separated by commas.");
    }
    on[index] = "True";
  }
  Set(settings, "ColorPanels", on[0]);
  Set(settings, "BlackPanel", on[1]);
  Set(settings, "OverlayPanel", on[2]);
}

// A list option given as numbers separated by commas, turned into one
// setting for each number.
void SetNumbers(CardSettings& settings, const std::string& text, std::string_view what, long min,
                long max, std::span<const std::string_view> names) {
  std::vector<long> values = ParseIntegerList(text, what, names.size(), min, max);
  for (std::size_t i = 0; i < names.size(); ++i) Set(settings, names[i], std::to_string(values[i]));
}

std::vector<Card> CardsOf(const RawOptions& raw) {
  std::vector<Card> cards;
  if (!raw.batch) {
    for (const std::string& image : raw.images)
      cards.push_back({image, std::nullopt, std::nullopt});
    return cards;
  }
  for (const BatchCard& row : ReadBatchFile(*raw.batch)) {
    std::string where = "line " + std::to_string(row.line) + " of the batch file " + *raw.batch;
    std::array<std::u16string, 3> texts;
    for (std::size_t t = 0; t < 3; ++t) {
      try {
        texts[t] = TrackText(row.tracks[t], t);
      } catch (const Failure& failure) {
        throw Failure(where + ": " + failure.what());
      }
    }
    bool has_text = !texts[0].empty() || !texts[1].empty() || !texts[2].empty();
    if (has_text && !raw.encoder) {
      throw UsageError(
          where + " gives track texts, which need --encoder, a printer with a magnetic encoder.");
    }
    Card card{row.image, std::nullopt, row.copies};
    if (raw.encoder) card.tracks = texts;
    cards.push_back(std::move(card));
  }
  return cards;
}

PrintJob Check(const RawOptions& raw) {
  if (raw.output.empty()) throw UsageError("cardprint print needs -o OUT, the job file to write.");
  if (raw.batch && !raw.images.empty()) {
    throw UsageError(
        "cardprint print takes its images from --batch or from the command line, not both.");
  }
  if (!raw.batch && raw.images.empty()) {
    throw UsageError("cardprint print needs at least one image (see cardprint print --help).");
  }
  bool any_track = raw.tracks[0] || raw.tracks[1] || raw.tracks[2];
  if (raw.batch && any_track) {
    throw UsageError("the track texts of a batch come from its file, not from --track options.");
  }
  if (raw.preview && (*raw.preview == raw.output && raw.output != "-")) {
    throw UsageError("the preview and the job cannot be the same file.");
  }
  if (raw.preview && *raw.preview == "-" &&
      (raw.output == "-" || raw.batch || raw.images.size() > 1)) {
    throw UsageError(
        "only the preview of a one-card job written to a file can go to standard output.");
  }
  if ((any_track || raw.mag_mode) && !raw.encoder) {
    throw UsageError(
        "track texts and --mag-mode need --encoder, a printer with a magnetic encoder.");
  }

  PrintJob job;
  job.output = raw.output;
  job.quiet = raw.quiet;
  job.preview = raw.preview.value_or("");
  CardSettings& settings = job.settings;
  if (raw.orientation) {
    if (*raw.orientation != "landscape" && *raw.orientation != "portrait") {
      throw Failure("the orientation \"" + *raw.orientation +
                    "\" is neither landscape nor portrait.");
    }
    Set(settings, "CardOrientation", *raw.orientation == "portrait" ? "Portrait" : "Landscape");
  }
  if (raw.fit) {
    std::optional<Fit> fit = FitNamed(*raw.fit);
    if (!fit) throw Failure("the fit \"" + *raw.fit + "\" is not cover, contain or stretch.");
    job.fit = *fit;
  }
  if (raw.panels) SetPanels(settings, *raw.panels);
  if (raw.print_area) Set(settings, "PrintArea", *raw.print_area);
  if (raw.overlays.size() > OVERLAY_AREAS) throw Failure("a card has at most four overlay areas.");
  for (std::size_t i = 0; i < raw.overlays.size(); ++i)
    Set(settings, "OverlayArea" + std::to_string(i + 1), raw.overlays[i]);
  if (raw.copies) Set(settings, "Copies", *raw.copies);
  if (raw.doc_mode) Set(settings, "DocumentMode", *raw.doc_mode);
  if (raw.adjust) {
    constexpr std::string_view kNames[] = {"Adjust1", "Adjust2", "Adjust3", "Adjust4"};
    SetNumbers(settings, *raw.adjust, "print position adjustments", ADJUST1_MIN, ADJUST_MAX,
               kNames);
  }
  if (raw.color) {
    constexpr std::string_view kNames[] = {"YellowAdjust", "SaturationAdjust", "MagentaAdjust",
                                           "CyanAdjust"};
    SetNumbers(settings, *raw.color, "colour corrections", COLOR_WEIGHT_MIN, COLOR_WEIGHT_MAX,
               kNames);
  }
  if (raw.no_color_correction) Set(settings, "ColorCorrection", "False");
  if (raw.snap_black) Set(settings, "SnapBlack", *raw.snap_black);
  if (raw.encoder) Set(settings, "MagEncoder", "True");
  for (std::size_t t = 0; t < 3; ++t) {
    if (raw.tracks[t]) Set(settings, "Track" + std::to_string(t + 1), *raw.tracks[t]);
  }
  if (raw.mag_mode) Set(settings, "MagMode", *raw.mag_mode);
  if (std::optional<std::string> reason = FinishSettings(settings, raw.batch.has_value())) {
    throw UsageError(*reason);
  }
  job.batch = raw.batch.has_value();
  job.cards = CardsOf(raw);
  return job;
}

// Every card's picture as the job asks the printer to print it: the first
// card at the preview path, the others beside it. The files stay temporary
// until the job is committed.
class Previews {
 public:
  Previews(std::string path, bool landscape, int stdout_fd)
      : path_(std::move(path)), landscape_(landscape), stdout_fd_(stdout_fd) {}

  // Called while the driver writes the job: a failure is kept, never thrown
  // through the driver, and reported by Commit.
  void Add(const PagePictures& page) noexcept {
    if (!failure_.empty()) return;
    try {
      std::filesystem::path target(path_);
      if (page.page > 1) {
        target.replace_filename(target.stem().string() + "-" + std::to_string(page.page) +
                                target.extension().string());
      }
      auto file = std::make_unique<OutputFile>(target.string(), stdout_fd_);
      file->Write(EncodePng(landscape_ ? TurnFrameToLandscape(page.card) : page.card));
      file->Close();
      files_.push_back(std::move(file));
    } catch (const std::exception& error) {
      failure_ = error.what();
    }
  }

  void Commit() {
    if (!failure_.empty()) throw Failure(failure_);
    for (auto& file : files_) file->Commit();
  }

 private:
  std::string path_;
  bool landscape_;
  int stdout_fd_;
  std::vector<std::unique_ptr<OutputFile>> files_;
  std::string failure_;
};

class Progress {
 public:
  Progress(Console& console, std::size_t cards, bool quiet)
      : console_(console), cards_(cards), shown_(!quiet && console.err_is_terminal && cards > 1) {}
  void Card(std::size_t number) {
    if (shown_) console_.err << "\rcard " << number << " of " << cards_ << std::flush;
  }
  void Done() {
    if (shown_) console_.err << "\n";
  }

 private:
  Console& console_;
  std::size_t cards_;
  bool shown_;
};

// The images must all be there and be pictures before the job begins.
void CheckImages(const std::vector<Card>& cards) {
  for (const Card& card : cards) {
    std::vector<std::uint8_t> head = ReadFileStart(card.image, "the image", kDesignHeadSize);
    if (head.empty()) throw Failure("the image " + card.image + " is an empty file.");
    if (!LooksLikeDesign(head)) {
      throw Failure("the image " + card.image + " is not a PNG, JPEG, PDF or SVG file.");
    }
  }
}

void Print(const PrintJob& job, Console& console) {
  CheckImages(job.cards);
  // The first design is read before the job begins: its shape gives the
  // card's orientation when none was asked for.
  auto design = std::make_unique<DesignFile>(job.cards.front().image);
  CardSettings settings = job.settings;
  OrientForDesign(settings, design->Portrait(0));
  OutputFile output(job.output, console.out_fd);
  EngineSession session;
  bool landscape = settings.devmode.dmPublic.dmOrientation != DMORIENT_PORTRAIT;
  Previews previews(job.preview, landscape, console.out_fd);
  JobPictures pictures([&](const PagePictures& page) { previews.Add(page); });
  JobStream stream(session, output, job.preview.empty() ? nullptr : &pictures);
  {
    CardJob card_job(session, settings, job.batch);
    Progress progress(console, job.cards.size(), job.quiet);
    for (std::size_t i = 0; i < job.cards.size(); ++i) {
      const Card& card = job.cards[i];
      progress.Card(i + 1);
      if (i > 0) design = std::make_unique<DesignFile>(card.image);
      // Each page of a PDF is a card, with the row's track texts and copies
      // in a batch.
      for (int page = 0; page < design->pages(); ++page) {
        if (card.tracks) card_job.SetTracks(*card.tracks);
        if (job.batch) card_job.SetCopies(card.copies.value_or(settings.copies.value_or(1)));
        card_job.PrintCard(design->Page(page, card_job.width(), card_job.height(), job.fit),
                           job.fit);
      }
    }
    card_job.EndDocument();
    progress.Done();
  }
  stream.Finish();
  previews.Commit();
}

}  // namespace

int RunPrint(CommandArguments args, Console& console) {
  RawOptions raw;
  auto set = [](std::optional<std::string>& field) {
    return [&field](const std::string& value) { field = value; };
  };
  auto flag = [](bool& field) { return [&field](const std::string&) { field = true; }; };
  const Option options[] = {
      {"--output", "-o", true, [&](const std::string& value) { raw.output = value; }},
      {"--orientation", "", true, set(raw.orientation)},
      {"--fit", "", true, set(raw.fit)},
      {"--panels", "", true, set(raw.panels)},
      {"--print-area", "", true, set(raw.print_area)},
      {"--overlay", "", true, [&](const std::string& value) { raw.overlays.push_back(value); }},
      {"--copies", "", true, set(raw.copies)},
      {"--doc-mode", "", true, set(raw.doc_mode)},
      {"--adjust", "", true, set(raw.adjust)},
      {"--color", "", true, set(raw.color)},
      {"--no-color-correction", "", false, flag(raw.no_color_correction)},
      {"--snap-black", "", true, set(raw.snap_black)},
      {"--encoder", "", false, flag(raw.encoder)},
      {"--track1", "", true, set(raw.tracks[0])},
      {"--track2", "", true, set(raw.tracks[1])},
      {"--track3", "", true, set(raw.tracks[2])},
      {"--mag-mode", "", true, set(raw.mag_mode)},
      {"--batch", "", true, set(raw.batch)},
      {"--preview", "", true, set(raw.preview)},
      {"--quiet", "-q", false, flag(raw.quiet)},
  };
  ParsedArguments parsed = ParseArguments("print", args, options);
  if (parsed.help) {
    console.out << kHelp;
    return kExitSuccess;
  }
  raw.images = parsed.operands;
  PrintJob job = Check(raw);
  if (job.output == "-" && isatty(console.out_fd) == 1) {
    throw UsageError("cardprint print will not write a job to a terminal; give -o a file.");
  }
  Print(job, console);
  return kExitSuccess;
}
