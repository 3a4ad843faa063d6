// Parts held in memory read into data sets, compared as canonical row dumps:
// how values given as texts, integers and reals are typed, handles, equal
// parts, the filter, and the messages that refuse a bad table.
#include "input/parts_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "reporting/ReportingTestSupport.h"

namespace {

using Part = bomreport::PartsTable::Part;
using Value = bomreport::PartsTable::Value;

// A table of one column per token, a part per row; an empty optional value
// is a token the part lacks.
struct TableCase {
  const char* name;
  std::vector<std::string> tokens;
  std::vector<std::vector<std::optional<Value>>> rows;
  const char* expected;  // the row dump, or the error message
};

bomreport::PartsTable tableOf(const TableCase& test) {
  bomreport::PartsTable table;
  table.name = "records";
  table.tokens = test.tokens;
  for (const auto& row : test.rows) {
    Part part;
    for (std::size_t i = 0; i < row.size(); ++i) {
      if (row[i]) part.tuples.push_back({static_cast<int>(i), *row[i]});
    }
    table.parts.push_back(std::move(part));
  }
  return table;
}

// Reads `table` into `data` as the template of every case wants it: %Pos,
// %Weight, %Material and %Quantity, object types 1 and 2.
void feed(const bomreport::PartsTable& table, QelBomData* data) {
  QelArray<QelString> tokens;
  for (const char* token : {"%Pos", "%Weight", "%Material", "%Quantity"}) {
    tokens.append(QelString(token));
  }
  QelIntArray types;
  types.append(1);
  types.append(2);
  data->setTemplUsedTokensAndObjTypes(tokens, types);
  bomreport::PartsBuilder builder(data, false, true);
  bomreport::readPartsTable(table, builder);
}

// The row dump, or the message that refuses the table.
std::string read(const bomreport::PartsTable& table) {
  bomreport::DataPtr data(new QelBomData());
  try {
    feed(table, data.get());
  } catch (const bomreport::InputError& e) {
    return e.what();
  }
  return bomtest::dumpRows(*data);
}

const double kNaN = std::numeric_limits<double>::quiet_NaN();

const TableCase kCases[] = {
    {"values keep their type unless the catalogue has one",
     {"%Pos", "%Weight", "%Material", "%Quantity"},
     {{Value(1LL), Value(2LL), Value(7LL), Value(3.0)},
      {Value(std::string("007")), Value(std::string("434.16")), Value(2.5),
       Value(std::string("+4"))},
      {Value(4294967296LL), Value(-0.0), Value(std::string("S355")), std::nullopt}},
     "1 %Pos=i:1 %Weight=r:2 %Material=t:7 %Quantity=i:3\n"
     "2 %Pos=t:007 %Weight=r:434.16 %Material=t:2.5 %Quantity=i:4\n"
     "3 %Pos=r:4.29497e+09 %Weight=r:0 %Material=t:S355\n"},
    {"only the template's tokens are kept",
     {"%Other", "%Pos"},
     {{Value(std::string("x")), Value(1LL)}},
     "1 %Pos=i:1\n"},
    {"an integer token takes no fraction",
     {"%Quantity"},
     {{Value(2.5)}},
     "records:1: 2.5 is not a 32-bit integer (%Quantity)"},
    {"an integer token takes 32 bits",
     {"%Quantity"},
     {{Value(1LL)}, {Value(2147483648LL)}},
     "records:2: 2147483648 is not a 32-bit integer (%Quantity)"},
    {"a text of an integer token is read as a CSV cell",
     {"%Quantity"},
     {{Value(std::string("two"))}},
     "records:1: \"two\" is not a 32-bit integer (%Quantity)"},
    {"a text of a real token is read as a CSV cell",
     {"%Weight"},
     {{Value(std::string("1,5"))}},
     "records:1: \"1,5\" is not a number (%Weight)"},
    {"reals are finite",
     {"%Other"},
     {{Value(kNaN)}},
     "records:1: a real must be finite, not nan (%Other)"},
    {"texts are UTF-8",
     {"%Material"},
     {{Value(std::string("S\xFF"))}},
     "records:1: invalid UTF-8 (%Material)"},
    {"texts hold no NUL",
     {"%Material"},
     {{Value(std::string("S\0X", 3))}},
     "records:1: NUL character (%Material)"},
    {"tokens are named", {""}, {{Value(1LL)}}, "records:1: empty token"},
};

TEST(PartsTableTest, TypesValuesAsGivenOrAsTheCatalogueSays) {
  for (const TableCase& test : kCases) {
    EXPECT_EQ(read(tableOf(test)), test.expected) << test.name;
  }
}

TEST(PartsTableTest, HandlesEqualPartsAndTheFilter) {
  bomreport::PartsTable table;
  table.tokens = {"%Pos"};
  Part typed{std::string("2A40"), 1, {"E1; E2 E3", "E4"}, {{0, Value(1LL)}}};
  Part filtered{std::string("2A47"), 3, {}, {{0, Value(2LL)}}};
  Part untyped{std::nullopt, std::nullopt, {}, {{0, Value(3LL)}}};
  table.parts = {typed, filtered, untyped};
  // An untyped part is always kept, and its handle is its number in the table.
  EXPECT_EQ(read(table), "2A40=E1;E2;E3;E4 %Pos=i:1\n3 %Pos=i:3\n");
}

TEST(PartsTableTest, ChecksThePartsTheFilterDrops) {
  bomreport::PartsTable table;
  table.name = "frame";
  table.tokens = {"%Weight"};
  table.parts = {Part{std::nullopt, 7, {}, {{0, Value(std::string("heavy"))}}}};
  EXPECT_EQ(read(table), "frame:1: \"heavy\" is not a number (%Weight)");
  table.parts = {Part{std::string("a\0b", 3), std::nullopt, {}, {}}};
  EXPECT_EQ(read(table), "frame:1: NUL character in the handle");
  table.parts = {Part{std::nullopt, std::nullopt, {"\xC0"}, {}}};
  EXPECT_EQ(read(table), "frame:1: invalid UTF-8 in a handle of an equal part");
  table.parts = {Part{std::nullopt, std::nullopt, {}, {{1, Value(1LL)}}}};
  EXPECT_EQ(read(table), "frame:1: a tuple names token 1 of 1");
}

TEST(PartsTableTest, AnErrorCarriesItsParts) {
  bomreport::PartsTable table;
  table.tokens = {"%Quantity"};
  table.parts = {Part{}, Part{std::nullopt, std::nullopt, {}, {{0, Value(0.5)}}}};
  bomreport::DataPtr data(new QelBomData());
  try {
    feed(table, data.get());
    FAIL() << "accepted";
  } catch (const bomreport::InputError& e) {
    EXPECT_EQ(e.where(), "parts table");
    EXPECT_EQ(e.line(), 2);
    EXPECT_EQ(e.column(), 0);
    EXPECT_EQ(e.reason(), "0.5 is not a 32-bit integer (%Quantity)");
  }
}

}  // namespace
