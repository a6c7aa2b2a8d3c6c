// Builds jobs in the card printer's language byte by byte from the layout of
// its sequences, for tests of the decoder: well-formed jobs and jobs broken
// on purpose.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class JobBuilder {
 public:
  static constexpr std::uint8_t ESC = 0x1B;
  static constexpr std::uint8_t CR = 0x0D;
  static constexpr std::uint8_t SO = 0x0E;

  JobBuilder& DocumentStart(char mode = 'L') { return Put({ESC, 'P', Byte(mode), CR}); }
  JobBuilder& Adjustments(const std::string& fields = "0505050005") {
    Put({ESC, 'd'});
    Text(fields);
    return Put({CR});
  }
  JobBuilder& TrackQ() { return Put({ESC, 'M', 'Q', CR}); }
  JobBuilder& Tracks(char mode, const std::string& t1, const std::string& t2,
                     const std::string& t3) {
    Put({ESC, 'M', Byte(mode), '1'});
    Text(t1);
    Put({SO, '2'});
    Text(t2);
    Put({SO, '3'});
    Text(t3);
    return Put({SO, CR});
  }
  JobBuilder& PageStart() { return Put({ESC, 0x01, CR}); }
  JobBuilder& Reset(char panel) { return Put({ESC, 'c', Byte(panel), CR}); }
  JobBuilder& Resets(const std::string& panels) {
    for (char panel : panels) Reset(panel);
    return *this;
  }
  JobBuilder& Header(char panel, int x, int y, std::uint32_t size, int line_length) {
    Put({ESC, 'e', Byte(panel)});
    Text(Digits(x, 3) + Digits(y, 4) + "11");
    return Put({Byte(size >> 16), Byte(size >> 8), Byte(size), Byte(line_length >> 8),
                Byte(line_length), 'S'});
  }
  JobBuilder& Data(std::size_t size, std::uint8_t fill) {
    bytes.insert(bytes.end(), size, fill);
    return *this;
  }
  JobBuilder& Trailer(char panel, int copies = 1) {
    Put({CR, ESC, 'a', Byte(panel)});
    Text(Digits(copies, 4));
    return Put({CR});
  }
  // Header, data of one value, trailer.
  JobBuilder& Panel(char panel, int x, int y, int cx, int cy, std::uint8_t fill, int copies = 1) {
    Header(panel, x, y, static_cast<std::uint32_t>(cx * cy), cx);
    Data(static_cast<std::size_t>(cx) * cy, fill);
    return Trailer(panel, copies);
  }
  JobBuilder& OverlayArea(int index, int top, int left, int bottom, int right, int flag) {
    Put({ESC, 'e', 'O'});
    Text(Digits(index, 1) + Digits(top, 4) + Digits(left, 4) + Digits(bottom, 4) +
         Digits(right, 4) + Digits(flag, 1));
    return Put({CR});
  }
  JobBuilder& OverlayTrailer(int copies = 1) {
    Put({ESC, 'a', 'O'});
    Text(Digits(copies, 4));
    return Put({CR});
  }
  JobBuilder& DocumentEnd() { return Put({ESC, 0x04, CR}); }
  JobBuilder& Raw(std::vector<std::uint8_t> raw) {
    bytes.insert(bytes.end(), raw.begin(), raw.end());
    return *this;
  }

  // The body of a page as the driver sends it with every panel on: the five
  // resets, the colour panels, black, and the overlay without areas.
  JobBuilder& PageBody(int x, int y, int cx, int cy, std::uint8_t fill = 0x40, int copies = 1) {
    Resets("YMCKO").Resets("YMC");
    Panel('Y', x, y, cx, cy, fill, copies).Panel('M', x, y, cx, cy, fill, copies);
    Panel('C', x, y, cx, cy, fill, copies);
    Reset('K').Panel('K', x, y, cx, cy, 0, copies);
    return Reset('O').OverlayTrailer(copies);
  }
  // A document of one page with the body above.
  JobBuilder& OneCard(int x, int y, int cx, int cy, std::uint8_t fill = 0x40) {
    return DocumentStart().Adjustments().PageStart().PageBody(x, y, cx, cy, fill).DocumentEnd();
  }

  std::size_t size() const { return bytes.size(); }

  std::vector<std::uint8_t> bytes;

 private:
  static std::uint8_t Byte(std::uint32_t value) { return static_cast<std::uint8_t>(value & 0xFF); }
  static std::string Digits(int value, int width) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*d", width, value);
    return text;
  }
  JobBuilder& Put(std::initializer_list<std::uint8_t> raw) {
    bytes.insert(bytes.end(), raw);
    return *this;
  }
  void Text(const std::string& text) { bytes.insert(bytes.end(), text.begin(), text.end()); }
};
