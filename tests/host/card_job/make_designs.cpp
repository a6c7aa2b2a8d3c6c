// Writes the design fixtures of the card-job tests into a folder: the same
// small portrait design as a viewer shows it, saved the ways people's files
// hold it (each Exif orientation, CMYK and YCCK, tagged with a wide-gamut
// profile), PDF and SVG drawings, bad files, a barcode and large designs.
//
//   make_designs FOLDER
//
// The plain design is made of 8 x 8 blocks of one colour, and JPEGs are
// written at quality 100 without colour subsampling, so every block decodes
// to its own colour exactly, however the picture is stored.
// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on
#include <cairo-pdf.h>
#include <cairo.h>
#include <lcms2.h>
#include <png.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Picture {
  int width = 0;
  int height = 0;
  int channels = 3;
  Bytes pixels;
  Picture(int w, int h, int c = 3)
      : width(w), height(h), channels(c), pixels(static_cast<std::size_t>(w) * h * c, 255) {}
  std::uint8_t* at(int x, int y) {
    return &pixels[(static_cast<std::size_t>(y) * width + x) * channels];
  }
};

std::string folder;

void WriteFile(const std::string& name, const Bytes& bytes) {
  std::ofstream out(folder + "/" + name, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + name);
}

void WriteText(const std::string& name, const std::string& text) {
  WriteFile(name, Bytes(text.begin(), text.end()));
}

// The plain design as a viewer shows it: 64 x 96, portrait, blocks of
// twelve colours (none pure black or white) laid out with no symmetry.
constexpr int kWidth = 64;
constexpr int kHeight = 96;
constexpr std::array<std::array<std::uint8_t, 3>, 12> kPalette{{
    {200, 40, 40},
    {40, 160, 60},
    {50, 70, 200},
    {230, 200, 40},
    {40, 200, 210},
    {190, 60, 180},
    {128, 128, 128},
    {60, 60, 60},
    {220, 220, 220},
    {240, 130, 30},
    {100, 50, 20},
    {150, 200, 120},
}};

const std::uint8_t* PlainColour(int x, int y) {
  int bx = x / 8;
  int by = y / 8;
  return kPalette[static_cast<std::size_t>(bx * 5 + by * 7 + bx * by) % kPalette.size()].data();
}

Picture Plain() {
  Picture picture(kWidth, kHeight);
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) std::copy_n(PlainColour(x, y), 3, picture.at(x, y));
  return picture;
}

// Where a stored pixel appears when the picture is shown with the Exif
// orientation (the tag's meaning: which side of the picture the stored first
// row and first column are).
std::pair<int, int> Shown(int orientation, int sx, int sy, int w, int h) {
  switch (orientation) {
    case 2:
      return {w - 1 - sx, sy};  // row 0 top, column 0 right
    case 3:
      return {w - 1 - sx, h - 1 - sy};  // row 0 bottom, column 0 right
    case 4:
      return {sx, h - 1 - sy};  // row 0 bottom, column 0 left
    case 5:
      return {sy, sx};  // row 0 left, column 0 top
    case 6:
      return {h - 1 - sy, sx};  // row 0 right, column 0 top
    case 7:
      return {h - 1 - sy, w - 1 - sx};  // row 0 right, column 0 bottom
    case 8:
      return {sy, w - 1 - sx};  // row 0 left, column 0 bottom
    default:
      return {sx, sy};
  }
}

// The stored picture that shows as the plain design with this orientation.
Picture StoredFor(int orientation) {
  bool swapped = orientation >= 5;
  Picture stored(swapped ? kHeight : kWidth, swapped ? kWidth : kHeight);
  for (int sy = 0; sy < stored.height; ++sy) {
    for (int sx = 0; sx < stored.width; ++sx) {
      auto [x, y] = Shown(orientation, sx, sy, stored.width, stored.height);
      std::copy_n(PlainColour(x, y), 3, stored.at(sx, sy));
    }
  }
  return stored;
}

// Exif data holding only the orientation, in either byte order.
Bytes ExifTiff(int orientation, bool big_endian) {
  auto u16 = [&](Bytes& b, unsigned v) {
    if (big_endian) {
      b.push_back(static_cast<std::uint8_t>(v >> 8));
      b.push_back(static_cast<std::uint8_t>(v));
    } else {
      b.push_back(static_cast<std::uint8_t>(v));
      b.push_back(static_cast<std::uint8_t>(v >> 8));
    }
  };
  auto u32 = [&](Bytes& b, unsigned v) {
    if (big_endian) {
      u16(b, v >> 16);
      u16(b, v & 0xFFFF);
    } else {
      u16(b, v & 0xFFFF);
      u16(b, v >> 16);
    }
  };
  Bytes tiff{static_cast<std::uint8_t>(big_endian ? 'M' : 'I'),
             static_cast<std::uint8_t>(big_endian ? 'M' : 'I')};
  u16(tiff, 42);
  u32(tiff, 8);
  u16(tiff, 2);  // two entries: the image description first, then the orientation
  u16(tiff, 0x010E);
  u16(tiff, 2);
  u32(tiff, 4);
  tiff.insert(tiff.end(), {'c', 'a', 'r', 0});
  u16(tiff, 0x0112);
  u16(tiff, 3);
  u32(tiff, 1);
  u16(tiff, static_cast<unsigned>(orientation));
  u16(tiff, 0);
  u32(tiff, 0);
  return tiff;
}

struct JpegOptions {
  J_COLOR_SPACE input = JCS_RGB;   // the picture's channels
  J_COLOR_SPACE stored = JCS_RGB;  // the file's colour space (JCS_YCbCr for RGB)
  bool adobe_marker = false;
  int quality = 100;
  bool subsample = false;
  Bytes exif;
  Bytes profile;
};

// A JPEG written row by row from a row maker, so a large one needs no
// picture in memory.
Bytes Jpeg(int width, int height, int channels, const std::function<void(int, std::uint8_t*)>& row,
           const JpegOptions& options) {
  jpeg_compress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_compress(&info);
  unsigned char* buffer = nullptr;
  unsigned long size = 0;
  jpeg_mem_dest(&info, &buffer, &size);
  info.image_width = static_cast<JDIMENSION>(width);
  info.image_height = static_cast<JDIMENSION>(height);
  info.input_components = channels;
  info.in_color_space = options.input;
  jpeg_set_defaults(&info);
  jpeg_set_colorspace(&info, options.stored);
  jpeg_set_quality(&info, options.quality, TRUE);
  if (!options.subsample) {
    for (int c = 0; c < info.num_components; ++c) {
      info.comp_info[c].h_samp_factor = 1;
      info.comp_info[c].v_samp_factor = 1;
    }
  }
  info.write_Adobe_marker = options.adobe_marker ? TRUE : FALSE;
  jpeg_start_compress(&info, TRUE);
  if (!options.exif.empty()) {
    Bytes app1{'E', 'x', 'i', 'f', 0, 0};
    app1.insert(app1.end(), options.exif.begin(), options.exif.end());
    jpeg_write_marker(&info, JPEG_APP0 + 1, app1.data(), static_cast<unsigned>(app1.size()));
  }
  if (!options.profile.empty()) {
    jpeg_write_icc_profile(&info, options.profile.data(),
                           static_cast<unsigned>(options.profile.size()));
  }
  Bytes line(static_cast<std::size_t>(width) * channels);
  while (info.next_scanline < info.image_height) {
    row(static_cast<int>(info.next_scanline), line.data());
    JSAMPROW pointer = line.data();
    jpeg_write_scanlines(&info, &pointer, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  Bytes bytes(buffer, buffer + size);
  std::free(buffer);
  return bytes;
}

Bytes Jpeg(Picture& picture, const JpegOptions& options) {
  return Jpeg(
      picture.width, picture.height, picture.channels,
      [&](int y, std::uint8_t* line) {
        std::copy_n(picture.at(0, y), static_cast<std::size_t>(picture.width) * picture.channels,
                    line);
      },
      options);
}

void AppendToBytes(png_structp png, png_bytep data, png_size_t length) {
  auto* bytes = static_cast<Bytes*>(png_get_io_ptr(png));
  bytes->insert(bytes->end(), data, data + length);
}

Bytes Png(Picture& picture, const Bytes& exif, const Bytes& profile) {
  Bytes bytes;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  png_set_write_fn(png, &bytes, AppendToBytes, nullptr);
  png_set_IHDR(png, info, static_cast<png_uint_32>(picture.width),
               static_cast<png_uint_32>(picture.height), 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  if (!exif.empty()) {
    png_set_eXIf_1(png, info, static_cast<png_uint_32>(exif.size()),
                   const_cast<png_bytep>(exif.data()));
  }
  if (!profile.empty()) {
    png_set_iCCP(png, info, "design", PNG_COMPRESSION_TYPE_BASE, profile.data(),
                 static_cast<png_uint_32>(profile.size()));
  }
  png_write_info(png, info);
  for (int y = 0; y < picture.height; ++y) png_write_row(png, picture.at(0, y));
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return bytes;
}

// A PNG whose iCCP chunk holds bytes that are no profile, written chunk by
// chunk (libpng would refuse to write it).
Bytes PngWithDamagedProfile(Picture& picture) {
  Bytes plain = Png(picture, {}, {});
  Bytes garbage{'d', 'e', 's', 'i', 'g', 'n', 0, 0};
  // "not a profile" compressed with zlib (stored, no compression).
  const std::string text = "not a profile";
  Bytes stored{0x78, 0x01,
               0x01, static_cast<std::uint8_t>(text.size()),
               0,    static_cast<std::uint8_t>(~text.size()),
               0xFF};
  stored.insert(stored.end(), text.begin(), text.end());
  unsigned a = 1, b = 0;
  for (char c : text) {
    a = (a + static_cast<unsigned char>(c)) % 65521;
    b = (b + a) % 65521;
  }
  unsigned adler = b << 16 | a;
  for (int shift : {24, 16, 8, 0}) stored.push_back(static_cast<std::uint8_t>(adler >> shift));
  garbage.insert(garbage.end(), stored.begin(), stored.end());
  Bytes typed{'i', 'C', 'C', 'P'};
  typed.insert(typed.end(), garbage.begin(), garbage.end());
  unsigned crc = 0xFFFFFFFFu;  // CRC-32 of the type and the data
  for (std::uint8_t byte : typed) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  crc = ~crc;
  Bytes chunk;
  auto u32 = [&](unsigned v) {
    for (int shift : {24, 16, 8, 0}) chunk.push_back(static_cast<std::uint8_t>(v >> shift));
  };
  u32(static_cast<unsigned>(garbage.size()));
  chunk.insert(chunk.end(), typed.begin(), typed.end());
  u32(crc);
  // After the 8-byte signature and the 25-byte IHDR chunk.
  plain.insert(plain.begin() + 33, chunk.begin(), chunk.end());
  return plain;
}

// Profiles made with LittleCMS: sRGB, Adobe RGB (1998) and Display P3.
cmsHPROFILE RgbProfile(const cmsCIExyY& red, const cmsCIExyY& green, const cmsCIExyY& blue,
                       cmsToneCurve* curve) {
  cmsCIExyY white{0.3127, 0.3290, 1.0};
  cmsCIExyYTRIPLE primaries{red, green, blue};
  cmsToneCurve* curves[3] = {curve, curve, curve};
  cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
  cmsFreeToneCurve(curve);
  return profile;
}

cmsHPROFILE AdobeRgb() {
  return RgbProfile({0.64, 0.33, 1}, {0.21, 0.71, 1}, {0.15, 0.06, 1},
                    cmsBuildGamma(nullptr, 563.0 / 256.0));
}

cmsHPROFILE DisplayP3() {
  const double srgb_curve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
  return RgbProfile({0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1},
                    cmsBuildParametricToneCurve(nullptr, 4, srgb_curve));
}

Bytes ProfileBytes(cmsHPROFILE profile) {
  cmsUInt32Number size = 0;
  cmsSaveProfileToMem(profile, nullptr, &size);
  Bytes bytes(size);
  cmsSaveProfileToMem(profile, bytes.data(), &size);
  return bytes;
}

// The plain design's colours in the profile's space, as a program that
// saves in that space writes them.
Picture InSpace(cmsHPROFILE profile) {
  Picture picture = Plain();
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  cmsHTRANSFORM transform =
      cmsCreateTransform(srgb, TYPE_RGB_8, profile, TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
  cmsDoTransform(transform, picture.pixels.data(), picture.pixels.data(),
                 static_cast<cmsUInt32Number>(picture.width * picture.height));
  cmsDeleteTransform(transform);
  cmsCloseProfile(srgb);
  return picture;
}

// The plain design in CMYK ink values that the plain conversion turns back
// into its colours exactly: greys on the black ink alone, colours on cyan,
// magenta and yellow alone.
Picture Cmyk(bool inverted) {
  Picture plain = Plain();
  Picture cmyk(plain.width, plain.height, 4);
  for (int y = 0; y < plain.height; ++y) {
    for (int x = 0; x < plain.width; ++x) {
      const std::uint8_t* rgb = plain.at(x, y);
      std::uint8_t* ink = cmyk.at(x, y);
      bool grey = rgb[0] == rgb[1] && rgb[1] == rgb[2];
      for (int c = 0; c < 3; ++c) ink[c] = grey ? 0 : static_cast<std::uint8_t>(255 - rgb[c]);
      ink[3] = grey ? static_cast<std::uint8_t>(255 - rgb[0]) : 0;
      if (inverted) {
        for (int c = 0; c < 4; ++c) ink[c] = static_cast<std::uint8_t>(255 - ink[c]);
      }
    }
  }
  return cmyk;
}

// A CMYK profile made with LittleCMS that reads inks as the plain
// conversion does, but with cyan and yellow changing places: a decoder that
// ignores it prints the design's reds blue.
int SwappedInks(const cmsUInt16Number in[], cmsUInt16Number out[], void* to_lab) {
  double light_black = 1 - in[3] / 65535.0;
  cmsUInt16Number rgb[3];
  for (int c = 0; c < 3; ++c) {
    double light = 1 - in[2 - c] / 65535.0;
    rgb[c] = static_cast<cmsUInt16Number>(light * light_black * 65535 + 0.5);
  }
  cmsDoTransform(static_cast<cmsHTRANSFORM>(to_lab), rgb, out, 1);
  return TRUE;
}

Bytes SwappedCmykProfile() {
  cmsHPROFILE srgb = cmsCreate_sRGBProfile();
  // A version 2 profile: its lut16 table holds a grid alone (version 4's
  // table wants curves around it), in version 2's Lab encoding.
  cmsHPROFILE lab = cmsCreateLab2Profile(nullptr);
  cmsHTRANSFORM to_lab =
      cmsCreateTransform(srgb, TYPE_RGB_16, lab, TYPE_LabV2_16, INTENT_RELATIVE_COLORIMETRIC, 0);
  cmsHPROFILE profile = cmsCreateProfilePlaceholder(nullptr);
  cmsSetProfileVersion(profile, 2.1);
  cmsSetDeviceClass(profile, cmsSigOutputClass);
  cmsSetColorSpace(profile, cmsSigCmykData);
  cmsSetPCS(profile, cmsSigLabData);
  cmsWriteTag(profile, cmsSigMediaWhitePointTag, cmsD50_XYZ());
  cmsPipeline* pipeline = cmsPipelineAlloc(nullptr, 4, 3);
  cmsStage* grid = cmsStageAllocCLut16bit(nullptr, 11, 4, 3, nullptr);
  cmsStageSampleCLut16bit(grid, SwappedInks, to_lab, 0);
  cmsPipelineInsertStage(pipeline, cmsAT_BEGIN, grid);
  cmsWriteTag(profile, cmsSigAToB0Tag, pipeline);
  Bytes bytes = ProfileBytes(profile);
  cmsPipelineFree(pipeline);
  cmsCloseProfile(profile);
  cmsDeleteTransform(to_lab);
  cmsCloseProfile(lab);
  cmsCloseProfile(srgb);
  return bytes;
}

// Bars 4 dots wide every 8 dots across the middle of a card-sized drawing
// (1024 x 656 dots at 300 dpi), black on white, in PDF and SVG.
constexpr int kCardWidth = 1024;
constexpr int kCardHeight = 656;
constexpr int kBarTop = 200;
constexpr int kBarBottom = 456;
constexpr int kBarsLeft = 128;
constexpr int kBars = 96;

cairo_status_t AppendStream(void* closure, const unsigned char* data, unsigned int length) {
  auto* bytes = static_cast<Bytes*>(closure);
  bytes->insert(bytes->end(), data, data + length);
  return CAIRO_STATUS_SUCCESS;
}

// A PDF whose pages are drawn by draw, each of width by height points.
Bytes Pdf(double width, double height, int pages, const std::function<void(cairo_t*, int)>& draw) {
  Bytes bytes;
  cairo_surface_t* surface =
      cairo_pdf_surface_create_for_stream(AppendStream, &bytes, width, height);
  cairo_t* cr = cairo_create(surface);
  for (int page = 0; page < pages; ++page) {
    draw(cr, page);
    cairo_show_page(cr);
  }
  cairo_destroy(cr);
  cairo_surface_finish(surface);
  cairo_surface_destroy(surface);
  return bytes;
}

// A PDF written by hand from its objects (numbered from 1, the first the
// catalogue), with the cross-reference table their offsets make.
Bytes HandMadePdf(const std::vector<std::string>& objects) {
  std::string text = "%PDF-1.4\n";
  std::vector<std::size_t> offsets;
  for (std::size_t i = 0; i < objects.size(); ++i) {
    offsets.push_back(text.size());
    text += std::to_string(i + 1) + " 0 obj\n" + objects[i] + "\nendobj\n";
  }
  std::size_t xref = text.size();
  text += "xref\n0 " + std::to_string(objects.size() + 1) + "\n0000000000 65535 f \n";
  for (std::size_t offset : offsets) {
    char entry[24];
    std::snprintf(entry, sizeof entry, "%010zu 00000 n \n", offset);
    text += entry;
  }
  text += "trailer\n<< /Size " + std::to_string(objects.size() + 1) +
          " /Root 1 0 R >>\nstartxref\n" + std::to_string(xref) + "\n%%EOF\n";
  return Bytes(text.begin(), text.end());
}

Bytes PdfWithoutPages() {
  return HandMadePdf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [] /Count 0 >>"});
}

// The bars on a page of the card's size, drawn in dots (0.24 point) so that
// every edge lies exactly on a dot's edge at 300 dpi.
Bytes BarsPdf() {
  std::string content = "0.24 0 0 0.24 0 0 cm 0 g\n";
  for (int i = 0; i < kBars; ++i) {
    content += std::to_string(kBarsLeft + 8 * i) + " " + std::to_string(kCardHeight - kBarBottom) +
               " 4 " + std::to_string(kBarBottom - kBarTop) + " re\n";
  }
  content += "f\n";
  return HandMadePdf(
      {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
       "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 245.76 157.44] "
       "/Contents 4 0 R >>",
       "<< /Length " + std::to_string(content.size()) + " >>\nstream\n" + content + "endstream"});
}

std::string BarsSvg() {
  std::string svg = "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                    std::to_string(kCardWidth) + "\" height=\"" + std::to_string(kCardHeight) +
                    "\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  for (int i = 0; i < kBars; ++i) {
    svg += "<rect x=\"" + std::to_string(kBarsLeft + 8 * i) + "\" y=\"" + std::to_string(kBarTop) +
           "\" width=\"4\" height=\"" + std::to_string(kBarBottom - kBarTop) + "\"/>\n";
  }
  return svg + "</svg>\n";
}

// A barcode as a photo or a scan gives it: near-black bars (value 24) on
// white, landscape, JPEG at an ordinary quality with subsampled colour.
Bytes BarcodeJpeg() {
  constexpr int kWidth2 = 512;
  constexpr int kHeight2 = 328;
  JpegOptions options;
  options.stored = JCS_YCbCr;
  options.quality = 90;
  options.subsample = true;
  return Jpeg(
      kWidth2, kHeight2, 3,
      [](int y, std::uint8_t* line) {
        for (int x = 0; x < kWidth2; ++x) {
          bool bar = y >= 100 && y < 228 && x >= 64 && x < 448 && (x / 8) % 2 == 0;
          std::fill_n(line + 3 * x, 3, bar ? 24 : 255);
        }
      },
      options);
}

// A camera-sized photo: 6000 x 8000, smooth colours.
Bytes LargeJpeg() {
  JpegOptions options;
  options.stored = JCS_YCbCr;
  options.quality = 85;
  options.subsample = true;
  return Jpeg(
      6000, 8000, 3,
      [](int y, std::uint8_t* line) {
        for (int x = 0; x < 6000; ++x) {
          line[3 * x] = static_cast<std::uint8_t>(x * 255 / 6000);
          line[3 * x + 1] = static_cast<std::uint8_t>(y * 255 / 8000);
          line[3 * x + 2] = 128;
        }
      },
      options);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_designs FOLDER\n");
    return 2;
  }
  folder = argv[1];
  Picture plain = Plain();
  JpegOptions rgb;
  rgb.stored = JCS_YCbCr;
  WriteFile("design_plain.png", Png(plain, {}, {}));
  WriteFile("design_plain.jpg", Jpeg(plain, rgb));
  for (int orientation = 1; orientation <= 8; ++orientation) {
    Picture stored = StoredFor(orientation);
    JpegOptions tagged = rgb;
    tagged.exif = ExifTiff(orientation, orientation % 2 == 0);
    std::string name = "design_exif_" + std::to_string(orientation);
    WriteFile(name + ".jpg", Jpeg(stored, tagged));
    WriteFile(name + ".png", Png(stored, ExifTiff(orientation, orientation % 2 == 1), {}));
  }

  JpegOptions cmyk;
  cmyk.input = JCS_CMYK;
  cmyk.stored = JCS_CMYK;
  Picture ink = Cmyk(false);
  WriteFile("design_cmyk.jpg", Jpeg(ink, cmyk));
  Picture inverted = Cmyk(true);
  cmyk.adobe_marker = true;
  WriteFile("design_cmyk_adobe.jpg", Jpeg(inverted, cmyk));
  cmyk.stored = JCS_YCCK;
  WriteFile("design_ycck_adobe.jpg", Jpeg(inverted, cmyk));

  Picture swapped = Cmyk(false);
  for (std::size_t i = 0; i < swapped.pixels.size(); i += 4)
    std::swap(swapped.pixels[i], swapped.pixels[i + 2]);
  cmyk.stored = JCS_CMYK;
  cmyk.adobe_marker = false;
  cmyk.profile = SwappedCmykProfile();
  WriteFile("design_cmyk_profile.jpg", Jpeg(swapped, cmyk));

  cmsHPROFILE adobe = AdobeRgb();
  Picture in_adobe = InSpace(adobe);
  JpegOptions tagged = rgb;
  tagged.profile = ProfileBytes(adobe);
  WriteFile("design_adobe_rgb.png", Png(in_adobe, {}, tagged.profile));
  WriteFile("design_adobe_rgb.jpg", Jpeg(in_adobe, tagged));
  cmsCloseProfile(adobe);
  cmsHPROFILE p3 = DisplayP3();
  Picture in_p3 = InSpace(p3);
  WriteFile("design_display_p3.png", Png(in_p3, {}, ProfileBytes(p3)));
  cmsCloseProfile(p3);
  WriteFile("design_profile_damaged.png", PngWithDamagedProfile(plain));
  JpegOptions wrong = rgb;
  wrong.profile = Bytes(200, 0x41);
  WriteFile("design_profile_damaged.jpg", Jpeg(plain, wrong));

  // Two portrait pages of one colour each, a card drawn at 300 dpi with
  // bars, a page of 200 by 200 inches, a PDF without pages.
  WriteFile("design_two_pages.pdf", Pdf(153, 243, 2, [](cairo_t* cr, int page) {
              cairo_set_source_rgb(cr, page == 0 ? 0.8 : 0.2, 0.3, page == 0 ? 0.2 : 0.8);
              cairo_paint(cr);
            }));
  WriteFile("design_bars.pdf", BarsPdf());
  WriteFile("design_large_page.pdf", Pdf(14400, 14400, 1, [](cairo_t* cr, int) {
              cairo_set_source_rgb(cr, 0.9, 0.9, 1);
              cairo_paint(cr);
              cairo_set_source_rgb(cr, 0.1, 0.2, 0.6);
              cairo_arc(cr, 7200, 7200, 5000, 0, 6.2832);
              cairo_fill(cr);
            }));
  WriteFile("design_no_pages.pdf", PdfWithoutPages());
  WriteText("design_damaged.pdf", "%PDF-1.4\n1 0 obj\n<< /Type /Catalog\n");
  WriteText("design_bars.svg", BarsSvg());
  WriteText("design_linked.svg",
            "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"64\" height=\"96\">\n"
            "<image href=\"design_plain.png\" width=\"64\" height=\"96\"/>\n</svg>\n");
  WriteText("design_broken.svg",
            "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"10\">\n"
            "<rect width=\"5\" height=\"5\"\n</svg>\n");
  WriteFile("design_barcode.jpg", BarcodeJpeg());
  WriteFile("design_large.jpg", LargeJpeg());
  return 0;
}
