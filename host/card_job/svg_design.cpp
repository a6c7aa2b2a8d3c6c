#include "host/card_job/svg_design.h"

#include <librsvg/rsvg.h>

#include <algorithm>
#include <string>

#include "host/card_job/cairo_canvas.h"
#include "host/card_job/errors.h"

namespace {

constexpr std::size_t kHeaderWindow = 1024;
constexpr double kCssDpi = 96;

RsvgHandle* Handle(void* handle) { return static_cast<RsvgHandle*>(handle); }

std::string MessageOf(GError* error) {
  std::string message = error != nullptr ? error->message : "unknown error";
  if (error != nullptr) g_error_free(error);
  while (!message.empty() && (message.back() == '\n' || message.back() == '.')) message.pop_back();
  return message;
}

}  // namespace

bool LooksLikeSvg(std::span<const std::uint8_t> bytes) {
  std::string head(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(
                                                      std::min(bytes.size(), kHeaderWindow)));
  if (head.starts_with("\xEF\xBB\xBF")) head.erase(0, 3);
  std::size_t first = head.find_first_not_of(" \t\r\n");
  if (first == std::string::npos || head[first] != '<') return false;
  return head.find("<svg", first) != std::string::npos;
}

SvgDesign::SvgDesign(std::span<const std::uint8_t> bytes, std::string_view name) : name_(name) {
  // Read with the file as its base, so that pictures it links beside it
  // are drawn too.
  GError* error = nullptr;
  GInputStream* stream =
      g_memory_input_stream_new_from_data(bytes.data(), static_cast<gssize>(bytes.size()), nullptr);
  GFile* base = g_file_new_for_path(name_.c_str());
  handle_ = rsvg_handle_new_from_stream_sync(stream, base, RSVG_HANDLE_FLAGS_NONE, nullptr, &error);
  g_object_unref(base);
  g_object_unref(stream);
  if (handle_ == nullptr) {
    throw Failure("the image " + name_ + " is a damaged SVG file (" + MessageOf(error) + ").");
  }
  rsvg_handle_set_dpi(Handle(handle_), kCssDpi);
  gdouble width = 0;
  gdouble height = 0;
  if (!rsvg_handle_get_intrinsic_size_in_pixels(Handle(handle_), &width, &height)) {
    gboolean has_width = FALSE;
    gboolean has_height = FALSE;
    gboolean has_view_box = FALSE;
    RsvgLength w{}, h{};
    RsvgRectangle box{};
    rsvg_handle_get_intrinsic_dimensions(Handle(handle_), &has_width, &w, &has_height, &h,
                                         &has_view_box, &box);
    if (has_view_box) {
      width = box.width;
      height = box.height;
    }
  }
  if (!(width > 0) || !(height > 0)) {
    g_object_unref(handle_);
    handle_ = nullptr;
    throw Failure("the image " + name_ +
                  " is an SVG file that gives neither a size nor a view box.");
  }
  width_ = width;
  height_ = height;
}

SvgDesign::~SvgDesign() {
  if (handle_ != nullptr) g_object_unref(handle_);
}

RgbImage SvgDesign::Render(int width, int height) const {
  CairoCanvas canvas(width, height);
  cairo_scale(canvas.context(), width / width_, height / height_);
  RsvgRectangle viewport{0, 0, width_, height_};
  GError* error = nullptr;
  if (canvas.Problem() != nullptr ||
      !rsvg_handle_render_document(Handle(handle_), canvas.context(), &viewport, &error)) {
    std::string reason = error != nullptr ? MessageOf(error) : canvas.Problem();
    throw Failure("the image " + name_ + " is an SVG file that cannot be drawn (" + reason + ").");
  }
  return canvas.Picture();
}
