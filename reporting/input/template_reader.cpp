#include "BomTemplateFile.h"

#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

#include "input/input_bytes.h"
#include "input/json_frames.h"
#include "text/names.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

enum class Frame { kRoot, kSection, kChildren, kTuples, kTuple, kUnits, kUnit, kColumns, kColumn,
                   kUnitDecimals };
enum class Key {
  kNone,
  kType,
  kTuples,
  kChildren,
  kTokenUnits,
  kColumns,
  kCaption,
  kDecimals,
  kColumn,  // in "columns": a token, whose column object comes next
  kUnit     // in "decimals": a unit symbol, whose decimals come next
};

// What a frame keeps besides its kind and keys.
struct TemplateFrame {
  QelBomTemplateItem* section = nullptr;  // the section the frame belongs to
  int depth = 0;                          // of that section: the root is 0
  QelBomDataTuple tuple;                  // kTuple: the pair being read
  QelString unitToken;                    // kUnit
  QelBomTemplateUnits::eTokenUnitType unitType = QelBomTemplateUnits::kUnkTokenUnitType;
  ColumnStyle column;  // kColumns: the column whose object comes next; kColumn: its style
  std::string unit;    // kUnitDecimals: the unit whose decimals come next
};

TemplateFrame frameOf(QelBomTemplateItem* section, int depth) {
  TemplateFrame frame;
  frame.section = section;
  frame.depth = depth;
  return frame;
}

class TemplateJsonReader : public JsonFrameReader<Frame, Key, TemplateFrame> {
 public:
  TemplateJsonReader(const std::string& fileName, std::string_view text, LoadedTemplate& out)
      : JsonFrameReader(fileName, text), out_(out) {}

 protected:
  bool onStartObject() override {
    if (!inside()) {
      if (rootDone_) return unexpected("second template");
      out_.lines.sections[out_.root.get()] = tokenLine();
      return push(Frame::kRoot, frameOf(out_.root.get(), 0));
    }
    TemplateFrame& data = top().data;
    if (at(Frame::kRoot, Key::kColumns)) return push(Frame::kColumns, frameOf(data.section, 0));
    if (at(Frame::kColumns, Key::kColumn)) {
      TemplateFrame column = frameOf(data.section, 0);
      column.column = std::move(data.column);
      data.column = ColumnStyle();
      return push(Frame::kColumn, std::move(column));
    }
    if (at(Frame::kColumn, Key::kDecimals)) {  // decimals by unit
      TemplateFrame byUnit = frameOf(data.section, 0);
      byUnit.column = std::move(data.column);
      return push(Frame::kUnitDecimals, std::move(byUnit));
    }
    if (top().frame != Frame::kChildren) return unexpected("object");
    const int depth = data.depth + 1;
    if (depth > kMaxSectionDepth) {
      return fail("sections nested deeper than " + std::to_string(kMaxSectionDepth) + " levels");
    }
    auto* section = new QelBomTemplateItem();
    data.section->addChild(section);  // the tree owns it from here on
    out_.lines.sections[section] = tokenLine();
    return push(Frame::kSection, frameOf(section, depth));
  }

  bool onKey(const std::string& name) override {
    switch (top().frame) {
      case Frame::kColumns:
        return onColumnKey(name);
      case Frame::kUnitDecimals:
        return onUnitKey(name);
      case Frame::kColumn:
        if (name == "caption") return takeKey(Key::kCaption, name);
        if (name == "decimals") return takeKey(Key::kDecimals, name);
        return unknownKey(name, " in the column of " + quoteForMessage(top().data.column.key) +
                                    " (a column has \"caption\" and \"decimals\")");
      default:
        break;
    }
    if (name == "type") return takeKey(Key::kType, name);
    if (name == "tuples") return takeKey(Key::kTuples, name);
    if (name == "children") return takeKey(Key::kChildren, name);
    if (top().frame == Frame::kRoot) {
      if (name == "tokenUnits") return takeKey(Key::kTokenUnits, name);
      if (name == "columns") return takeKey(Key::kColumns, name);
    }
    return unknownKey(name);
  }

  bool onString(const std::string& value) override {
    if (at(Frame::kRoot, Key::kType) || at(Frame::kSection, Key::kType)) {
      valueRead();
      return setType(value);
    }
    if (at(Frame::kColumn, Key::kCaption)) {
      // A heading is one line of text: a control character would reach a
      // terminal as itself (a bell, an escape) or change the line's shape.
      for (const char c : value) {
        const unsigned char unit = static_cast<unsigned char>(c);
        if (unit < 0x20 || unit == 0x7F) {
          char code[8];
          std::snprintf(code, sizeof code, "U+%04X", unit);
          return fail(std::string("a caption holds the control character ") + code +
                      "; write the heading as one line of text");
        }
      }
      top().data.column.caption = value;
      return valueRead();
    }
    if (at(Frame::kTuple) && top().elements < 2) {
      if (top().elements++ == 0) {
        top().data.tuple.setToken(toQel(value));
      } else {
        top().data.tuple.value().set(toQel(value));
      }
      return true;
    }
    if (at(Frame::kUnit) && top().elements < 2) {
      if (top().elements++ == 0) {
        top().data.unitToken = toQel(value);
        return true;
      }
      if (!unitTypeFromName(value, top().data.unitType)) {
        return fail("unknown token unit type " + quoteForMessage(value));
      }
      return true;
    }
    return unexpected("string");
  }

  bool onNumber(const JsonNumber& number) override {
    const bool byUnit = at(Frame::kUnitDecimals, Key::kUnit);
    if (at(Frame::kColumn, Key::kDecimals) || byUnit) {
      if (!number.fitsInt32 || number.int32 < 0 || number.int32 > kMaxColumnDecimals) {
        return fail("\"decimals\" must be a whole number from 0 to " +
                    std::to_string(kMaxColumnDecimals));
      }
      ColumnStyle& column = top().data.column;
      if (!byUnit) column.decimals = number.int32;
      if (byUnit) column.unitDecimals.emplace_back(std::move(top().data.unit), number.int32);
      return valueRead();
    }
    if (!at(Frame::kTuple) || top().elements != 1) return unexpected("number");
    if (number.integral && !number.fitsInt32) {
      return fail("integer value out of the 32-bit range");
    }
    if (number.integral) {
      top().data.tuple.value().set(number.int32);
    } else {
      top().data.tuple.value().set(number.real);
    }
    ++top().elements;
    return true;
  }

  bool onNull() override {
    if (!at(Frame::kTuple) || top().elements != 1) return unexpected("null");
    ++top().elements;  // a tuple without a value
    return true;
  }

  bool onStartArray() override {
    if (!inside()) return unexpected("array");
    const TemplateFrame& data = top().data;
    if (at(Frame::kRoot, Key::kTuples) || at(Frame::kSection, Key::kTuples)) {
      return push(Frame::kTuples, frameOf(data.section, data.depth));
    }
    if (at(Frame::kRoot, Key::kChildren) || at(Frame::kSection, Key::kChildren)) {
      return push(Frame::kChildren, frameOf(data.section, data.depth));
    }
    if (at(Frame::kRoot, Key::kTokenUnits)) return push(Frame::kUnits, frameOf(data.section, 0));
    if (at(Frame::kTuples)) {
      out_.lines.tuples[data.section].push_back(tokenLine());
      return push(Frame::kTuple, frameOf(data.section, data.depth));
    }
    if (at(Frame::kUnits)) return push(Frame::kUnit, frameOf(data.section, 0));
    return unexpected("array");
  }

  bool onEndArray() override {
    TemplateFrame& data = top().data;
    switch (top().frame) {
      case Frame::kTuple:
        if (top().elements != 2) return fail("a tuple must be a [token, value] pair");
        data.section->getData().appendGrowing(std::move(data.tuple));
        break;
      case Frame::kUnit:
        if (top().elements != 2) return fail("a token unit must be a [token, unit type] pair");
        out_.tokenUnits.push_back({data.unitToken.toUtf8(), data.unitType});
        out_.root->getBomTemplateUnits()->AddTokenType(data.unitToken, data.unitType);
        break;
      case Frame::kTuples:
      case Frame::kChildren:
      case Frame::kUnits:
        break;
      default:
        return unexpected("end of array");
    }
    pop();
    return true;
  }

  bool onEndObject() override {
    if (top().frame == Frame::kUnitDecimals) {
      ColumnStyle column = std::move(top().data.column);
      pop();
      top().data.column = std::move(column);
      return valueRead();
    }
    if (top().frame == Frame::kColumn) out_.columns.set(std::move(top().data.column));
    if (top().frame == Frame::kSection && !given(Key::kType)) {
      return fail("section without a \"type\"");
    }
    if (top().frame == Frame::kRoot) rootDone_ = true;
    pop();
    return true;
  }

  std::string expectation() const override {
    if (!inside()) return "a template object";
    switch (top().frame) {
      case Frame::kRoot:
      case Frame::kSection:
        switch (top().key) {
          case Key::kType:
            return "a section type name";
          case Key::kTuples:
            return "an array of [token, value] pairs";
          case Key::kChildren:
            return "an array of sections";
          case Key::kTokenUnits:
            return "an array of [token, unit type] pairs";
          case Key::kColumns:
            return "an object of columns by token";
          default:
            break;
        }
        return "a key";
      case Frame::kChildren:
        return "a section object";
      case Frame::kTuples:
        return "a [token, value] pair";
      case Frame::kUnits:
        return "a [token, unit type] pair";
      case Frame::kColumns:
        return top().key == Key::kColumn ? "a column object" : "a token";
      case Frame::kColumn:
        if (top().key == Key::kCaption) return "a caption string";
        if (top().key == Key::kDecimals) {
          return "a number of decimals, or an object of decimals by unit";
        }
        return "\"caption\" or \"decimals\"";
      case Frame::kUnitDecimals:
        return top().key == Key::kUnit ? "a number of decimals" : "a unit symbol (\"mm\", \"m\")";
      case Frame::kTuple:
      case Frame::kUnit:
        if (top().elements == 0) return "a token string";
        if (top().elements == 1) {
          return top().frame == Frame::kTuple ? "a value (integer, number, string or null)"
                                              : "a unit type name";
        }
        return "the end of the pair";
    }
    return std::string();
  }

 private:
  // A key of "columns" is a token; each may be given once. The object of its
  // column comes next.
  bool onColumnKey(const std::string& token) {
    if (token.empty()) return fail("a column of an empty token");
    const ColumnStyle* known = out_.columns.find(token);
    if (known != nullptr && known->key == token) {
      return fail("duplicate column " + quoteForMessage(token));
    }
    top().data.column.key = token;
    top().data.column.line = tokenLine();
    top().key = Key::kColumn;
    return true;
  }

  // A key of a column's decimals by unit is a unit symbol, each given once.
  bool onUnitKey(const std::string& unit) {
    for (const auto& given : top().data.column.unitDecimals) {
      if (given.first == unit) return fail("the decimals of " + quoteForMessage(unit) + " twice");
    }
    top().data.unit = unit;
    top().key = Key::kUnit;
    return true;
  }

  // Sets the type of the innermost frame's section; the root must be a template.
  bool setType(const std::string& name) {
    QelBomTemplateItem::eTemplateItemType type;
    if (!sectionTypeFromName(name, type)) {
      return fail("unknown section type " + quoteForMessage(name));
    }
    if (top().frame == Frame::kRoot && type != QelBomTemplateItem::kBomTemplate) {
      return fail("the template root must be of type kBomTemplate");
    }
    top().data.section->setType(type);
    return true;
  }

  LoadedTemplate& out_;
  bool rootDone_ = false;
};

}  // namespace

long long TemplateLines::sectionLine(const QelBomItemBase* section) const {
  const auto found = sections.find(section);
  return found == sections.end() ? 0 : found->second;
}

long long TemplateLines::tupleLine(const QelBomItemBase* section, int index) const {
  const auto found = tuples.find(section);
  if (found == tuples.end() || index < 0 ||
      static_cast<std::size_t>(index) >= found->second.size()) {
    return 0;
  }
  return found->second[static_cast<std::size_t>(index)];
}

std::vector<SectionPlace> sectionPlaces(const LoadedTemplate& loaded) {
  std::vector<SectionPlace> places;
  struct Open {
    const QelBomItemBase* section;
    std::vector<int> path;
  };
  std::vector<Open> stack;  // the sections still to visit, the next one last
  const auto pushChildren = [&stack](const QelBomItemBase& parent, const std::vector<int>& path) {
    const std::size_t first = stack.size();
    int index = 0;
    for (const QelBomItemBase* child = parent.child(); child != nullptr; child = child->next()) {
      stack.push_back({child, path});
      stack.back().path.push_back(index++);
    }
    std::reverse(stack.begin() + static_cast<std::ptrdiff_t>(first), stack.end());
  };
  pushChildren(*loaded.root, {});
  while (!stack.empty()) {
    Open open = std::move(stack.back());
    stack.pop_back();
    SectionPlace place{open.path, loaded.lines.sectionLine(open.section), {}};
    const auto tuples = loaded.lines.tuples.find(open.section);
    if (tuples != loaded.lines.tuples.end()) place.tupleLines = tuples->second;
    places.push_back(std::move(place));
    pushChildren(*open.section, open.path);
  }
  return places;
}

LoadedTemplate readTemplateText(const std::string& fileName, std::string_view text) {
  LoadedTemplate loaded{TemplatePtr(new QelBomTemplate()), {}, {}, {}, false, fileName};
  TemplateJsonReader reader(fileName, text, loaded);
  reader.run();
  return loaded;
}

LoadedTemplate readTemplateFile(const std::string& path) {
  const InputBytes input(path);
  return readTemplateText(input.name(), input.text());
}

std::string readTemplateFileText(const std::string& path) {
  const InputBytes input(path);
  return std::string(input.text());
}

LoadedTemplate defaultTemplate() {
  LoadedTemplate loaded{TemplatePtr(QelBomTemplate::createDefaultTemplate()), {}, {}, {}, true, {}};
  // The units object cannot list its entries; ask it about every token the
  // template uses. Entries of kUnkTokenUnitType look like absent ones and
  // change nothing in the display, so they are not needed.
  QelArray<QelString> trace;
  loaded.root->getTokenTrace(trace);
  const QelBomTemplateUnits* units = loaded.root->getBomTemplateUnits();
  for (const QelString& token : trace) {
    const int type = units->tokenUnitType(token);
    if (type != QelBomTemplateUnits::kUnkTokenUnitType) {
      loaded.tokenUnits.push_back({token.toUtf8(), type});
    }
  }
  return loaded;
}

}  // namespace bomreport
