// bomgen COUNT [SEED] [--shape repetitive|catalogue|flat] [--all-kept]
// [--scattered]: writes COUNT generated steel parts as CSV to standard output,
// in the format bomreport reads. The shapes and the two traits (no bolts, so
// the comparison job keeps every part; each part's assembly mark drawn at
// random) are described in PartsGenerator.h.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "PartsGenerator.h"

int main(int argc, char** argv) {
  const char* const usage =
      "usage: bomgen COUNT [SEED] [--shape repetitive|catalogue|flat] [--all-kept] [--scattered]\n";
  bombench::Shape shape = bombench::Shape::kRepetitive;
  bombench::Traits traits;
  std::vector<const char*> positional;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--shape") == 0 && i + 1 < argc) {
      if (!bombench::shapeFromName(argv[++i], shape)) {
        std::cerr << "bomgen: unknown shape " << argv[i] << " (repetitive, catalogue, flat)\n";
        return 2;
      }
    } else if (std::strcmp(argv[i], "--all-kept") == 0) {
      traits.allKept = true;
    } else if (std::strcmp(argv[i], "--scattered") == 0) {
      traits.scattered = true;
    } else if (argv[i][0] == '-') {
      std::cerr << "bomgen: unknown option " << argv[i] << '\n' << usage;
      return 2;
    } else {
      positional.push_back(argv[i]);
    }
  }
  if (positional.empty() || positional.size() > 2) {
    std::cerr << usage;
    return 2;
  }
  if (traits.scattered && shape == bombench::Shape::kRepetitive) {
    std::cerr << "bomgen: --scattered needs --shape catalogue or flat (a repetitive mark names "
                 "an assembly type)\n";
    return 2;
  }
  const long count = std::strtol(positional[0], nullptr, 10);
  const std::uint64_t seed = positional.size() == 2 ? std::strtoull(positional[1], nullptr, 10) : 1;
  if (count < 0 || count > 100000000) {
    std::cerr << "bomgen: COUNT must be between 0 and 100000000\n";
    return 2;
  }
  std::ios::sync_with_stdio(false);
  bombench::writePartsCsv(std::cout, seed, static_cast<int>(count), shape, traits);
  return std::cout ? 0 : 1;
}
