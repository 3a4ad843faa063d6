#include "output/pdf_canvas.h"

#include <cairo-pdf.h>
#include <cairo.h>
#include <pango/pangocairo.h>

#include <algorithm>

#include "BomReportErrors.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

// Characters are measured at this size, for precision, and scaled to 1 point.
constexpr double kProbeSize = 100.0;
const char kFamily[] = "DejaVu Sans";

// The next code point of `text` from `pos`; an ill-formed byte is U+FFFD.
char32_t nextCodePoint(std::string_view text, std::size_t& pos) {
  const auto byte = static_cast<unsigned char>(text[pos]);
  std::size_t bad = 0;
  const std::size_t length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
  if (pos + length > text.size() || !isValidUtf8(text.substr(pos, length), bad)) {
    ++pos;
    return 0xFFFD;
  }
  char32_t c = length == 1 ? byte : byte & (0x7Fu >> length);
  for (std::size_t i = 1; i < length; ++i) {
    c = (c << 6) | (static_cast<unsigned char>(text[pos + i]) & 0x3Fu);
  }
  pos += length;
  return c;
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// `text` as Pango takes it: well-formed UTF-8 on one line.
// The most characters of one text drawn: far wider than any page at the
// smallest size, so that what a cell shows is the same, while Cairo, Pango
// and GLib are never handed a text of millions of characters (GLib aborts
// the process when an allocation for one fails).
constexpr std::size_t kMaxDrawnCharacters = 4096;

// `text` valid and on one line (control characters as spaces), cut after
// kMaxDrawnCharacters with an ellipsis.
void oneValidLine(std::string_view text, std::string& line) {
  line.clear();
  std::size_t characters = 0;
  for (std::size_t pos = 0; pos < text.size(); ++characters) {
    if (characters == kMaxDrawnCharacters) {
      appendUtf8(line, U'\u2026');
      return;
    }
    const char32_t c = nextCodePoint(text, pos);
    appendUtf8(line, c < 0x20 || c == 0x7F ? U' ' : c);
  }
}

PangoFontDescription* describe(FontStyle style, double size) {
  PangoFontDescription* font = pango_font_description_new();
  pango_font_description_set_family(font, kFamily);
  pango_font_description_set_weight(
      font, style == FontStyle::kBold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
  pango_font_description_set_style(
      font, style == FontStyle::kItalic ? PANGO_STYLE_OBLIQUE : PANGO_STYLE_NORMAL);
  pango_font_description_set_size(font, static_cast<int>(size * PANGO_SCALE));
  return font;
}

double logicalWidth(PangoLayout* layout) {
  PangoRectangle logical;
  pango_layout_get_extents(layout, nullptr, &logical);
  return static_cast<double>(logical.width) / PANGO_SCALE;
}

cairo_status_t writeToStream(void* closure, const unsigned char* data, unsigned int length) {
  auto* out = static_cast<std::ostream*>(closure);
  out->write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(length));
  return *out ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

}  // namespace

PdfFonts::PdfFonts() : map_(pango_cairo_font_map_new()) {
  // Sizes in points are user units; metrics unhinted, as a PDF scales freely.
  pango_cairo_font_map_set_resolution(PANGO_CAIRO_FONT_MAP(map_), 72.0);
  context_ = pango_font_map_create_context(map_);
  cairo_font_options_t* options = cairo_font_options_create();
  cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
  cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
  pango_cairo_context_set_font_options(context_, options);
  cairo_font_options_destroy(options);
  for (FontStyle style : {FontStyle::kRegular, FontStyle::kBold, FontStyle::kItalic}) {
    fonts_[static_cast<int>(style)] = describe(style, kProbeSize);
  }
  probe_ = pango_layout_new(context_);
  pango_layout_set_font_description(probe_, fonts_[0]);
  pango_layout_set_text(probe_, "Hg", -1);
  PangoRectangle logical;
  pango_layout_get_extents(probe_, nullptr, &logical);
  lineHeight_ = static_cast<double>(logical.height) / PANGO_SCALE / kProbeSize;
  ascent_ = static_cast<double>(pango_layout_get_baseline(probe_)) / PANGO_SCALE / kProbeSize;
  std::fill(&ascii_[0][0], &ascii_[0][0] + 2 * 128, -1.0);
}

PdfFonts::~PdfFonts() {
  g_object_unref(probe_);
  for (PangoFontDescription* font : fonts_) pango_font_description_free(font);
  g_object_unref(context_);
  g_object_unref(map_);
}

const PangoFontDescription* PdfFonts::font(FontStyle style) const {
  return fonts_[static_cast<int>(style)];
}

double PdfFonts::advance(char32_t c, bool bold) const {
  double* cached = c < 128 ? &ascii_[bold][c] : nullptr;
  if (cached != nullptr && *cached >= 0) return *cached;
  if (cached == nullptr) {
    auto found = others_[bold].find(c);
    if (found != others_[bold].end()) return found->second;
  }
  std::string text;
  appendUtf8(text, c);
  pango_layout_set_font_description(probe_, fonts_[bold ? 1 : 0]);
  pango_layout_set_text(probe_, text.data(), static_cast<int>(text.size()));
  const double width = logicalWidth(probe_) / kProbeSize;
  if (cached != nullptr) {
    *cached = width;
  } else {
    others_[bold].emplace(c, width);
  }
  return width;
}

double PdfFonts::width(std::string_view utf8, bool bold) const {
  double width = 0.0;
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = nextCodePoint(utf8, pos);
    width += advance(c < 0x20 || c == 0x7F ? U' ' : c, bold);
  }
  return width;
}

PdfCanvas::PdfCanvas(std::ostream& out, PageSize size, const PdfFonts& fonts,
                     const std::string& title)
    : fonts_(fonts),
      surface_(cairo_pdf_surface_create_for_stream(writeToStream, &out, size.width, size.height)),
      cr_(cairo_create(surface_)),
      layout_(pango_layout_new(fonts.context())),
      figures_(pango_attr_list_new()) {
  std::string valid;
  oneValidLine(title, valid);
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, valid.c_str());
  cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR, "BomReport");
  pango_attr_list_insert(figures_, pango_attr_font_features_new("tnum"));
  pango_layout_set_attributes(layout_, figures_);
}

PdfCanvas::~PdfCanvas() {
  for (auto& entry : scaled_) g_object_unref(entry.second.first);
  g_object_unref(layout_);
  pango_attr_list_unref(figures_);
  cairo_destroy(cr_);
  cairo_surface_destroy(surface_);
}

void PdfCanvas::text(double x, double top, double maxWidth, std::string_view text, double size,
                     FontStyle style, Align align, Color color) {
  if (text.empty()) return;
  oneValidLine(text, line_);
  if (!showGlyphs(x, top, maxWidth, size, style, align, color)) {
    showLayout(x, top, maxWidth, size, style, align, color);
  }
}

cairo_scaled_font_t* PdfCanvas::scaledFont(FontStyle style, double size) {
  const auto key = std::make_pair(static_cast<int>(style), size);
  auto found = scaled_.find(key);
  if (found != scaled_.end()) return found->second.second;
  PangoFontDescription* description = pango_font_description_copy(fonts_.font(style));
  pango_font_description_set_size(description, static_cast<int>(size * PANGO_SCALE));
  PangoFont* font = pango_font_map_load_font(pango_context_get_font_map(fonts_.context()),
                                             fonts_.context(), description);
  pango_font_description_free(description);
  cairo_scaled_font_t* scaled =
      font != nullptr ? pango_cairo_font_get_scaled_font(PANGO_CAIRO_FONT(font)) : nullptr;
  if (scaled == nullptr && font != nullptr) {
    g_object_unref(font);
    font = nullptr;
  }
  scaled_.emplace(key, std::make_pair(font, scaled));
  return scaled;
}

// Characters that need no shaping: Latin, Greek and Cyrillic letters without
// combining marks, punctuation, currency, arrows and mathematical operators.
bool plainScript(std::string_view utf8) {
  for (std::size_t pos = 0; pos < utf8.size();) {
    const char32_t c = nextCodePoint(utf8, pos);
    const bool plain = c < 0x300 || (c >= 0x370 && c < 0x483) || (c >= 0x48A && c < 0x530) ||
                       (c >= 0x2000 && c < 0x20D0) || (c >= 0x2100 && c < 0x2300);
    if (!plain) return false;
  }
  return true;
}

bool PdfCanvas::showGlyphs(double x, double top, double maxWidth, double size, FontStyle style,
                           Align align, Color color) {
  if (!plainScript(line_)) return false;
  cairo_scaled_font_t* font = scaledFont(style, size);
  if (font == nullptr) return false;
  cairo_glyph_t* glyphs = nullptr;
  int count = 0;
  if (cairo_scaled_font_text_to_glyphs(font, 0, 0, line_.data(), static_cast<int>(line_.size()),
                                       &glyphs, &count, nullptr, nullptr,
                                       nullptr) != CAIRO_STATUS_SUCCESS) {
    return false;
  }
  bool shown = false;
  cairo_text_extents_t extents;
  cairo_scaled_font_glyph_extents(font, glyphs, count, &extents);
  const bool covered =
      std::none_of(glyphs, glyphs + count, [](const cairo_glyph_t& g) { return g.index == 0; });
  if (covered && extents.x_advance <= maxWidth) {
    const double width = extents.x_advance;
    const double left = align == Align::kRight    ? x - width
                        : align == Align::kCenter ? x - width / 2
                                                  : x;
    const double baseline = top + fonts_.ascent() * size;
    const bool sameColor =
        color.r == pendingColor_.r && color.g == pendingColor_.g && color.b == pendingColor_.b;
    if (font != pendingFont_ || !sameColor) flushGlyphs();
    pendingFont_ = font;
    pendingColor_ = color;
    for (int i = 0; i < count; ++i) {
      glyphs[i].x += left;
      glyphs[i].y += baseline;
      pending_.push_back(glyphs[i]);
    }
    shown = true;
  }
  cairo_glyph_free(glyphs);
  return shown;
}

void PdfCanvas::flushGlyphs() {
  if (pending_.empty()) return;
  cairo_set_scaled_font(cr_, pendingFont_);
  cairo_set_source_rgb(cr_, pendingColor_.r, pendingColor_.g, pendingColor_.b);
  cairo_show_glyphs(cr_, pending_.data(), static_cast<int>(pending_.size()));
  pending_.clear();
}

void PdfCanvas::showLayout(double x, double top, double maxWidth, double size, FontStyle style,
                           Align align, Color color) {
  flushGlyphs();
  PangoFontDescription* font = pango_font_description_copy(fonts_.font(style));
  pango_font_description_set_size(font, static_cast<int>(size * PANGO_SCALE));
  pango_layout_set_font_description(layout_, font);
  pango_font_description_free(font);
  pango_layout_set_width(layout_, -1);
  pango_layout_set_ellipsize(layout_, PANGO_ELLIPSIZE_NONE);
  pango_layout_set_text(layout_, line_.data(), static_cast<int>(line_.size()));
  double width = logicalWidth(layout_);
  if (width > maxWidth) {
    pango_layout_set_width(layout_, static_cast<int>(std::max(maxWidth, 0.0) * PANGO_SCALE));
    pango_layout_set_ellipsize(layout_, PANGO_ELLIPSIZE_END);
    width = std::min(logicalWidth(layout_), maxWidth);
  }
  cairo_set_source_rgb(cr_, color.r, color.g, color.b);
  const double left = align == Align::kRight    ? x - width
                      : align == Align::kCenter ? x - width / 2
                                                : x;
  cairo_move_to(cr_, left, top);
  pango_cairo_show_layout(cr_, layout_);
}

void PdfCanvas::rule(double x0, double x1, double y, double lineWidth, Color color) {
  flushGlyphs();
  cairo_set_source_rgb(cr_, color.r, color.g, color.b);
  cairo_set_line_width(cr_, lineWidth);
  cairo_move_to(cr_, x0, y);
  cairo_line_to(cr_, x1, y);
  cairo_stroke(cr_);
}

void PdfCanvas::fill(double x, double y, double width, double height, Color color) {
  flushGlyphs();
  cairo_set_source_rgb(cr_, color.r, color.g, color.b);
  cairo_rectangle(cr_, x, y, width, height);
  cairo_fill(cr_);
}

void PdfCanvas::endPage() {
  flushGlyphs();
  cairo_show_page(cr_);
}

void PdfCanvas::finish() {
  cairo_surface_finish(surface_);
  const cairo_status_t status = cairo_surface_status(surface_);
  if (status != CAIRO_STATUS_SUCCESS) {
    throw OutputError(std::string("PDF: ") + cairo_status_to_string(status));
  }
}

}  // namespace bomreport
