#include "host/card_job/png_design.h"

#include <png.h>
#include <zlib.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "host/card_job/colour_profile.h"
#include "host/card_job/errors.h"
#include "host/card_job/exif_orientation.h"

namespace {

constexpr std::size_t kSignatureSize = 8;
// A profile larger than this is no profile a design needs.
constexpr std::size_t kMaxProfileSize = 32u << 20;

std::uint32_t BigEndian32(const std::uint8_t* bytes) {
  return static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
         static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
}

// The data of the first chunk of this type, or null. Chunks are walked by
// their lengths only; libpng checks the rest when it decodes.
std::optional<std::span<const std::uint8_t>> FindChunk(std::span<const std::uint8_t> bytes,
                                                       const char type[4]) {
  std::size_t at = kSignatureSize;
  while (bytes.size() - at >= 12) {
    std::uint32_t length = BigEndian32(&bytes[at]);
    if (length > bytes.size() - at - 12) return std::nullopt;
    if (std::memcmp(&bytes[at + 4], type, 4) == 0) return bytes.subspan(at + 8, length);
    if (std::memcmp(&bytes[at + 4], "IEND", 4) == 0) return std::nullopt;
    at += 12 + static_cast<std::size_t>(length);
  }
  return std::nullopt;
}

[[noreturn]] void BadProfile(std::string_view name) {
  throw Failure("the image " + std::string(name) +
                " carries a colour profile that cannot be read.");
}

// The iCCP chunk's profile: a name, a zero byte, the compression method 0
// and the profile compressed with zlib.
std::vector<std::uint8_t> ProfileOf(std::span<const std::uint8_t> chunk, std::string_view name) {
  const auto* end_of_name =
      static_cast<const std::uint8_t*>(std::memchr(chunk.data(), 0, chunk.size()));
  if (end_of_name == nullptr) BadProfile(name);
  std::size_t start = static_cast<std::size_t>(end_of_name - chunk.data()) + 2;
  if (start > chunk.size() || chunk[start - 1] != 0) BadProfile(name);
  z_stream stream{};
  if (inflateInit(&stream) != Z_OK) BadProfile(name);
  stream.next_in = const_cast<Bytef*>(chunk.data() + start);
  stream.avail_in = static_cast<uInt>(chunk.size() - start);
  std::vector<std::uint8_t> profile;
  int result = Z_OK;
  while (result == Z_OK && profile.size() < kMaxProfileSize) {
    std::size_t done = profile.size();
    profile.resize(done + 65536);
    stream.next_out = profile.data() + done;
    stream.avail_out = 65536;
    result = inflate(&stream, Z_NO_FLUSH);
    profile.resize(done + 65536 - stream.avail_out);
  }
  inflateEnd(&stream);
  if (result != Z_STREAM_END) BadProfile(name);
  return profile;
}

[[noreturn]] void Damaged(std::string_view name, const char* message) {
  throw Failure("the image " + std::string(name) + " is a damaged PNG file (" + message + ").");
}

struct ImageFree {
  png_image& image;
  ~ImageFree() { png_image_free(&image); }
};

}  // namespace

bool LooksLikePng(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= kSignatureSize && png_sig_cmp(bytes.data(), 0, kSignatureSize) == 0;
}

PictureFacts PngFacts(std::span<const std::uint8_t> bytes, std::string_view name) {
  std::optional<std::span<const std::uint8_t>> header = FindChunk(bytes, "IHDR");
  if (!header || header->size() < 8) Damaged(name, "no image header");
  PictureFacts facts{static_cast<int>(BigEndian32(header->data()) & 0x7FFFFFFF),
                     static_cast<int>(BigEndian32(header->data() + 4) & 0x7FFFFFFF), 1};
  if (std::optional<std::span<const std::uint8_t>> exif = FindChunk(bytes, "eXIf")) {
    facts.orientation = ExifOrientation(*exif);
  }
  return facts;
}

RgbImage DecodePng(std::span<const std::uint8_t> bytes, std::string_view name) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
    Damaged(name, image.message);
  }
  ImageFree free_image{image};
  if (static_cast<std::uint64_t>(image.width) * image.height > kMaxImagePixels) {
    throw Failure("the image " + std::string(name) + " is too large to print (" +
                  std::to_string(image.width) + " by " + std::to_string(image.height) +
                  " pixels).");
  }
  std::vector<std::uint8_t> profile;
  if (std::optional<std::span<const std::uint8_t>> chunk = FindChunk(bytes, "iCCP")) {
    profile = ProfileOf(*chunk, name);
  }
  PixelKind kind = (image.format & PNG_FORMAT_FLAG_COLOR) != 0 ? PixelKind::kRgb : PixelKind::kGrey;
  SrgbConversion conversion(profile, kind, name);
  image.format = PNG_FORMAT_RGB;
  RgbImage result;
  result.width = static_cast<int>(image.width);
  result.height = static_cast<int>(image.height);
  result.pixels.resize(PNG_IMAGE_SIZE(image));
  png_color white{255, 255, 255};
  if (!png_image_finish_read(&image, &white, result.pixels.data(), 0, nullptr)) {
    Damaged(name, image.message);
  }
  if (!conversion.Unchanged()) {
    for (int y = 0; y < result.height; ++y)
      conversion.Row(result.at(0, y), result.at(0, y), result.width);
  }
  return result;
}
