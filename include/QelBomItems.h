// The item tree node and the data row.
//
// QelBomItemBase is the node of every tree the engine handles: data sets,
// templates and evaluated output. Each node holds its tuples by value and three
// links: next sibling, first child, last child. There is no parent link.
//
// Ownership: links never own. No destructor follows them; `empty()` on a node
// deletes all of its descendants, so a tree is released by `root->empty()` and
// then `delete root`. Every node linked below another must therefore be its own
// heap object made with `new`. Copying a node copies its links as plain
// pointers: of a node and its copy, only one may ever be emptied.
//
// Trees are not thread-safe: build, evaluate and list a tree on one thread.
#ifndef QEL_BOM_ITEMS_H_
#define QEL_BOM_ITEMS_H_

#include <cstddef>

#include "QelArray.h"
#include "QelBomValues.h"
#include "QelString.h"
#include "VRKBomEngineExport.h"

class VRK_BOM_ENGINE_API QelBomItemBase {
 public:
  QelBomItemBase() noexcept;
  // Copies the three links as they are and the tuples by value.
  QelBomItemBase(const QelBomItemBase& other);
  QelBomItemBase& operator=(const QelBomItemBase& other);
  // Releases the tuples only; linked nodes are left alone.
  virtual ~QelBomItemBase();

  // Nodes, rows and evaluated items are made by the million: a node of any
  // class derived from this one takes its storage from the roots library's
  // block pools (QelMemoryControllerController::allocateBlock), which cost no
  // more than the node's size rounded up to 16 bytes. `new` and `delete` are
  // used as ever; the new form throws std::bad_alloc when memory is out.
  static void* operator new(std::size_t size);
  static void operator delete(void* node) noexcept;
  static void* operator new(std::size_t, void* place) noexcept { return place; }
  static void operator delete(void*, void*) noexcept {}

  // Appends the text form of this node to `text` and returns 1:
  //   the tuples as "[token:value]" each, with nothing before the first;
  //   if withChildren == 1: "\n", level + 1 spaces, the first child listed at
  //     level + 1 with withChildren 1 and this call's withSiblings;
  //   if withSiblings == 1: "\n", level spaces, the next sibling listed at
  //     level with this call's withChildren and withSiblings 1.
  // Any flag value other than 1 means no. Each node reached writes its label
  // first (appendLabel). Sibling chains and nesting of any length are walked
  // without recursion.
  virtual int list(QelString& text, int level, int withChildren, int withSiblings) const;

  QelBomItemBase* child() const noexcept { return m_pChild; }
  QelBomItemBase* lastChild() const noexcept { return m_pLastChild; }
  QelBomItemBase* next() const noexcept { return m_pNext; }

  // Sets the next sibling; nothing else changes.
  void setNext(QelBomItemBase* node) noexcept { m_pNext = node; }
  // Makes `node` and the siblings that follow it the children; the last child
  // becomes the end of that chain. Former children are unlinked, not deleted.
  void setChild(QelBomItemBase* node) noexcept;
  // Appends `node` after the last child. A chain that `node` already carries is
  // not followed: the last child becomes `node` itself. Null: with no
  // children nothing changes; otherwise the last child's next link is cleared.
  void addChild(QelBomItemBase* node) noexcept;
  // Deletes every descendant, depth first (a child's descendants before the
  // child, children in sibling order), without recursion. Afterwards this
  // node has no children (both child links are cleared); its tuples and its
  // next link are unchanged.
  void empty();

  void addData(const QelBomDataTuple& tuple) { m_arrData.append(tuple); }
  void addData(QelBomDataTuple&& tuple) { m_arrData.append(std::move(tuple)); }
  void setData(const QelArray<QelBomDataTuple>& data) { m_arrData = data; }
  QelArray<QelBomDataTuple>& getData() noexcept { return m_arrData; }
  const QelArray<QelBomDataTuple>& getData() const noexcept { return m_arrData; }

  // The first tuple whose token equals `token` (QelString::compare), or null.
  QelBomDataTuple* getTupleAt(const QelString& token);
  const QelBomDataTuple* getTupleAt(const QelString& token) const;

 protected:
  // Writes what stands before this node's tuples in a listing; nothing here,
  // the section label in template items.
  virtual void appendLabel(QelString& text) const;

  QelBomItemBase* m_pNext;       // next sibling, not owned
  QelBomItemBase* m_pChild;      // first child, not owned
  QelBomItemBase* m_pLastChild;  // last child, not owned
  QelArray<QelBomDataTuple> m_arrData;
};

// One object of the host's model: its tuples, its handle, the handles of its
// equal parts, and whether its values still count in sums.
class VRK_BOM_ENGINE_API QelBomDataRow : public QelBomItemBase {
 public:
  QelBomDataRow();  // sums flag 1
  // Copies everything, links included.
  QelBomDataRow(const QelBomDataRow& other);
  QelBomDataRow& operator=(const QelBomDataRow& other);
  ~QelBomDataRow() override;

  // Takes over `other`'s tuples, handle, equal-part handles and sums flag; this
  // row's links stay. REQUIRES: other != nullptr.
  void setFrom(QelBomDataRow* other);

  const QelString& objectHandle() const noexcept { return m_objectHandle; }
  void setObjectHandle(const QelString& handle) { m_objectHandle = handle; }
  const QelArray<QelString>& EqualPartObjectHandles() const noexcept {
    return m_arrEqualPartObjectHandles;
  }
  void setEqualPartObjectHandles(const QelArray<QelString>& handles) {
    m_arrEqualPartObjectHandles = handles;
  }
  void setUseThisDataForSums(int flag) noexcept { m_useThisDataForSums = flag; }
  int getUseThisDataForSums() const noexcept { return m_useThisDataForSums; }

  // Orders this row against `other` over `tokens`: the first token that
  // decides gives the result, else 0. Per token (first tuple of each row with
  // that token): both absent 0; only this absent -1; only other absent 1;
  // different value types -1; else as QelBomDataValue::compare.
  // REQUIRES: other != nullptr.
  int compare(QelBomDataRow* other, const QelArray<QelString>& tokens) const;

 private:
  QelString m_objectHandle;
  QelArray<QelString> m_arrEqualPartObjectHandles;
  int m_useThisDataForSums;
};

#endif  // QEL_BOM_ITEMS_H_
