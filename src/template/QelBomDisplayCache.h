// QelBomDisplayCache: the display texts a units object made most recently,
// so that a value shown again costs a lookup and a shared copy of its text
// instead of formatting and allocating anew. Reports repeat few values many
// times (the weight of one position in every line and sum).
//
// Direct-mapped: each (unit type, value) pair has one slot, and a new text
// replaces whatever the slot held. The owner clears the cache whenever what
// the texts depend on (units, suppress-last-zeros flag) changes.
//
// It also keeps the unit type of the tokens asked about most recently, by
// token text: evaluated items carry their sections' token texts, so the same
// few texts are asked about again and again. The entries hold copies of the
// texts, so a text they name cannot be freed and its memory reused meanwhile.
// The owner forgets them whenever a token's type may change (forgetTypes).
#ifndef QEL_BOM_DISPLAY_CACHE_H_
#define QEL_BOM_DISPLAY_CACHE_H_

#include <cstdint>
#include <cstring>
#include <vector>

#include "QelString.h"
#include "foundation/QelPointerSlot.h"

class QelBomDisplayCache {
 public:
  QelBomDisplayCache() : m_slots(kSlots) {}

  // The cached text of `value` for `unitType`, or null.
  const QelString* find(int unitType, double value) const {
    const Slot& slot = m_slots[indexOf(unitType, value)];
    return slot.used && slot.unitType == unitType && slot.bits == bitsOf(value) ? &slot.text
                                                                                : nullptr;
  }

  // The unit type kept for the very text of `token`, or null.
  const int* findType(const QelString& token) const {
    const TypeSlot& slot = m_types[typeIndexOf(token)];
    return slot.used && slot.token.getStringW() == token.getStringW() ? &slot.type : nullptr;
  }
  void storeType(const QelString& token, int type) {
    TypeSlot& slot = m_types[typeIndexOf(token)];
    slot.used = true;
    slot.token = token;
    slot.type = type;
  }
  void forgetTypes() {
    for (TypeSlot& slot : m_types) slot = TypeSlot();
  }

  void store(int unitType, double value, const QelString& text) {
    Slot& slot = m_slots[indexOf(unitType, value)];
    slot.used = true;
    slot.unitType = unitType;
    slot.bits = bitsOf(value);
    slot.text = text;
  }

 private:
  // Powers of two. A report shows the lengths and weights of tens of
  // thousands of positions.
  static constexpr int kSlotBits = 16;
  static constexpr size_t kSlots = size_t{1} << kSlotBits;
  static constexpr int kTypeSlotBits = 6;
  static constexpr size_t kTypeSlots = size_t{1} << kTypeSlotBits;

  struct TypeSlot {
    bool used = false;
    QelString token;
    int type = 0;
  };
  static size_t typeIndexOf(const QelString& token) {
    return qel_bom_foundation::pointerSlot(token.getStringW(), kTypeSlotBits);
  }

  struct Slot {
    bool used = false;
    int unitType = 0;
    std::uint64_t bits = 0;  // the value's bits: -0.0 and 0.0, NaNs, all distinct
    QelString text;
  };

  static std::uint64_t bitsOf(double value) {
    std::uint64_t bits;
    std::memcpy(&bits, &value, sizeof(bits));
    return bits;
  }
  // The top bits of the product: every slot can be chosen.
  static size_t indexOf(int unitType, double value) {
    static_assert(kSlots == size_t{1} << kSlotBits, "kSlots is 2^kSlotBits");
    std::uint64_t h =
        (bitsOf(value) ^ static_cast<std::uint64_t>(unitType)) * 0x9E3779B97F4A7C15ull;
    return static_cast<size_t>(h >> (64 - kSlotBits));
  }

  std::vector<Slot> m_slots;
  TypeSlot m_types[kTypeSlots];
};

#endif  // QEL_BOM_DISPLAY_CACHE_H_
