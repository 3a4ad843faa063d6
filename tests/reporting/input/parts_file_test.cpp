// Parts files of both formats read into data sets, compared as canonical row
// dumps: typing of cells, reserved columns and members, what a template's
// tokens and filters keep, and the messages that refuse a bad file.
#include "input/parts_file.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <algorithm>
#include <cstdio>

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
     "p.json:2:75: part 1 gives the token \"%Pos\" twice"},
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
    return textValueOf(row->getData()[0].value()).getStringW();
  };
  EXPECT_EQ(text(first), text(first->next()));
}

}  // namespace

namespace {

// A file of `parts` parts, large enough to be read in stretches: every 97th
// part has a quoted note over two lines, whose line break is LF, CRLF or CR.
// The expected row dump is built alongside.
struct LargeFile {
  std::string content = "%Pos,%Note,%Weight\r\n";
  std::string dump;
  long long lines = 1;  // lines so far
};

LargeFile largeFile(int parts) {
  LargeFile file;
  const char* const breaks[] = {"\n", "\r\n", "\r"};
  for (int i = 1; i <= parts; ++i) {
    const std::string pos = "P" + std::to_string(i % 1000);
    std::string note = "n" + std::to_string(i);
    std::string noteCell = note;
    if (i % 97 == 0) {
      noteCell = "\"" + note + breaks[i % 3] + "x,\"\"y\"\"\"";
      note += "\nx,\"y\"";
      ++file.lines;
    }
    const std::string weight = std::to_string(i % 1000) + ".5";  // "%g" shows it exactly
    file.content += pos + "," + noteCell + "," + weight + breaks[i % 2];
    ++file.lines;
    file.dump +=
        std::to_string(i) + " %Pos=t:" + pos + " %Note=t:" + note + " %Weight=r:" + weight + "\n";
  }
  return file;
}

// The rows of the file as a dump, or the message that refuses it (without
// the directory).
std::string readWith(const std::string& path, const bomreport::PartsFileOptions& options) {
  bomreport::DataPtr data(new QelBomData());
  bomreport::PartsBuilder builder(data.get(), true, false);
  try {
    bomreport::readPartsFile(path, builder, options);
  } catch (const bomreport::InputError& e) {
    const std::string message = e.what();
    return message.substr(message.rfind('/') + 1);
  }
  return bomtest::dumpRows(*data);
}

std::string readAll(const std::string& path) { return readWith(path, {}); }

TEST(PartsFileTest, LargeFilesReadInStretchesGiveTheSameRows) {
  bomtest::ScratchDir dir;
  const LargeFile file = largeFile(450000);  // about 9 MB
  ASSERT_GT(file.content.size(), 8u << 20);  // two stretches at least
  const std::string rows = readAll(dir.write("p.csv", file.content));
  EXPECT_EQ(rows.size(), file.dump.size());
  const std::size_t differ =
      std::mismatch(rows.begin(), rows.end(), file.dump.begin(), file.dump.end()).first -
      rows.begin();
  EXPECT_EQ(differ, rows.size()) << rows.substr(differ > 100 ? differ - 100 : 0, 300);
}

TEST(PartsFileTest, LargeFilesNameTheLineOfTheFirstError) {
  bomtest::ScratchDir dir;
  LargeFile file = largeFile(450000);
  // An error near the end, where a later stretch reads, and one near the
  // start: the earlier one is reported, with its line in the whole file.
  const LargeFile late = file;
  file.content += "P1,late,heavy\n";
  EXPECT_EQ(
      readAll(dir.write("late.csv", file.content)),
      "late.csv:" + std::to_string(file.lines + 1) + ":3: \"heavy\" is not a number (%Weight)");
  const std::string early = "%Pos,%Note,%Weight\nP1,x,1,2\n" + late.content.substr(20);
  EXPECT_EQ(readAll(dir.write("early.csv", early + "P1,late,heavy\n")),
            "early.csv:2: expected 3 fields, found 4");
  // A stray quote: every stretch boundary is off, and the message is that of
  // reading from the start: the field runs on to the quote before part 97's
  // note (on line 99), and text follows that quote.
  const std::string open = "%Pos,%Note,%Weight\nP1,\"x,1\n" + late.content.substr(20);
  EXPECT_EQ(readAll(dir.write("open.csv", open)),
            "open.csv:99:2: unexpected text after a closing quote");
}

}  // namespace

namespace {

TEST(PartsFileTest, ReadsCompressedDelimitedAndUnnamedFiles) {
  bomtest::ScratchDir dir;
  const std::string gz = dir.path("p.csv.gz");
  gzFile file = gzopen(gz.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  const std::string csv = "#handle,%Pos\nA,1\nB,2\n";
  gzwrite(file, csv.data(), static_cast<unsigned>(csv.size()));
  gzclose(file);
  const bomreport::PartsFileOptions defaults;
  EXPECT_EQ(readWith(gz, defaults), "A %Pos=i:1\nB %Pos=i:2\n");
  // gzip is told by its first bytes, whatever the name.
  const std::string renamed = dir.path("renamed.txt");
  ASSERT_EQ(std::rename(gz.c_str(), renamed.c_str()), 0);
  EXPECT_EQ(readWith(renamed, defaults), "A %Pos=i:1\nB %Pos=i:2\n");

  bomreport::PartsFileOptions semicolons;
  semicolons.delimiter = ';';
  EXPECT_EQ(readWith(dir.write("s.csv", "%Pos;%Note\n1;\"2,5\"\n3;4.5\n"), semicolons),
            "1 %Pos=i:1 %Note=t:2,5\n2 %Pos=i:3 %Note=r:4.5\n");
  EXPECT_EQ(readWith(dir.write("parts.dat", " [{\"tuples\": [[\"%Pos\", 1]]}]"), defaults),
            "1 %Pos=i:1\n");
  bomreport::PartsFileOptions csvForced;
  csvForced.format = bomreport::PartsFormat::kCsv;
  EXPECT_EQ(readWith(dir.write("parts.json", "%Pos\n7\n"), csvForced), "1 %Pos=i:7\n");
}

TEST(PartsFileTest, SaysWhatAnUnreadableFileLooksLike) {
  bomtest::ScratchDir dir;
  const bomreport::PartsFileOptions defaults;
  EXPECT_EQ(
      readWith(dir.write("u16.csv", std::string("\xFF\xFE%\0P\0", 6)), defaults),
      "u16.csv: looks like UTF-16 text; save it as UTF-8 (every input file is read as UTF-8)");
  EXPECT_EQ(readWith(dir.write("u16be.csv", std::string("\0%\0P\0o\0s", 8)), defaults),
            "u16be.csv: looks like UTF-16 text; save it as UTF-8 (every input file is read as "
            "UTF-8)");
  EXPECT_EQ(readWith(dir.write("cut.csv.gz", "\x1F\x8B\x08\x00"), defaults),
            "cut.csv.gz: not a complete gzip file");
  EXPECT_EQ(readWith(dir.path("missing.csv"), defaults),
            "missing.csv: cannot open: No such file or directory");
}

}  // namespace
