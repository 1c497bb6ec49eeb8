#pragma once
#include <optional>

// Tells how busy the whole machine was since a baseline, so the working toast
// can explain a slow recognition.
class CPUMeter {
 public:
  struct Ticks {
    double busy = 0;
    double total = 0;
  };

  // Takes the baseline now (none when the counters cannot be read).
  void mark() { last = ticks(); }

  // A busy percentage worth mentioning, or none.
  std::optional<int> busyPercent() const;

  // The rule itself, over given readings: `load1` is the 1-minute load average
  // (none when unavailable), `cores` the active processors.
  static std::optional<int> evaluate(std::optional<Ticks> baseline, std::optional<Ticks> now,
                                     std::optional<double> load1, int cores);

  // Machine-wide cumulative CPU ticks from /proc/stat (user+nice+system busy).
  static std::optional<Ticks> ticks();
  // Parses the first "cpu" line of a /proc/stat text.
  static std::optional<Ticks> parseProcStat(const char* text);

  std::optional<Ticks> last;
};
