#include "BomTemplateFile.h"

#include <utility>
#include <vector>

#include "input/input_bytes.h"
#include "input/json_input.h"
#include "text/names.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

enum class Frame { kRoot, kSection, kChildren, kTuples, kTuple, kUnits, kUnit, kColumns, kColumn };
enum class Key { kNone, kType, kTuples, kChildren, kTokenUnits, kColumns, kCaption, kDecimals };

struct State {
  State(Frame f, QelBomTemplateItem* s, int d) : frame(f), section(s), depth(d) {}

  Frame frame;
  QelBomTemplateItem* section;  // the section the frame belongs to
  int depth;                    // of that section: the root is 0
  Key pendingKey = Key::kNone;  // kRoot, kSection: the key whose value comes next
  unsigned seenKeys = 0;        // kRoot, kSection: bit per Key
  int elements = 0;             // kTuple, kUnit: elements read so far
  QelBomDataTuple tuple;        // kTuple: the pair being read
  QelString unitToken;          // kUnit
  QelBomTemplateUnits::eTokenUnitType unitType = QelBomTemplateUnits::kUnkTokenUnitType;
  ColumnStyle column;           // kColumns: the next key; kColumn: the style being read
};

unsigned keyBit(Key key) { return 1u << static_cast<unsigned>(key); }

class TemplateJsonReader : public JsonEventReader {
 public:
  TemplateJsonReader(const std::string& fileName, std::string_view text, LoadedTemplate& out)
      : JsonEventReader(fileName, text), out_(out) {}

 protected:
  bool onStartObject() override {
    if (stack_.empty()) {
      if (rootDone_) return unexpected("second template");
      stack_.emplace_back(Frame::kRoot, out_.root.get(), 0);
      out_.lines.sections[out_.root.get()] = tokenLine();
      return true;
    }
    State& top = stack_.back();
    if (top.frame == Frame::kRoot && top.pendingKey == Key::kColumns) {
      stack_.emplace_back(Frame::kColumns, top.section, 0);
      return true;
    }
    if (top.frame == Frame::kColumns && !top.column.key.empty()) {
      ColumnStyle style = std::move(top.column);
      top.column = ColumnStyle();
      stack_.emplace_back(Frame::kColumn, top.section, 0);
      stack_.back().column = std::move(style);
      return true;
    }
    if (top.frame != Frame::kChildren) return unexpected("object");
    const int depth = top.depth + 1;
    if (depth > kMaxSectionDepth) {
      return fail("sections nested deeper than " + std::to_string(kMaxSectionDepth) + " levels");
    }
    auto* section = new QelBomTemplateItem();
    top.section->addChild(section);  // the tree owns it from here on
    out_.lines.sections[section] = tokenLine();
    stack_.emplace_back(Frame::kSection, section, depth);
    return true;
  }

  bool onKey(const std::string& name) override {
    State& top = stack_.back();
    if (top.frame == Frame::kColumns) return onColumnKey(top, name);
    Key key = Key::kNone;
    if (top.frame == Frame::kColumn) {
      if (name == "caption") {
        key = Key::kCaption;
      } else if (name == "decimals") {
        key = Key::kDecimals;
      } else {
        return fail("unknown key " + quoteForMessage(name) + " in the column of " +
                    quoteForMessage(top.column.key) + " (a column has \"caption\" and \"decimals\")");
      }
    } else if (name == "type") {
      key = Key::kType;
    } else if (name == "tuples") {
      key = Key::kTuples;
    } else if (name == "children") {
      key = Key::kChildren;
    } else if (name == "tokenUnits" && top.frame == Frame::kRoot) {
      key = Key::kTokenUnits;
    } else if (name == "columns" && top.frame == Frame::kRoot) {
      key = Key::kColumns;
    } else {
      return fail("unknown key " + quoteForMessage(name));
    }
    if ((top.seenKeys & keyBit(key)) != 0) return fail("duplicate key " + quoteForMessage(name));
    top.seenKeys |= keyBit(key);
    top.pendingKey = key;
    return true;
  }

  bool onString(const std::string& value) override {
    if (stack_.empty()) return unexpected("string");
    State& top = stack_.back();
    if ((top.frame == Frame::kRoot || top.frame == Frame::kSection) &&
        top.pendingKey == Key::kType) {
      top.pendingKey = Key::kNone;
      return setType(top, value);
    }
    if (top.frame == Frame::kColumn && top.pendingKey == Key::kCaption) {
      top.pendingKey = Key::kNone;
      top.column.caption = value;
      return true;
    }
    if (top.frame == Frame::kTuple && top.elements < 2) {
      if (top.elements++ == 0) {
        top.tuple.setToken(toQel(value));
      } else {
        top.tuple.value().set(toQel(value));
      }
      return true;
    }
    if (top.frame == Frame::kUnit && top.elements < 2) {
      if (top.elements++ == 0) {
        top.unitToken = toQel(value);
        return true;
      }
      if (!unitTypeFromName(value, top.unitType)) {
        return fail("unknown token unit type " + quoteForMessage(value));
      }
      return true;
    }
    return unexpected("string");
  }

  bool onNumber(const JsonNumber& number) override {
    if (stack_.empty()) return unexpected("number");
    State& top = stack_.back();
    if (top.frame == Frame::kColumn && top.pendingKey == Key::kDecimals) {
      if (!number.fitsInt32 || number.int32 < 0 || number.int32 > kMaxColumnDecimals) {
        return fail("\"decimals\" must be a whole number from 0 to " +
                    std::to_string(kMaxColumnDecimals));
      }
      top.pendingKey = Key::kNone;
      top.column.decimals = number.int32;
      return true;
    }
    if (top.frame != Frame::kTuple || top.elements != 1) return unexpected("number");
    if (number.integral && !number.fitsInt32) {
      return fail("integer value out of the 32-bit range");
    }
    if (number.integral) {
      top.tuple.value().set(number.int32);
    } else {
      top.tuple.value().set(number.real);
    }
    ++top.elements;
    return true;
  }

  bool onNull() override {
    if (stack_.empty()) return unexpected("null");
    State& top = stack_.back();
    if (top.frame != Frame::kTuple || top.elements != 1) return unexpected("null");
    ++top.elements;  // a tuple without a value
    return true;
  }

  bool onStartArray() override {
    if (stack_.empty()) return unexpected("array");
    State& top = stack_.back();
    Frame frame;
    switch (top.frame) {
      case Frame::kRoot:
      case Frame::kSection:
        if (top.pendingKey == Key::kTuples) {
          frame = Frame::kTuples;
        } else if (top.pendingKey == Key::kChildren) {
          frame = Frame::kChildren;
        } else if (top.pendingKey == Key::kTokenUnits) {
          frame = Frame::kUnits;
        } else {
          return unexpected("array");
        }
        break;
      case Frame::kTuples:
        frame = Frame::kTuple;
        out_.lines.tuples[top.section].push_back(tokenLine());
        break;
      case Frame::kUnits:
        frame = Frame::kUnit;
        break;
      default:
        return unexpected("array");
    }
    QelBomTemplateItem* section = top.section;
    const int depth = top.depth;
    stack_.emplace_back(frame, section, depth);
    return true;
  }

  bool onEndArray() override {
    State& top = stack_.back();
    switch (top.frame) {
      case Frame::kTuple:
        if (top.elements != 2) return fail("a tuple must be a [token, value] pair");
        top.section->getData().appendGrowing(std::move(top.tuple));
        break;
      case Frame::kUnit:
        if (top.elements != 2) return fail("a token unit must be a [token, unit type] pair");
        out_.tokenUnits.emplace_back(top.unitToken, top.unitType);
        out_.root->getBomTemplateUnits()->AddTokenType(top.unitToken, top.unitType);
        break;
      case Frame::kTuples:
      case Frame::kChildren:
      case Frame::kUnits:
        break;
      default:
        return unexpected("end of array");
    }
    stack_.pop_back();
    if (!stack_.empty()) stack_.back().pendingKey = Key::kNone;
    return true;
  }

  bool onEndObject() override {
    State& top = stack_.back();
    if (top.frame == Frame::kColumn) {
      out_.columns.set(std::move(top.column));
      stack_.pop_back();
      return true;
    }
    if (top.frame == Frame::kColumns) {
      stack_.pop_back();
      stack_.back().pendingKey = Key::kNone;
      return true;
    }
    if (top.frame == Frame::kSection && (top.seenKeys & keyBit(Key::kType)) == 0) {
      return fail("section without a \"type\"");
    }
    if (top.frame == Frame::kRoot) rootDone_ = true;
    stack_.pop_back();
    return true;
  }

  std::string expectation() const override {
    if (stack_.empty()) return "a template object";
    const State& top = stack_.back();
    switch (top.frame) {
      case Frame::kRoot:
      case Frame::kSection:
        switch (top.pendingKey) {
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
          case Key::kNone:
          case Key::kCaption:
          case Key::kDecimals:
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
        return top.column.key.empty() ? "a token" : "a column object";
      case Frame::kColumn:
        if (top.pendingKey == Key::kCaption) return "a caption string";
        if (top.pendingKey == Key::kDecimals) return "a number of decimals";
        return "\"caption\" or \"decimals\"";
      case Frame::kTuple:
      case Frame::kUnit:
        if (top.elements == 0) return "a token string";
        if (top.elements == 1) {
          return top.frame == Frame::kTuple ? "a value (integer, number, string or null)"
                                            : "a unit type name";
        }
        return "the end of the pair";
    }
    return std::string();
  }

 private:
  bool onColumnKey(State& columns, const std::string& token) {
    if (token.empty()) return fail("a column of an empty token");
    if (out_.columns.find(token) != nullptr && out_.columns.find(token)->key == token) {
      return fail("duplicate column " + quoteForMessage(token));
    }
    columns.column.key = token;
    columns.column.line = tokenLine();
    return true;
  }

  bool setType(State& state, const std::string& name) {
    QelBomTemplateItem::eTemplateItemType type;
    if (!sectionTypeFromName(name, type)) {
      return fail("unknown section type " + quoteForMessage(name));
    }
    if (state.frame == Frame::kRoot && type != QelBomTemplateItem::kBomTemplate) {
      return fail("the template root must be of type kBomTemplate");
    }
    state.section->setType(type);
    return true;
  }

  LoadedTemplate& out_;
  std::vector<State> stack_;
  bool rootDone_ = false;
};

}  // namespace

long long TemplateLines::sectionLine(const QelBomItemBase* section) const {
  const auto found = sections.find(section);
  return found == sections.end() ? 0 : found->second;
}

long long TemplateLines::tupleLine(const QelBomItemBase* section, int index) const {
  const auto found = tuples.find(section);
  if (found == tuples.end() || index < 0 || static_cast<std::size_t>(index) >= found->second.size()) {
    return 0;
  }
  return found->second[static_cast<std::size_t>(index)];
}

LoadedTemplate readTemplateText(const std::string& fileName, std::string_view text) {
  LoadedTemplate loaded{TemplatePtr(new QelBomTemplate()), {}, {}, {}};
  TemplateJsonReader reader(fileName, text, loaded);
  reader.run();
  return loaded;
}

LoadedTemplate readTemplateFile(const std::string& path) {
  const InputBytes input(path);
  return readTemplateText(input.name(), input.text());
}

LoadedTemplate defaultTemplate() {
  LoadedTemplate loaded{TemplatePtr(QelBomTemplate::createDefaultTemplate()), {}, {}, {}};
  // The units object cannot list its entries; ask it about every token the
  // template uses. Entries of kUnkTokenUnitType look like absent ones and
  // change nothing in the display, so they are not needed.
  QelArray<QelString> trace;
  loaded.root->getTokenTrace(trace);
  const QelBomTemplateUnits* units = loaded.root->getBomTemplateUnits();
  for (const QelString& token : trace) {
    const int type = units->tokenUnitType(token);
    if (type != QelBomTemplateUnits::kUnkTokenUnitType) {
      loaded.tokenUnits.emplace_back(token, static_cast<QelBomTemplateUnits::eTokenUnitType>(type));
    }
  }
  return loaded;
}

}  // namespace bomreport
