// The card printer's language read back from a job. This decoder is written
// from the language's own grammar and shares nothing with the driver's code
// that writes it, so that it catches faults there.
//
// It walks the stream sequence by sequence: every sequence has a length
// known from its first bytes or ended by its own terminator, and panel data
// is skipped by the raw size its header gives (its bytes are never searched).
// It checks the job's structure as it goes and stops at the first fault,
// which it reports with the offset of the byte where it shows.
//
// Bytes can be fed in pieces of any size, so that a job can be checked while
// it is being written or read from a file in chunks.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// The printer's frame: lines of up to 656 dots, up to 1024 lines per card.
inline constexpr int kFrameDots = 656;
inline constexpr int kFrameLines = 1024;

// Panels by their letter on the wire: 'Y', 'M', 'C', 'K', 'O'.
std::string_view PanelName(char panel);  // "yellow", ...

// The sequences of the language, each with its fields as sent.
struct DocumentStart {
  char mode;  // 'L', or 'D' (document mode 1)
};
struct Adjustments {
  std::array<int, 5> fields;  // the five two-digit fields in wire order
};
struct TrackData {
  char mode;  // 'Q' (no texts), 'R' or 'W'
  std::array<std::string, 3> tracks;
};
struct PageStart {};
struct PanelReset {
  char panel;
};
struct PanelHeader {
  char panel;
  int x;               // first dot of each line
  int y;               // first line
  std::uint32_t size;  // data bytes that follow
  int line_length;     // dots per line
  int lines() const { return line_length == 0 ? 0 : static_cast<int>(size / line_length); }
};
struct PanelData {
  char panel;
  std::uint32_t size;
};
struct PanelTrailer {
  char panel;
  int copies;
};
struct OverlayArea {
  int index;  // among the areas of this page, from 0
  int top;
  int left;
  int bottom;
  int right;
  int flag;  // 1 for an area of type 0, 0 for type 1
};
struct OverlayTrailer {
  int copies;
};
struct DocumentEnd {};

using SequenceFields =
    std::variant<DocumentStart, Adjustments, TrackData, PageStart, PanelReset, PanelHeader,
                 PanelData, PanelTrailer, OverlayArea, OverlayTrailer, DocumentEnd>;

struct Sequence {
  std::uint64_t offset = 0;
  std::uint64_t length = 0;
  int page = 0;  // 1-based count of page starts so far in the job; 0 before any
  SequenceFields fields;
};

// "documentStart", "adjustments", ... as used in listings.
std::string_view SequenceKind(const SequenceFields& fields);

struct JobFault {
  std::uint64_t offset = 0;
  std::string reason;  // a phrase such as "the yellow data ends before its trailer"
};

// What the reader hands on while it walks the job.
class JobListener {
 public:
  virtual ~JobListener() = default;
  // Every sequence, once complete and checked; panel data is announced after
  // its bytes.
  virtual void OnSequence(const Sequence&) {}
  // The bytes of a panel's data in order, from byte `at` of the panel.
  virtual void OnPanelBytes(char /*panel*/, std::uint64_t /*at*/,
                            std::span<const std::uint8_t> /*bytes*/) {}
  // A page is over: the next page or the document end began, or the job ended.
  virtual void OnPageEnd(int /*page*/) {}
};

class JobReader {
 public:
  explicit JobReader(JobListener* listener = nullptr);

  // Reads the next bytes of the job; after a fault the rest is ignored.
  void Feed(std::span<const std::uint8_t> bytes);
  // The job has ended: a sequence cut short or a document left open is a
  // fault. Call once, after the last Feed.
  void Finish();

  bool WellFormed() const { return finished_ && !fault_; }
  const std::optional<JobFault>& fault() const { return fault_; }
  std::uint64_t bytes() const { return offset_; }
  int documents() const { return documents_; }
  int pages() const { return pages_; }

 private:
  enum class Place { kOutsideDocument, kAfterDocumentStart, kInDocument, kAfterTrackData, kInPage };
  enum class Expect { kSequence, kPanelData, kPanelTrailer };
  struct Scan;

  void FeedSequenceByte(std::uint8_t byte);
  void Complete(const SequenceFields& fields);
  std::optional<std::string> CheckPlace(const SequenceFields& fields);
  std::optional<std::string> CheckInPage(const SequenceFields& fields);
  std::optional<std::string> CheckCopies(int copies, std::string_view where);
  void EndPage();
  void Fail(std::uint64_t offset, std::string reason);

  JobListener* listener_;
  std::uint64_t offset_ = 0;
  std::optional<JobFault> fault_;
  bool finished_ = false;

  Expect expect_ = Expect::kSequence;
  std::vector<std::uint8_t> pending_;  // the sequence being read
  std::uint64_t pending_offset_ = 0;
  PanelHeader open_panel_{};  // the header whose data is being read
  std::uint64_t data_offset_ = 0;
  std::uint64_t data_read_ = 0;

  Place place_ = Place::kOutsideDocument;
  int documents_ = 0;
  int pages_ = 0;
  // The page being read.
  std::string resets_;        // panel letters reset so far in this page
  int last_panel_rank_ = -1;  // rank (Y 0 ... O 4) of the last panel begun
  int overlay_areas_ = 0;
  bool overlay_open_ = false;  // overlay areas sent, trailer not yet
  bool overlay_closed_ = false;
  std::optional<int> copies_;
};
