// Measuring helpers of bench/ocr_bench: character error rate, the plain
// tesseract command line as a yardstick, process memory and CPU time.
#pragma once
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace measure {

// Lines with their whitespace collapsed, blank lines dropped; for scripts
// written without spaces, no whitespace at all.
inline QList<uint> normalised(const QString& text, bool spaceless) {
  QStringList lines;
  for (QString l : text.normalized(QString::NormalizationForm_C).split(QLatin1Char('\n'))) {
    l = l.simplified();
    if (spaceless) l.remove(QLatin1Char(' '));
    if (!l.isEmpty()) lines << l;
  }
  return lines.join(QLatin1Char('\n')).toUcs4();
}

struct Errors {
  long long edits = 0;
  long long chars = 0;
  double rate() const { return chars ? double(edits) / double(chars) : 0; }
  Errors& operator+=(const Errors& o) {
    edits += o.edits;
    chars += o.chars;
    return *this;
  }
};

// Levenshtein distance over code points against the truth's length.
inline Errors errors(const QString& truth, const QString& seen, bool spaceless) {
  const QList<uint> a = normalised(truth, spaceless);
  const QList<uint> b = normalised(seen, spaceless);
  std::vector<long long> prev(size_t(b.size()) + 1), cur(size_t(b.size()) + 1);
  for (size_t j = 0; j < prev.size(); ++j) prev[j] = (long long)j;
  for (qsizetype i = 1; i <= a.size(); ++i) {
    cur[0] = i;
    for (qsizetype j = 1; j <= b.size(); ++j) {
      const long long sub = prev[size_t(j - 1)] + (a[i - 1] == b[j - 1] ? 0 : 1);
      cur[size_t(j)] = std::min({prev[size_t(j)] + 1, cur[size_t(j - 1)] + 1, sub});
    }
    std::swap(prev, cur);
  }
  return {prev[size_t(b.size())], (long long)a.size()};
}

// The plain command line on a PNG file, with its own language list.
inline QString commandLine(const QString& png, const QString& lang) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral("tesseract"), {png, QStringLiteral("stdout"), QStringLiteral("-l"), lang});
  if (!p.waitForFinished(120000)) return {};
  return QString::fromUtf8(p.readAllStandardOutput());
}

inline bool haveCommandLine() {
  QProcess p;
  p.start(QStringLiteral("tesseract"), {QStringLiteral("--version")});
  return p.waitForFinished(10000) && p.exitCode() == 0;
}

// A field of /proc/self/status in MB ("VmRSS:", "VmHWM:").
inline double statusMB(const char* field) {
  std::ifstream f("/proc/self/status");
  std::string line;
  const size_t n = std::char_traits<char>::length(field);
  while (std::getline(f, line))
    if (line.rfind(field, 0) == 0) return std::stod(line.substr(n)) / 1024.0;
  return 0;
}

inline double residentMB() { return statusMB("VmRSS:"); }

// The most the process has held resident so far.
inline double peakMB() { return statusMB("VmHWM:"); }

inline double userCpuSeconds() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return double(u.ru_utime.tv_sec) + double(u.ru_utime.tv_usec) / 1e6;
}

inline double nowMs() {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

inline double median(std::vector<double> v) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace measure
