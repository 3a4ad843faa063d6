// ReportUnits: the units a report's numbers are shown in.
//
// Made by a ReportJob from the template's units table and the display units
// it was bound to; read by every writer (labels such as "Weight [kg]", the
// numbers behind display texts).
//
// Thread-safety: const after construction.
#ifndef BOM_REPORT_UNITS_H_
#define BOM_REPORT_UNITS_H_

#include <memory>
#include <string>
#include <string_view>

#include "BomEngineHandles.h"
#include "BomReportExport.h"

namespace bomreport {

// The unit one kind of quantity is shown in.
struct DisplayUnit {
  std::string symbol;  // "mm", "kg", "m2", "deg"
  int decimals = 0;    // digits after the point, before trailing zeros are dropped
  // The powers of ten by which the unit is larger than the unit its kind is
  // shown in by default (m: 3 more than mm, t: 3 more than kg), rounded.
  int scale = 0;
};

// The units of a report's numbers: which kind of quantity a token holds (as
// the template's units table says) and the unit each kind is shown in.
// Copyable; copies share one copy of the table, which none changes.
class BOM_REPORT_API ReportUnits {
 public:
  // No token has a unit.
  ReportUnits();
  // The kinds of `table`, shown in the units of `units` (those the template
  // was bound to with setUnitsForTokens).
  ReportUnits(const QelBomTemplateUnits& table, const QelUnitsManager& units);

  // The unit the values of `token` are shown in, null for a token without
  // one. A sum ("%SumBy:%Weight") is shown in the unit of the token it sums.
  const DisplayUnit* unitOf(const QelString& token) const;
  // The same for a token written in UTF-8.
  const DisplayUnit* unitOf(std::string_view token) const;
  // A real of `token` (in internal units) as the number its display text
  // shows, in the unit it is shown in, not rounded; unchanged for a token
  // without a unit.
  double shownValue(const QelString& token, double internal) const;
  // The same in two steps, for a caller that converts many values of one
  // token: its unit type (0: none), then a value of that type.
  int unitTypeOf(const QelString& token) const;
  double shownValueOf(int unitType, double internal) const;
  // Whether display texts drop trailing zeros ("C0_BOMSuppressLastZeros").
  bool suppressLastZeros() const { return suppressLastZeros_; }

 private:
  struct Tables;  // the units table and the unit of each kind (report_units.cpp)

  std::shared_ptr<const Tables> tables_;  // null: no token has a unit
  DisplayUnit units_[5];  // by the units table's kind; [0] unused
  bool suppressLastZeros_;
};

}  // namespace bomreport

#endif  // BOM_REPORT_UNITS_H_
