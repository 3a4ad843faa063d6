// Bytes decoded into a template and a data set (fuzzed_trees.h), then the
// whole road of one report: units, trace, evaluation, listing, used handles,
// release. Any input must run without a crash, a leak or undefined behaviour.
#include <cstddef>
#include <cstdint>

#include "VRKBomEngine.h"
#include "fuzzed_trees.h"

namespace {

void release(QelBomItemBase* root) {
  if (root == nullptr) return;
  root->empty();
  delete root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  fuzzed::Bytes in(bytes, size);
  QelBomTemplate* templ = fuzzed::buildTemplate(in);
  QelBomData* data = fuzzed::buildData(in);
  const unsigned flags = in.next();

  if (flags & 1) {
    QelUnitsManager units;
    templ->setUnitsForTokens(&units);
  }
  QelArray<QelString> trace;
  QelIntArray types;
  if (flags & 2) templ->getTokenTrace(trace);
  templ->getFilterObjTypes(types);
  data->setTemplUsedTokensAndObjTypes(trace, types);
  data->isTokenRequired(QelString("%a"));

  QelBomTemplate* output = (flags & 4) ? nullptr : new QelBomTemplate();
  QelBomEvaluator2::evaluate(templ, data, output);
  if (flags & 8) QelBomEvaluator2::evaluate(templ, data, output);  // again, from the marks left

  QelString text;
  if (output != nullptr) output->list(text, 0, 1, 1);
  templ->list(text, static_cast<int>(flags >> 4), 1, 1);
  QelArray<QelArray<QelString>> handles;
  QelArray<QelArray<QelString>> tokens;
  data->getUsedHandlesAndTokens(handles, tokens);
  data->depthLevel();

  release(output);
  release(data);
  release(templ);
  return 0;
}
