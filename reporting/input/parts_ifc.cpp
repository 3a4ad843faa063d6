#include "input/parts_ifc.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "BomReportErrors.h"
#include "BomReportTrees.h"
#include "input/ifc_mapping.h"
#include "input/ifc_model.h"
#include "input/ifc_sources.h"
#include "input/ifc_units.h"
#include "input/ifc_zip.h"
#include "input/step_reader.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

bool schemaIsRead(const std::string& schema) {
  return schema == "IFC2X3" || schema == "IFC2X3_TC1" || schema == "IFC4" || schema == "IFC4X3" ||
         schema.compare(0, 7, "IFC4X3_") == 0;
}

std::string formatNumber(double number) {
  char buffer[32];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, number);
  return std::string(buffer, result.ptr);
}

bool fitsInt32(double number) {
  return number == std::floor(number) && number >= -2147483648.0 && number <= 2147483647.0;
}

std::string sourcesText(const IfcSources& sources) {
  if (sources.empty()) return "none, the mapping gives this entity no source";
  std::string text;
  for (const IfcSource& source : sources) text += (text.empty() ? "" : ", ") + source.text;
  return text;
}

struct PlannedToken {
  std::string token;
  const TokenInfo* info;  // the builder's, which outlives the reading
  IfcSources sources;
  bool required;  // the template uses it
};

struct EntityPlan {
  const IfcEntityMapping* mapping;
  std::vector<PlannedToken> tokens;  // those the builder keeps
};

// A value that could not be typed for its token: how often, and the first.
struct BadValue {
  long long count = 0;
  std::string first;
};

class PartsIfcReader {
 public:
  // `text` is the model, named `name`; `release` the input whose read pages
  // may be given back, or null.
  PartsIfcReader(std::string name, std::string_view text, const InputBytes* release,
                 PartsBuilder& builder, IfcMapping mapping)
      : name_(std::move(name)),
        text_(text),
        release_(release),
        builder_(builder),
        mapping_(std::move(mapping)) {}

  void run() {
    for (const std::string& warning : mapping_.warnings) builder_.warn(warning);
    StepReader reader(name_, text_);
    checkSchema(reader, reader.readHeader());
    plan();
    model_.read(reader, needs_, release_);
    std::vector<std::string> notes;
    units_.read(model_, notes);
    for (const std::string& note : notes) builder_.warn(name_ + ": " + note);
    IfcSourceReader sources(model_, units_);
    for (std::uint64_t id : model_.parts()) {
      const IfcEntity* entity = model_.find(id);
      readPart(*entity, plans_.at(model_.keyword(*entity)), sources);
    }
    warnAll(reader, sources);
  }

 private:
  void checkSchema(const StepReader& reader, const std::vector<std::string>& schemas) const {
    if (schemas.empty()) reader.fail("the header names no schema (FILE_SCHEMA): not an IFC model");
    for (const std::string& schema : schemas) {
      if (schemaIsRead(schema)) continue;
      reader.failAt(
          reader.schemaLine(), reader.schemaColumn(),
          "schema " + quoteForMessage(schema) + " is not read (IFC2X3, IFC4 and IFC4X3 are)");
    }
  }

  void addNeeds(const IfcSources& sources) {
    for (const IfcSource& source : sources) {
      if (source.kind == IfcSourceKind::kAttribute) {
        needs_.elementAttributes.push_back(source.attribute);
      } else if (source.kind == IfcSourceKind::kProperty) {
        needs_.propertyNames.insert(source.name);
      } else if (source.kind == IfcSourceKind::kQuantity) {
        needs_.quantityNames.insert(source.name);
      } else if (source.kind == IfcSourceKind::kProfile || source.kind == IfcSourceKind::kDepth) {
        needs_.elementAttributes.push_back(IfcModel::kRepresentation);
      }
    }
  }

  // What each entity's parts are read for, and so what the model keeps.
  void plan() {
    for (const IfcEntityMapping& entity : mapping_.entities) {
      EntityPlan plan{&entity, {}};
      for (IfcTokenMapping& token : mapping_.tokensOf(entity)) {
        const TokenInfo& info = builder_.tokenInfo(token.token);
        if (!info.kept) continue;
        addNeeds(token.sources);
        const bool required = builder_.templateRequires(token.token);
        plan.tokens.push_back(PlannedToken{token.token, &info, std::move(token.sources), required});
      }
      needs_.elementKeywords.insert(entity.keyword);
      plans_.emplace(entity.keyword, std::move(plan));
    }
    planMissing();
    addNeeds(mapping_.handle);
    needs_.elementKeywords.insert("IFCELEMENTASSEMBLY");
    std::vector<int>& attributes = needs_.elementAttributes;
    std::sort(attributes.begin(), attributes.end());
    attributes.erase(std::unique(attributes.begin(), attributes.end()), attributes.end());
  }

  // A token the template uses that some entities map and others do not: the
  // others' parts are counted as without a value, from no source.
  void planMissing() {
    std::map<std::string, const TokenInfo*> required;
    for (const auto& plan : plans_) {
      for (const PlannedToken& token : plan.second.tokens) {
        if (token.required) required.emplace(token.token, token.info);
      }
    }
    for (auto& plan : plans_) {
      std::vector<PlannedToken>& tokens = plan.second.tokens;
      for (const auto& token : required) {
        if (std::none_of(tokens.begin(), tokens.end(),
                         [&](const PlannedToken& t) { return t.token == token.first; })) {
          tokens.push_back(PlannedToken{token.first, token.second, {}, true});
        }
      }
    }
  }

  static IfcResult firstResult(const IfcSources& sources, IfcSourceReader& reader,
                               IfcSourceReader::Element& element) {
    for (const IfcSource& source : sources) {
      IfcResult result = reader.read(source, element);
      if (result.found) return result;
    }
    return IfcResult();
  }

  // Types a result as a CSV cell of the token is typed; false with the reason
  // when the token cannot take it.
  bool typeValue(const TokenInfo& info, const IfcResult& result, QelBomDataValue& value,
                 std::string& problem) {
    const std::string text = result.isNumber ? formatNumber(result.number) : result.text;
    if (result.isNumber && info.catalogue == QelBomDataValue::kIntDataValue) {
      if (!fitsInt32(result.number)) {
        problem = quoteForMessage(text) + " is not a 32-bit integer";
        return false;
      }
      value.set(static_cast<int>(result.number));
      return true;
    }
    if (result.isNumber && info.catalogue != QelBomDataValue::kStringDataValue) {
      if (info.catalogue == QelBomDataValue::kUnkDataValueType && result.integral &&
          fitsInt32(result.number)) {
        value.set(static_cast<int>(result.number));
      } else {
        value.set(result.number);
      }
      return true;
    }
    problem = typeCell(text, info.catalogue, &value, &builder_.texts());
    return problem.empty();
  }

  void addToken(const PlannedToken& token, const IfcEntity& entity, IfcSourceReader& reader,
                IfcSourceReader::Element& element, QelBomDataRow& row) {
    const IfcResult result = firstResult(token.sources, reader, element);
    if (!result.found) {
      if (token.required) ++lacking_[{model_.keyword(entity), token.token}];
      return;
    }
    found_.insert(token.token);
    QelBomDataTuple tuple;
    std::string problem;
    if (!typeValue(*token.info, result, tuple.value(), problem)) {
      BadValue& bad = badValues_[token.token];
      if (bad.count++ == 0) {
        bad.first = problem + " (#" + std::to_string(entity.id) + " at line " +
                    std::to_string(entity.line) + ")";
      }
      return;
    }
    tuple.setToken(token.info->token);
    row.getData().appendGrowing(std::move(tuple));
  }

  void readPart(const IfcEntity& entity, const EntityPlan& plan, IfcSourceReader& reader) {
    IfcSourceReader::Element element(entity);
    const bool keep = builder_.keepsObjectType(true, plan.mapping->type);
    // Aggregation cycles are errors whatever is kept and whatever the template
    // reads of the assemblies (the walk up is kept, so each chain is walked once).
    reader.read(kAssemblyCheck, element);
    if (!keep) {
      builder_.finishPart(nullptr, false);
      return;
    }
    std::unique_ptr<QelBomDataRow> row(new QelBomDataRow());
    const IfcResult handle = firstResult(mapping_.handle, reader, element);
    row->setObjectHandle(toQel(!handle.found     ? std::to_string(builder_.partsRead() + 1)
                               : handle.isNumber ? formatNumber(handle.number)
                                                 : handle.text));
    for (const PlannedToken& token : plan.tokens) addToken(token, entity, reader, element, *row);
    builder_.finishPart(row.release(), true);
  }

  void warnAll(const StepReader& step, const IfcSourceReader& reader) {
    const std::string& name = name_;
    if (model_.parts().empty()) {
      builder_.warn(name + ": the model has no element of an entity the mapping reads as parts");
    }
    for (const auto& lack : lacking_) {
      if (found_.count(lack.first.second) == 0) {
        // No part has it: the job warns once, as of a parts file's missing column.
        builder_.unnameToken(lack.first.second);
        continue;
      }
      const EntityPlan& plan = plans_.at(lack.first.first);
      const PlannedToken* token = nullptr;
      for (const PlannedToken& t : plan.tokens) {
        if (t.token == lack.first.second) token = &t;
      }
      builder_.warn(name + ": " + std::to_string(lack.second) + " part" +
                    (lack.second == 1 ? "" : "s") + " of " + plan.mapping->name + " (object type " +
                    std::to_string(plan.mapping->type) +
                    ") without a value of the template's token " + lack.first.second +
                    " (sources tried: " + sourcesText(token->sources) +
                    "); a mapping file (--ifc-map) names others");
    }
    for (const auto& bad : badValues_) {
      builder_.warn(name + ": " + std::to_string(bad.second.count) + " value" +
                    (bad.second.count == 1 ? "" : "s") + " of " + bad.first +
                    " left out, the token cannot take them: " + bad.second.first);
    }
    if (model_.missingReferences() > 0) {
      builder_.warn(name + ": " + std::to_string(model_.missingReferences()) +
                    " reference(s) to instances the file does not have (the first to #" +
                    std::to_string(model_.firstMissing()) + "), read as absent");
    }
    if (model_.complexInstances() > 0) {
      builder_.warn(
          name + ": " + std::to_string(model_.complexInstances()) +
          " complex instance(s) (several entity names in one) not read, the first at line " +
          std::to_string(model_.firstComplexLine()));
    }
    for (const auto& skipped : reader.skipped()) {
      builder_.warn(name + ": " + std::to_string(skipped.second.first) + " x " + skipped.first +
                    " not read, the first at line " + std::to_string(skipped.second.second));
    }
    for (const auto& unassigned : reader.unassigned()) {
      builder_.warn(name + ": the model assigns no " + IfcUnits::unassignedNote(unassigned.first) +
                    ", for " + std::to_string(unassigned.second) + " value(s)");
    }
    for (const auto& foreign : reader.foreignUnits()) {
      const IfcEntity* unit = model_.find(foreign.second.firstUnit);
      builder_.warn(name + ": " + std::to_string(foreign.second.values) +
                    " value(s) of a quantity or property whose own unit is no " +
                    IfcUnits::unitTypeName(foreign.first) +
                    " this reader converts (the first, #" +
                    std::to_string(foreign.second.firstUnit) +
                    (unit != nullptr ? " at line " + std::to_string(unit->line) : std::string()) +
                    "), read in the project's unit instead");
    }
    if (step.rawLatin1Strings() > 0) {
      builder_.warn(name + ": " + std::to_string(step.rawLatin1Strings()) +
                    " string(s) with bytes that are not UTF-8, read as ISO 8859-1");
    }
    if (step.nonLatinPageStrings() > 0) {
      builder_.warn(name + ": " + std::to_string(step.nonLatinPageStrings()) +
                    " string(s) in ISO 8859 pages other than 1 (\\P?\\), read as ISO 8859-1");
    }
  }

  static const IfcSource kAssemblyCheck;

  std::string name_;
  std::string_view text_;
  const InputBytes* release_;
  PartsBuilder& builder_;
  IfcMapping mapping_;
  IfcModelNeeds needs_;
  IfcModel model_;
  IfcUnits units_;
  std::map<std::string, EntityPlan> plans_;                           // by entity keyword
  std::map<std::pair<std::string, std::string>, long long> lacking_;  // (keyword, token): parts
  std::map<std::string, BadValue> badValues_;                         // by token
  std::set<std::string> found_;  // tokens of which some part has a value
};

const IfcSource PartsIfcReader::kAssemblyCheck = [] {
  IfcSource source;
  parseIfcSource("assembly:value:", source);
  source.kind = IfcSourceKind::kValue;
  source.onAssembly = true;
  return source;
}();

}  // namespace

void readPartsIfc(const InputBytes& input, PartsBuilder& builder, const std::string& mappingPath,
                  const InputLimits& limits) {
  IfcMapping mapping = IfcMapping::defaults();
  if (!mappingPath.empty()) mapping.readFile(mappingPath);
  if (looksLikeZip(input.text())) {
    const std::string text = unzipIfc(input.name(), input.text(), limits.effectiveMaxBytes());
    PartsIfcReader(input.name(), text, nullptr, builder, std::move(mapping)).run();
    return;
  }
  PartsIfcReader(input.name(), input.text(), &input, builder, std::move(mapping)).run();
}

void readPartsIfc(const std::string& path, PartsBuilder& builder) {
  const InputBytes input(path);
  readPartsIfc(input, builder);
}

}  // namespace bomreport
