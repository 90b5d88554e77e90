// Stand-in for libFuzzer where the compiler has none: feeds each file named on the
// command line, then a fixed number of pseudo-random mutations of them, to the target.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
  std::vector<std::vector<uint8_t>> seeds;
  for (int i = 1; i < argc; ++i) {
    std::ifstream in(argv[i], std::ios::binary);
    seeds.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  if (seeds.empty()) seeds.emplace_back();
  std::mt19937 rng(12345);
  for (const auto& seed : seeds) LLVMFuzzerTestOneInput(seed.data(), seed.size());
  for (int round = 0; round < 20000; ++round) {
    std::vector<uint8_t> input = seeds[rng() % seeds.size()];
    const int edits = 1 + static_cast<int>(rng() % 8);
    for (int e = 0; e < edits; ++e) {
      switch (rng() % 3) {
        case 0:
          if (!input.empty()) input[rng() % input.size()] = static_cast<uint8_t>(rng());
          break;
        case 1:
          if (!input.empty()) input.resize(rng() % input.size());
          break;
        default:
          input.push_back(static_cast<uint8_t>(rng()));
      }
    }
    LLVMFuzzerTestOneInput(input.data(), input.size());
  }
  return 0;
}
