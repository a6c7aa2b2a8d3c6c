#include "host/card_job/jpeg_design.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host/card_job/colour_profile.h"
#include "host/card_job/errors.h"
#include "host/card_job/exif_orientation.h"

namespace {

// The library reports a fatal error by calling error_exit, which must not
// return; it jumps back to the decoder with the library's message.
struct ErrorManager {
  jpeg_error_mgr base;
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

extern "C" void JumpOnError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  manager->base.format_message(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// Warnings (such as data that ends early, which the library would fill with
// grey) mean a damaged file too: a card is not printed from a guess.
extern "C" void JumpOnWarning(j_common_ptr info, int level) {
  if (level < 0) JumpOnError(info);
}

// A decompressor with its error manager, destroyed however decoding ends.
struct Decompressor {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  JOCTET* profile = nullptr;  // the embedded ICC profile, malloc'd by the library
  unsigned int profile_size = 0;

  Decompressor() {
    info.err = jpeg_std_error(&errors.base);
    errors.base.error_exit = JumpOnError;
    errors.base.emit_message = JumpOnWarning;
  }
  ~Decompressor() {
    jpeg_destroy_decompress(&info);
    std::free(profile);
  }
  Decompressor(const Decompressor&) = delete;
  Decompressor& operator=(const Decompressor&) = delete;
};

constexpr unsigned kExifMarker = JPEG_APP0 + 1;
constexpr unsigned kIccMarker = JPEG_APP0 + 2;
constexpr unsigned char kExifHeader[] = {'E', 'x', 'i', 'f', 0, 0};

// The steps during which the library may jump back hold only plain data in
// their frames, so a jump skips no destructor.
bool ReadHeader(Decompressor& d, const std::uint8_t* bytes, unsigned long size, bool profile) {
  if (setjmp(d.errors.jump) != 0) return false;
  jpeg_create_decompress(&d.info);
  jpeg_mem_src(&d.info, bytes, size);
  jpeg_save_markers(&d.info, kExifMarker, 0xFFFF);
  if (profile) jpeg_save_markers(&d.info, kIccMarker, 0xFFFF);
  jpeg_read_header(&d.info, TRUE);
  if (profile) jpeg_read_icc_profile(&d.info, &d.profile, &d.profile_size);
  return true;
}

bool StartDecoding(Decompressor& d) {
  if (setjmp(d.errors.jump) != 0) return false;
  jpeg_start_decompress(&d.info);
  return true;
}

bool ReadRow(Decompressor& d, JSAMPROW row) {
  if (setjmp(d.errors.jump) != 0) return false;
  jpeg_read_scanlines(&d.info, &row, 1);
  return true;
}

bool FinishDecoding(Decompressor& d) {
  if (setjmp(d.errors.jump) != 0) return false;
  jpeg_finish_decompress(&d.info);
  return true;
}

int OrientationOf(const jpeg_decompress_struct& info) {
  for (jpeg_saved_marker_ptr marker = info.marker_list; marker != nullptr; marker = marker->next) {
    if (marker->marker == kExifMarker && marker->data_length > sizeof kExifHeader &&
        std::memcmp(marker->data, kExifHeader, sizeof kExifHeader) == 0) {
      return ExifOrientation(std::span<const std::uint8_t>(
          marker->data + sizeof kExifHeader, marker->data_length - sizeof kExifHeader));
    }
  }
  return 1;
}

[[noreturn]] void Damaged(const Decompressor& d, std::string_view name) {
  throw Failure("the image " + std::string(name) + " is a damaged JPEG file (" + d.errors.message +
                ").");
}

}  // namespace

bool LooksLikeJpeg(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

PictureFacts JpegFacts(std::span<const std::uint8_t> bytes, std::string_view name) {
  Decompressor d;
  if (!ReadHeader(d, bytes.data(), static_cast<unsigned long>(bytes.size()), false)) {
    Damaged(d, name);
  }
  return {static_cast<int>(d.info.image_width), static_cast<int>(d.info.image_height),
          OrientationOf(d.info)};
}

RgbImage DecodeJpeg(std::span<const std::uint8_t> bytes, std::string_view name, int min_width,
                    int min_height) {
  Decompressor d;
  if (!ReadHeader(d, bytes.data(), static_cast<unsigned long>(bytes.size()), true)) {
    Damaged(d, name);
  }
  jpeg_decompress_struct& info = d.info;
  PixelKind kind = PixelKind::kRgb;
  if (info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK) {
    // The library turns YCCK into CMYK itself.
    info.out_color_space = JCS_CMYK;
    kind = PixelKind::kCmyk;
  } else {
    info.out_color_space = JCS_RGB;
    if (info.jpeg_color_space == JCS_GRAYSCALE) kind = PixelKind::kGrey;
  }
  // Adobe's applications write CMYK as 255 less each ink; their marker
  // tells such files apart.
  bool inverted = kind == PixelKind::kCmyk && info.saw_Adobe_marker;
  info.scale_num = 1;
  info.scale_denom = 1;
  for (unsigned denominator : {8u, 4u, 2u}) {
    if (info.image_width / denominator >= static_cast<unsigned>(min_width) &&
        info.image_height / denominator >= static_cast<unsigned>(min_height)) {
      info.scale_denom = denominator;
      break;
    }
  }
  SrgbConversion conversion(std::span<const std::uint8_t>(d.profile, d.profile_size), kind, name);
  if (!StartDecoding(d)) Damaged(d, name);
  RgbImage image;
  image.width = static_cast<int>(info.output_width);
  image.height = static_cast<int>(info.output_height);
  if (static_cast<std::uint64_t>(image.width) * image.height > kMaxImagePixels) {
    throw Failure("the image " + std::string(name) + " is too large to print (" +
                  std::to_string(image.width) + " by " + std::to_string(image.height) +
                  " pixels).");
  }
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * 3);
  std::vector<std::uint8_t> row(kind == PixelKind::kCmyk ? static_cast<std::size_t>(image.width) * 4
                                                         : 0);
  while (info.output_scanline < info.output_height) {
    std::uint8_t* out = image.at(0, static_cast<int>(info.output_scanline));
    std::uint8_t* in = row.empty() ? out : row.data();
    if (!ReadRow(d, in)) Damaged(d, name);
    if (inverted) {
      for (std::uint8_t& value : row) value = static_cast<std::uint8_t>(255 - value);
    }
    if (!conversion.Unchanged()) conversion.Row(in, out, image.width);
  }
  if (!FinishDecoding(d)) Damaged(d, name);
  return image;
}
