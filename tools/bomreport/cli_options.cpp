#include "cli_options.h"

#include <iostream>

#include <CLI/CLI.hpp>

#include "BomReportWriter.h"

namespace bomreport {

int parseOptions(int argc, char** argv, Options& options) {
  CLI::App app(
      "Evaluates a bill-of-materials report template over a parts file and writes the "
      "report.\nWithout --template and --data: the built-in default template over the "
      "built-in sample data.",
      "bomreport");
  app.set_version_flag("--version", std::string("bomreport ") + BOMREPORT_VERSION);
  app.add_option("--template", options.templatePath, "template file (JSON)")->type_name("FILE");
  app.add_option("--data", options.dataPath,
                 "parts file: FILE.csv or FILE.json, also gzip-compressed; - for standard input")
      ->type_name("FILE");
  app.add_option("--data-format", options.dataFormat,
                 "read the parts as csv or json (default: by the name, else by the content)")
      ->check(CLI::IsMember({"csv", "json"}))
      ->type_name("FORMAT");
  app.add_option("--delimiter", options.delimiter,
                 "field delimiter of CSV parts: one character, or 'tab' (default ,)")
      ->type_name("CHAR");
  app.add_option("--format", options.format, "report format (default text)")
      ->check(CLI::IsMember(reportFormatNames()))
      ->type_name("FORMAT");
  app.add_option("-o,--output", options.outputPath, "write the report to FILE (atomically)")
      ->type_name("FILE");
  app.add_option("--units", options.units,
                 "display units, e.g. length=mm,weight=kg,area=m2,angle=deg")
      ->type_name("KIND=UNIT,...");
  app.add_option("--setting", options.settings,
                 "stored setting NAME=INT, e.g. C0_BOMSuppressLastZeros=0 (repeatable)")
      ->type_name("NAME=INT")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  auto* trace = app.add_flag("--trace", options.trace,
                             "print the template's token trace and filter object types, stop");
  auto* used =
      app.add_flag("--used", options.used, "after the report, the used handles and tokens per row");
  auto* allTokens =
      app.add_flag("--all-tokens", options.allTokens, "keep every token of the parts file");
  auto* exportTemplate = app.add_flag("--export-template", options.exportTemplate,
                                      "write the template in use as a template file, stop");
  exportTemplate->excludes(trace)->excludes(used)->excludes(allTokens);
  trace->excludes(used);
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::CallForVersion&) {
    std::cout << "bomreport " << BOMREPORT_VERSION << '\n';
    return 0;
  } catch (const CLI::ParseError& e) {
    std::cerr << "bomreport: " << e.what() << " (see bomreport --help)\n";
    return 2;
  }
  return -1;
}

}  // namespace bomreport
