#include "input/parts_json.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "BomPartsTable.h"
#include "BomReportTrees.h"
#include "input/json_input.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

enum class Frame { kTop, kPart, kEqual, kTuples, kTuple };
enum class Key { kNone, kHandle, kEqual, kType, kTuples };

unsigned keyBit(Key key) { return 1u << static_cast<unsigned>(key); }

class PartsJsonReader : public JsonEventReader {
 public:
  PartsJsonReader(const std::string& fileName, std::string_view text, PartsBuilder& builder)
      : JsonEventReader(fileName, text), builder_(builder) {}

 protected:
  bool onStartArray() override {
    if (stack_.empty() && !done_) {
      stack_.push_back(Frame::kTop);
      return true;
    }
    if (top() == Frame::kPart && (key_ == Key::kEqual || key_ == Key::kTuples)) {
      if (key_ == Key::kEqual) equal_.removeAll();
      stack_.push_back(key_ == Key::kEqual ? Frame::kEqual : Frame::kTuples);
      return true;
    }
    if (top() == Frame::kTuples) {
      stack_.push_back(Frame::kTuple);
      tupleElements_ = 0;
      tupleToken_ = nullptr;
      return true;
    }
    return unexpected("array");
  }

  bool onEndArray() override {
    const Frame frame = top();
    if (frame == Frame::kTuple && tupleElements_ != 2) {
      return fail("a tuple must be a [token, value] pair");
    }
    if (frame == Frame::kEqual && row_) row_->setEqualPartObjectHandles(equal_);
    stack_.pop_back();
    if (frame == Frame::kTop) done_ = true;
    if (frame == Frame::kEqual || frame == Frame::kTuples) key_ = Key::kNone;
    return true;
  }

  bool onStartObject() override {
    if (stack_.empty() || top() != Frame::kTop) return unexpected("object");
    stack_.push_back(Frame::kPart);
    row_.reset(new QelBomDataRow());
    seenKeys_ = 0;
    partTokens_.clear();
    key_ = Key::kNone;
    hasType_ = false;
    handleSet_ = false;
    return true;
  }

  bool onKey(const std::string& name) override {
    Key key = Key::kNone;
    const PartKey reserved = reservedPartKey(name);
    if (reserved == PartKey::kHandle) {
      key = Key::kHandle;
    } else if (reserved == PartKey::kEqual) {
      key = Key::kEqual;
    } else if (reserved == PartKey::kType) {
      key = Key::kType;
    } else if (name == "tuples") {
      key = Key::kTuples;
    } else {
      return fail("unknown key " + quoteForMessage(name));
    }
    if ((seenKeys_ & keyBit(key)) != 0) return fail("duplicate key " + quoteForMessage(name));
    seenKeys_ |= keyBit(key);
    key_ = key;
    return true;
  }

  bool onEndObject() override {
    stack_.pop_back();
    const bool keep = builder_.keepsObjectType(hasType_, type_);
    if (!handleSet_) row_->setObjectHandle(toQel(std::to_string(builder_.partsRead() + 1)));
    builder_.finishPart(keep ? row_.release() : nullptr, keep);
    row_.reset();
    return true;
  }

  bool onString(const std::string& value) override {
    if (stack_.empty()) return unexpected("string");
    if (top() == Frame::kPart && key_ == Key::kHandle) {
      row_->setObjectHandle(toQel(value));
      handleSet_ = true;
      key_ = Key::kNone;
      return true;
    }
    if (top() == Frame::kEqual) {
      equal_.appendGrowing(toQel(value));
      return true;
    }
    if (top() == Frame::kTuple && tupleElements_ == 0) {
      tupleToken_ = &builder_.tokenInfo(value);
      tupleElements_ = 1;
      if (std::find(partTokens_.begin(), partTokens_.end(), tupleToken_) != partTokens_.end()) {
        return fail("part " + std::to_string(builder_.partsRead() + 1) + " gives the token " +
                    quoteForMessage(value) + " twice");
      }
      partTokens_.push_back(tupleToken_);
      return true;
    }
    if (top() == Frame::kTuple && tupleElements_ == 1) {
      if (tupleToken_->catalogue != QelBomDataValue::kStringDataValue &&
          tupleToken_->catalogue != QelBomDataValue::kUnkDataValueType) {
        return wrongType("a string");
      }
      QelBomDataValue text;  // converted only when kept
      if (tupleToken_->kept) text.set(builder_.texts().get(value));
      return addValue(std::move(text));
    }
    return unexpected("string");
  }

  bool onNumber(const JsonNumber& number) override {
    if (stack_.empty()) return unexpected("number");
    if (top() == Frame::kPart && key_ == Key::kType) {
      if (!number.fitsInt32) return fail("the object type must be a 32-bit integer");
      type_ = number.int32;
      hasType_ = true;
      key_ = Key::kNone;
      return true;
    }
    if ((top() == Frame::kPart && key_ == Key::kHandle) || top() == Frame::kEqual) {
      if (!number.fitsInt32) return fail("a handle number must be a 32-bit integer");
      const QelString handle = toQel(std::to_string(number.int32));
      if (top() == Frame::kEqual) {
        equal_.appendGrowing(handle);
      } else {
        row_->setObjectHandle(handle);
        handleSet_ = true;
        key_ = Key::kNone;
      }
      return true;
    }
    if (top() == Frame::kTuple && tupleElements_ == 1) return addNumber(number);
    return unexpected("number");
  }

  bool onNull() override {
    if (stack_.empty()) return unexpected("null");
    if (top() == Frame::kTuple && tupleElements_ == 1) {
      tupleElements_ = 2;  // no value: no tuple
      return true;
    }
    return unexpected("null");
  }

  std::string expectation() const override {
    if (stack_.empty()) return "an array of parts";
    switch (top()) {
      case Frame::kTop:
        return "a part object";
      case Frame::kPart:
        switch (key_) {
          case Key::kHandle:
            return "a handle (string or integer)";
          case Key::kEqual:
            return "an array of handles";
          case Key::kType:
            return "an object type (integer)";
          case Key::kTuples:
            return "an array of [token, value] pairs";
          case Key::kNone:
            break;
        }
        return "a key";
      case Frame::kEqual:
        return "a handle (string or integer)";
      case Frame::kTuples:
        return "a [token, value] pair";
      case Frame::kTuple:
        return tupleElements_ == 0 ? "a token string"
                                   : (tupleElements_ == 1 ? "a value" : "the end of the pair");
    }
    return std::string();
  }

 private:
  Frame top() const { return stack_.back(); }

  bool wrongType(const char* what) {
    const char* expected =
        tupleToken_->catalogue == QelBomDataValue::kIntDataValue
            ? "a 32-bit integer"
            : (tupleToken_->catalogue == QelBomDataValue::kDoubleDataValue ? "a number"
                                                                           : "a string");
    return fail(std::string(what) + " where " + toUtf8(tupleToken_->token) + " takes " + expected);
  }

  bool addNumber(const JsonNumber& number) {
    QelBomDataValue value;
    switch (tupleToken_->catalogue) {
      case QelBomDataValue::kIntDataValue:
        if (!number.fitsInt32)
          return wrongType(number.integral ? "an integer beyond 32 bits" : "a real number");
        value.set(number.int32);
        break;
      case QelBomDataValue::kDoubleDataValue:
        value.set(number.real);
        break;
      case QelBomDataValue::kStringDataValue:
        return wrongType("a number");
      case QelBomDataValue::kUnkDataValueType:
        if (number.fitsInt32) {
          value.set(number.int32);
        } else {
          value.set(number.real);
        }
        break;
    }
    return addValue(std::move(value));
  }

  bool addValue(QelBomDataValue&& value) {
    tupleElements_ = 2;
    if (!tupleToken_->kept) return true;
    QelBomDataTuple tuple;
    tuple.setToken(tupleToken_->token);
    tuple.value() = std::move(value);
    row_->getData().appendGrowing(std::move(tuple));
    return true;
  }

  PartsBuilder& builder_;
  std::vector<Frame> stack_;
  bool done_ = false;
  // The part being read.
  std::unique_ptr<QelBomDataRow> row_;
  unsigned seenKeys_ = 0;
  Key key_ = Key::kNone;
  bool hasType_ = false;
  int type_ = 0;
  bool handleSet_ = false;
  QelArray<QelString> equal_;
  // The pair being read.
  int tupleElements_ = 0;
  const TokenInfo* tupleToken_ = nullptr;
  std::vector<const TokenInfo*> partTokens_;  // the tokens of the part being read
};

}  // namespace

void readPartsJson(const InputBytes& input, PartsBuilder& builder) {
  PartsJsonReader reader(input.name(), input.text(), builder);
  reader.run();
}

void readPartsJson(const std::string& path, PartsBuilder& builder) {
  const InputBytes input(path);
  readPartsJson(input, builder);
}

}  // namespace bomreport
