// bomgen COUNT [SEED] [--shape repetitive|catalogue|flat]: writes COUNT
// generated steel parts as CSV to standard output, in the format bomreport
// reads. The shapes are described in PartsGenerator.h.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <string>
#include <vector>

#include "PartsGenerator.h"

int main(int argc, char** argv) {
  bombench::Shape shape = bombench::Shape::kRepetitive;
  std::vector<const char*> positional;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--shape") == 0 && i + 1 < argc) {
      if (!bombench::shapeFromName(argv[++i], shape)) {
        std::cerr << "bomgen: unknown shape " << argv[i] << " (repetitive, catalogue, flat)\n";
        return 2;
      }
    } else {
      positional.push_back(argv[i]);
    }
  }
  if (positional.empty() || positional.size() > 2) {
    std::cerr << "usage: bomgen COUNT [SEED] [--shape repetitive|catalogue|flat]\n";
    return 2;
  }
  const long count = std::strtol(positional[0], nullptr, 10);
  const std::uint64_t seed = positional.size() == 2 ? std::strtoull(positional[1], nullptr, 10) : 1;
  if (count < 0 || count > 100000000) {
    std::cerr << "bomgen: COUNT must be between 0 and 100000000\n";
    return 2;
  }
  std::ios::sync_with_stdio(false);
  bombench::writePartsCsv(std::cout, seed, static_cast<int>(count), shape);
  return std::cout ? 0 : 1;
}
