#include "host/card_job/colour_profile.h"

#include <lcms2.h>

#include <cstring>
#include <string>
#include <vector>

#include "host/card_job/errors.h"

namespace {

struct ProfileClose {
  void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileClose>;

// Grey pixels as the decoder gives them: one byte of grey followed by two
// more bytes (the copies of it in the other channels), which the
// conversion skips.
constexpr cmsUInt32Number kGreyInRgb =
    COLORSPACE_SH(PT_GRAY) | CHANNELS_SH(1) | BYTES_SH(1) | EXTRA_SH(2);

const char* KindName(PixelKind kind) {
  switch (kind) {
    case PixelKind::kRgb:
      return "RGB";
    case PixelKind::kGrey:
      return "grey";
    default:
      return "CMYK";
  }
}

const char* SpaceName(cmsColorSpaceSignature space) {
  switch (space) {
    case cmsSigRgbData:
      return "RGB";
    case cmsSigGrayData:
      return "grey";
    case cmsSigCmykData:
      return "CMYK";
    default:
      return "another kind of";
  }
}

// LittleCMS reports what it dislikes in a profile through a handler; the
// decoder's own sentence says it instead.
void Quiet(cmsContext, cmsUInt32Number, const char*) {}

}  // namespace

SrgbConversion::SrgbConversion(std::span<const std::uint8_t> profile, PixelKind kind,
                               std::string_view name)
    : kind_(kind) {
  if (profile.empty()) return;
  cmsSetLogErrorHandler(Quiet);
  auto fail = [&](const std::string& what) {
    return Failure("the image " + std::string(name) + " carries " + what + ".");
  };
  Profile source(
      cmsOpenProfileFromMem(profile.data(), static_cast<cmsUInt32Number>(profile.size())));
  if (!source) throw fail("a colour profile that cannot be read");
  cmsColorSpaceSignature space = cmsGetColorSpace(source.get());
  cmsUInt32Number format = 0;
  if (kind == PixelKind::kRgb && space == cmsSigRgbData) format = TYPE_RGB_8;
  if (kind == PixelKind::kGrey && space == cmsSigGrayData) format = kGreyInRgb;
  if (kind == PixelKind::kCmyk && space == cmsSigCmykData) format = TYPE_CMYK_8;
  // A grey picture tagged with an RGB profile (some programs write that)
  // converts as RGB: its three channels are there.
  if (kind == PixelKind::kGrey && space == cmsSigRgbData) {
    format = TYPE_RGB_8;
    kind_ = PixelKind::kRgb;
  }
  if (format == 0) {
    throw fail(std::string("a colour profile for ") + SpaceName(space) +
               " pixels, but its pixels are " + KindName(kind));
  }
  Profile srgb(cmsCreate_sRGBProfile());
  transform_ =
      cmsCreateTransform(source.get(), format, srgb.get(), TYPE_RGB_8, INTENT_PERCEPTUAL, 0);
  if (transform_ == nullptr) throw fail("a colour profile that cannot convert its colours");
}

SrgbConversion::~SrgbConversion() {
  if (transform_ != nullptr) cmsDeleteTransform(transform_);
}

bool SrgbConversion::Unchanged() const {
  return transform_ == nullptr && kind_ != PixelKind::kCmyk;
}

void SrgbConversion::Row(const std::uint8_t* in, std::uint8_t* out, int width) const {
  if (transform_ != nullptr) {
    if (in == out) {
      std::vector<std::uint8_t> copy(in, in + static_cast<std::size_t>(width) * 3);
      cmsDoTransform(transform_, copy.data(), out, static_cast<cmsUInt32Number>(width));
    } else {
      cmsDoTransform(transform_, in, out, static_cast<cmsUInt32Number>(width));
    }
    return;
  }
  if (kind_ != PixelKind::kCmyk) {
    if (in != out) std::memmove(out, in, static_cast<std::size_t>(width) * 3);
    return;
  }
  for (int x = 0; x < width; ++x) {
    const std::uint8_t* ink = in + 4 * x;
    unsigned light_black = 255u - ink[3];
    for (int c = 0; c < 3; ++c) {
      unsigned light = 255u - ink[c];
      out[3 * x + c] = static_cast<std::uint8_t>((light * light_black + 127) / 255);
    }
  }
}
