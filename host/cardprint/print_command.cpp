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

#include "engine/constants.h"
#include "host/cardprint/batch_file.h"
#include "host/cardprint/command_line.h"
#include "host/cardprint/commands.h"
#include "host/cardprint/device_settings.h"
#include "host/cardprint/engine_session.h"
#include "host/cardprint/errors.h"
#include "host/cardprint/file_bytes.h"
#include "host/cardprint/image_file.h"
#include "host/cardprint/job_pictures.h"
#include "host/cardprint/job_stream.h"
#include "host/cardprint/jpeg_file.h"
#include "host/cardprint/png_file.h"
#include "host/cardprint/text_conversion.h"
#include "output/escapes.h"
#include "settings/devmode_ranges.h"

namespace {

constexpr std::string_view kHelp = R"(Usage: cardprint print IMAGE... -o OUT [OPTIONS]
       cardprint print --batch FILE.csv -o OUT [OPTIONS]

Prints each IMAGE (PNG or JPEG) as one card into OUT, a job in the card
printer's language ("-" for standard output). The driver draws each card
with its own colour adjustment and halftoning, separates it into yellow,
magenta, cyan, black and overlay panels, and frames the job; the job is
checked as it is written, and OUT appears only when all of it was written.

Options:
  -o, --output OUT          the job file ("-": standard output)
  --orientation WAY         landscape (the default) or portrait
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

constexpr long kCopiesMax = 999;
constexpr std::array<std::size_t, 3> kTrackLimits{99, 99, 149};
constexpr std::array<ULONG, 3> kSetMagTrack{SETMAGTRACK1, SETMAGTRACK2, SETMAGTRACK3};

// The raw option values, checked after the whole command line was read.
struct RawOptions {
  std::vector<std::string> images;
  std::string output;
  std::optional<std::string> orientation, fit, panels, print_area, copies, doc_mode, adjust, color,
      mag_mode, batch, preview;
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
  CARDDEVMODE devmode = DefaultDevMode(u"Card printer");
  bool encoder = false;
  std::optional<char> mag_mode;
  std::optional<long> copies;
  bool batch = false;  // copies and track texts are set before each card
};

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

PRINTAREA FrameArea(const std::string& text, std::string_view what) {
  std::vector<long> v = ParseIntegerList(text, what, 4, 0, kFrameLines);
  if (v[2] < 1 || v[3] < 1 || v[0] + v[2] > kFrameDots || v[1] + v[3] > kFrameLines) {
    throw Failure("the " + std::string(what) + " " + text +
                  " does not lie on the card, whose frame is 656 dots by 1024 lines.");
  }
  return {static_cast<WORD>(v[0]), static_cast<WORD>(v[1]), static_cast<WORD>(v[2]),
          static_cast<WORD>(v[3])};
}

// The characters each track can carry (the ISO magnetic-track sets): track 1
// the 6-bit set from space to "_", tracks 2 and 3 the 4-bit set from "0" to
// "?". Every other character, control characters above all, is refused.
struct TrackCharacters {
  char32_t first, last;
  const char* names;
};
constexpr std::array<TrackCharacters, 3> kTrackCharacters{{
    {0x20, 0x5F, "space, digits, capital letters and punctuation"},
    {0x30, 0x3F, "digits and : ; < = > ?"},
    {0x30, 0x3F, "digits and : ; < = > ?"},
}};

std::string CharacterName(char32_t code) {
  char name[32];
  if (code > 0x20 && code < 0x7F) {
    std::snprintf(name, sizeof name, "\"%c\" (U+%04X)", static_cast<char>(code),
                  static_cast<unsigned>(code));
  } else {
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
  }
  return name;
}

std::u16string TrackText(const std::string& text, std::size_t track) {
  std::string number = std::to_string(track + 1);
  std::string what = "the track " + number + " text";
  std::optional<std::u16string> wide = Utf8ToUtf16(text);
  if (!wide) throw Failure(what + " is not valid UTF-8.");
  const TrackCharacters& set = kTrackCharacters[track];
  if (std::optional<char32_t> bad = FirstOutside(*wide, set.first, set.last)) {
    char range[32];
    std::snprintf(range, sizeof range, "U+%04X to U+%04X", static_cast<unsigned>(set.first),
                  static_cast<unsigned>(set.last));
    throw Failure(what + " holds the character " + CharacterName(*bad) + ", which track " + number +
                  " cannot carry; it takes only " + range + " (" + set.names + ").");
  }
  if (wide->size() > kTrackLimits[track]) {
    throw Failure(what + " is " + std::to_string(wide->size()) + " characters long; at most " +
                  std::to_string(kTrackLimits[track]) + " fit.");
  }
  return *wide;
}

void SetPanels(PRIVATEDEVMODE& priv, const std::string& text) {
  priv.bPrintYMC = priv.bPrintK = priv.bPrintOverlay = 0;
  for (const std::string& panel : SplitCommas(text)) {
    DWORD* field = panel == "ymc" ? &priv.bPrintYMC
                   : panel == "k" ? &priv.bPrintK
                   : panel == "o" ? &priv.bPrintOverlay
                                  : nullptr;
    if (field == nullptr || *field == 1) {
      throw Failure("the panels \"" + text +
                    "\" are not a list of ymc, k and o separated by commas.");
    }
    *field = 1;
  }
}

void SetAdjustments(PRIVATEDEVMODE& priv, const std::string& text) {
  // Each adjustment travels as a two-digit field: A1 as 5 - A1, the others
  // as A + 5, which must stay within 00 to 99; the driver's own ranges.
  std::vector<long> v =
      ParseIntegerList(text, "print position adjustments", 4, ADJUST1_MIN, ADJUST_MAX);
  constexpr long kMin[] = {ADJUST1_MIN, ADJUST_MIN, ADJUST_MIN, ADJUST_MIN};
  constexpr long kMax[] = {ADJUST1_MAX, ADJUST_MAX, ADJUST_MAX, ADJUST_MAX};
  for (std::size_t i = 0; i < 4; ++i) {
    if (v[i] < kMin[i] || v[i] > kMax[i]) {
      throw Failure("the print position adjustment A" + std::to_string(i + 1) +
                    " must lie between " + std::to_string(kMin[i]) + " and " +
                    std::to_string(kMax[i]) + ".");
    }
  }
  priv.lAdjust1 = static_cast<LONG>(v[0]);
  priv.lAdjust2 = static_cast<LONG>(v[1]);
  priv.lAdjust3 = static_cast<LONG>(v[2]);
  priv.lAdjust4 = static_cast<LONG>(v[3]);
}

void SetColors(PRIVATEDEVMODE& priv, const std::string& text) {
  std::vector<long> v =
      ParseIntegerList(text, "colour corrections", 4, COLOR_WEIGHT_MIN, COLOR_WEIGHT_MAX);
  if (v[1] < COLOR_SATURATION_MIN || v[1] > COLOR_SATURATION_MAX) {
    throw Failure("the saturation correction must lie between " +
                  std::to_string(COLOR_SATURATION_MIN) + " and " +
                  std::to_string(COLOR_SATURATION_MAX) + ".");
  }
  for (std::size_t i = 0; i < 4; ++i) priv.alColor[i] = static_cast<LONG>(v[i]);
}

std::vector<Card> CardsOf(const RawOptions& raw,
                          std::optional<std::array<std::u16string, 3>> tracks) {
  std::vector<Card> cards;
  if (!raw.batch) {
    for (const std::string& image : raw.images)
      cards.push_back({image, std::nullopt, std::nullopt});
    cards.front().tracks = tracks;
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
  job.encoder = raw.encoder;
  job.preview = raw.preview.value_or("");
  DEVMODEW& pub = job.devmode.dmPublic;
  PRIVATEDEVMODE& priv = job.devmode.dmPrivate;
  if (raw.orientation) {
    if (*raw.orientation != "landscape" && *raw.orientation != "portrait") {
      throw Failure("the orientation \"" + *raw.orientation +
                    "\" is neither landscape nor portrait.");
    }
    pub.dmOrientation = *raw.orientation == "portrait" ? DMORIENT_PORTRAIT : DMORIENT_LANDSCAPE;
  }
  if (raw.fit) {
    std::optional<Fit> fit = FitNamed(*raw.fit);
    if (!fit) throw Failure("the fit \"" + *raw.fit + "\" is not cover, contain or stretch.");
    job.fit = *fit;
  }
  if (raw.panels) SetPanels(priv, *raw.panels);
  if (raw.print_area) priv.rcPrint = FrameArea(*raw.print_area, "print area");
  if (raw.overlays.size() > OVERLAY_AREAS) throw Failure("a card has at most four overlay areas.");
  for (std::size_t i = 0; i < raw.overlays.size(); ++i) {
    const std::string& text = raw.overlays[i];
    std::size_t colon = text.find(':');
    if (colon == std::string::npos ||
        (text.substr(0, colon) != "0" && text.substr(0, colon) != "1")) {
      throw Failure("the overlay area \"" + text +
                    "\" is not TYPE:X,Y,CX,CY with a type of 0 or 1.");
    }
    PRINTAREA area = FrameArea(text.substr(colon + 1), "overlay area");
    priv.aOverlayArea[i] = {static_cast<WORD>(text[0] - '0'), area.x, area.y, area.cx, area.cy};
  }
  if (raw.copies) job.copies = ParseInteger(*raw.copies, "copy count", 1, kCopiesMax);
  if (raw.doc_mode)
    priv.wDocMode = static_cast<WORD>(ParseInteger(*raw.doc_mode, "document mode", 0, 0xFFFF));
  if (raw.adjust) SetAdjustments(priv, *raw.adjust);
  if (raw.color) SetColors(priv, *raw.color);
  if (raw.no_color_correction) priv.bColorAdjust = 0;

  std::optional<std::array<std::u16string, 3>> tracks;
  if (any_track) {
    tracks.emplace();
    for (std::size_t t = 0; t < 3; ++t) {
      if (raw.tracks[t]) (*tracks)[t] = TrackText(*raw.tracks[t], t);
    }
  }
  if (raw.mag_mode) {
    if (*raw.mag_mode != "Q" && *raw.mag_mode != "R" && *raw.mag_mode != "W") {
      throw Failure("the encoding mode \"" + *raw.mag_mode + "\" is not Q, R or W.");
    }
    job.mag_mode = (*raw.mag_mode)[0];
  }
  if (any_track && job.mag_mode == 'Q') {
    throw UsageError("track texts are not sent in encoding mode Q; use R or W.");
  }
  if ((any_track || raw.batch) && raw.encoder && !job.mag_mode) job.mag_mode = 'W';
  job.batch = raw.batch.has_value();
  job.cards = CardsOf(raw, tracks);
  return job;
}

std::span<const std::uint8_t> BytesOfText(const std::u16string& text) {
  return {reinterpret_cast<const std::uint8_t*>(text.c_str()), (text.size() + 1) * 2};
}

void SendEscape(DeviceContext& device, ULONG escape, std::span<const std::uint8_t> input,
                std::string_view what) {
  auto result = static_cast<LONG>(device.Escape(escape, input, {}));
  if (result != 1) {
    throw Failure("the driver refused " + std::string(what) + " (escape result " +
                  std::to_string(result) + ").");
  }
}

void SendCopies(DeviceContext& device, long copies) {
  auto count = static_cast<std::uint32_t>(copies);
  std::uint8_t input[4] = {static_cast<std::uint8_t>(count), static_cast<std::uint8_t>(count >> 8),
                           static_cast<std::uint8_t>(count >> 16),
                           static_cast<std::uint8_t>(count >> 24)};
  SendEscape(device, SETCOPYCOUNT, input, "the copy count");
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
    std::vector<std::uint8_t> head = ReadFileStart(card.image, "the image", 8);
    if (head.empty()) throw Failure("the image " + card.image + " is an empty file.");
    if (!LooksLikePng(head) && !LooksLikeJpeg(head)) {
      throw Failure("the image " + card.image + " is neither a PNG nor a JPEG file.");
    }
  }
}

void Print(const PrintJob& job, Console& console) {
  CheckImages(job.cards);
  OutputFile output(job.output, console.out_fd);
  EngineSession session;
  if (job.encoder) {
    PRINTERPROPS props = DefaultPrinterProps();
    props.dwMagEncoder = 1;
    std::vector<std::uint8_t> bytes = BytesOf(props);
    session.engine().registry().SetDword(session.printer(), u"PrinterDataSize",
                                         static_cast<DWORD>(bytes.size()));
    session.engine().registry().SetValue(session.printer(), u"PrinterData", REG_BINARY, bytes);
  }
  bool landscape = job.devmode.dmPublic.dmOrientation != DMORIENT_PORTRAIT;
  Previews previews(job.preview, landscape, console.out_fd);
  JobPictures pictures([&](const PagePictures& page) { previews.Add(page); });
  JobStream stream(session, output, job.preview.empty() ? nullptr : &pictures);
  {
    DeviceContext device(session, job.devmode, u"Card printer");
    if (job.copies && !job.batch) SendCopies(device, *job.copies);
    if (job.mag_mode) {
      std::uint8_t letter = static_cast<std::uint8_t>(*job.mag_mode);
      SendEscape(device, SETMAGMODE, std::span(&letter, 1), "the encoding mode");
    }
    device.StartDocument();
    Progress progress(console, job.cards.size(), job.quiet);
    for (std::size_t i = 0; i < job.cards.size(); ++i) {
      const Card& card = job.cards[i];
      progress.Card(i + 1);
      if (card.tracks) {
        for (std::size_t t = 0; t < 3; ++t) {
          SendEscape(device, kSetMagTrack[t], BytesOfText((*card.tracks)[t]),
                     "the track " + std::to_string(t + 1) + " text");
        }
      }
      if (job.batch) SendCopies(device, card.copies.value_or(job.copies.value_or(1)));
      device.StartPage();
      {
        RgbImage picture = LoadImage(card.image, device.width(), device.height());
        device.DrawPicture(picture, FitImage(picture.width, picture.height, device.width(),
                                             device.height(), job.fit));
      }
      device.SendPage();
    }
    device.EndDocument();
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
