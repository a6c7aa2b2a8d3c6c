#include "host/cardprint/jpeg_file.h"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on

#include <csetjmp>
#include <string>

#include "host/card_job/errors.h"
#include "host/card_job/image.h"

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

// The part of decoding during which the library may jump back: only plain
// data lives in this frame, so the jump skips no destructor. The pixels go to
// a buffer that the caller owns.
enum class Outcome { kDecoded, kDamaged, kTooLarge };

Outcome Decode(jpeg_decompress_struct& info, ErrorManager& errors, const std::uint8_t* bytes,
               unsigned long size, int min_width, int min_height, RgbImage& image) {
  if (setjmp(errors.jump) != 0) return Outcome::kDamaged;
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, bytes, size);
  jpeg_read_header(&info, TRUE);
  info.out_color_space = JCS_RGB;
  info.scale_num = 1;
  info.scale_denom = 1;
  for (unsigned denominator : {8u, 4u, 2u}) {
    if (info.image_width / denominator >= static_cast<unsigned>(min_width) &&
        info.image_height / denominator >= static_cast<unsigned>(min_height)) {
      info.scale_denom = denominator;
      break;
    }
  }
  jpeg_start_decompress(&info);
  image.width = static_cast<int>(info.output_width);
  image.height = static_cast<int>(info.output_height);
  if (static_cast<std::uint64_t>(image.width) * image.height > kMaxImagePixels) {
    return Outcome::kTooLarge;
  }
  image.pixels.resize(static_cast<std::size_t>(image.width) * image.height * 3);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = &image.pixels[static_cast<std::size_t>(info.output_scanline) * image.width * 3];
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  return Outcome::kDecoded;
}

}  // namespace

bool LooksLikeJpeg(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 3 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}

RgbImage DecodeJpeg(std::span<const std::uint8_t> bytes, std::string_view name, int min_width,
                    int min_height) {
  jpeg_decompress_struct info{};
  ErrorManager errors{};
  info.err = jpeg_std_error(&errors.base);
  errors.base.error_exit = JumpOnError;
  errors.base.emit_message = JumpOnWarning;
  RgbImage image;
  Outcome outcome = Decode(info, errors, bytes.data(), static_cast<unsigned long>(bytes.size()),
                           min_width, min_height, image);
  jpeg_destroy_decompress(&info);
  if (outcome == Outcome::kTooLarge) {
    throw Failure("the image " + std::string(name) + " is too large to print (" +
                  std::to_string(image.width) + " by " + std::to_string(image.height) +
                  " pixels).");
  }
  if (outcome == Outcome::kDamaged) {
    throw Failure("the image " + std::string(name) + " is a damaged JPEG file (" + errors.message +
                  ").");
  }
  return image;
}
