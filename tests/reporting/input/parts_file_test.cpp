// Parts files of both formats read into data sets, compared as canonical row
// dumps: typing of cells, reserved columns and members, what a template's
// tokens and filters keep, and the messages that refuse a bad file.
#include "input/parts_file.h"

#include <gtest/gtest.h>

#include "reporting/ReportingTestSupport.h"

namespace {

struct PartsCase {
  const char* name;
  const char* file;  // file name: its ending chooses the format
  const char* content;
  const char* expected;  // the row dump, or the error message after the path
};

// The template of every case uses %Pos, %Weight and %Material and filters on
// the object types 1 and 2.
std::string read(const PartsCase& test, bomtest::ScratchDir& dir, bool keepAll = false) {
  const std::string path = dir.write(test.file, test.content);
  bomreport::DataPtr data(new QelBomData());
  QelArray<QelString> tokens;
  for (const char* token : {"%Pos", "%Weight", "%Material"}) tokens.append(QelString(token));
  QelIntArray types;
  types.append(2);
  types.append(1);
  data->setTemplUsedTokensAndObjTypes(tokens, types);
  bomreport::PartsBuilder builder(data.get(), keepAll, true);
  try {
    bomreport::readPartsFile(path, builder);
  } catch (const bomreport::InputError& e) {
    const std::string message = e.what();
    return message.substr(message.find(test.file));
  }
  return bomtest::dumpRows(*data);
}

const PartsCase kCases[] = {
    {"csv typing", "p.csv",
     "#handle,%Pos,%Weight,%Material,%Quantity,%Other\n"
     "A,1,2.5,S355,3,x\n"
     "B,,7,12,,1e3\n",
     "A %Pos=i:1 %Weight=r:2.5 %Material=t:S355\n"
     "B %Weight=r:7 %Material=t:12\n"},
    {"csv reserved columns and filter", "p.csv",
     "#type,#equal,%Pos\n1,E1; E2 E3,1\n3,,2\n,,3\n2,,4\n",
     "1=E1;E2;E3 %Pos=i:1\n3 %Pos=i:3\n4 %Pos=i:4\n"},
    {"csv quoting and line ends", "p.csv",
     "\xEF\xBB\xBF%Material,%Pos\r\n\"a,\"\"b\"\"\r\nc\",1\r\rx,2\r\n",
     "1 %Material=t:a,\"b\"\nc %Pos=i:1\n2 %Material=t:x %Pos=i:2\n"},
    {"json parts", "p.json",
     R"([{"handle": 7, "equal": ["8", 9], "type": 1,
          "tuples": [["%Pos", 1], ["%Weight", 3], ["%Material", "S235"], ["%Pos", null]]},
         {"tuples": [["%Other", 1]]}, {"type": 5, "tuples": [["%Pos", 2]]}])",
     "7=8;9 %Pos=i:1 %Weight=r:3 %Material=t:S235\n2\n"},
    {"csv catalogue type refused", "p.csv", "%Pos,%Weight\n1,heavy\n",
     "p.csv:2:2: \"heavy\" is not a number (%Weight)"},
    {"csv integer out of range", "p.csv", "%Quantity\n2147483648\n",
     "p.csv:2:1: \"2147483648\" is not a 32-bit integer (%Quantity)"},
    {"csv field count", "p.csv", "%Pos,%Weight\n1\n", "p.csv:2: expected 2 fields, found 1"},
    {"csv unknown reserved column", "p.csv", "#kind\n1\n",
     "p.csv:1:1: unknown reserved column \"#kind\" (reserved: #handle, #equal, #type)"},
    {"csv duplicate column", "p.csv", "%Pos,%Weight,%Pos\n",
     "p.csv:1:3: duplicate column \"%Pos\""},
    {"csv bad object type", "p.csv", "#type\nbeam\n",
     "p.csv:2:1: \"beam\" is not an object type (an integer)"},
    {"json catalogue type refused", "p.json", R"([{"tuples": [["%Material", 5]]}])",
     "p.json:1:28: a number where %Material takes a string"},
    {"json not an array", "p.json", R"({"tuples": []})",
     "p.json:1:1: unexpected object, expected an array of parts"},
};

TEST(PartsFileTest, ReadsAndRefusesParts) {
  for (const PartsCase& test : kCases) {
    bomtest::ScratchDir dir;
    EXPECT_EQ(read(test, dir), test.expected) << test.name;
  }
}

TEST(PartsFileTest, KeepsEveryTokenOnRequest) {
  bomtest::ScratchDir dir;
  const PartsCase test{"", "p.csv", "%Pos,%Other,%Quantity\n1,x,2\n", ""};
  EXPECT_EQ(read(test, dir, true), "1 %Pos=i:1 %Other=t:x %Quantity=i:2\n");
  EXPECT_EQ(read(test, dir, false), "1 %Pos=i:1\n");
}

TEST(PartsFileTest, ShortTextsShareOneBuffer) {
  bomtest::ScratchDir dir;
  const std::string path = dir.write("p.csv", "%Material\nS355\nS355\n");
  bomreport::DataPtr data(new QelBomData());
  bomreport::PartsBuilder builder(data.get(), true, false);
  bomreport::readPartsFile(path, builder);
  const QelBomItemBase* first = data->child();
  ASSERT_NE(first, nullptr);
  ASSERT_NE(first->next(), nullptr);
  auto text = [](const QelBomItemBase* row) {
    return static_cast<const QelString*>(row->getData()[0].value().data())->getStringW();
  };
  EXPECT_EQ(text(first), text(first->next()));
}

}  // namespace
