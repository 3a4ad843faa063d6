// ISO 10303-21 instances read or passed over by StepReader, as a table: each
// instance's parameters written back canonically, or the message that refuses
// the file.
#include "input/step_reader.h"

#include <gtest/gtest.h>

#include <string>

#include "BomReportErrors.h"

namespace {

using bomreport::StepKind;
using bomreport::StepParameters;

// Canonical text of the value at `index`: I integers, R reals, texts in quotes.
std::string describe(const StepParameters& p, std::size_t index) {
  const bomreport::StepValue& v = p.values[index];
  std::string out;
  switch (v.kind) {
    case StepKind::kNull:
      return "$";
    case StepKind::kDerived:
      return "*";
    case StepKind::kInteger:
      return "I" + std::to_string(v.integer);
    case StepKind::kReal: {
      char buffer[32];
      std::snprintf(buffer, sizeof buffer, "R%g", v.real);
      return buffer;
    }
    case StepKind::kString:
      return "'" + std::string(v.text) + "'";
    case StepKind::kEnum:
      return "." + std::string(v.text) + ".";
    case StepKind::kBinary:
      return "\"" + std::string(v.text) + "\"";
    case StepKind::kReference:
      return "#" + std::to_string(v.integer);
    case StepKind::kList:
    case StepKind::kTyped:
      out = v.kind == StepKind::kTyped ? std::string(v.text) + "(" : "(";
      for (std::size_t k = 0; k < v.count; ++k) {
        out += (k > 0 ? "," : "") + describe(p, p.element(index, k));
      }
      return out + ")";
  }
  return out;
}

struct StepCase {
  // The data section (ENDSEC and the end follow unless it ends with "~"), or a
  // whole file when it starts with "!".
  const char* data;
  bool skip;             // passed over rather than read
  const char* expected;  // the first instance's parameters (read), or the error after "f.ifc:"
};

const StepCase kCases[] = {
    {"#1=IFCX('it''s','C:\\dir','a\\\\b');", false, "('it's','C:\\dir','a\\b')"},
    {"#1=IFCX('\\X2\\00E420AC\\X0\\','\\S\\D','\\X\\E4','\\X4\\0001F600\\X0\\',"
     "'\\X2\\D83DDE00\\X0\\');",
     false, "('\xC3\xA4\xE2\x82\xAC','\xC3\x84','\xC3\xA4','\xF0\x9F\x98\x80','\xF0\x9F\x98\x80')"},
    {"#1=IFCX($,*,.T.,#12,-1.5E3,42,2.,\"0F\");", false, "($,*,.T.,#12,R-1500,I42,R2,\"0F\")"},
    {"#1 = IFCX ( /* a comment */ IFCLABEL('x') , IFCLENGTHMEASURE(2.5) ) ;", false,
     "(IFCLABEL('x'),IFCLENGTHMEASURE(R2.5))"},
    {"#1=IFCX(((1,2),(#3)),(),IFCSET((1.5)));", false, "(((I1,I2),(#3)),(),IFCSET((R1.5)))"},
    {"#1=IFCX('ab\n;c') ; #2=IFCY((1,'(');", true,
     "f.ifc:7:23: unbalanced parentheses: ';' inside an open list"},
    {"#1=IFCX('abc);\n", false, "f.ifc:6:9: string not closed (no closing ')"},
    {"#1=IFCX((1,2);", false, "f.ifc:6:14: unbalanced parentheses: ';' inside an open list"},
    {"#1=IFCX(1,2));", true, "f.ifc:6:13: unbalanced parentheses: ')' without '('"},
    {"#1=IFCX(1,2));", false, "f.ifc:6:13: unbalanced parentheses: ')' without '('"},
    {"#1=IFCX('\\X2\\D83D\\X0\\');", false, "f.ifc:6:9: unpaired surrogate in a \\X2\\ escape"},
    {"#1=IFCX('\\X2\\0000\\X0\\');", false, "f.ifc:6:9: NUL character in a string"},
    {"#1=IFCX('\\S\\\xC3\xA4');", false,
     "f.ifc:6:9: \\S\\ before a character that is not printable ASCII"},
    {"#1=IFCX(IFCLABEL('a','b'));", false, "f.ifc:6:21: a typed value holds one value"},
    {"#1=IFCX(1, /* open~", true, "f.ifc:6:12: comment not closed (no \"*/\")"},
    {"#1=IFCX(1~", false, "f.ifc:6:10: the file ends inside an instance: it is cut short"},
    {"#1=IFCX(1);\n", false, "(I1)"},
    {"#1=IFCX(1.E-400,-2.5E-999,1E-400);", false, "(R0,R0,R0)"},
    {"#1=IFCX(1.E400);", false, "f.ifc:6:15: number out of the range of a double"},
    {"#1=IFCX(1);\nENDSEC;\nEND-ISO-10303-21;\n#2=IFCX(2);~", false,
     "f.ifc:9:1: text after END-ISO-10303-21; (a second model?): a file holds one model; read "
     "each model from a file of its own"},
    {"!ISO-10303-21;HEADER;ENDSEC;DATA;\n#1=IFCX(1);\n", false,
     "f.ifc:3:1: the file ends in its data section: it is cut short (no ENDSEC)"},
    {"!hello", false,
     "f.ifc:1:1: not an ISO 10303-21 (STEP) file: it does not start with \"ISO-10303-21;\""},
};

std::string readFirst(const StepCase& test) {
  std::string file = test.data;
  if (file[0] == '!') {
    file.erase(0, 1);
  } else {
    file = "ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('IFC4'));\nENDSEC;\nDATA;\n" + file;
    if (file.back() == '~') {
      file.pop_back();
    } else {
      file += "\nENDSEC;\nEND-ISO-10303-21;\n";
    }
  }
  bomreport::StepReader reader("f.ifc", file);
  std::string first;
  try {
    reader.readHeader();
    bomreport::StepInstanceHead head;
    StepParameters params;
    while (reader.nextInstance(head)) {
      if (test.skip || !first.empty()) continue;
      reader.readParameters(params);
      first = describe(params, 0);
    }
  } catch (const bomreport::InputError& e) {
    return e.what();
  }
  return first;
}

TEST(StepReaderTest, ReadsValuesAndRefusesBadFiles) {
  for (const StepCase& test : kCases) {
    EXPECT_EQ(readFirst(test), test.expected) << test.data;
  }
}

}  // namespace
