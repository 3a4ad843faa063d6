// The command line of bomreport.
#ifndef BOMREPORT_CLI_OPTIONS_H_
#define BOMREPORT_CLI_OPTIONS_H_

#include <string>
#include <vector>

#include "BomReportWriter.h"

namespace bomreport {

struct Options {
  std::string templatePath;  // empty: the default template
  std::string dataPath;      // empty: the sample data set; "-": standard input
  std::string dataFormat;    // "csv", "json", "ifc"; empty: by name or content
  std::string ifcMap;        // empty: the default IFC mapping
  std::size_t maxInputSize = 0;  // 0: the library's default for this machine
  std::size_t maxMemory = 0;     // 0: what the machine has free
  std::string delimiter = ",";
  // Without --format, the output's extension decides (text for none or another).
  std::string format;
  std::string outputPath;    // empty (or "-" on the command line): standard output
  std::string units;         // empty: the units library's current units
  std::string inputUnits;    // empty: internal units
  std::vector<std::string> settings;
  std::vector<std::string> instanceTokens{"%ElementID"};
  std::string assemblyToken = "Assembly";
  std::string collation = "binary";
  bool mergeEqual = false;
  bool strict = false;
  bool preview = false;
  bool trace = false;
  bool used = false;
  bool exportTemplate = false;
  bool allTokens = false;
  bool timings = false;  // the phases' wall times and peak memory on standard error
  WriterOptions writer;  // --paper, --landscape, --csv-sums-under-token
  // bomreport serve: the template designer.
  bool serve = false;
  int port = 0;           // 0: a free port
  std::string saveTo;     // empty: save to --template
  long long previewLimit = 20000;
  // bomreport diff: two revisions of the parts under one template.
  bool diff = false;
  std::vector<std::string> revisions;  // the old parts file, then the new
  std::vector<std::string> keyTokens;  // empty: the details' sort tokens
  bool diffAll = false;
  bool byHandle = false;
};

// Parses the command line into `options`. Returns -1 when the run goes on,
// otherwise the exit status: 0 after --help, --version or a bare command
// (which prints a short usage), 2 after a usage error (reported on standard
// error).
int parseOptions(int argc, char** argv, Options& options);

}  // namespace bomreport

#endif  // BOMREPORT_CLI_OPTIONS_H_
