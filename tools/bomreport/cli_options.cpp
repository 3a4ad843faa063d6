#include "cli_options.h"

#include <algorithm>
#include <cctype>
#include <iostream>
#include <map>

#include <unistd.h>

#include <CLI/CLI.hpp>

#include "BomReportOptions.h"
#include "BomReportWarnings.h"
#include "BomReportWriter.h"
#include "BomRevisions.h"

namespace bomreport {
namespace {

// " (did you mean --merge-equal?)" for the first argument that names no option
// and is close to one; empty otherwise.
std::string suggestion(const CLI::App& app, int argc, char** argv) {
  std::vector<std::string> names;
  for (const CLI::Option* option : app.get_options()) {
    for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
  }
  for (int i = 1; i < argc; ++i) {
    std::string argument = argv[i];
    if (argument.rfind("--", 0) != 0) continue;
    argument = argument.substr(0, argument.find('='));
    if (std::find(names.begin(), names.end(), argument) != names.end()) continue;
    const std::string meant = didYouMean(argument, names);
    if (!meant.empty()) return meant;
  }
  return std::string();
}

// What a bare "bomreport" prints.
const char kUsage[] =
    "Usage: bomreport --template FILE.json --data PARTS.csv|PARTS.json [options]\n"
    "\n"
    "The example structure, one line per position:\n"
    "  bomreport --template examples/position-list.json --data examples/steel-parts.csv "
    "--merge-equal\n"
    "\n"
    "The built-in default template over the built-in sample data: bomreport --preview\n"
    "The template designer in the browser: bomreport serve --template T.json --data PARTS.csv\n"
    "Every option: bomreport --help\n";

// What --help ends with.
const char kExamples[] =
    "\nExamples:\n"
    "  Position list of the example structure, equal parts merged, to the terminal:\n"
    "    bomreport --template examples/position-list.json --data examples/steel-parts.csv "
    "--merge-equal --collation natural\n"
    "  The same for the shop, as a PDF on A3 landscape:\n"
    "    bomreport --template examples/position-list.json --data examples/steel-parts.csv "
    "--merge-equal -o positions.pdf --paper a3 --landscape\n"
    "  A spreadsheet to filter, sums as SUBTOTAL formulas:\n"
    "    bomreport --template examples/material-summary.json --data examples/steel-parts.csv "
    "--merge-equal -o materials.xlsx\n"
    "  Straight from an IFC model, weights in tonnes:\n"
    "    bomreport --template examples/position-list.json --data examples/steel-frame.ifc "
    "--merge-equal --units weight=t -o positions.html\n"
    "  Warnings as errors, for scripts (exit 2, nothing written):\n"
    "    bomreport --template examples/assembly-list.json --data examples/steel-parts.csv "
    "--merge-equal --strict -o assemblies.csv\n";

void addPartsReading(CLI::App& app, Options& options);

// An option whose text the library's parser reads into `value`, once: its
// message is the only one for a text it refuses.
template <class Value, class Parse>
CLI::Option* addParsedOption(CLI::App& app, const char* name, Value& value, Parse parse,
                             const char* help) {
  return app.add_option_function<std::string>(
      name,
      [name, &value, parse](const std::string& text) {
        try {
          value = parse(text);
        } catch (const OptionError& error) {
          throw CLI::ValidationError(name, error.what());
        }
      },
      help);
}

// An option of a byte size ("2G", "500M").
void addSizeOption(CLI::App& app, const char* name, std::size_t& size, const char* help) {
  addParsedOption(app, name, size, [](const std::string& text) { return parseByteSize(text); },
                  help)
      ->type_name("SIZE");
}

void addInputOptions(CLI::App& app, Options& options) {
  app.add_option("--template", options.templatePath, "template file (JSON)")->type_name("FILE");
  app.add_option("--data", options.dataPath,
                 "parts file: FILE.csv, FILE.json or FILE.ifc, also gzip-compressed, or "
                 "FILE.ifczip; - for standard input")
      ->type_name("FILE");
  addPartsReading(app, options);
}

// How the parts are read and merged: for a report, a revision list and the
// designer alike.
void addPartsReading(CLI::App& app, Options& options) {
  app.add_option("--data-format", options.dataFormat,
                 "read the parts as csv, json or ifc (default: by the name, else by the content)")
      ->type_name("FORMAT");
  app.add_option("--ifc-map", options.ifcMap,
                 "IFC parts: a mapping file (JSON) over the default mapping of elements and tokens")
      ->type_name("FILE");
  addSizeOption(app, "--max-input-size", options.maxInputSize,
                "the most a parts file read from a pipe or decompressed may hold, e.g. 2G, 500M "
                "(default: a quarter of this machine's memory)");
  addSizeOption(app, "--max-memory", options.maxMemory,
                "the most memory the parts' rows and the report may need, e.g. 8G; more is "
                "refused while reading (default: 90% of what this machine has free)");
  app.add_option("--delimiter", options.delimiter,
                 "field delimiter of CSV parts: one character, or 'tab' (default ,)")
      ->type_name("CHAR");
  app.add_option("--input-units", options.inputUnits,
                 "units of the parts file's numbers (default mm, kg, mm2, rad), e.g. "
                 "length=m,weight=t")
      ->type_name("KIND=UNIT,...");
  app.add_flag("--merge-equal", options.mergeEqual,
               "merge parts equal on every token the template uses into one row");
  app.add_option("--instance-tokens", options.instanceTokens,
                 "tokens each part has its own value of, left out of the match and of merged "
                 "rows (default %ElementID)")
      ->type_name("TOKEN,...")
      ->delimiter(',')
      ->expected(0, 1 << 20);
  app.add_option("--assembly-token", options.assemblyToken,
                 "the column naming a part's assembly, for %MQuantity (default Assembly)")
      ->type_name("TOKEN");
}

// The --format help: every format with its description.
std::string formatsHelp() {
  std::string text = "report format (default: as the output's extension says, else text):";
  for (const ReportFormat& format : reportFormats()) {
    text += std::string("\n  ") + format.name + ": " + format.description;
  }
  return text;
}

// The units, text order and stored settings, of a report and of the designer.
void addUnitOptions(CLI::App& app, Options& options) {
  app.add_option("--units", options.units,
                 "display units, e.g. length=mm,weight=kg,area=m2,angle=deg")
      ->type_name("KIND=UNIT,...");
  app.add_option("--collation", options.collation,
                 "text order: binary (code units, default) or natural (P2 before P10, case "
                 "folded)")
      ->type_name("ORDER");
  app.add_option("--setting", options.settings,
                 "stored setting NAME=INT, e.g. C0_BOMSuppressLastZeros=0 (repeatable)")
      ->type_name("NAME=INT")
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
}

void addReportOptions(CLI::App& app, Options& options) {
  app.add_option("--format", options.format, formatsHelp())
      ->transform(CLI::IsMember(reportFormatNames(), CLI::ignore_case))
      ->type_name("FORMAT");
  app.add_option("-o,--output", options.outputPath,
                 "write the report to FILE (atomically); - is standard output")
      ->type_name("FILE");
  addParsedOption(app, "--paper", options.writer.paper,
                  [](const std::string& text) { return parsePaper(text); },
                  "paper of the PDF, and of HTML and XLSX printed: a4 (default), a3 or letter")
      ->type_name("PAPER");
  app.add_flag("--landscape", options.writer.landscape, "print in landscape");
  app.add_option("--date", options.writer.date,
                 "the date the heads of PDF, HTML and XLSX show (default: today, YYYY-MM-DD)")
      ->type_name("TEXT");
  app.add_flag("--csv-sums-under-token", options.writer.csvSumsUnderToken,
               "CSV: a sum in the column of the token it sums");
  app.add_flag("--csv-raw", options.writer.csvRaw,
               "CSV: write texts as they are, even those a spreadsheet would run as formulas");
  addUnitOptions(app, options);
  app.add_flag("--strict", options.strict, "treat every warning as an error (exit 2, no output)");
}

// bomreport serve: the template designer in the browser.
CLI::App* addServeCommand(CLI::App& app, Options& options) {
  CLI::App* serve = app.add_subcommand(
      "serve",
      "the template designer: a local web page that edits a template with a live preview of "
      "the report over the parts (bomreport serve --template T.json --data PARTS.csv)");
  serve->parse_complete_callback([&options] { options.serve = true; });
  addInputOptions(*serve, options);
  addUnitOptions(*serve, options);
  serve->add_option("--port", options.port, "the port to listen on at 127.0.0.1 (default: a free one)")
      ->check(CLI::Range(0, 65535))
      ->type_name("N");
  serve->add_option("--save-to", options.saveTo,
                    "where the page saves the template (default: the --template file)")
      ->type_name("FILE");
  serve->add_option("--preview-limit", options.previewLimit,
                    "the preview evaluates at most this many parts (default 20000; 0: all)")
      ->check(CLI::NonNegativeNumber)
      ->type_name("N");
  return serve;
}

// bomreport diff: what changed between two revisions of the parts.
CLI::App* addDiffCommand(CLI::App& app, Options& options) {
  CLI::App* diff = app.add_subcommand(
      "diff",
      "the revision list: what changed between two revisions of the parts, line by line of the "
      "template's report (bomreport diff --template T.json --data OLD.csv --data NEW.csv)");
  diff->parse_complete_callback([&options] { options.diff = true; });
  diff->add_option("--template", options.templatePath, "template file (JSON)")->type_name("FILE");
  diff->add_option("--data", options.revisions, "the old parts file, then the new (twice)")
      ->type_name("FILE")
      ->required()
      ->expected(1)
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
  addPartsReading(*diff, options);
  addUnitOptions(*diff, options);
  diff->add_option("--format", options.format, "text, csv, json, html, xlsx or pdf (default: by -o's extension, else text)")
      ->transform(CLI::IsMember(revisionFormats(), CLI::ignore_case))
      ->type_name("FORMAT");
  diff->add_option("-o,--output", options.outputPath, "write the revision list to FILE")
      ->type_name("FILE");
  diff->add_option("--key", options.keyTokens,
                   "the tokens that identify a details line (default: its sort tokens)")
      ->type_name("TOKEN,...")
      ->delimiter(',');
  diff->add_flag("--all", options.diffAll, "list the unchanged lines too");
  diff->add_flag("--by-handle", options.byHandle,
                 "also match parts by handle and list the parts that moved to another line");
  diff->add_flag("--strict", options.strict, "treat every warning as an error (exit 2, no output)");
  return diff;
}

}  // namespace

int parseOptions(int argc, char** argv, Options& options) {
  if (argc <= 1) {
    std::cout << kUsage;
    return 0;
  }
  CLI::App app(
      "Evaluates a bill-of-materials report template over a parts file and writes the "
      "report.\nWith --preview: the built-in default template over the built-in sample data.",
      "bomreport");
  app.set_version_flag("--version", std::string("bomreport ") + BOMREPORT_VERSION);
  app.footer(kExamples);
  addInputOptions(app, options);
  addReportOptions(app, options);
  addServeCommand(app, options);
  addDiffCommand(app, options);
  auto* preview = app.add_flag("--preview", options.preview,
                               "the built-in default template over the built-in sample data");
  auto* trace = app.add_flag("--trace", options.trace,
                             "print the template's token trace and filter object types, stop");
  auto* used =
      app.add_flag("--used", options.used, "after the report, the used handles and tokens per row");
  auto* allTokens =
      app.add_flag("--all-tokens", options.allTokens, "keep every token of the parts file");
  auto* exportTemplate = app.add_flag("--export-template", options.exportTemplate,
                                      "write the template in use as a template file, stop");
  auto* timings = app.add_flag("--timings", options.timings,
                               "print the phases (read, merge, evaluate, write) with their wall "
                               "times and peak memory on standard error");
  exportTemplate->excludes(trace)->excludes(used)->excludes(allTokens)->excludes(timings);
  trace->excludes(timings);
  trace->excludes(used);
  preview->excludes(app.get_option("--template"))->excludes(app.get_option("--data"));
  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp&) {
    std::cout << app.help();
    return 0;
  } catch (const CLI::CallForVersion&) {
    std::cout << "bomreport " << BOMREPORT_VERSION << '\n';
    return 0;
  } catch (const CLI::ParseError& e) {
    std::cerr << "bomreport: " << e.what() << suggestion(app, argc, argv)
              << " (see bomreport --help)\n";
    return 2;
  }
  if (options.serve) return -1;
  if (options.diff) {
    if (options.revisions.size() != 2) {
      std::cerr << "bomreport: diff: give --data twice: the old parts file, then the new\n";
      return 2;
    }
    if (options.outputPath == "-") options.outputPath.clear();
    if (options.format.empty()) options.format = formatForOutputPath(options.outputPath);
    if (options.format.empty() || options.format == "list") {
      std::cerr << "bomreport: diff: a revision list is written as text, csv, json, html, xlsx "
                   "or pdf; name one with --format or by -o's extension\n";
      return 2;
    }
    return -1;
  }
  if (options.outputPath == "-") options.outputPath.clear();
  if (options.format.empty()) options.format = formatForOutputPath(options.outputPath);
  if (options.format.empty()) {
    std::cerr << "bomreport: " << options.outputPath << ": its extension names no report format ("
              << reportFormatExtensions() << "); name one with --format\n";
    return 2;
  }
  const ReportFormat* format = findReportFormat(options.format);
  if (options.outputPath.empty() && format != nullptr && format->binary &&
      ::isatty(STDOUT_FILENO) == 1) {
    std::cerr << "bomreport: " << options.format
              << " is a binary format and standard output is a terminal; write it to a file "
                 "(-o report."
              << options.format << ") or redirect standard output\n";
    return 2;
  }
  return -1;
}

}  // namespace bomreport
