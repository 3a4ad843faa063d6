// Units of measure: VRKUnit (one unit) and QelUnitTransform (its formatter).
//
// Unit codes. A unit is built from three codes, VRKUnit(unit, display, style):
//   unit     what the unit is (table below);
//   display  the unit values are shown in, normally equal to `unit`; an
//            unknown display code falls back to `unit`;
//   style    a host style code, kept with the unit and not interpreted here.
//
//   kind      code  symbol  per internal unit        decimals
//   distance     1  m       1 m   = 1000 mm           3
//   distance     2  cm      1 cm  = 10 mm             2
//   distance     3  mm      internal unit             1
//   distance     4  in      1 in  = 25.4 mm           2
//   distance     5  ft      1 ft  = 304.8 mm          3
//   weight    1009  kg      internal unit             2
//   weight    1010  t       1 t   = 1000 kg           3
//   weight    1011  lb      1 lb  = 0.45359237 kg     1
//   area      3001  mm2     internal unit             0
//   area      3002  cm2     1 cm2 = 100 mm2           1
//   area      3003  m2      1 m2  = 1e6 mm2           3
//   area      3005  ft2     1 ft2 = 92903.04 mm2      2
//   angle     2006  deg     1 deg = pi/180 rad        2
//   angle     2007  rad     internal unit             4
//
// Values reach a transform in internal units: millimetres, kilograms, square
// millimetres, radians. A unit built with an unknown code has no kind and
// shows values with "%g" unchanged.
#ifndef VRK_UNIT_H_
#define VRK_UNIT_H_

#include "QelString.h"
#include "VRKUnitsExport.h"

// Formats a value of one unit. Owned by its VRKUnit.
class VRK_UNITS_API QelUnitTransform {
 public:
  enum eUnitKind { kNoKind = -1, kDistance = 0, kAngle = 1, kWeight = 2, kArea = 4 };

  QelUnitTransform();
  explicit QelUnitTransform(long code);
  virtual ~QelUnitTransform();

  // The display text of `value` (internal units):
  //   suppressLastZeros  1: strip trailing zeros after the decimal point, and
  //                      the point itself when nothing follows it;
  //   withSymbol         1: append `separator` and the unit symbol;
  //   fromInternal       1: convert from internal units; else take as is;
  //   rounded            1: round to the unit's decimals; else "%g".
  // A result that rounds to zero is written without a minus sign.
  virtual QelString formatValue(double value, int suppressLastZeros, int withSymbol,
                                int fromInternal, int rounded, char16_t separator) const;

  long code() const { return m_code; }
  eUnitKind kind() const;
  QelString symbol() const;
  int decimals() const;
  // How many internal units one unit is (1 for unknown codes).
  double factor() const;
  // `value` (internal units) in this unit, as formatValue converts it.
  double fromInternal(double value) const;

 private:
  long m_code;
};

class VRK_UNITS_API VRKUnit {
 public:
  VRKUnit();  // no unit: code 0
  VRKUnit(long unit, long display, long style);
  VRKUnit(const VRKUnit& other);
  VRKUnit& operator=(const VRKUnit& other);
  virtual ~VRKUnit();

  // The unit's transform, owned by the unit; valid while the unit lives
  // unchanged.
  QelUnitTransform* getQelUnitTransform() { return &m_transform; }
  const QelUnitTransform* getQelUnitTransform() const { return &m_transform; }

  long unitCode() const { return m_unit; }
  long displayCode() const { return m_display; }
  long styleCode() const { return m_style; }

  // The unit whose symbol is `name` ("mm", "kg", "m2", "deg", ... as in the
  // table above); returns false and leaves `out` unchanged for an unknown name.
  static bool fromSymbol(const QelString& name, VRKUnit& out);

 private:
  long m_unit;
  long m_display;
  long m_style;
  QelUnitTransform m_transform;  // formats in the display unit
};

#endif  // VRK_UNIT_H_
