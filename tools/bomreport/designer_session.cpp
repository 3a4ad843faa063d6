#include "designer_session.h"

#include <filesystem>
#include <map>
#include <sstream>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

namespace bomreport {
namespace {

using nlohmann::json;

// A template the census reads the parts through: no filter, every token kept.
constexpr const char kCensusTemplate[] = R"({"children": [{"type": "kDetails"}]})";

const char* typeName(TokenType type) {
  switch (type) {
    case TokenType::kInteger:
      return "integer";
    case TokenType::kReal:
      return "real";
    case TokenType::kText:
      return "text";
    default:
      return nullptr;
  }
}

// The template writer's text of `loaded`: what `bomreport --export-template`
// writes and what a save writes.
std::string templateText(const LoadedTemplate& loaded) {
  std::ostringstream text;
  TreeJsonOptions options;
  options.tokenUnits = &loaded.tokenUnits;
  options.columns = &loaded.columns;
  writeTreeJson(text, *loaded.root, options);
  return text.str();
}

// A template from the page, read as the file it would be saved as: its lines
// are those of the written text.
struct PageTemplate {
  LoadedTemplate loaded;
  std::string text;
};

PageTemplate readPageTemplate(const std::string& name, std::string_view page) {
  PageTemplate read;
  read.text = templateText(readTemplateText(name, page));
  read.loaded = readTemplateText(name, read.text);
  return read;
}

// Where each line of a template's text stands in its tree: the path of child
// indices from the root to a section, and the tuple of that line (or -1).
struct Place {
  json path;
  int tuple = -1;
};

std::map<long long, Place> placesByLine(const LoadedTemplate& loaded) {
  std::map<long long, Place> places;
  for (const SectionPlace& section : sectionPlaces(loaded)) {
    const json path = section.path;
    places[section.line] = {path, -1};
    for (std::size_t t = 0; t < section.tupleLines.size(); ++t) {
      places[section.tupleLines[t]] = {path, static_cast<int>(t)};
    }
  }
  return places;
}

json warningJson(const ReportWarning& warning, const std::string& templateName,
                 const std::map<long long, Place>& places) {
  json item = {{"kind", warningKindName(warning.kind)},
               {"text", spellOptions(warning.text, commandLineSpelling)},
               {"cure", spellOptions(warning.cure, commandLineSpelling)},
               {"file", warning.file},
               {"line", warning.line},
               {"token", warning.token},
               {"section", nullptr},
               {"tuple", nullptr}};
  const auto place = warning.file == templateName ? places.find(warning.line) : places.end();
  if (place != places.end()) {
    item["section"] = place->second.path;
    if (place->second.tuple >= 0) item["tuple"] = place->second.tuple;
  }
  return item;
}

DesignerReply jsonReply(const json& body, int status = 200) {
  DesignerReply reply;
  reply.status = status;
  reply.body = body.dump();
  return reply;
}

DesignerReply errorReply(const std::string& reason, int status) {
  return jsonReply(json{{"error", spellOptions(reason, commandLineSpelling)}}, status);
}

std::string write(EvaluatedReport& report, const ReportWriter& writer) {
  std::ostringstream out;
  writer.write(out, report.view(false));
  return out.str();
}

// The parts' own tokens with their types and the parts that carry each, and
// their object types.
json census(const ReportJobOptions& base, long long previewLimit) {
  ReportJobOptions options = base;
  options.templatePath = "census";
  options.keepAllTokens = true;
  options.mergeEqualParts = false;
  options.sampleDataWanted = true;
  ReportJob job(readTemplateText("census", kCensusTemplate), options);
  EvaluatedReport report = job.evaluate();
  long long parts = 0;
  json list = json::array();
  for (const RowToken& field : rowTokens(report.view(false), &parts)) {
    list.push_back({{"token", field.token},
                    {"type", field.text ? "text" : (field.real ? "real" : "integer")},
                    {"parts", field.rows}});
  }
  json types = json::array();
  for (int code : report.coverage().typesInFile) {
    std::string name = "type " + std::to_string(code);
    for (const auto& known : objectTypeNames()) {
      if (known.first == code) name = known.second;
    }
    types.push_back({{"code", code}, {"name", name}});
  }
  if (types.empty()) {  // the sample data set, or parts without types
    for (const auto& known : objectTypeNames()) {
      types.push_back({{"code", known.first}, {"name", known.second}});
    }
  }
  const bool sample = base.partsPath.empty() && base.partsTable == nullptr;
  const long long previewParts = previewLimit > 0 && parts > previewLimit ? previewLimit : parts;
  return {{"fields", list},
          {"objectTypes", types},
          {"data",
           {{"name", job.dataName()},
            {"sample", sample},
            {"parts", parts},
            {"previewParts", previewParts},
            {"previewLimit", previewLimit}}}};
}

json catalogue() {
  json list = json::array();
  for (const std::string& token : catalogueTokenNames()) {
    const char* type = typeName(catalogueTokenType(token));
    list.push_back({{"token", token}, {"type", type != nullptr ? type : "text"}});
  }
  return list;
}

json formats() {
  json list = json::array();
  for (const ReportFormat& format : reportFormats()) {
    const std::string extensions = format.extensions;
    list.push_back({{"name", format.name},
                    {"extension", extensions.substr(0, extensions.find(' '))},
                    {"description", format.description}});
  }
  return list;
}

}  // namespace

DesignerSession::DesignerSession(DesignerOptions options) : options_(std::move(options)) {
  options_.job.templatePath = templateName();
  const std::string& path = options_.templatePath;
  std::error_code error;
  start_ =
      templateText(!path.empty() && std::filesystem::exists(path, error) ? readTemplateFile(path)
                                                                         : defaultTemplate());
  census_ = census(options_.job, options_.previewLimit).dump();
}

std::string DesignerSession::templateName() const {
  const std::string& path = options_.saveTo.empty() ? options_.templatePath : options_.saveTo;
  return path.empty() ? std::string("template.json")
                      : std::filesystem::path(path).filename().string();
}

std::string DesignerSession::savePath() const {
  return options_.saveTo.empty() ? options_.templatePath : options_.saveTo;
}

DesignerReply DesignerSession::session() const {
  json body = json::parse(census_);
  body["template"] = json::parse(start_);
  body["templateName"] = templateName();
  body["canSave"] = !savePath().empty();
  body["savePath"] =
      savePath().empty() ? json(nullptr) : json(std::filesystem::absolute(savePath()).string());
  body["catalogue"] = catalogue();
  body["unitKinds"] = tokenUnitTypeNames();
  body["formats"] = formats();
  return jsonReply(body);
}

DesignerReply DesignerSession::preview(std::string_view text) const {
  try {
    PageTemplate page = readPageTemplate(templateName(), text);
    const std::map<long long, Place> places = placesByLine(page.loaded);
    ReportJobOptions options = options_.job;
    options.partsLimit = options_.previewLimit;
    ReportJob job(std::move(page.loaded), options);
    EvaluatedReport report = job.evaluate();
    json warnings = json::array();
    for (const ReportWarning& warning : report.warnings()) {
      warnings.push_back(warningJson(warning, templateName(), places));
    }
    const ReportCoverage& coverage = report.coverage();
    json body = {{"html", write(report, *findReportWriter("html"))},
                 {"text", page.text},
                 {"warnings", warnings},
                 {"parts", nullptr},
                 {"previewParts", nullptr}};
    if (coverage.known) {  // not for the sample data set
      body["parts"] = coverage.partsKept;
      body["previewParts"] = coverage.partsKept - coverage.partsCut;
    }
    return jsonReply(body);
  } catch (const InputError& error) {
    return errorReply(error.what(), 422);
  }
}

DesignerReply DesignerSession::save(std::string_view text) {
  if (savePath().empty()) {
    return errorReply(
        "no file to save to: start the designer with --template FILE or --save-to "
        "FILE",
        409);
  }
  std::string written;
  try {
    written = readPageTemplate(templateName(), text).text;
  } catch (const InputError& error) {
    return errorReply(error.what(), 422);
  }
  const std::lock_guard<std::mutex> lock(saving_);
  try {
    OutputTarget target(savePath());
    target.stream() << written;
    target.commit();
  } catch (const OutputError& error) {
    return errorReply(error.what(), 500);
  }
  return jsonReply(
      {{"saved", std::filesystem::absolute(savePath()).string()}, {"bytes", written.size()}});
}

DesignerReply DesignerSession::report(std::string_view text, std::string_view format) const {
  const ReportWriter* writer = findReportWriter(format);
  if (writer == nullptr) return errorReply("no report format " + std::string(format), 404);
  try {
    ReportJob job(readPageTemplate(templateName(), text).loaded, options_.job);
    EvaluatedReport report = job.evaluate();
    DesignerReply reply;
    reply.body = write(report, *writer);
    for (const ReportFormat& known : reportFormats()) {
      if (sameName(known.name, format)) {
        const std::string extensions = known.extensions;
        reply.fileName = std::filesystem::path(templateName()).stem().string() + "-report" +
                         extensions.substr(0, extensions.find(' '));
      }
    }
    reply.contentType = "application/octet-stream";
    return reply;
  } catch (const InputError& error) {
    return errorReply(error.what(), 422);
  } catch (const OutputError& error) {
    return errorReply(error.what(), 500);
  }
}

}  // namespace bomreport
