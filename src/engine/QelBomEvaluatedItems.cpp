// Evaluated items: copies of template sections filled from one row or with
// sums over a group of rows, their numbers turned into display texts, and the
// comparison of two evaluated lines.
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "QelBomEvaluator2.h"
#include "engine/QelBomGroupSums.h"
#include "engine/QelBomTupleLookup.h"
#include "foundation/QelPointerSlot.h"
#include "model/QelBomComparison.h"

using qel_bom_engine::addRowToSums;
using qel_bom_engine::copySection;
using qel_bom_engine::TupleLookup;

namespace {

// The "%d" text of `value`. Reports show the same small counts again and
// again, so the texts of 0 to 9999 are made once and shared; larger values
// (position numbers, say) are kept in a small direct-mapped cache, so that a
// group header and the lines below it that show the same number share its
// text.
QelString intText(int value) {
  constexpr int kShared = 10000;
  static const std::vector<QelString> shared = [] {
    std::vector<QelString> texts(kShared);
    for (int i = 0; i < kShared; ++i) texts[static_cast<size_t>(i)].format("%d", i);
    return texts;
  }();
  if (value >= 0 && value < kShared) return shared[static_cast<size_t>(value)];
  struct Entry {
    int value = 0;
    QelString text;  // empty: the entry is unused
  };
  constexpr int kBits = 10;
  thread_local Entry recent[1 << kBits];
  Entry& entry = recent[static_cast<std::uint32_t>(value) * 2654435761u >> (32 - kBits)];
  if (entry.text.isEmpty() || entry.value != value) {
    entry.text.format("%d", value);
    entry.value = value;
  }
  return entry.text;
}

// The token whose unit a real of `token` is shown in: for a sum the token it
// sums, else `token` itself. Evaluated items carry the very texts of their
// sections' tokens, so the answer is kept per text (the entries hold copies,
// so a text they name cannot be freed and its memory reused meanwhile).
const QelString& displayNameOf(const QelString& token) {
  struct Entry {
    QelString token;
    QelString name;
  };
  constexpr int kEntryBits = 6;
  thread_local Entry entries[1 << kEntryBits];
  Entry& entry = entries[qel_bom_foundation::pointerSlot(token.getStringW(), kEntryBits)];
  if (entry.token.getStringW() != token.getStringW() || token.isEmpty()) {
    QelString name(token);
    QelBomDataToken::summingRequestOf(token, name);
    entry.name = name;
    entry.token = token;
  }
  return entry.name;
}

}  // namespace

QelBomTemplateItem* QelBomEvaluator2::process(QelBomTemplateItem* section, QelBomDataRow* row) {
  if (section == nullptr) return nullptr;
  std::unique_ptr<QelBomTemplateItem> item = copySection(*section);
  if (row != nullptr) {
    // The item's tuples are the section's, in the same order.
    const std::vector<int>& found = TupleLookup::planFor(*section, *row).valueIndex;
    QelArray<QelBomDataTuple>& tuples = item->getData();
    QelArray<QelBomDataTuple>& rowTuples = row->getData();
    for (int i = 0; i < tuples.count(); ++i) {
      const int at = found[static_cast<size_t>(i)];
      if (at < 0) continue;
      QelBomDataTuple& source = rowTuples[at];
      if (source.value().type() == QelBomDataValue::kUnkDataValueType) continue;
      tuples[i].value() = source.value();
      source.setUsed(1);
    }
  }
  return item.release();
}

QelBomTemplateItem* QelBomEvaluator2::process(QelBomTemplateItem* section, RowArray rows) {
  if (section == nullptr) {
    rows.setCapacity(0);
    return nullptr;
  }
  std::unique_ptr<QelBomTemplateItem> item = copySection(*section);
  QelArray<QelBomDataTuple>& tuples = item->getData();
  bool sums = false;
  QelString summed;
  for (int i = 0; i < tuples.count() && !sums; ++i)
    sums = QelBomDataToken::summingRequestOf(tuples[i].token().token(), summed) == 1;
  for (int r = 0; sums && r < rows.count(); ++r) {
    if (rows[r] != nullptr) addRowToSums(*section, *rows[r], tuples);
  }
  rows.setCapacity(0);
  return item.release();
}

void QelBomEvaluator2::applyUnitsForData(const QelBomTemplateUnits* units,
                                         QelArray<QelBomDataTuple>& tuples) {
  for (int i = 0; i < tuples.count(); ++i) {
    QelBomDataValue& value = tuples[i].value();
    if (value.type() == QelBomDataValue::kIntDataValue) {
      value.set(intText(intValueOf(value)));
    } else if (value.type() == QelBomDataValue::kDoubleDataValue) {
      QelString text;
      if (units != nullptr) {
        text =
            units->getDisplayString(displayNameOf(tuples[i].token().token()), doubleValueOf(value));
      } else {
        text.format("%g", doubleValueOf(value));  // no units table: plain notation
      }
      value.set(text);
    }
  }
}

int QelBomEvaluator2::isEqualAsEvaluated(QelBomTemplateItem* a, QelBomTemplateItem* b) {
  if (a == nullptr || b == nullptr) return a == b ? 1 : 0;
  const QelArray<QelBomDataTuple>& left = a->getData();
  const QelArray<QelBomDataTuple>& right = b->getData();
  if (left.count() != right.count()) return 0;
  // Equal in the order of values: a NaN equals every real.
  for (int i = 0; i < left.count(); ++i) {
    if (qel_bom_model::compareValues<qel_bom_model::ValueOrder>(left[i].value(),
                                                                right[i].value()) != 0) {
      return 0;
    }
  }
  return 1;
}

void QelBomEvaluator2::fillGenericString(QelGenericString& out, const QelBomDataRow* row) {
  if (row == nullptr) return;
  const QelString realFormat("%.1f");
  const QelArray<QelBomDataTuple>& tuples = row->getData();
  for (int i = 0; i < tuples.count(); ++i) {
    const QelString& token = tuples[i].token().token();
    const QelBomDataValue& value = tuples[i].value();
    out.addToken(token);
    switch (value.type()) {
      case QelBomDataValue::kIntDataValue:
        out.addEntry(token, intValueOf(value), 0);
        break;
      case QelBomDataValue::kDoubleDataValue:
        out.addEntry(token, doubleValueOf(value), 0, realFormat);
        break;
      case QelBomDataValue::kStringDataValue:
        out.addEntry(token, textValueOf(value), 0);
        break;
      default:
        break;
    }
  }
}
