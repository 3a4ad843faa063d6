// Small IFC models read into data sets, as a table: the rows (handles and
// typed tuples of every mapped token) and the warnings, or the message that refuses the model. The
// example structure in three schemas is checked end to end (ifc_test.py).
#include "input/parts_ifc.h"

#include <gtest/gtest.h>

#include "input/ifc_mapping.h"
#include "reporting/ReportingTestSupport.h"

namespace {

struct IfcCase {
  const char* name;
  const char* data;      // instances after the units (#1 to #9 are taken)
  const char* mapping;   // a mapping file, or null
  const char* expected;  // rows, then "warning: ..." lines; or the error after "m.ifc:"
  const char* header = nullptr;  // the file up to the data, when not kHeader
};

// Two length units, and a mass unit of a prefix no one knows.
const char kOddUnits[] =
    "ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('IFC4'));\nENDSEC;\nDATA;\n"
    "#1=IFCPROJECT('p',$,$,$,$,$,$,$,#2);\n#2=IFCUNITASSIGNMENT((#3,#4,#6));\n"
    "#3=IFCSIUNIT(*,.LENGTHUNIT.,.MILLI.,.METRE.);\n#4=IFCSIUNIT(*,.LENGTHUNIT.,$,.METRE.);\n"
    "#6=IFCSIUNIT(*,.MASSUNIT.,.FOO.,.GRAM.);\n#7=IFCSIUNIT(*,.MASSUNIT.,.KILO.,.GRAM.);\n";
const char kBeamQuantities[] =
    "#10=IFCBEAM('g1',$,'B',$,$,$,$,'E1',$);\n"
    "#11=IFCELEMENTQUANTITY('q',$,'Q',$,$,(#12,#13));\n"
    "#12=IFCQUANTITYLENGTH('Length',$,#7,2.5,$);\n#13=IFCQUANTITYWEIGHT('NetWeight',$,$,0.25,$);\n"
    "#14=IFCRELDEFINESBYPROPERTIES('r',$,$,$,(#10),#11);\n";

// Millimetres, tonnes through a conversion-based unit, square metres.
const char kHeader[] =
    "ISO-10303-21;\nHEADER;\nFILE_SCHEMA(('IFC4'));\nENDSEC;\nDATA;\n"
    "#1=IFCPROJECT('p',$,$,$,$,$,$,$,#2);\n#2=IFCUNITASSIGNMENT((#3,#4,#6));\n"
    "#3=IFCSIUNIT(*,.LENGTHUNIT.,.MILLI.,.METRE.);\n#4=IFCCONVERSIONBASEDUNIT(*,.MASSUNIT.,'t',#5);"
    "\n"
    "#5=IFCMEASUREWITHUNIT(IFCMASSMEASURE(1000.),#7);\n#6=IFCSIUNIT(*,.AREAUNIT.,$,.SQUARE_METRE.);"
    "\n"
    "#7=IFCSIUNIT(*,.MASSUNIT.,.KILO.,.GRAM.);\n";

const IfcCase kCases[] = {
    {"quantities, own units, type properties and an assembly",
     "#10=IFCBEAM('g1',$,'B',$,$,$,$,'E1',$);\n"
     "#11=IFCELEMENTQUANTITY('q',$,'Qto_BeamBaseQuantities',$,$,(#12,#13,#14));\n"
     "#12=IFCQUANTITYLENGTH('Length',$,#15,2.5,$);\n#13=IFCQUANTITYWEIGHT('NetWeight',$,$,0.25,$);"
     "\n"
     "#14=IFCQUANTITYCOUNT('Count',$,$,3.,$);\n#15=IFCSIUNIT(*,.LENGTHUNIT.,$,.METRE.);\n"
     "#16=IFCRELDEFINESBYPROPERTIES('r',$,$,$,(#10),#11);\n"
     "#17=IFCBEAMTYPE('t',$,'T',$,$,(#18),$,$,$,$);\n#18=IFCPROPERTYSET('s',$,'Marks',$,(#19));\n"
     "#19=IFCPROPERTYSINGLEVALUE('PartMark',$,IFCIDENTIFIER('P7'),$);\n"
     "#20=IFCRELDEFINESBYTYPE('d',$,$,$,(#10),#17);\n"
     "#21=IFCELEMENTASSEMBLY('a2',$,'inner',$,$,$,$,'SUB',$,$);\n"
     "#22=IFCELEMENTASSEMBLY('a1',$,'FRAME',$,$,$,$,'A1',$,$);\n"
     "#23=IFCRELNESTS('n',$,$,$,#21,(#10));\n#24=IFCRELAGGREGATES('n',$,$,$,#22,(#21));\n",
     nullptr,
     "g1 %ElementID=t:E1 %PNum=t:P7 %Length=r:2500 %Weight=r:250 %Quantity=i:3 %MNum=t:A1 "
     "%MName=t:FRAME Assembly=t:a1\n"},
    {"materials, profiles and depths",
     "#10=IFCCOLUMN('g1',$,$,$,$,$,#11,'E1',$);\n#11=IFCPRODUCTDEFINITIONSHAPE($,$,(#12));\n"
     "#12=IFCSHAPEREPRESENTATION($,'Body','SweptSolid',(#13));\n"
     "#13=IFCBOOLEANCLIPPINGRESULT(.DIFFERENCE.,#14,#99);\n"
     "#14=IFCEXTRUDEDAREASOLID(#15,$,$,3000.);\n#15=IFCISHAPEPROFILEDEF(.AREA.,'HEA200',$,1.,1.,1.,"
     "1.,$,$,$);\n"
     "#16=IFCMATERIALLIST((#17,#18,#17,#98));\n#17=IFCMATERIAL('S355',$,$);\n#18=IFCMATERIAL('Zinc'"
     ",$,$);\n"
     "#19=IFCRELASSOCIATESMATERIAL('m',$,$,$,(#10),#16);\n"
     "#20=IFCPLATE('g2',$,$,$,$,$,$,'E2',$);\n#21=IFCMATERIALLAYERSETUSAGE(#22,.AXIS3.,.POSITIVE.,"
     "0.,$);\n"
     "#22=IFCMATERIALLAYERSET((#23,#23),$,$);\n#23=IFCMATERIALLAYER(#17,6.,$,$,$,$,$);\n"
     "#24=IFCRELASSOCIATESMATERIAL('m',$,$,$,(#20),#21);\n",
     "{\"entities\": {\"IfcPlate\": {\"tokens\": {\"%Name\": [\"layers\"]}}}}",
     "g1 %ElementID=t:E1 %PNum=t:E1 %Name=t:HEA200 %Material=t:S355 / Zinc %Length=r:3000 "
     "%Quantity=i:1\n"
     "g2 %ElementID=t:E2 %PNum=t:E2 %Name=t:12 %Material=t:S355 %Quantity=i:1 %Thick=r:12\n"
     "warning: m.ifc: 1 part of IfcPlate (object type 3) without a value of the template's token "
     "%Length (sources tried: quantity:*.Length); a mapping file (--ifc-map) names others\n"
     "warning: m.ifc: 1 reference(s) to instances the file does not have (the first to #98), "
     "read as absent\n"},
    {"values a token cannot take, and a token no part has (the job warns of it, once)",
     "#10=IFCMEMBER('g1',$,$,$,$,$,$,'E1',$);\n"
     "#11=IFCELEMENTQUANTITY('q',$,'Q',$,$,(#12));\n#12=IFCQUANTITYCOUNT('Count',$,$,2.5,$);\n"
     "#13=IFCRELDEFINESBYPROPERTIES('r',$,$,$,(#10),#11);\n"
     "#14=IFCPROPERTYSET('s',$,'S',$,(#15));\n#15=IFCPROPERTYENUMERATEDVALUE('PartMark',$,$,$);\n"
     "#16=IFCRELDEFINESBYPROPERTIES('r',$,$,$,(#10),#14);\n#17=(IFCA() IFCB());\n",
     nullptr,
     "g1 %ElementID=t:E1 %PNum=t:E1\n"
     "warning: m.ifc: 1 value of %Quantity left out, the token cannot take them: \"2.5\" is not a "
     "32-bit integer (#10 at line 13)\n"
     "warning: m.ifc: 1 complex instance(s) (several entity names in one) not read, the first at "
     "line 20\n"
     "warning: m.ifc: 1 x a property other than IfcPropertySingleValue (PartMark) not read, the "
     "first at line 18\n"},
    {"a length in a mass unit: read in the project's unit", kBeamQuantities, nullptr,
     "g1 %ElementID=t:E1 %PNum=t:E1 %Length=r:2.5 %Weight=r:250 %Quantity=i:1\n"
     "warning: m.ifc: 1 value(s) of a quantity or property whose own unit is no LENGTHUNIT this "
     "reader converts (the first, #7 at line 12), read in the project's unit instead\n"},
    {"a second length unit, an unknown prefix", kBeamQuantities, nullptr,
     "g1 %ElementID=t:E1 %PNum=t:E1 %Length=r:2.5 %Weight=r:0.25 %Quantity=i:1\n"
     "warning: m.ifc: the unit #4 at line 9 is a second LENGTHUNIT of the project's units, not "
     "read; the first, #3, is used\n"
     "warning: m.ifc: the unit #6 at line 10 is not one this reader converts; its MASSUNIT (masses "
     "read as kilograms)\n"
     "warning: m.ifc: the model assigns no MASSUNIT (masses read as kilograms), for 1 value(s)\n"
     "warning: m.ifc: 1 value(s) of a quantity or property whose own unit is no LENGTHUNIT this "
     "reader converts (the first, #7 at line 11), read in the project's unit instead\n",
     kOddUnits},
    {"a duplicate instance number", "#10=IFCBEAM('g',$,$,$,$,$,$,$,$);\n#9=IFCX();\n#10=IFCY();\n",
     nullptr, "m.ifc:15:1: instance #10 is defined twice (first at line 13)"},
    {"an aggregation cycle",
     "#10=IFCBEAM('g',$,$,$,$,$,$,$,$);\n#11=IFCRELAGGREGATES('a',$,$,$,#12,(#10));\n"
     "#12=IFCELEMENTASSEMBLY('a',$,$,$,$,$,$,$,$,$);\n#13=IFCRELAGGREGATES('a',$,$,$,#10,(#12));\n",
     nullptr, "m.ifc:13:1: reference cycle: this element is aggregated into itself"},
    {"an attribute only fasteners have", "",
     "{\"tokens\": {\"%X\": [\"attribute:NominalLength\"]}}",
     "map.json:1:20: \"attribute:NominalLength\": an attribute of IfcMechanicalFastener only (name "
     "it in that entity's tokens)"},
    {"assemblies are no parts", "", "{\"entities\": {\"IfcElementAssembly\": {\"type\": 1}}}",
     "map.json:1:15: IfcElementAssembly is not a part: its parts carry its mark and name "
     "(\"assembly:\" sources)"},
    {"a key given twice", "", "{\"handle\": [\"attribute:Tag\"], \"handle\": []}",
     "map.json:1:31: duplicate key \"handle\""},
};

std::string read(const IfcCase& test, bomtest::ScratchDir& dir, bool allTokens = true) {
  const std::string path =
      dir.write("m.ifc", std::string(test.header != nullptr ? test.header : kHeader) + test.data + "ENDSEC;\nEND-ISO-10303-21;\n");
  const std::string map = test.mapping != nullptr ? dir.write("map.json", test.mapping) : "";
  bomreport::DataPtr data(new QelBomData());
  QelArray<QelString> tokens;
  tokens.append(QelString("%Length"));  // the template's: warned of when missing
  data->setTemplUsedTokensAndObjTypes(tokens, QelIntArray());
  bomreport::PartsBuilder builder(data.get(), allTokens, false);
  try {
    const bomreport::InputBytes input(path);
    bomreport::readPartsIfc(input, builder, map);
  } catch (const bomreport::InputError& e) {
    const std::string message = e.what();
    return message.substr(message.rfind('/') + 1);
  }
  std::string out = bomtest::dumpRows(*data);
  for (const std::string& warning : builder.warnings()) {
    out += "warning: " + warning.substr(warning.rfind('/') + 1) + "\n";
  }
  return out;
}

TEST(PartsIfcTest, ReadsModelsAndRefusesBadOnes) {
  bomtest::ScratchDir dir;
  for (const IfcCase& test : kCases) EXPECT_EQ(read(test, dir), test.expected) << test.name;
  // A cycle is found also when the template reads nothing of the assemblies.
  const IfcCase& cycle = kCases[6];
  ASSERT_STREQ(cycle.name, "an aggregation cycle");
  EXPECT_EQ(read(cycle, dir, false), cycle.expected);
}

}  // namespace
