// Cost of the interface texts: the first L::table call of a language (reads
// and parses its catalogue and English) against a cached one.
// Run: build/bench/catalog_bench
#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/Strings.h"
#include "platform/Bundle.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  Bundle::setResourceDir(QStringLiteral(TARVOK_SOURCE_DIR "/resources"));
  QElapsedTimer timer;

  std::printf("%-8s %12s %12s\n", "lang", "first (us)", "cached (ns)");
  for (const char* code : {"en", "ko", "de", "ja", "ar"}) {
    timer.start();
    const Strings first = L::table(Lang(code));
    const double firstUs = timer.nsecsElapsed() / 1000.0;

    std::vector<qint64> samples;
    for (int i = 0; i < 2000; ++i) {
      timer.start();
      const Strings again = L::table(Lang(code));
      samples.push_back(timer.nsecsElapsed());
      if (again.appName.isEmpty()) return 1;
    }
    std::sort(samples.begin(), samples.end());
    std::printf("%-8s %12.1f %12lld\n", code, firstUs, static_cast<long long>(samples[samples.size() / 2]));
    if (first.appName.isEmpty()) return 1;
  }

  std::vector<qint64> autoSamples;
  for (int i = 0; i < 2000; ++i) {
    timer.start();
    const Strings s = L::table(Lang(QStringLiteral("auto")));
    autoSamples.push_back(timer.nsecsElapsed());
  }
  std::sort(autoSamples.begin(), autoSamples.end());
  std::printf("%-8s %12s %12lld  (resolves the system languages on every call)\n", "auto", "-",
              static_cast<long long>(autoSamples[autoSamples.size() / 2]));
  return 0;
}
