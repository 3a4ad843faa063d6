// The parts and template readers on small files, as tables: the rows a parts
// file gives (or the message that refuses it), and the template a template
// file gives, written back with the lines of its sections and tuples. The
// messages of bad files are checked end to end (bomreport_test.py).
#include <gtest/gtest.h>

#include <sstream>

#include "BomTemplateFile.h"
#include "input/parts_file.h"
#include "reporting/ReportingTestSupport.h"

namespace {

struct ReaderCase {
  const char* name;
  const char* file;  // its name, which chooses the reader
  const char* text;
  const char* expected;  // rows, or the message after the directory
};

const ReaderCase kPartsCases[] = {
    {"csv: reserved columns, typed cells, a quoted delimiter", "p.csv",
     "#handle,#type,%PNum,%Length,%Quantity,%Name\nh1,1,P1,2.5,3,\"HEA,200\"\nh2,1,P2,,1,x\n",
     "h1 %PNum=t:P1 %Length=r:2.5 %Quantity=i:3 %Name=t:HEA,200\n"
     "h2 %PNum=t:P2 %Quantity=i:1 %Name=t:x\n"},
    {"csv: lone CR line ends, handles counted", "p.csv", "%PNum,%Quantity\rP1,1\rP2,2\r",
     "1 %PNum=t:P1 %Quantity=i:1\n2 %PNum=t:P2 %Quantity=i:2\n"},
    {"json: numeric and equal handles, a null value, a part without tuples", "p.json",
     "[{\"handle\": 7, \"equal\": [\"a\", 8], \"type\": 1, \"tuples\": [[\"%PNum\", \"P1\"],"
     " [\"%Name\", null], [\"%Length\", 2], [\"%Quantity\", 2]]}, {\"tuples\": []}]",
     "7=a;8 %PNum=t:P1 %Length=r:2 %Quantity=i:2\n2\n"},
    {"json: each key once in a part", "p.json", "[{\"tuples\": [], \"equal\": [], \"tuples\": []}]",
     "p.json:1:30: duplicate key \"tuples\""},
    {"json: the token decides the value's type", "p.json", "[{\"tuples\": [[\"%Quantity\", 1.5]]}]",
     "p.json:1:28: a real number where %Quantity takes a 32-bit integer"},
    {"json: no booleans", "p.json", "[{\"tuples\": [[\"%PNum\", true]]}]",
     "p.json:1:24: unexpected true or false, expected a value"},
    {"json: a token twice in a part", "p.json",
     "[{\"tuples\": [[\"%PNum\", \"a\"]]}, {\"tuples\": [[\"%PNum\", \"a\"], [\"%PNum\", \"b\"]]}]",
     "p.json:1:61: part 2 gives the token \"%PNum\" twice"},
};

std::string readParts(const ReaderCase& test, bomtest::ScratchDir& dir) {
  const std::string path = dir.write(test.file, test.text);
  bomreport::DataPtr data(new QelBomData());
  data->setTemplUsedTokensAndObjTypes(QelArray<QelString>(), QelIntArray());
  bomreport::PartsBuilder builder(data.get(), true, false);
  try {
    bomreport::readPartsFile(path, builder);
  } catch (const bomreport::InputError& e) {
    const std::string message = e.what();
    return message.substr(message.rfind('/') + 1);
  }
  return bomtest::dumpRows(*data);
}

TEST(ReadersTest, ReadPartsFiles) {
  bomtest::ScratchDir dir;
  for (const ReaderCase& test : kPartsCases)
    EXPECT_EQ(readParts(test, dir), test.expected) << test.name;
}

const ReaderCase kTemplateCases[] = {
    {"every member, on lines of their own", "t.json",
     "{\"type\": \"kBomTemplate\",\n"
     " \"tokenUnits\": [[\"%Length\", \"kDistanceUnit\"]],\n"
     " \"columns\": {\"%Length\": {\"decimals\": 1, \"caption\": \"L\"}, \"%PNum\": {}},\n"
     " \"children\": [\n"
     "  {\"type\": \"kGroupHeader\", \"tuples\": [[\"%PNum\", null]], \"children\": [\n"
     "   {\"tuples\": [[\"%PNum\", \"x\"],\n  [\"%Length\", 2.5], [\"%Quantity\", 3]],"
     " \"type\": \"kDetails\"}]}]}",
     "{\n"
     "  \"type\": \"kBomTemplate\",\n"
     "  \"tokenUnits\": [[\"%Length\", \"kDistanceUnit\"]],\n"
     "  \"columns\": {\"%Length\": {\"caption\": \"L\", \"decimals\": 1}, \"%PNum\": {}},\n"
     "  \"children\": [\n"
     "    {\n"
     "      \"type\": \"kGroupHeader\",\n"
     "      \"tuples\": [[\"%PNum\", null]],\n"
     "      \"children\": [\n"
     "        {\n"
     "          \"type\": \"kDetails\",\n"
     "          \"tuples\": [[\"%PNum\", \"x\"], [\"%Length\", 2.5], [\"%Quantity\", 3]]\n"
     "        }\n"
     "      ]\n"
     "    }\n"
     "  ]\n"
     "}\n"
     "sections at 1 5 6, tuples at 5; 6 7 7\n"},
    {"each key once in a column", "t.json",
     "{\"columns\": {\"%A\": {\"caption\": \"a\", \"caption\": \"b\"}}}",
     "t.json:1:37: duplicate key \"caption\""},
    {"a column once", "t.json", "{\"columns\": {\"%A\": {}, \"%A\": {}}}",
     "t.json:1:24: duplicate column \"%A\""},
    {"units and columns at the root only", "t.json",
     "{\"children\": [{\"type\": \"kDetails\", \"columns\": {}}]}",
     "t.json:1:36: unknown key \"columns\""},
};

std::string readTemplate(const ReaderCase& test) {
  bomreport::LoadedTemplate loaded;
  try {
    loaded = bomreport::readTemplateText(test.file, test.text);
  } catch (const bomreport::InputError& e) {
    return e.what();
  }
  std::ostringstream out;
  bomreport::TreeJsonOptions options;
  options.tokenUnits = &loaded.tokenUnits;
  options.columns = &loaded.columns;
  bomreport::writeTreeJson(out, *loaded.root, options);
  // Where each section stands, in the order written, and each section's tuples.
  std::string sections =
      "sections at " + std::to_string(loaded.lines.sectionLine(loaded.root.get()));
  std::string tuples = "tuples at";
  std::vector<const QelBomItemBase*> walk = {loaded.root.get()};
  while (!walk.empty()) {
    const QelBomItemBase* item = walk.back();
    walk.pop_back();
    if (item != loaded.root.get()) sections += " " + std::to_string(loaded.lines.sectionLine(item));
    for (int i = 0; loaded.lines.tupleLine(item, i) != 0; ++i) {
      tuples += (i == 0 ? (tuples.size() == 9 ? " " : "; ") : " ") +
                std::to_string(loaded.lines.tupleLine(item, i));
    }
    for (const QelBomItemBase* child = item->child(); child != nullptr; child = child->next()) {
      walk.push_back(child);
    }
  }
  return out.str() + sections + ", " + tuples + "\n";
}

TEST(ReadersTest, ReadTemplateFiles) {
  for (const ReaderCase& test : kTemplateCases)
    EXPECT_EQ(readTemplate(test), test.expected) << test.name;
}

}  // namespace
