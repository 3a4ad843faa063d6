// bomreport: the command-line host of the report engine.
//
// It drives the engine along the road every host takes:
//   1. the template: read from --template, or the default template;
//   2. units: setUnitsForTokens with the units of --units;
//   3. trace: getTokenTrace and getFilterObjTypes;
//   4. data: a data set given both lists, filled from --data (only the rows
//      whose object type the template wants, only the tokens it requires), or
//      the sample data set;
//   5. evaluation: QelBomEvaluator2::evaluate into an output template;
//   6. results: the report in the chosen format;
//   7. release: every tree emptied and deleted.
//
// Exit status: 0 on success, 2 for bad input or a bad command line (one line
// "bomreport: FILE:LINE[:COL]: reason" on standard error, nothing written), 1
// when the output cannot be written.
#include <filesystem>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <iostream>
#include <new>
#include <string>

#include "atomic_output.h"
#include "cli_options.h"
#include "input_error.h"
#include "parts_builder.h"
#include "parts_csv.h"
#include "parts_json.h"
#include "report_writers.h"
#include "template_reader.h"
#include "template_writer.h"
#include "text_util.h"
#include "tree.h"
#include "units_option.h"

namespace bomreport {
namespace {

// Refuses an output file that is one of the input files.
void checkOutputIsNoInput(const Options& options) {
  namespace fs = std::filesystem;
  if (options.outputPath.empty()) return;
  for (const std::string* input : {&options.templatePath, &options.dataPath}) {
    if (input->empty()) continue;
    std::error_code error;
    if (fs::exists(options.outputPath, error) && fs::exists(*input, error) &&
        fs::equivalent(options.outputPath, *input, error)) {
      throw InputError(options.outputPath, "refusing to write the output over an input file");
    }
  }
}

bool endsWithJson(const std::string& path) {
  const std::string ext = std::filesystem::path(path).extension().string();
  if (ext.size() != 5) return false;
  std::string lower;
  for (char c : ext) lower += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
  return lower == ".json";
}

std::string displayName(const std::string& path, const char* builtIn) {
  return path.empty() ? builtIn : std::filesystem::path(path).filename().string();
}

void writeTrace(std::ostream& out, const QelArray<QelString>& trace, const QelIntArray& types) {
  out << "Token trace:\n";
  for (const QelString& token : trace) out << toUtf8(token) << '\n';
  out << "Filter object types:";
  if (types.count() == 0) out << " (none)";
  for (int type : types) out << ' ' << type;
  out << '\n';
}

DataPtr loadData(const Options& options, const QelArray<QelString>& trace,
                 const QelIntArray& types) {
  DataPtr data(options.dataPath.empty() ? QelBomData::createDefaultData() : new QelBomData());
  data->setTemplUsedTokensAndObjTypes(trace, types);
  if (options.dataPath.empty()) return data;  // the sample set comes ready
  PartsBuilder builder(data.get(), options.allTokens, types.count() > 0);
  if (endsWithJson(options.dataPath)) {
    readPartsJson(options.dataPath, builder);
  } else {
    readPartsCsv(options.dataPath, builder);
  }
  return data;
}

void writeReport(std::ostream& out, const std::string& format, const Report& report) {
  if (format == "list") {
    writeListReport(out, report);
  } else if (format == "csv") {
    writeCsvReport(out, report);
  } else if (format == "json") {
    writeJsonReport(out, report);
  } else if (format == "html") {
    writeHtmlReport(out, report);
  } else {
    writeTextReport(out, report);
  }
}

int run(const Options& options) {
  checkOutputIsNoInput(options);
  applySettings(options.settings);
  QelUnitsManager units;
  if (!options.units.empty()) applyUnitsOption(options.units, units);

  // 1. Template.
  LoadedTemplate loaded =
      options.templatePath.empty() ? defaultTemplate() : readTemplateFile(options.templatePath);
  if (options.exportTemplate) {
    OutputTarget target(options.outputPath);
    TreeJsonOptions json;
    json.tokenUnits = &loaded.tokenUnits;
    writeTreeJson(target.stream(), *loaded.root, json);
    target.commit();
    return 0;
  }
  // 2. Units. 3. Trace.
  loaded.root->setUnitsForTokens(&units);
  QelArray<QelString> trace;
  QelIntArray types;
  loaded.root->getTokenTrace(trace);
  loaded.root->getFilterObjTypes(types);
  if (options.trace) {
    OutputTarget target(options.outputPath);
    writeTrace(target.stream(), trace, types);
    target.commit();
    return 0;
  }
  // 4. Data.
  DataPtr data = loadData(options, trace, types);
  // 5. Evaluation.
  TemplatePtr output(new QelBomTemplate());
  QelBomEvaluator2::evaluate(loaded.root.get(), data.get(), output.get());
  // 6. Results.
  const Report report{output.get(), options.used ? data.get() : nullptr,
                      displayName(options.templatePath, "built-in default template"),
                      displayName(options.dataPath, "built-in sample data")};
  OutputTarget target(options.outputPath);
  writeReport(target.stream(), options.format, report);
  target.commit();
  // 7. Release: the handles empty and delete the output, data and template.
  return 0;
}

}  // namespace
}  // namespace bomreport

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // A report allocates and later frees millions of small blocks (rows, tuples,
  // texts). Without glibc's fast bins those frees skip the repeated
  // consolidation passes that otherwise dominate releasing a large data set;
  // a larger top pad asks the system for memory in fewer, larger steps.
  mallopt(M_MXFAST, 0);
  mallopt(M_TOP_PAD, 64 << 20);
#endif
  std::ios::sync_with_stdio(false);
  bomreport::Options options;
  const int status = bomreport::parseOptions(argc, argv, options);
  if (status >= 0) return status;
  try {
    return bomreport::run(options);
  } catch (const bomreport::InputError& e) {
    std::cerr << "bomreport: " << e.what() << '\n';
    return 2;
  } catch (const bomreport::OutputError& e) {
    std::cerr << "bomreport: " << e.what() << '\n';
    return 1;
  } catch (const std::bad_alloc&) {
    std::cerr << "bomreport: out of memory\n";
    return 1;
  }
}
