// bomreport: the command-line front end of the report engine.
//
// A ReportJob takes the template, binds its units and traces it, reads the
// parts and evaluates; this file only chooses what to do with the command
// line's options and where the result goes.
//
// Exit status: 0 on success, 2 for bad input or a bad command line (one line
// "bomreport: FILE:LINE[:COL]: reason" on standard error, nothing written), 1
// when the output cannot be written.
#include <iostream>
#include <new>
#include <string>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "BomReport.h"
#include "cli_options.h"

namespace bomreport {
namespace {

ReportJobOptions jobOptions(const Options& options) {
  ReportJobOptions job;
  job.templatePath = options.templatePath;
  job.partsPath = options.dataPath;
  job.units = options.units;
  job.settings = options.settings;
  job.keepAllTokens = options.allTokens;
  return job;
}

int run(const Options& options) {
  checkOutputIsNoInput(options.outputPath, {options.templatePath, options.dataPath});
  ReportJob job(jobOptions(options));
  OutputTarget target(options.outputPath);
  if (options.exportTemplate) {
    TreeJsonOptions json;
    json.tokenUnits = &job.tokenUnits();
    writeTreeJson(target.stream(), job.templ(), json);
  } else if (options.trace) {
    writeTokenTrace(target.stream(), job.trace().tokens, job.trace().filterObjTypes);
  } else {
    EvaluatedReport report = job.evaluate();
    Report view = report.view(options.used);
    view.options = &options.writer;
    findReportWriter(options.format)->write(target.stream(), view);
  }
  target.commit();
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
