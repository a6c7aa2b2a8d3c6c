#include "host/cardprint/image_file.h"

#include "host/card_job/errors.h"
#include "host/cardprint/file_bytes.h"
#include "host/cardprint/jpeg_file.h"
#include "host/cardprint/png_file.h"

RgbImage LoadImage(const std::string& path, int min_width, int min_height) {
  std::vector<std::uint8_t> bytes = ReadWholeFile(path, "the image");
  if (bytes.empty()) throw Failure("the image " + path + " is an empty file.");
  if (LooksLikePng(bytes)) return DecodePng(bytes, path);
  if (LooksLikeJpeg(bytes)) return DecodeJpeg(bytes, path, min_width, min_height);
  throw Failure("the image " + path + " is neither a PNG nor a JPEG file.");
}
