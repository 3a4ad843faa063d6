// bomreport: the command-line front end of the report engine.
//
// A ReportJob takes the template, binds its units and traces it, reads the
// parts and evaluates; this file only chooses what to do with the command
// line's options and where the result goes.
//
// Exit status: 0 on success, 2 for bad input or a bad command line (one line
// "bomreport: FILE:LINE[:COL]: reason" on standard error, nothing written), 1
// when the output cannot be written. Warnings go to standard error as
// "bomreport: warning: ..."; with --strict any warning is exit status 2 and
// nothing is written.
#include <iostream>
#include <new>
#include <sstream>
#include <string>
#include <vector>
#include <sys/resource.h>
#include <unistd.h>

#include <fstream>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "BomReport.h"
#include "cli_options.h"
#include "designer_server.h"

namespace bomreport {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kLeakChecked = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(leak_sanitizer)
constexpr bool kLeakChecked = true;
#else
constexpr bool kLeakChecked = false;
#endif
#else
constexpr bool kLeakChecked = false;
#endif
// A sanitizer whose shadow memory counts as data: ThreadSanitizer's too.
#if defined(__SANITIZE_THREAD__)
constexpr bool kShadowed = true;
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
constexpr bool kShadowed = true;
#else
constexpr bool kShadowed = kLeakChecked;
#endif
#else
constexpr bool kShadowed = kLeakChecked;
#endif

// The value the library's parser reads from an option's text; InputError
// "--NAME: reason" (exit status 2) when it reads none.
template <class Parse>
auto parsed(const char* name, Parse parse) -> decltype(parse()) {
  try {
    return parse();
  } catch (const OptionError& error) {
    throw InputError(std::string("--") + name, error.what());
  }
}

ReportJobOptions jobOptions(const Options& options) {
  ReportJobOptions job;
  for (const std::string& setting : options.settings) {
    job.settings.push_back(parsed("setting", [&] { return parseSetting(setting); }));
  }
  job.templatePath = options.templatePath;
  job.partsPath = options.dataPath;
  job.partsFormat = parsed("data-format", [&] { return parsePartsFormat(options.dataFormat); });
  job.maxInputSize = options.maxInputSize;
  job.maxMemory = options.maxMemory;
  job.ifcMapPath = options.ifcMap;
  job.delimiter = parsed("delimiter", [&] { return parseDelimiter(options.delimiter); });
  job.units = parsed("units", [&] { return parseUnits(options.units); });
  job.keepAllTokens = options.allTokens;
  job.sampleDataWanted = options.preview;
  job.inputUnits = parsed("input-units", [&] { return parseUnits(options.inputUnits); });
  job.mergeEqualParts = options.mergeEqual;
  job.instanceTokens = options.instanceTokens;
  job.assemblyToken = options.assemblyToken;
  job.collation = parsed("collation", [&] { return parseCollation(options.collation); });
  return job;
}

// Keeps the process's memory below what the machine has free, so that a report
// too large for it fails with "out of memory" (exit status 1, nothing
// written) instead of being killed by the system. Not with a leak checker,
// whose shadow memory counts as data too.
void limitMemoryToMachine() {
  if (kShadowed) return;
  std::ifstream meminfo("/proc/meminfo");
  std::string key;
  unsigned long long kilobytes = 0;
  while (meminfo >> key >> kilobytes) {
    if (key == "MemAvailable:") break;
    meminfo.ignore(1 << 10, '\n');
  }
  if (key != "MemAvailable:" || kilobytes == 0) return;
  const rlim_t limit = static_cast<rlim_t>(kilobytes) * 1024 / 10 * 9;
  struct rlimit current;
  if (::getrlimit(RLIMIT_DATA, &current) != 0 || current.rlim_cur <= limit) return;
  current.rlim_cur = limit;
  ::setrlimit(RLIMIT_DATA, &current);
}

// Prints the warnings; false when --strict makes them stop the run.
bool passesWarnings(const std::vector<ReportWarning>& warnings, bool strict) {
  for (const ReportWarning& warning : warnings)
    std::cerr << "bomreport: warning: " << wordWarning(warning) << '\n';
  if (!strict || warnings.empty()) return true;
  std::cerr << "bomreport: --strict: " << warnings.size()
            << (warnings.size() == 1 ? " warning" : " warnings") << ", nothing written\n";
  return false;
}

// bomreport diff: the two revisions' reports compared, the revision list written.
int runDiff(const Options& options) {
#ifdef __GLIBC__
  // The older revision's lines are keyed on a thread of their own: in an arena
  // of its own, glibc would grow and trim that thread's heap a page run at a
  // time (thousands of mprotect and madvise calls at a million lines).
  mallopt(M_ARENA_MAX, 1);
#endif
  checkOutputIsNoInput(options.outputPath, {options.templatePath, options.revisions[0],
                                            options.revisions[1], options.ifcMap});
  RevisionOptions compare;
  compare.keyTokens = options.keyTokens;
  compare.all = options.diffAll;
  compare.byHandle = options.byHandle;
  compare.keepTreesUntilExit = !kLeakChecked;  // see run()
  const Revisions revisions =
      diffRevisions(jobOptions(options), options.revisions[0], options.revisions[1], compare);
  if (!passesWarnings(revisions.warnings, options.strict)) return 2;
  OutputTarget target(options.outputPath);
  writeRevisions(target.stream(), revisions, options.format);
  target.commit();
  return 0;
}

int run(const Options& options) {
  if (options.diff) return runDiff(options);
  if (options.serve) {
    checkOutputIsNoInput(options.saveTo.empty() ? options.templatePath : options.saveTo,
                         {options.dataPath, options.ifcMap});
    DesignerOptions designer{jobOptions(options), options.templatePath, options.saveTo,
                             options.previewLimit};
    return serveDesigner(std::move(designer), options.port, std::cout);
  }
  checkOutputIsNoInput(options.outputPath,
                      {options.templatePath, options.dataPath, options.ifcMap});
  ReportJob job(jobOptions(options));
  if (options.exportTemplate || options.trace) {
    if (!passesWarnings(job.warnings(), options.strict)) return 2;
    OutputTarget target(options.outputPath);
    if (options.exportTemplate) {
      TreeJsonOptions json;
      json.tokenUnits = &job.tokenUnits();
      json.columns = &job.columns();
      writeTreeJson(target.stream(), job.templ(), json);
    } else {
      writeTokenTrace(target.stream(), job.trace());
    }
    target.commit();
    return 0;
  }
  EvaluatedReport report = job.evaluate();
  // bomreport exits once the report is written: the system takes the trees'
  // memory back at once. Builds with a leak checker release them, so that it
  // sees every tree released.
  if (!kLeakChecked) report.keepUntilExit();
  if (!passesWarnings(report.warnings(), options.strict)) return 2;
  report.phases().begin("write");
  Report view = report.view(options.used);
  view.options = &options.writer;
  std::vector<ReportWarning> cut;
  view.writerWarnings = &cut;
  OutputTarget target(options.outputPath);
  // Under --strict a document for standard output is held until its writer
  // has said whether it shows everything.
  std::ostringstream held;
  const bool hold = options.strict && options.outputPath.empty();
  findReportWriter(options.format)->write(hold ? held : target.stream(), view);
  if (!passesWarnings(cut, options.strict)) return 2;
  if (hold) target.stream() << held.str();
  target.commit();
  report.phases().end();
  if (options.timings) std::cerr << report.phases().text("bomreport: timing: ");
  return 0;
}

}  // namespace
}  // namespace bomreport

int main(int argc, char** argv) {
#ifdef __GLIBC__
  // Without glibc's fast bins, freeing many blocks skips the repeated
  // consolidation passes that otherwise dominate releasing a large data set.
  // (Rows, tuples, texts and items come from the roots library's block pools;
  // what the C heap frees, such as the sort's tables, goes back to the system
  // with glibc's default top pad instead of staying resident.)
  mallopt(M_MXFAST, 0);
#endif
  std::ios::sync_with_stdio(false);
  bomreport::limitMemoryToMachine();
  bomreport::removeTemporaryFilesOnSignals();
  bomreport::Options options;
  const int status = bomreport::parseOptions(argc, argv, options);
  if (status >= 0) return status;
  try {
    return bomreport::run(options);
  } catch (const bomreport::InputError& e) {
    std::cerr << "bomreport: " << bomreport::spellOptions(e.what(), bomreport::commandLineSpelling)
              << '\n';
    return 2;
  } catch (const bomreport::OutputError& e) {
    std::cerr << "bomreport: " << e.what() << '\n';
    return 1;
  } catch (const std::bad_alloc&) {
    std::cerr << "bomreport: out of memory: the report needs more memory than this machine has "
                 "free; nothing was written\n";
    return 1;
  } catch (const std::exception& e) {
    std::cerr << "bomreport: " << e.what() << "; nothing was written\n";
    return 1;
  }
}
