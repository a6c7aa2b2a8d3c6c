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
