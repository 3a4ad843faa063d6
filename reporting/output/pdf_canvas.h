// Drawing a PDF: pages on a Cairo PDF surface written to a stream, texts laid
// out by Pango in DejaVu Sans (embedded as a subset), numbers in tabular
// figures. PdfFonts measures texts without drawing; PdfCanvas draws.
#ifndef BOMREPORT_OUTPUT_PDF_CANVAS_H_
#define BOMREPORT_OUTPUT_PDF_CANVAS_H_

#include <cairo.h>

#include <map>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "output/paper.h"
#include "output/report_table.h"

typedef struct _PangoFontMap PangoFontMap;
typedef struct _PangoContext PangoContext;
typedef struct _PangoLayout PangoLayout;
typedef struct _PangoFontDescription PangoFontDescription;
typedef struct _PangoAttrList PangoAttrList;
typedef struct _PangoFont PangoFont;

namespace bomreport {

enum class FontStyle { kRegular, kBold, kItalic };
enum class Align { kLeft, kCenter, kRight };

struct Color {
  double r, g, b;
};

// The fonts of a document. width() is the width of a text at a font size of 1
// point (multiply by the size): the sum of its characters' advances, measured
// once per character and style. Owns its Pango font map and context.
class PdfFonts : public TextMeasure {
 public:
  PdfFonts();
  ~PdfFonts() override;
  PdfFonts(const PdfFonts&) = delete;
  PdfFonts& operator=(const PdfFonts&) = delete;

  double width(std::string_view utf8, bool bold) const override;
  // The height of a line of text, and the distance from its top to the
  // baseline, at a font size of 1 point.
  double lineHeight() const { return lineHeight_; }
  double ascent() const { return ascent_; }

  PangoContext* context() const { return context_; }
  const PangoFontDescription* font(FontStyle style) const;

 private:
  double advance(char32_t c, bool bold) const;

  PangoFontMap* map_;
  PangoContext* context_;
  PangoLayout* probe_;  // measures one character
  PangoFontDescription* fonts_[3];
  double lineHeight_;
  double ascent_;
  mutable double ascii_[2][128];  // advances of ASCII characters; < 0: not measured yet
  mutable std::unordered_map<char32_t, double> others_[2];
};

// A PDF document written to `out` as its pages are finished. Text is given as
// UTF-8 (ill-formed sequences are shown as U+FFFD) on one line. Texts of
// alphabetic scripts that fit their width go straight to Cairo as the font's
// glyphs for their characters (a report's short cells need no shaping); any
// other text is laid out by Pango, which shapes it, falls back to other fonts
// and cuts it with "…".
class PdfCanvas {
 public:
  PdfCanvas(std::ostream& out, PageSize size, const PdfFonts& fonts, const std::string& title);
  ~PdfCanvas();
  PdfCanvas(const PdfCanvas&) = delete;
  PdfCanvas& operator=(const PdfCanvas&) = delete;

  // Draws `text` in a line box whose top is `top`: from `x` (kLeft), centred
  // on it or ending at it (kRight); cut with "…" when wider than `maxWidth`.
  void text(double x, double top, double maxWidth, std::string_view text, double size,
            FontStyle style, Align align, Color color);
  void rule(double x0, double x1, double y, double lineWidth, Color color);
  void fill(double x, double y, double width, double height, Color color);
  void endPage();
  // Completes the document. Throws OutputError when it cannot be written.
  void finish();

 private:
  bool showGlyphs(double x, double top, double maxWidth, double size, FontStyle style, Align align,
                  Color color);
  void showLayout(double x, double top, double maxWidth, double size, FontStyle style, Align align,
                  Color color);
  cairo_scaled_font_t* scaledFont(FontStyle style, double size);
  // Glyphs of one font and colour are drawn together: far fewer drawing
  // operations for Cairo to record and replay per page.
  void flushGlyphs();

  const PdfFonts& fonts_;
  // The fonts Pango chose for a style and size, referenced, with their Cairo
  // faces (owned by the Pango fonts).
  std::map<std::pair<int, double>, std::pair<PangoFont*, cairo_scaled_font_t*>> scaled_;
  cairo_surface_t* surface_;
  cairo_t* cr_;
  PangoLayout* layout_;
  PangoAttrList* figures_;  // tabular figures
  std::string line_;        // scratch: the text made valid and one line
  std::vector<cairo_glyph_t> pending_;
  cairo_scaled_font_t* pendingFont_ = nullptr;
  Color pendingColor_{0, 0, 0};
};

}  // namespace bomreport

#endif  // BOMREPORT_OUTPUT_PDF_CANVAS_H_
