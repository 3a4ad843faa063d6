// Every report format over the output tree of a fuzzed evaluation: bytes
// decoded into a template and a data set (fuzzed_trees.h), bound to units,
// traced and evaluated, then each registered writer writes the report, with
// and without the used handles, on every paper, into a stream that keeps
// nothing. A writer may refuse a report with OutputError; nothing may crash,
// leak or be undefined.
#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string>

#include "BomReport.h"
#include "fuzzed_trees.h"

namespace {

class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

void writeEveryFormat(const bomreport::Report& report) {
  NullBuffer buffer;
  std::ostream out(&buffer);
  for (const std::string& name : bomreport::reportFormatNames()) {
    try {
      bomreport::findReportWriter(name)->write(out, report);
    } catch (const bomreport::OutputError&) {
    }
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  fuzzed::Bytes in(bytes, size);
  bomreport::TemplatePtr templ(fuzzed::buildTemplate(in));
  bomreport::DataPtr data(fuzzed::buildData(in));
  const unsigned flags = in.next();

  QelUnitsManager units;
  templ->setUnitsForTokens(&units);
  QelArray<QelString> trace;
  QelIntArray types;
  templ->getTokenTrace(trace);
  templ->getFilterObjTypes(types);
  data->setTemplUsedTokensAndObjTypes(trace, types);
  bomreport::TemplatePtr output(new QelBomTemplate());
  QelBomEvaluator2::evaluate(templ.get(), data.get(), output.get());

  const bomreport::ReportUnits reportUnits(*templ->getBomTemplateUnits(), units);
  bomreport::WriterOptions options;
  options.paper = static_cast<bomreport::Paper>(flags % 3);
  options.landscape = (flags & 4) != 0;
  options.csvSumsUnderToken = (flags & 8) != 0;
  options.date = "2000-01-01";
  const bomreport::Report report{
      output.get(), (flags & 16) ? data.get() : nullptr, "t.json", "p.csv", &reportUnits, &options};
  writeEveryFormat(report);
  return 0;
}
