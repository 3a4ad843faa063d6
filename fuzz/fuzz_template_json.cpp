// Any bytes as a template file: read (then traced, evaluated over a few rows,
// written as text and HTML with its "columns", written back, and released) or
// rejected with a message, never a crash.
#include <cstddef>
#include <cstdint>
#include <sstream>
#include <string_view>

#include "BomReportErrors.h"
#include "BomReportTrees.h"
#include "BomReportWriter.h"
#include "BomTemplateFile.h"
#include "VRKBomEngine.h"

namespace {

// A few fixed rows (the sample data set is random).
QelBomData* fewRows() {
  auto* data = new QelBomData();
  const char* const tokens[] = {"%MNum", "%PosNum", "%Weight", "%Name"};
  for (int r = 0; r < 6; ++r) {
    auto* row = new QelBomDataRow();
    row->addData(QelBomDataTuple(QelString(tokens[0]), QelString(r % 2 == 0 ? "A1" : "A2")));
    row->addData(QelBomDataTuple(QelString(tokens[1]), r % 3));
    row->addData(QelBomDataTuple(QelString(tokens[2]), 1.5 * r));
    row->addData(QelBomDataTuple(QelString(tokens[3]), QelString("HEA200")));
    data->addChild(row);
  }
  return data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    bomreport::LoadedTemplate loaded = bomreport::readTemplateText(
        "fuzz.json", std::string_view(reinterpret_cast<const char*>(data), size));
    QelArray<QelString> trace;
    loaded.root->getTokenTrace(trace);
    bomreport::DataPtr rows(fewRows());
    bomreport::TemplatePtr output(new QelBomTemplate());
    QelBomEvaluator2::evaluate(loaded.root.get(), rows.get(), output.get());
    bomreport::Report report{output.get(), nullptr, "fuzz.json", "rows"};
    report.columns = &loaded.columns;
    std::ostringstream sink;
    for (const char* format : {"text", "html"}) {
      bomreport::findReportWriter(format)->write(sink, report);
    }
    bomreport::TreeJsonOptions back;
    back.columns = &loaded.columns;
    bomreport::writeTreeJson(sink, *loaded.root, back);
  } catch (const bomreport::InputError&) {
  }
  return 0;
}
