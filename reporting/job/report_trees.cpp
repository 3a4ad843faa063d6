#include "BomReportTrees.h"

#include "VRKBomEngine.h"

namespace bomreport {

void TreeDeleter::operator()(QelBomItemBase* root) const {
  if (root != nullptr) {
    root->empty();
    delete root;
  }
}

void TreeDeleter::operator()(QelBomTemplate* root) const {
  (*this)(static_cast<QelBomItemBase*>(root));
}

void TreeDeleter::operator()(QelBomData* root) const {
  (*this)(static_cast<QelBomItemBase*>(root));
}

}  // namespace bomreport
