#include "host/cardprint/png_file.h"

#include <png.h>

#include <cstring>
#include <string>

#include "host/card_job/errors.h"

namespace {

std::vector<std::uint8_t> Encode(int width, int height, png_uint_32 format,
                                 const std::uint8_t* pixels) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = format;
  png_alloc_size_t size = 0;
  if (!png_image_write_get_memory_size(image, size, 0, pixels, 0, nullptr)) {
    throw Failure(std::string("cannot encode a PNG picture: ") + image.message + ".");
  }
  std::vector<std::uint8_t> bytes(size);
  if (!png_image_write_to_memory(&image, bytes.data(), &size, 0, pixels, 0, nullptr)) {
    throw Failure(std::string("cannot encode a PNG picture: ") + image.message + ".");
  }
  bytes.resize(size);
  return bytes;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const RgbImage& image) {
  return Encode(image.width, image.height, PNG_FORMAT_RGB, image.pixels.data());
}

std::vector<std::uint8_t> EncodePng(const GrayImage& image) {
  return Encode(image.width, image.height, PNG_FORMAT_GRAY, image.pixels.data());
}

bool LooksLikePng(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= 8 && png_sig_cmp(bytes.data(), 0, 8) == 0;
}

RgbImage DecodePng(std::span<const std::uint8_t> bytes, std::string_view name) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    throw Failure("the image " + std::string(name) + " is a damaged PNG file (" + image.message +
                  ").");
  }
  if (static_cast<std::uint64_t>(image.width) * image.height > kMaxImagePixels) {
    png_image_free(&image);
    throw Failure("the image " + std::string(name) + " is too large to print (" +
                  std::to_string(image.width) + " by " + std::to_string(image.height) +
                  " pixels).");
  }
  image.format = PNG_FORMAT_RGB;
  RgbImage result;
  result.width = static_cast<int>(image.width);
  result.height = static_cast<int>(image.height);
  result.pixels.resize(PNG_IMAGE_SIZE(image));
  png_color white{255, 255, 255};
  if (!png_image_finish_read(&image, &white, result.pixels.data(), 0, nullptr)) {
    std::string message = image.message;
    png_image_free(&image);
    throw Failure("the image " + std::string(name) + " is a damaged PNG file (" + message + ").");
  }
  return result;
}
