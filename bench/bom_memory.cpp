// bom_memory COUNT [SHAPE]: peak memory of one evaluation of the parts template
// over COUNT generated parts of a shape (repetitive, catalogue or flat), data
// set and output tree together, per part.
#include <sys/resource.h>

#include <cstdio>
#include <cstdlib>

#include "PartsGenerator.h"
#include "VRKBomEngine.h"

namespace {

long peakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 1000000;
  bombench::Shape shape = bombench::Shape::kRepetitive;
  if (count <= 0 || (argc > 2 && !bombench::shapeFromName(argv[2], shape))) return 2;
  QelBomTemplate* templ = bombench::buildPartsTemplate();
  const long before = peakKilobytes();
  QelBomData* data = bombench::buildPartsData(1, count, shape);
  const long afterData = peakKilobytes();
  QelBomTemplate* output = new QelBomTemplate();
  QelBomEvaluator2::evaluate(templ, data, output);
  const long afterEvaluate = peakKilobytes();
  std::printf("%s parts %d: data set %.0f B/part, data set + output %.0f B/part (peak %.1f MiB)\n",
              bombench::shapeName(shape), count, (afterData - before) * 1024.0 / count,
              (afterEvaluate - before) * 1024.0 / count, afterEvaluate / 1024.0);
  for (QelBomItemBase* root :
       {static_cast<QelBomItemBase*>(output), static_cast<QelBomItemBase*>(data),
        static_cast<QelBomItemBase*>(templ)}) {
    root->empty();
    delete root;
  }
  return 0;
}
