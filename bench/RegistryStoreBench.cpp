// The Linux registry store without a page: writeValue + readValue pairs per
// second, each call on a fresh connection as the bridge makes them.
// Usage: registry_store_bench FOLDER [seconds]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/linux/SqliteRegistry.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  const std::string file = std::string(argv[1]) + "/zel/registry.sqlite";
  const double seconds = argc > 2 ? std::stod(argv[2]) : 2.0;
  const auto key = *zel::ParseRegistryKeyPath("Software\\ZelBench\\Store");
  using clock = std::chrono::steady_clock;
  const auto start = clock::now();
  long pairs = 0;
  while (std::chrono::duration<double>(clock::now() - start).count() < seconds) {
    const std::string name = "v" + std::to_string(pairs % 100), value = std::to_string(pairs);
    if (!zel::gtk::TSqliteRegistry(file).WriteValue(key, name, value)) return 1;
    if (zel::gtk::TSqliteRegistry(file).ReadValue(key, name) != value) return 1;
    ++pairs;
  }
  const double elapsed = std::chrono::duration<double>(clock::now() - start).count();
  // On a busy machine the wall clock measures the others too; the CPU time
  // used tells what one free core would give.
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  const double cpu = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  std::printf("store alone: %6.0f writeValue+readValue pairs/s (%.2f ms CPU per pair)\n",
              pairs / elapsed, 1000 * cpu / pairs);
}
