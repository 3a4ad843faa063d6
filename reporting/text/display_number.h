// Display texts that read as numbers. The engine turns every value of a report
// into display text; the writers that align numbers (text, HTML, PDF) or hold
// them as numbers (JSON, XLSX) ask here whether a text is one, so that every
// format agrees.
#ifndef BOMREPORT_TEXT_DISPLAY_NUMBER_H_
#define BOMREPORT_TEXT_DISPLAY_NUMBER_H_

#include <string>
#include <string_view>

#include "VRKBomEngine.h"

namespace bomreport {

// A number as a display text shows it.
struct DisplayNumber {
  double value = 0.0;     // the text's value, in the unit it is shown in
  int decimals = 0;       // digits after the point, trailing zeros included
  bool exponent = false;  // written with an exponent ("1e+11")
};

// True when `text` is a number written the way the units library and "%g"
// write one, so that the number shown with its decimals gives the text back:
//
//   [-] (0 | [1-9][0-9]*) [. [0-9]+] [(e|E) [+-] [0-9]+]
//
// with at most 15 significant digits (all a double holds exactly) and within
// the range of a double. Anything else is a text and stays one, so no format
// loses what it shows: "007", "+5", ".5", "5.", "1,5", "1 000", "inf", a
// 20-digit part number. Fills `number` when true.
bool readDisplayNumber(std::string_view text, DisplayNumber& number);
bool readDisplayNumber(const QelString& text, DisplayNumber& number);

// The shortest text that reads back as `value` ("4.2", "5400", "1e+22");
// what JSON writes for a number. REQUIRES: value is finite.
std::string shortestNumberText(double value);

}  // namespace bomreport

#endif  // BOMREPORT_TEXT_DISPLAY_NUMBER_H_
