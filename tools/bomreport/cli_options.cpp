#include "cli_options.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iostream>
#include <map>

#include <CLI/CLI.hpp>

#include "BomReportWriter.h"

namespace bomreport {
namespace {

std::string lowerCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

}  // namespace

std::string formatForOutput(const std::string& outputPath) {
  static const std::map<std::string, std::string> kFormats{
      {".txt", "text"}, {".csv", "csv"},   {".json", "json"}, {".html", "html"},
      {".htm", "html"}, {".xlsx", "xlsx"}, {".pdf", "pdf"}};
  const auto found =
      kFormats.find(lowerCase(std::filesystem::path(outputPath).extension().string()));
  return found != kFormats.end() ? found->second : "text";
}

int parseOptions(int argc, char** argv, Options& options) {
  CLI::App app(
      "Evaluates a bill-of-materials report template over a parts file and writes the "
      "report.\nWithout --template and --data: the built-in default template over the "
      "built-in sample data.",
      "bomreport");
  app.set_version_flag("--version", std::string("bomreport ") + BOMREPORT_VERSION);
  app.add_option("--template", options.templatePath, "template file (JSON)")->type_name("FILE");
  app.add_option("--data", options.dataPath, "parts file: FILE.csv, or FILE.json")
      ->type_name("FILE");
  app.add_option("--format", options.format,
                 "report format (default: as the output's extension says, else text)")
      ->check(CLI::IsMember(reportFormatNames()))
      ->type_name("FORMAT");
  app.add_option("-o,--output", options.outputPath,
                 "write the report to FILE (atomically); - is standard output")
      ->type_name("FILE");
  static const std::map<std::string, Paper> kPapers{
      {"a4", Paper::kA4}, {"a3", Paper::kA3}, {"letter", Paper::kLetter}};
  std::string paper = "a4";
  app.add_option("--paper", paper, "paper of the PDF, and of HTML and XLSX printed (default a4)")
      ->check(CLI::IsMember({"a4", "a3", "letter"}, CLI::ignore_case))
      ->type_name("PAPER");
  app.add_flag("--landscape", options.writer.landscape, "print in landscape");
  app.add_flag("--csv-sums-under-token", options.writer.csvSumsUnderToken,
               "CSV: a sum in the column of the token it sums");
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
  options.writer.paper = kPapers.at(lowerCase(paper));
  if (options.outputPath == "-") options.outputPath.clear();
  if (options.format.empty()) options.format = formatForOutput(options.outputPath);
  return -1;
}

}  // namespace bomreport
