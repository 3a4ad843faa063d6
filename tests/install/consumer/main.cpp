// Evaluates the default template over the sample data and checks the shape of
// the result: one report header item followed by one report footer item.
#include <VRKBomEngine.h>

#include <cstdio>

int main() {
  QelBomTemplate* templ = QelBomTemplate::createDefaultTemplate();
  QelUnitsManager units;
  templ->setUnitsForTokens(&units);
  QelArray<QelString> trace;
  QelIntArray types;
  templ->getTokenTrace(trace);
  templ->getFilterObjTypes(types);

  QelBomData* data = QelBomData::createDefaultData();
  data->setTemplUsedTokensAndObjTypes(trace, types);
  QelBomTemplate* output = new QelBomTemplate();
  const int evaluated = QelBomEvaluator2::evaluate(templ, data, output);

  const QelBomItemBase* header = output->child();
  const bool ok = evaluated == 1 && trace.count() == 12 && header != nullptr &&
                  header->next() != nullptr && header->next()->next() == nullptr;
  QelString text;
  output->list(text, 0, 1, 1);
  std::printf("%s\n", text.left(200).toUtf8().c_str());

  for (QelBomItemBase* root :
       {static_cast<QelBomItemBase*>(output), static_cast<QelBomItemBase*>(data),
        static_cast<QelBomItemBase*>(templ)}) {
    root->empty();
    delete root;
  }
  std::printf(ok ? "consumer: ok\n" : "consumer: unexpected result\n");
  return ok ? 0 : 1;
}
