#include "host/cardprint/job_listing.h"

#include <cstdio>
#include <type_traits>

namespace {

// Track texts are 8-bit: in text each byte outside printable ASCII is shown
// as \xNN; in JSON each byte becomes the code point of the same value.
std::string Printable(const std::string& bytes) {
  std::string text;
  for (unsigned char byte : bytes) {
    if (byte >= 0x20 && byte < 0x7F && byte != '\\' && byte != '"') {
      text += static_cast<char>(byte);
    } else {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
  }
  return text;
}

std::string Latin1ToUtf8(const std::string& bytes) {
  std::string text;
  for (unsigned char byte : bytes) {
    if (byte < 0x80) {
      text += static_cast<char>(byte);
    } else {
      text += static_cast<char>(0xC0 | byte >> 6);
      text += static_cast<char>(0x80 | (byte & 0x3F));
    }
  }
  return text;
}

std::string Copies(int copies) {
  return std::to_string(copies) + (copies == 1 ? " copy" : " copies");
}

std::string Name(char panel) { return std::string(PanelName(panel)); }

std::string Letter(char panel) { return std::string(1, panel); }

std::string WordsOf(const SequenceFields& fields) {
  static constexpr std::array<std::string_view, std::variant_size_v<SequenceFields>> kWords{
      "document start", "adjustments",     "track data",  "page start",
      "panel reset",    "panel header",    "panel data",  "panel trailer",
      "overlay area",   "overlay trailer", "document end"};
  return std::string(kWords[fields.index()]);
}

}  // namespace

std::string DescribeSequence(const SequenceFields& fields) {
  return std::visit(
      [](const auto& f) -> std::string {
        using T = std::decay_t<decltype(f)>;
        if constexpr (std::is_same_v<T, DocumentStart>) {
          return std::string("mode ") + f.mode;
        } else if constexpr (std::is_same_v<T, Adjustments>) {
          char text[32];
          std::snprintf(text, sizeof text, "%02d %02d %02d %02d %02d", f.fields[0], f.fields[1],
                        f.fields[2], f.fields[3], f.fields[4]);
          return text;
        } else if constexpr (std::is_same_v<T, TrackData>) {
          std::string text = std::string("mode ") + f.mode;
          if (f.mode == 'Q') return text;
          for (std::size_t track = 0; track < 3; ++track) {
            text +=
                ", track " + std::to_string(track + 1) + " \"" + Printable(f.tracks[track]) + "\"";
          }
          return text;
        } else if constexpr (std::is_same_v<T, PanelReset>) {
          return Name(f.panel);
        } else if constexpr (std::is_same_v<T, PanelHeader>) {
          return Name(f.panel) + " at dot " + std::to_string(f.x) + ", line " +
                 std::to_string(f.y) + ": " + std::to_string(f.lines()) + " lines of " +
                 std::to_string(f.line_length) + " dots";
        } else if constexpr (std::is_same_v<T, PanelData>) {
          return Name(f.panel) + ", " + std::to_string(f.size) + " bytes";
        } else if constexpr (std::is_same_v<T, PanelTrailer>) {
          return Name(f.panel) + ", " + Copies(f.copies);
        } else if constexpr (std::is_same_v<T, OverlayArea>) {
          return "area " + std::to_string(f.index) + ": lines " + std::to_string(f.top) + " to " +
                 std::to_string(f.bottom) + ", dots " + std::to_string(f.left) + " to " +
                 std::to_string(f.right) + ", flag " + std::to_string(f.flag);
        } else if constexpr (std::is_same_v<T, OverlayTrailer>) {
          return Copies(f.copies);
        } else {
          return "";
        }
      },
      fields);
}

nlohmann::ordered_json SequenceJson(const Sequence& sequence) {
  nlohmann::ordered_json object{{"offset", sequence.offset},
                                {"length", sequence.length},
                                {"kind", SequenceKind(sequence.fields)},
                                {"page", sequence.page}};
  std::visit(
      [&object](const auto& f) {
        using T = std::decay_t<decltype(f)>;
        if constexpr (std::is_same_v<T, DocumentStart>) {
          object["mode"] = Letter(f.mode);
        } else if constexpr (std::is_same_v<T, Adjustments>) {
          object["fields"] = f.fields;
        } else if constexpr (std::is_same_v<T, TrackData>) {
          object["mode"] = Letter(f.mode);
          object["tracks"] = nlohmann::ordered_json::array();
          if (f.mode != 'Q') {
            for (const std::string& track : f.tracks)
              object["tracks"].push_back(Latin1ToUtf8(track));
          }
        } else if constexpr (std::is_same_v<T, PanelReset>) {
          object["panel"] = Letter(f.panel);
        } else if constexpr (std::is_same_v<T, PanelHeader>) {
          object["panel"] = Letter(f.panel);
          object["x"] = f.x;
          object["y"] = f.y;
          object["size"] = f.size;
          object["lineLength"] = f.line_length;
          object["lines"] = f.lines();
        } else if constexpr (std::is_same_v<T, PanelData>) {
          object["panel"] = Letter(f.panel);
          object["size"] = f.size;
        } else if constexpr (std::is_same_v<T, PanelTrailer>) {
          object["panel"] = Letter(f.panel);
          object["copies"] = f.copies;
        } else if constexpr (std::is_same_v<T, OverlayArea>) {
          object["index"] = f.index;
          object["top"] = f.top;
          object["left"] = f.left;
          object["bottom"] = f.bottom;
          object["right"] = f.right;
          object["flag"] = f.flag;
        } else if constexpr (std::is_same_v<T, OverlayTrailer>) {
          object["copies"] = f.copies;
        }
      },
      sequence.fields);
  return object;
}

JobListing::JobListing(std::ostream& out, Format format) : out_(out), format_(format) {
  if (format_ == Format::kJson) {
    out_ << "{\"sequences\": [";
  } else {
    out_ << "    offset     length  page  sequence\n";
  }
}

void JobListing::OnSequence(const Sequence& sequence) {
  if (format_ == Format::kJson) {
    out_ << (first_ ? "\n  " : ",\n  ") << SequenceJson(sequence).dump();
    first_ = false;
    return;
  }
  char columns[64];
  std::snprintf(columns, sizeof columns, "%10llu %10llu  %4d  ",
                static_cast<unsigned long long>(sequence.offset),
                static_cast<unsigned long long>(sequence.length), sequence.page);
  std::string words = WordsOf(sequence.fields);
  std::string details = DescribeSequence(sequence.fields);
  out_ << columns << words;
  if (!details.empty())
    out_ << std::string(words.size() < 16 ? 16 - words.size() : 1, ' ') << details;
  out_ << "\n";
}

void JobListing::Close(const JobReader& reader) {
  if (format_ == Format::kJson) {
    nlohmann::json fault = nullptr;
    if (reader.fault())
      fault = {{"offset", reader.fault()->offset}, {"reason", reader.fault()->reason}};
    out_ << (first_ ? "]" : "\n]")
         << ",\n \"wellFormed\": " << (reader.WellFormed() ? "true" : "false")
         << ",\n \"fault\": " << fault.dump() << ",\n \"bytes\": " << reader.bytes()
         << ",\n \"documents\": " << reader.documents() << ",\n \"pages\": " << reader.pages()
         << "}\n";
    return;
  }
  if (!reader.WellFormed()) {
    out_ << "fault at byte " << reader.fault()->offset << ": " << reader.fault()->reason << "\n";
    return;
  }
  std::string totals = std::to_string(reader.bytes()) + " bytes, " +
                       std::to_string(reader.documents()) +
                       (reader.documents() == 1 ? " document, " : " documents, ") +
                       std::to_string(reader.pages()) + (reader.pages() == 1 ? " page" : " pages");
  out_ << "well formed: " << totals << "\n";
}
