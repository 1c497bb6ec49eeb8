#include "core/CPUMeter.h"

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

std::optional<CPUMeter::Ticks> CPUMeter::parseProcStat(const char* text) {
  // "cpu  user nice system idle iowait irq softirq ...": the same four
  // counters the busy share has always been built from.
  if (!text || std::strncmp(text, "cpu ", 4) != 0) return std::nullopt;
  unsigned long long user = 0, nice = 0, system = 0, idle = 0;
  if (std::sscanf(text + 4, "%llu %llu %llu %llu", &user, &nice, &system, &idle) != 4) return std::nullopt;
  const double busy = double(user) + double(system) + double(nice);
  return Ticks{busy, busy + double(idle)};
}

std::optional<CPUMeter::Ticks> CPUMeter::ticks() {
  std::ifstream file("/proc/stat");
  std::string line;
  if (!file || !std::getline(file, line)) return std::nullopt;
  return parseProcStat(line.c_str());
}

std::optional<int> CPUMeter::evaluate(std::optional<Ticks> baseline, std::optional<Ticks> now,
                                      std::optional<double> load1, int cores) {
  const bool loadHigh = load1 && *load1 >= 2.0 * cores;
  const std::optional<int> fallback = loadHigh ? std::optional<int>(95) : std::nullopt;
  if (!baseline || !now) return fallback;
  const double dTotal = now->total - baseline->total;
  if (!(dTotal > 0)) return fallback;
  const double share = (now->busy - baseline->busy) / dTotal;
  if (share >= 0.8) {
    const double value = loadHigh ? std::max(0.95, share) : share;
    return int(std::round(value * 100.0));  // halves away from zero
  }
  return fallback;
}

std::optional<int> CPUMeter::busyPercent() const {
  const long cores = sysconf(_SC_NPROCESSORS_ONLN);
  double loads[3] = {0, 0, 0};
  std::optional<double> load1;
  if (getloadavg(loads, 3) >= 1) load1 = loads[0];
  return evaluate(last, last ? ticks() : std::nullopt, load1, cores > 0 ? int(cores) : 1);
}
