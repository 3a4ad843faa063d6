// bomgen COUNT [SEED]: writes COUNT generated steel parts as CSV to standard
// output, in the format bomreport reads.
#include <cstdint>
#include <cstdlib>
#include <iostream>

#include "PartsGenerator.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::cerr << "usage: bomgen COUNT [SEED]\n";
    return 2;
  }
  const long count = std::strtol(argv[1], nullptr, 10);
  const std::uint64_t seed = argc == 3 ? std::strtoull(argv[2], nullptr, 10) : 1;
  if (count < 0 || count > 100000000) {
    std::cerr << "bomgen: COUNT must be between 0 and 100000000\n";
    return 2;
  }
  std::ios::sync_with_stdio(false);
  bombench::writePartsCsv(std::cout, seed, static_cast<int>(count));
  return std::cout ? 0 : 1;
}
