// A host of the installed libraries. Evaluates the default template over the
// sample data twice, through the engine's own road and through the reporting
// library, and checks the shape of both: one report header item followed by
// one report footer item.
#include <BomReport.h>
#include <VRKBomEngine.h>

#include <cstdio>
#include <sstream>

namespace {

bool engineRoad() {
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
  for (QelBomItemBase* root :
       {static_cast<QelBomItemBase*>(output), static_cast<QelBomItemBase*>(data),
        static_cast<QelBomItemBase*>(templ)}) {
    root->empty();
    delete root;
  }
  return ok;
}

bool reportingLibrary() {
  bomreport::ReportJob job{bomreport::ReportJobOptions()};
  bomreport::EvaluatedReport report = job.evaluate();
  std::ostringstream csv;
  bomreport::findReportWriter("csv")->write(csv, report.view(false));
  const QelBomItemBase* header = report.output().child();
  return job.trace().tokens.size() == 12 && header != nullptr && header->next() != nullptr &&
         csv.str().rfind("depth,type,", 0) == 0;
}

}  // namespace

int main() {
  const bool engine = engineRoad();
  const bool reporting = reportingLibrary();
  std::printf("consumer: engine %s, reporting library %s\n", engine ? "ok" : "FAILED",
              reporting ? "ok" : "FAILED");
  return engine && reporting ? 0 : 1;
}
