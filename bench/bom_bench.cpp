// Benchmarks of the engine at the scale of real models, on each shape of
// generated model (repetitive, catalogue, flat; see PartsGenerator.h).
//
//   bom_bench [--bom_smoke] [benchmark flags]
//
// --bom_smoke runs every benchmark once on small inputs (for CI). Arguments
// are COUNT/SHAPE, the shape numbered 0 repetitive, 1 catalogue, 2 flat.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <vector>

#include "PartsGenerator.h"
#include "VRKBomEngine.h"
#include "engine/QelBomEvaluator2TestPeer.h"

namespace {

using Peer = QelBomEvaluator2TestPeer;

bombench::Shape shapeOf(const benchmark::State& state) {
  return static_cast<bombench::Shape>(state.range(1));
}

void release(QelBomItemBase* root) {
  root->empty();
  delete root;
}

// The input rows ordered by the sort keys of all levels.
void BM_RowSort(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  QelBomTemplate* templ = bombench::buildPartsTemplate();
  for (auto _ : state) {
    state.PauseTiming();
    QelBomData* data = bombench::buildPartsData(1, count, shapeOf(state));
    Peer::EngineStack stack = Peer::getTemplateStack(templ);
    state.ResumeTiming();
    Peer::sortInpuDataBySortingTokens(data, stack);
    state.PauseTiming();
    release(data);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
  release(templ);
}

// A template of `sections` group levels, each with a few tuples.
QelBomTemplate* buildWideTemplate(int sections) {
  auto* templ = new QelBomTemplate();
  QelBomItemBase* parent = templ;
  for (int i = 0; i < sections; ++i) {
    auto* header = new QelBomTemplateItem(QelBomTemplateItem::kGroupHeader);
    auto* footer = new QelBomTemplateItem(QelBomTemplateItem::kGroupFooter);
    QelString token;
    token.format("%%Token%d", i % 50);
    QelString group(u"%GroupBy:");
    group += token;
    header->addData(QelBomDataTuple(group, QelString()));
    header->addData(QelBomDataTuple(token, 0));
    QelString sum(u"%SumBy:");
    sum += token;
    footer->addData(QelBomDataTuple(sum, 0));
    parent->addChild(header);
    parent->addChild(footer);
    parent = header;
  }
  return templ;
}

// The token trace of the parts template and of a wide template.
void BM_TokenTrace(benchmark::State& state) {
  const int sections = static_cast<int>(state.range(0));
  QelBomTemplate* templ =
      sections == 0 ? bombench::buildPartsTemplate() : buildWideTemplate(sections);
  for (auto _ : state) {
    QelArray<QelString> trace;
    templ->getTokenTrace(trace);
    benchmark::DoNotOptimize(trace.count());
  }
  release(templ);
}

// evaluate() of the four-level parts template.
void BM_Evaluate(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  QelBomTemplate* templ = bombench::buildPartsTemplate();
  for (auto _ : state) {
    state.PauseTiming();
    QelBomData* data = bombench::buildPartsData(1, count, shapeOf(state));
    auto* output = new QelBomTemplate();
    state.ResumeTiming();
    QelBomEvaluator2::evaluate(templ, data, output);
    state.PauseTiming();
    release(output);
    release(data);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
  release(templ);
}

#ifdef BOMREPORT_PATH
// bomreport end to end: parts CSV in, report CSV out.
void BM_BomreportCsv(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  const std::string dir = "bom_bench_files";
  const std::string name = std::to_string(count) + bombench::shapeName(shapeOf(state));
  const std::string input = dir + "/parts" + name + ".csv";
  const std::string output = dir + "/report" + name + ".csv";
  std::system(("mkdir -p " + dir).c_str());
  {
    std::ofstream out(input, std::ios::binary);
    bombench::writePartsCsv(out, 1, count, shapeOf(state));
  }
  const std::string command = std::string(BOMREPORT_PATH) + " --template " BOM_PARTS_TEMPLATE +
                              " --data " + input + " --format csv -o " + output;
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) {
      state.SkipWithError("bomreport failed");
      break;
    }
  }
  state.SetItemsProcessed(state.iterations() * count);
  std::remove(input.c_str());
  std::remove(output.c_str());
}
#endif

void registerAll(bool smoke) {
  const std::vector<int> sizes =
      smoke ? std::vector<int>{2000} : std::vector<int>{10000, 100000, 1000000};
  auto apply = [&](benchmark::internal::Benchmark* bench) {
    for (int shape = 0; shape < 3; ++shape) {
      for (int size : sizes) bench->Args({size, shape});
    }
    bench->Unit(benchmark::kMillisecond);
    if (smoke) bench->Iterations(1);
  };
  apply(benchmark::RegisterBenchmark("BM_RowSort", BM_RowSort));
  apply(benchmark::RegisterBenchmark("BM_Evaluate", BM_Evaluate));
#ifdef BOMREPORT_PATH
  apply(benchmark::RegisterBenchmark("BM_BomreportCsv", BM_BomreportCsv)->UseRealTime());
#endif
  auto* trace = benchmark::RegisterBenchmark("BM_TokenTrace", BM_TokenTrace);
  trace->Arg(0)->Arg(smoke ? 50 : 1000)->Unit(benchmark::kMicrosecond);
  if (smoke) trace->Iterations(1);
}

}  // namespace

int main(int argc, char** argv) {
  bool smoke = false;
  std::vector<char*> args;
  for (int i = 0; i < argc; ++i) {
    if (std::strcmp(argv[i], "--bom_smoke") == 0) {
      smoke = true;
    } else {
      args.push_back(argv[i]);
    }
  }
  int count = static_cast<int>(args.size());
  registerAll(smoke);
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
