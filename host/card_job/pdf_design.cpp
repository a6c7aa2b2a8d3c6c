#include "host/card_job/pdf_design.h"

#include <poppler.h>

#include <algorithm>

#include "host/card_job/cairo_canvas.h"
#include "host/card_job/errors.h"

namespace {

constexpr std::size_t kHeaderWindow = 1024;
constexpr char kPdfHeader[] = "%PDF-";

PopplerPage* Page(void* page) { return static_cast<PopplerPage*>(page); }

}  // namespace

bool LooksLikePdf(std::span<const std::uint8_t> bytes) {
  std::span<const std::uint8_t> head = bytes.first(std::min(bytes.size(), kHeaderWindow));
  return std::search(head.begin(), head.end(), kPdfHeader, kPdfHeader + 5) != head.end();
}

PdfDesign::PdfDesign(std::vector<std::uint8_t> bytes, std::string_view name) : name_(name) {
  auto fail = [&](const std::string& what) {
    return Failure("the image " + name_ + " is " + what + ".");
  };
  // The document keeps the bytes: they move into a GBytes that it holds.
  auto* owned = new std::vector<std::uint8_t>(std::move(bytes));
  GBytes* data = g_bytes_new_with_free_func(
      owned->data(), owned->size(),
      [](gpointer vector) { delete static_cast<std::vector<std::uint8_t>*>(vector); }, owned);
  GError* error = nullptr;
  PopplerDocument* document = poppler_document_new_from_bytes(data, nullptr, &error);
  g_bytes_unref(data);
  if (document == nullptr) {
    bool locked = error != nullptr && error->domain == POPPLER_ERROR &&
                  error->code == POPPLER_ERROR_ENCRYPTED;
    if (error != nullptr) g_error_free(error);
    throw fail(locked ? "a PDF file locked with a password" : "a damaged PDF file");
  }
  document_ = document;
  int count = poppler_document_get_n_pages(document);
  if (count <= 0) {
    Release();
    throw fail("a PDF file with no pages");
  }
  for (int i = 0; i < count; ++i) {
    PopplerPage* page = poppler_document_get_page(document, i);
    if (page != nullptr) pages_.push_back(page);
    double width = 0;
    double height = 0;
    if (page != nullptr) poppler_page_get_size(page, &width, &height);
    if (page == nullptr || !(width > 0) || !(height > 0)) {
      Release();
      throw fail("a damaged PDF file (page " + std::to_string(i + 1) + " has no size)");
    }
  }
}

PdfDesign::~PdfDesign() { Release(); }

void PdfDesign::Release() {
  for (void* page : pages_) g_object_unref(page);
  pages_.clear();
  if (document_ != nullptr) g_object_unref(document_);
  document_ = nullptr;
}

int PdfDesign::pages() const { return static_cast<int>(pages_.size()); }

double PdfDesign::PageWidth(int page) const {
  double width = 0;
  poppler_page_get_size(Page(pages_.at(static_cast<std::size_t>(page))), &width, nullptr);
  return width;
}

double PdfDesign::PageHeight(int page) const {
  double height = 0;
  poppler_page_get_size(Page(pages_.at(static_cast<std::size_t>(page))), nullptr, &height);
  return height;
}

RgbImage PdfDesign::Render(int page, int width, int height) const {
  CairoCanvas canvas(width, height);
  cairo_scale(canvas.context(), width / PageWidth(page), height / PageHeight(page));
  poppler_page_render_for_printing(Page(pages_.at(static_cast<std::size_t>(page))),
                                   canvas.context());
  if (const char* problem = canvas.Problem()) {
    throw Failure("the image " + name_ + " is a PDF file whose page " + std::to_string(page + 1) +
                  " cannot be drawn (" + problem + ").");
  }
  return canvas.Picture();
}
