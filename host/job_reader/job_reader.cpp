#include "host/job_reader/job_reader.h"

#include <algorithm>
#include <cstdio>
#include <utility>

namespace {

constexpr std::uint8_t ESC = 0x1B;
constexpr std::uint8_t CR = 0x0D;
constexpr std::uint8_t SO = 0x0E;
constexpr std::uint8_t SOH = 0x01;
constexpr std::uint8_t EOT = 0x04;

// Longest run of adjustment characters before the CR that ends them.
constexpr std::size_t kLongestAdjustments = 40;
// Longest track texts, in bytes.
constexpr std::array<std::size_t, 3> kTrackLimits{99, 99, 149};

constexpr std::size_t kDocumentStartLength = 4;
constexpr std::size_t kPageStartLength = 3;
constexpr std::size_t kResetLength = 4;
constexpr std::size_t kHeaderLength = 18;
constexpr std::size_t kTrailerLength = 9;
constexpr std::size_t kOverlayAreaLength = 22;
constexpr std::size_t kOverlayTrailerLength = 8;
constexpr std::size_t kDocumentEndLength = 3;

std::string ByteName(std::uint8_t byte) {
  switch (byte) {
    case ESC:
      return "ESC";
    case CR:
      return "CR";
    case SO:
      return "SO";
  }
  char text[8];
  if (byte >= 0x20 && byte < 0x7F) {
    std::snprintf(text, sizeof text, "\"%c\"", byte);
  } else {
    std::snprintf(text, sizeof text, "0x%02X", byte);
  }
  return text;
}

int PanelRank(char panel) {
  switch (panel) {
    case 'Y':
      return 0;
    case 'M':
      return 1;
    case 'C':
      return 2;
    case 'K':
      return 3;
    case 'O':
      return 4;
  }
  return -1;
}

bool IsDyePanel(std::uint8_t letter) {
  return letter == 'Y' || letter == 'M' || letter == 'C' || letter == 'K';
}

// The outcome of reading the bytes of one sequence so far.
struct ScanResult {
  enum class Status { kIncomplete, kComplete, kFault } status = Status::kIncomplete;
  SequenceFields fields{};
  std::size_t at = 0;  // index of the faulty byte within the sequence
  std::string reason;
};

ScanResult Incomplete() { return {}; }

ScanResult Done(SequenceFields fields) {
  return {ScanResult::Status::kComplete, std::move(fields), 0, {}};
}

ScanResult Fault(std::size_t at, std::string reason) {
  return {ScanResult::Status::kFault, {}, at, std::move(reason)};
}

// Reads the bytes of a fixed-length sequence, checking each against its
// place in the layout.
class Fixed {
 public:
  // what names the sequence in fault reasons; it is kept as a copy, since
  // callers build it on the spot.
  Fixed(std::span<const std::uint8_t> bytes, std::string what)
      : bytes_(bytes), what_(std::move(what)) {}

  bool Byte(std::size_t at, std::uint8_t expected) {
    if (failed()) return false;
    if (bytes_[at] != expected) {
      Fail(at, ByteName(bytes_[at]) + " where " + ByteName(expected) + " was due");
    }
    return !failed();
  }

  int Digits(std::size_t from, std::size_t count) {
    int value = 0;
    for (std::size_t at = from; at < from + count && !failed(); ++at) {
      if (bytes_[at] < '0' || bytes_[at] > '9') {
        Fail(at, ByteName(bytes_[at]) + " where a digit was due");
      }
      value = value * 10 + (bytes_[at] - '0');
    }
    return value;
  }

  std::uint32_t Raw(std::size_t from, std::size_t count) const {
    std::uint32_t value = 0;
    for (std::size_t at = from; at < from + count; ++at) value = value << 8 | bytes_[at];
    return value;
  }

  bool failed() const { return result_.status == ScanResult::Status::kFault; }
  ScanResult Result(SequenceFields fields) const { return failed() ? result_ : Done(fields); }

 private:
  void Fail(std::size_t at, std::string found) {
    result_ = Fault(at, what_ + ": " + found);
  }

  std::span<const std::uint8_t> bytes_;
  std::string what_;
  ScanResult result_;
};

ScanResult ScanTrailer(std::span<const std::uint8_t> s, char panel) {
  // CR ESC "a" letter, four digits of copies, CR.
  if (s.empty()) return Incomplete();
  std::string what =
      "the " + std::string(PanelName(panel)) + " data is not followed by its trailer";
  if (s[0] != CR) return Fault(0, what + ": " + ByteName(s[0]) + " where CR was due");
  if (s.size() < kTrailerLength) return Incomplete();
  Fixed trailer(s, what);
  trailer.Byte(1, ESC);
  trailer.Byte(2, 'a');
  if (!trailer.failed() && s[3] != static_cast<std::uint8_t>(panel)) {
    return Fault(3, "the trailer after the " + std::string(PanelName(panel)) +
                        " data names the panel " + ByteName(s[3]));
  }
  int copies = trailer.Digits(4, 4);
  trailer.Byte(8, CR);
  return trailer.Result(PanelTrailer{panel, copies});
}

ScanResult ScanAdjustments(std::span<const std::uint8_t> s) {
  // ESC "d", five two-digit fields, CR.
  auto cr = std::find(s.begin() + 2, s.end(), CR);
  if (cr == s.end()) {
    if (s.size() > 2 + kLongestAdjustments) {
      return Fault(s.size() - 1, "the adjustments are not ended by CR");
    }
    return Incomplete();
  }
  std::size_t length = static_cast<std::size_t>(cr - s.begin()) - 2;
  if (length != 10) {
    return Fault(2, "the adjustments hold " + std::to_string(length) +
                        " characters instead of five two-digit fields");
  }
  Fixed sequence(s, "adjustments");
  Adjustments adjustments{};
  for (std::size_t field = 0; field < 5; ++field) {
    adjustments.fields[field] = sequence.Digits(2 + 2 * field, 2);
  }
  if (!sequence.failed() && adjustments.fields[3] != 0) {
    return Fault(8, "the fourth adjustment field is " + std::to_string(adjustments.fields[3]) +
                        " instead of 00");
  }
  return sequence.Result(adjustments);
}

ScanResult ScanTrackData(std::span<const std::uint8_t> s) {
  // ESC "M" "Q" CR, or ESC "M" mode, then "1" text SO "2" text SO "3" text SO CR.
  if (s.size() < 3) return Incomplete();
  char mode = static_cast<char>(s[2]);
  if (mode == 'Q') {
    if (s.size() < 4) return Incomplete();
    if (s[3] != CR) return Fault(3, "track data: " + ByteName(s[3]) + " where CR was due");
    return Done(TrackData{'Q', {}});
  }
  if (mode != 'R' && mode != 'W') {
    return Fault(2, "track data with the unknown mode " + ByteName(s[2]));
  }
  TrackData data{mode, {}};
  std::size_t at = 3;
  for (std::size_t track = 0; track < 3; ++track) {
    if (at >= s.size()) return Incomplete();
    if (s[at] != '1' + track) {
      return Fault(at, "track data: " + ByteName(s[at]) + " where track number " +
                           std::to_string(track + 1) + " was due");
    }
    std::size_t text = ++at;
    while (at < s.size() && s[at] != SO) {
      if (at - text == kTrackLimits[track]) {
        return Fault(at, "track " + std::to_string(track + 1) + " runs past " +
                             std::to_string(kTrackLimits[track]) + " bytes without its SO");
      }
      ++at;
    }
    if (at >= s.size()) return Incomplete();
    data.tracks[track].assign(s.begin() + static_cast<long>(text),
                              s.begin() + static_cast<long>(at));
    ++at;
  }
  if (at >= s.size()) return Incomplete();
  if (s[at] != CR) return Fault(at, "track data: " + ByteName(s[at]) + " where CR was due");
  return Done(data);
}

ScanResult ScanPanelHeader(std::span<const std::uint8_t> s) {
  // ESC "e" letter, x in 3 digits, y in 4 digits, "11", size in 3 raw bytes,
  // line length in 2 raw bytes, "S".
  if (s.size() < kHeaderLength) return Incomplete();
  char panel = static_cast<char>(s[2]);
  std::string what = "the " + std::string(PanelName(panel)) + " panel header";
  Fixed header(s, what);
  int x = header.Digits(3, 3);
  int y = header.Digits(6, 4);
  header.Byte(10, '1');
  header.Byte(11, '1');
  header.Byte(17, 'S');
  return header.Result(
      PanelHeader{panel, x, y, header.Raw(12, 3), static_cast<int>(header.Raw(15, 2))});
}

ScanResult ScanOverlayArea(std::span<const std::uint8_t> s) {
  // ESC "e" "O", index (1 digit), top, left, bottom, right (4 digits each),
  // flag (1 digit), CR.
  if (s.size() < kOverlayAreaLength) return Incomplete();
  Fixed area(s, "an overlay area");
  OverlayArea fields{};
  fields.index = area.Digits(3, 1);
  fields.top = area.Digits(4, 4);
  fields.left = area.Digits(8, 4);
  fields.bottom = area.Digits(12, 4);
  fields.right = area.Digits(16, 4);
  fields.flag = area.Digits(20, 1);
  area.Byte(21, CR);
  return area.Result(fields);
}

ScanResult ScanSequence(std::span<const std::uint8_t> s) {
  if (s[0] != ESC) return Fault(0, "a stray byte " + ByteName(s[0]) + " where a sequence was due");
  if (s.size() < 2) return Incomplete();
  switch (s[1]) {
    case 'P': {
      if (s.size() < kDocumentStartLength) return Incomplete();
      if (s[2] != 'L' && s[2] != 'D') {
        return Fault(2, "a document start with the unknown mode " + ByteName(s[2]));
      }
      Fixed start(s, "the document start");
      start.Byte(3, CR);
      return start.Result(DocumentStart{static_cast<char>(s[2])});
    }
    case 'd':
      return ScanAdjustments(s);
    case 'M':
      return ScanTrackData(s);
    case SOH: {
      if (s.size() < kPageStartLength) return Incomplete();
      Fixed start(s, "the page start");
      start.Byte(2, CR);
      return start.Result(PageStart{});
    }
    case 'c': {
      if (s.size() < kResetLength) return Incomplete();
      if (PanelRank(static_cast<char>(s[2])) < 0) {
        return Fault(2, "a panel reset for the unknown panel " + ByteName(s[2]));
      }
      Fixed reset(s, "the " + std::string(PanelName(static_cast<char>(s[2]))) + " panel reset");
      reset.Byte(3, CR);
      return reset.Result(PanelReset{static_cast<char>(s[2])});
    }
    case 'e':
      if (s.size() < 3) return Incomplete();
      if (s[2] == 'O') return ScanOverlayArea(s);
      if (IsDyePanel(s[2])) return ScanPanelHeader(s);
      return Fault(2, "a panel header for the unknown panel " + ByteName(s[2]));
    case 'a': {
      if (s.size() < 3) return Incomplete();
      if (IsDyePanel(s[2])) {
        return Fault(0, "a " + std::string(PanelName(static_cast<char>(s[2]))) +
                            " trailer without panel data before it");
      }
      if (s[2] != 'O') return Fault(2, "a trailer for the unknown panel " + ByteName(s[2]));
      if (s.size() < kOverlayTrailerLength) return Incomplete();
      Fixed trailer(s, "the overlay trailer");
      int copies = trailer.Digits(3, 4);
      trailer.Byte(7, CR);
      return trailer.Result(OverlayTrailer{copies});
    }
    case EOT: {
      if (s.size() < kDocumentEndLength) return Incomplete();
      Fixed end(s, "the document end");
      end.Byte(2, CR);
      return end.Result(DocumentEnd{});
    }
  }
  return Fault(1, "an unknown sequence ESC " + ByteName(s[1]));
}

// What a sequence cut short by the end of the job was going to be.
std::string UnfinishedName(std::span<const std::uint8_t> s) {
  if (s.size() < 2) return "a sequence";
  switch (s[1]) {
    case 'P':
      return "the document start";
    case 'd':
      return "the adjustments";
    case 'M':
      return "the track data";
    case SOH:
      return "a page start";
    case 'c':
      return "a panel reset";
    case 'e':
      return s.size() > 2 && s[2] == 'O' ? "an overlay area" : "a panel header";
    case 'a':
      return "the overlay trailer";
    case EOT:
      return "the document end";
  }
  return "a sequence";
}

std::string Copies(int copies) {
  return std::to_string(copies) + (copies == 1 ? " copy" : " copies");
}

}  // namespace

std::string_view PanelName(char panel) {
  switch (panel) {
    case 'Y':
      return "yellow";
    case 'M':
      return "magenta";
    case 'C':
      return "cyan";
    case 'K':
      return "black";
    case 'O':
      return "overlay";
  }
  return "unknown";
}

std::string_view SequenceKind(const SequenceFields& fields) {
  static constexpr std::array<std::string_view, std::variant_size_v<SequenceFields>> kNames{
      "documentStart", "adjustments",  "trackData",   "pageStart",      "panelReset", "panelHeader",
      "panelData",     "panelTrailer", "overlayArea", "overlayTrailer", "documentEnd"};
  return kNames[fields.index()];
}

JobReader::JobReader(JobListener* listener) : listener_(listener) {}

void JobReader::Feed(std::span<const std::uint8_t> bytes) {
  std::size_t i = 0;
  while (i < bytes.size() && !fault_) {
    if (expect_ == Expect::kPanelData) {
      std::uint64_t left = open_panel_.size - data_read_;
      std::size_t count = static_cast<std::size_t>(std::min<std::uint64_t>(left, bytes.size() - i));
      if (listener_ != nullptr) {
        listener_->OnPanelBytes(open_panel_.panel, data_read_, bytes.subspan(i, count));
      }
      data_read_ += count;
      offset_ += count;
      i += count;
      if (data_read_ == open_panel_.size) {
        expect_ = Expect::kPanelTrailer;
        if (listener_ != nullptr) {
          listener_->OnSequence({data_offset_, open_panel_.size, pages_,
                                 PanelData{open_panel_.panel, open_panel_.size}});
        }
      }
      continue;
    }
    FeedSequenceByte(bytes[i]);
    ++i;
  }
  offset_ += bytes.size() - i;
}

void JobReader::FeedSequenceByte(std::uint8_t byte) {
  if (pending_.empty()) pending_offset_ = offset_;
  pending_.push_back(byte);
  ++offset_;
  ScanResult scan = expect_ == Expect::kPanelTrailer ? ScanTrailer(pending_, open_panel_.panel)
                                                     : ScanSequence(pending_);
  switch (scan.status) {
    case ScanResult::Status::kIncomplete:
      return;
    case ScanResult::Status::kFault:
      Fail(pending_offset_ + scan.at, scan.reason);
      return;
    case ScanResult::Status::kComplete:
      Complete(scan.fields);
      return;
  }
}

void JobReader::Complete(const SequenceFields& fields) {
  if (auto problem = CheckPlace(fields)) {
    Fail(pending_offset_, *problem);
    return;
  }
  Sequence sequence{pending_offset_, pending_.size(), pages_, fields};
  pending_.clear();
  if (const auto* header = std::get_if<PanelHeader>(&fields)) {
    expect_ = Expect::kPanelData;
    open_panel_ = *header;
    data_offset_ = offset_;
    data_read_ = 0;
  } else {
    expect_ = Expect::kSequence;
  }
  if (listener_ != nullptr) listener_->OnSequence(sequence);
}

std::optional<std::string> JobReader::CheckPlace(const SequenceFields& fields) {
  bool in_document = place_ != Place::kOutsideDocument;
  if (place_ == Place::kAfterDocumentStart && !std::holds_alternative<Adjustments>(fields)) {
    return "the document start is not followed by the adjustments";
  }
  if (place_ == Place::kAfterTrackData && !std::holds_alternative<PageStart>(fields)) {
    return "the track data is not followed by a page start";
  }
  if (std::holds_alternative<DocumentStart>(fields)) {
    if (in_document) return "a document start inside a document";
    place_ = Place::kAfterDocumentStart;
    ++documents_;
    return std::nullopt;
  }
  if (std::holds_alternative<Adjustments>(fields)) {
    if (place_ != Place::kAfterDocumentStart) return "adjustments away from the document start";
    place_ = Place::kInDocument;
    return std::nullopt;
  }
  bool starts_page =
      std::holds_alternative<TrackData>(fields) || std::holds_alternative<PageStart>(fields);
  bool ends_document = std::holds_alternative<DocumentEnd>(fields);
  if (starts_page || ends_document) {
    if (!in_document) {
      std::string what = ends_document                               ? "a document end"
                         : std::holds_alternative<TrackData>(fields) ? "track data"
                                                                     : "a page start";
      return what + " outside a document";
    }
    if (place_ == Place::kInPage) {
      if (overlay_open_ && !overlay_closed_) {
        return "the overlay areas of page " + std::to_string(pages_) +
               " are not closed by the overlay trailer";
      }
      EndPage();
    }
    if (ends_document) {
      place_ = Place::kOutsideDocument;
    } else if (std::holds_alternative<TrackData>(fields)) {
      place_ = Place::kAfterTrackData;
    } else {
      place_ = Place::kInPage;
      ++pages_;
      resets_.clear();
      last_panel_rank_ = -1;
      overlay_areas_ = 0;
      overlay_open_ = false;
      overlay_closed_ = false;
      copies_.reset();
    }
    return std::nullopt;
  }
  if (place_ != Place::kInPage) {
    std::string what = std::holds_alternative<PanelReset>(fields)    ? "a panel reset"
                       : std::holds_alternative<PanelHeader>(fields) ? "a panel header"
                       : std::holds_alternative<OverlayArea>(fields) ? "an overlay area"
                                                                     : "an overlay trailer";
    return what + (in_document ? " before any page start" : " outside a document");
  }
  return CheckInPage(fields);
}

std::optional<std::string> JobReader::CheckInPage(const SequenceFields& fields) {
  if (const auto* reset = std::get_if<PanelReset>(&fields)) {
    resets_ += reset->panel;
    return std::nullopt;
  }
  if (const auto* header = std::get_if<PanelHeader>(&fields)) {
    std::string name(PanelName(header->panel));
    int rank = PanelRank(header->panel);
    if (resets_.find(header->panel) == std::string::npos) {
      return "a " + name + " panel header without a " + name + " reset before it in the page";
    }
    if (rank == last_panel_rank_)
      return "a second " + name + " panel in page " + std::to_string(pages_);
    if (rank < last_panel_rank_) {
      return "the " + name + " panel after the " +
             std::string(PanelName("YMCKO"[last_panel_rank_])) + " panel";
    }
    last_panel_rank_ = rank;
    if (header->line_length == 0) return "the " + name + " panel header gives lines of 0 dots";
    if (header->size == 0) return "the " + name + " panel header gives a data size of 0";
    if (header->size % static_cast<std::uint32_t>(header->line_length) != 0) {
      return "the " + name + " data size " + std::to_string(header->size) +
             " is not a whole number of " + std::to_string(header->line_length) + "-dot lines";
    }
    if (header->x + header->line_length > kFrameDots) {
      return "the " + name + " lines of " + std::to_string(header->line_length) +
             " dots from dot " + std::to_string(header->x) + " run past the " +
             std::to_string(kFrameDots) + "-dot line";
    }
    if (header->y + header->lines() > kFrameLines) {
      return "the " + name + " panel's " + std::to_string(header->lines()) + " lines from line " +
             std::to_string(header->y) + " run past the card's " + std::to_string(kFrameLines) +
             " lines";
    }
    return std::nullopt;
  }
  if (const auto* trailer = std::get_if<PanelTrailer>(&fields)) {
    return CheckCopies(trailer->copies,
                       "the " + std::string(PanelName(trailer->panel)) + " trailer");
  }
  if (resets_.find('O') == std::string::npos) {
    return std::holds_alternative<OverlayArea>(fields)
               ? "an overlay area without an overlay reset before it in the page"
               : "an overlay trailer without an overlay reset before it in the page";
  }
  if (overlay_closed_) {
    return std::holds_alternative<OverlayArea>(fields) ? "an overlay area after the overlay trailer"
                                                       : "a second overlay trailer in the page";
  }
  last_panel_rank_ = PanelRank('O');
  if (const auto* area = std::get_if<OverlayArea>(&fields)) {
    if (overlay_areas_ == 4) return "a fifth overlay area in page " + std::to_string(pages_);
    if (area->index != overlay_areas_) {
      return "overlay area number " + std::to_string(area->index) + " where number " +
             std::to_string(overlay_areas_) + " was due";
    }
    if (area->flag > 1) return "an overlay area with the flag " + std::to_string(area->flag);
    if (area->bottom < area->top || area->right < area->left) {
      return "overlay area " + std::to_string(area->index) + " ends before it begins";
    }
    if (area->bottom > kFrameLines || area->right > kFrameDots) {
      return "overlay area " + std::to_string(area->index) + " runs past the card";
    }
    ++overlay_areas_;
    overlay_open_ = true;
    return std::nullopt;
  }
  const auto& trailer = std::get<OverlayTrailer>(fields);
  overlay_closed_ = true;
  return CheckCopies(trailer.copies, "the overlay trailer");
}

std::optional<std::string> JobReader::CheckCopies(int copies, std::string_view where) {
  if (copies == 0) return std::string(where) + " asks for 0 copies";
  if (copies_ && *copies_ != copies) {
    return std::string(where) + " asks for " + Copies(copies) +
           " where the page's earlier trailers ask for " + Copies(*copies_);
  }
  copies_ = copies;
  return std::nullopt;
}

void JobReader::EndPage() {
  if (listener_ != nullptr) listener_->OnPageEnd(pages_);
}

void JobReader::Fail(std::uint64_t offset, std::string reason) {
  if (!fault_) fault_ = JobFault{offset, std::move(reason)};
}

void JobReader::Finish() {
  if (finished_) return;
  finished_ = true;
  bool page_open = place_ == Place::kInPage;
  if (!fault_) {
    if (offset_ == 0) {
      Fail(0, "the job is empty");
    } else if (expect_ == Expect::kPanelData) {
      Fail(offset_, "the job ends inside the " + std::string(PanelName(open_panel_.panel)) +
                        " data, after " + std::to_string(data_read_) + " of its " +
                        std::to_string(open_panel_.size) + " bytes");
    } else if (expect_ == Expect::kPanelTrailer) {
      Fail(offset_, "the job ends before the trailer of the " +
                        std::string(PanelName(open_panel_.panel)) + " data");
    } else if (!pending_.empty()) {
      Fail(offset_, "the job ends inside " + UnfinishedName(pending_));
    } else if (page_open && overlay_open_ && !overlay_closed_) {
      Fail(offset_, "the overlay areas of page " + std::to_string(pages_) +
                        " are not closed by the overlay trailer");
    } else if (place_ != Place::kOutsideDocument) {
      Fail(offset_, "the job ends without a document end");
    }
  }
  if (page_open) EndPage();
}
