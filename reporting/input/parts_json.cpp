#include "input/parts_json.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "BomPartsTable.h"
#include "BomReportTrees.h"
#include "input/json_frames.h"
#include "text/text_util.h"

namespace bomreport {
namespace {

enum class Frame { kTop, kPart, kEqual, kTuples, kTuple };
enum class Key { kNone, kHandle, kEqual, kType, kTuples };

class PartsJsonReader : public JsonFrameReader<Frame, Key> {
 public:
  PartsJsonReader(const std::string& fileName, std::string_view text, PartsBuilder& builder)
      : JsonFrameReader(fileName, text), builder_(builder) {}

 protected:
  bool onStartArray() override {
    if (!inside() && !done_) return push(Frame::kTop);
    if (at(Frame::kPart, Key::kEqual)) {
      equal_.removeAll();
      return push(Frame::kEqual);
    }
    if (at(Frame::kPart, Key::kTuples)) return push(Frame::kTuples);
    if (at(Frame::kTuples)) {
      tupleToken_ = nullptr;
      return push(Frame::kTuple);
    }
    return unexpected("array");
  }

  bool onEndArray() override {
    const Frame frame = top().frame;
    if (frame == Frame::kTuple && top().elements != 2) {
      return fail("a tuple must be a [token, value] pair");
    }
    if (frame == Frame::kEqual && row_) row_->setEqualPartObjectHandles(equal_);
    pop();
    if (frame == Frame::kTop) done_ = true;
    return true;
  }

  bool onStartObject() override {
    if (!at(Frame::kTop)) return unexpected("object");
    row_.reset(new QelBomDataRow());
    partTokens_.clear();
    hasType_ = false;
    handleSet_ = false;
    return push(Frame::kPart);
  }

  bool onKey(const std::string& name) override {
    switch (reservedPartKey(name)) {
      case PartKey::kHandle:
        return takeKey(Key::kHandle, name);
      case PartKey::kEqual:
        return takeKey(Key::kEqual, name);
      case PartKey::kType:
        return takeKey(Key::kType, name);
      case PartKey::kToken:
        break;
    }
    if (name == "tuples") return takeKey(Key::kTuples, name);
    return unknownKey(name);
  }

  bool onEndObject() override {
    pop();
    const bool keep = builder_.keepsObjectType(hasType_, type_);
    if (!handleSet_) row_->setObjectHandle(toQel(std::to_string(builder_.partsRead() + 1)));
    builder_.finishPart(keep ? row_.release() : nullptr, keep);
    row_.reset();
    if ((builder_.partsRead() & 1023) == 0 &&
        tokenOffset() >= textSize() / PartsBuilder::kSampleShare) {
      builder_.checkRate(builder_.partsKept(), tokenOffset(), textSize());
    }
    return true;
  }

  bool onString(const std::string& value) override {
    if (at(Frame::kPart, Key::kHandle)) return setHandle(toQel(value));
    if (at(Frame::kEqual)) {
      equal_.appendGrowing(toQel(value));
      return true;
    }
    if (at(Frame::kTuple) && top().elements == 0) return setTupleToken(value);
    if (at(Frame::kTuple) && top().elements == 1) {
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
    if (at(Frame::kPart, Key::kType)) {
      if (!number.fitsInt32) return fail("the object type must be a 32-bit integer");
      type_ = number.int32;
      hasType_ = true;
      return valueRead();
    }
    if (at(Frame::kPart, Key::kHandle) || at(Frame::kEqual)) {
      if (!number.fitsInt32) return fail("a handle number must be a 32-bit integer");
      const QelString handle = toQel(std::to_string(number.int32));
      if (at(Frame::kPart, Key::kHandle)) return setHandle(handle);
      equal_.appendGrowing(handle);
      return true;
    }
    if (at(Frame::kTuple) && top().elements == 1) return addNumber(number);
    return unexpected("number");
  }

  bool onNull() override {
    if (at(Frame::kTuple) && top().elements == 1) {
      top().elements = 2;  // no value: no tuple
      return true;
    }
    return unexpected("null");
  }

  std::string expectation() const override {
    if (!inside()) return "an array of parts";
    switch (top().frame) {
      case Frame::kTop:
        return "a part object";
      case Frame::kPart:
        switch (top().key) {
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
        return top().elements == 0 ? "a token string"
                                   : (top().elements == 1 ? "a value" : "the end of the pair");
    }
    return std::string();
  }

 private:
  bool setHandle(const QelString& handle) {
    row_->setObjectHandle(handle);
    handleSet_ = true;
    return valueRead();
  }

  bool setTupleToken(const std::string& token) {
    tupleToken_ = &builder_.tokenInfo(token);
    top().elements = 1;
    if (std::find(partTokens_.begin(), partTokens_.end(), tupleToken_) != partTokens_.end()) {
      return fail("part " + std::to_string(builder_.partsRead() + 1) + " gives the token " +
                  quoteForMessage(token) + " twice");
    }
    partTokens_.push_back(tupleToken_);
    return true;
  }

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
    top().elements = 2;
    if (!tupleToken_->kept) return true;
    QelBomDataTuple tuple;
    tuple.setToken(tupleToken_->token);
    tuple.value() = std::move(value);
    row_->getData().appendGrowing(std::move(tuple));
    return true;
  }

  PartsBuilder& builder_;
  bool done_ = false;  // the array of parts has been read
  // The part being read.
  std::unique_ptr<QelBomDataRow> row_;
  bool hasType_ = false;
  int type_ = 0;
  bool handleSet_ = false;
  QelArray<QelString> equal_;
  std::vector<const TokenInfo*> partTokens_;  // its tokens so far
  const TokenInfo* tupleToken_ = nullptr;     // the token of the pair being read
};

}  // namespace

void readPartsJson(const InputBytes& input, PartsBuilder& builder) {
  readPartsJson(input.text(), input.name(), builder);
}

void readPartsJson(std::string_view text, const std::string& name, PartsBuilder& builder) {
  PartsJsonReader reader(name, text, builder);
  reader.run();
}

void readPartsJson(const std::string& path, PartsBuilder& builder) {
  const InputBytes input(path);
  readPartsJson(input, builder);
}

}  // namespace bomreport
