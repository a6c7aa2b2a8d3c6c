// Pixels converted to sRGB, the colours the driver takes, through the ICC
// colour profile a design carries (with LittleCMS), row by row.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

// What the decoder's pixels are: RGB, grey (given as RGB with three equal
// channels) or CMYK (four bytes of ink, 0 for none).
enum class PixelKind { kRgb, kGrey, kCmyk };

class SrgbConversion {
 public:
  // A conversion from the profile's colours to sRGB. Without a profile, RGB
  // and grey are taken as sRGB already, and CMYK is converted plainly
  // (red = (255 - cyan) x (255 - black) / 255, and so on). A profile that
  // cannot be read, or one made for pixels of another kind, is a Failure
  // naming the image.
  SrgbConversion(std::span<const std::uint8_t> profile, PixelKind kind, std::string_view name);
  ~SrgbConversion();
  SrgbConversion(const SrgbConversion&) = delete;
  SrgbConversion& operator=(const SrgbConversion&) = delete;

  // True when RGB rows would come out as they went in.
  bool Unchanged() const;

  // One row of width pixels of the decoder's kind into width sRGB pixels
  // (out may be in for RGB and grey).
  void Row(const std::uint8_t* in, std::uint8_t* out, int width) const;

 private:
  PixelKind kind_;
  void* transform_ = nullptr;
};
