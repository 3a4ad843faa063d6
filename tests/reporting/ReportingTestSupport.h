// Shared by the reporting library's tests: scratch files, and canonical text
// dumps of data sets and evaluated trees to compare with expected texts.
#ifndef BOM_TESTS_REPORTING_TEST_SUPPORT_H_
#define BOM_TESTS_REPORTING_TEST_SUPPORT_H_

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "BomReport.h"
#include "VRKBomEngine.h"

namespace bomtest {

// A scratch directory, removed with everything in it when the object goes.
class ScratchDir {
 public:
  ScratchDir() {
    char pattern[] = "/tmp/bom_reporting_test_XXXXXX";
    path_ = mkdtemp(pattern) != nullptr ? pattern : "/tmp";
  }
  ~ScratchDir() {
    for (const std::string& file : files_) std::remove(file.c_str());
    rmdir(path_.c_str());
  }
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;

  // The path of `name` in the directory (not created).
  std::string path(const std::string& name) {
    files_.push_back(path_ + "/" + name);
    files_.push_back(path_ + "/." + name + ".tmp");  // what a failed write might leave
    return path_ + "/" + name;
  }
  // Writes `content` to `name` and returns its path.
  std::string write(const std::string& name, const std::string& content) {
    const std::string file = path(name);
    std::ofstream(file, std::ios::binary) << content;
    return file;
  }
  const std::string& dir() const { return path_; }

 private:
  std::string path_;
  std::vector<std::string> files_;
};

// The warnings as bomreport words them.
inline std::vector<std::string> worded(const std::vector<bomreport::ReportWarning>& warnings) {
  std::vector<std::string> words;
  for (const bomreport::ReportWarning& warning : warnings) words.push_back(wordWarning(warning));
  return words;
}

inline std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A value as "i:5", "r:2.5", "t:HEA200" or "-".
inline std::string dumpValue(const QelBomDataValue& value) {
  switch (value.type()) {
    case QelBomDataValue::kIntDataValue:
      return "i:" + value.asString().toUtf8();
    case QelBomDataValue::kDoubleDataValue:
      return "r:" + value.asString().toUtf8();
    case QelBomDataValue::kStringDataValue:
      return "t:" + value.asString().toUtf8();
    default:
      return "-";
  }
}

// One line per row: "HANDLE[=EQUAL;EQUAL] TOKEN=VALUE TOKEN=VALUE".
inline std::string dumpRows(const QelBomData& data) {
  std::string text;
  for (const QelBomItemBase* node = data.child(); node != nullptr; node = node->next()) {
    const auto* row = static_cast<const QelBomDataRow*>(node);
    text += row->objectHandle().toUtf8();
    const QelArray<QelString>& equal = row->EqualPartObjectHandles();
    for (int i = 0; i < equal.count(); ++i) text += (i == 0 ? "=" : ";") + equal[i].toUtf8();
    for (const QelBomDataTuple& tuple : row->getData()) {
      text += ' ' + tuple.token().token().toUtf8() + '=' + dumpValue(tuple.value());
    }
    text += '\n';
  }
  return text;
}

// The engine's listing of a tree.
inline std::string listing(const QelBomItemBase& root) {
  QelString text;
  const_cast<QelBomItemBase&>(root).list(text, 0, 1, 1);
  return text.toUtf8();
}

// What a writer writes for `report`.
inline std::string written(const std::string& format, const bomreport::Report& report) {
  std::ostringstream out;
  bomreport::findReportWriter(format)->write(out, report);
  return out.str();
}

}  // namespace bomtest

#endif  // BOM_TESTS_REPORTING_TEST_SUPPORT_H_
