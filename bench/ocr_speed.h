// bench/ocr_bench --speed: whole pages and cold starts. A warm accurate read
// of a 1600 x 1000 page of English prose; a Korean page read by a user with
// an English interface (engines of the second chance cold, then warm), and
// pages in the bench's other scripts, once each; and
// `tarvok -read` in a fresh process against `tesseract IMAGE - -l LANG` on
// the same images, run alternately.
#pragma once
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>

#include "bench/ocr_measure.h"
#include "bench/ocr_samples.h"
#include "recognition/Recognizer.h"
#include "tests/recognition/UiScreens.h"

namespace speed {

// A page of the language's prose, wrapped to the width, filling the image.
inline samples::Sample page(const samples::Language& lang, int width, int height, int px) {
  samples::Sample s{&lang, samples::Layout::Paragraph, px, 1, false, QImage(width, height, QImage::Format_RGB32), {}};
  QFont font(QString::fromLatin1(lang.family));
  font.setPixelSize(px);
  const QFontMetrics fm(font);
  const QStringList words = (lang.paragraph + lang.list).join(QLatin1Char(' ')).split(QLatin1Char(' '), Qt::SkipEmptyParts);
  const int margin = 24, pitch = int(fm.lineSpacing() * 1.4);
  s.image.fill(Qt::white);
  QPainter p(&s.image);
  p.setFont(font);
  p.setPen(QColor(32, 33, 36));
  QStringList lines;
  qsizetype next = 0;
  for (int top = margin; top + pitch <= height - margin; top += pitch) {
    QString line;
    while (fm.horizontalAdvance(line + QLatin1Char(' ') + words[next % words.size()]) < width - 2 * margin) {
      line += (line.isEmpty() ? QString() : QStringLiteral(" ")) + words[next % words.size()];
      ++next;
    }
    p.drawText(QRect(margin, top, width - 2 * margin, pitch), (lang.rtl ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop, line);
    lines << line;
  }
  p.end();
  s.truth = lines.join(QLatin1Char('\n'));
  return s;
}

inline const samples::Language& language(const char* id) {
  for (const auto& l : samples::languages())
    if (qstrcmp(l.id, id) == 0) return l;
  return samples::languages().front();
}

// Wall time of one fresh process, in ms; its output in `out`.
inline double runOnce(const QString& program, const QStringList& args, const QProcessEnvironment& env, QString* out = nullptr) {
  QProcess p;
  p.setProcessEnvironment(env);
  const double t0 = measure::nowMs();
  p.start(program, args);
  p.waitForFinished(120000);
  const double ms = measure::nowMs() - t0;
  if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
  return ms;
}

// The environment a user of `lang` runs both programs in, with private
// settings folders. The thread limit is set for both: without it the command
// line's OpenMP threads spin against whatever else runs on the machine (an
// image it reads in 0.1 s took 1 s on a busy machine), and tarvok sets it
// for itself anyway (running itself again, about 10 ms, when it is missing).
inline QProcessEnvironment userEnv(const QString& uiLanguage, const QString& home) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("OMP_THREAD_LIMIT"), QStringLiteral("1"));
  env.insert(QStringLiteral("LANG"), uiLanguage + QStringLiteral(".UTF-8"));
  env.insert(QStringLiteral("LANGUAGE"), uiLanguage);
  env.insert(QStringLiteral("LC_ALL"), uiLanguage + QStringLiteral(".UTF-8"));
  for (const char* xdg : {"XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME"})
    env.insert(QLatin1String(xdg), home + QLatin1Char('/') + QLatin1String(xdg));
  return env;
}

// The program beside the bench's folder.
inline QString tarvokProgram() {
  return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../tarvok"));
}

// An image read cold, with the command line's languages and the locale of
// the user who reads it.
struct ColdItem {
  QString name;
  QImage image;
  QString cli;
  QString ui;
};

inline void coldRead(int runs) {
  const QString tarvok = tarvokProgram();
  QTemporaryDir dir;
  using Item = ColdItem;
  std::vector<Item> items;
  const std::map<QString, QString> locales{{"en", "en_US"}, {"de", "de_DE"}, {"ru", "ru_RU"}, {"ar", "ar_SA"},
                                           {"ko", "ko_KR"}, {"ja", "ja_JP"}, {"zh", "zh_CN"}, {"zt", "zh_TW"}};
  for (const auto& ul : uiscreens::languages()) {
    const QString id = QLatin1String(ul.id);
    items.push_back({id + QStringLiteral("-print"), uiscreens::render(ul, uiscreens::Kind::Print, 1, false).image,
                     QLatin1String(ul.cli), locales.at(id)});
    items.push_back({id + QStringLiteral("-files@2"), uiscreens::render(ul, uiscreens::Kind::Files, 2, false).image,
                     QLatin1String(ul.cli), locales.at(id)});
    const samples::Language& sl = language(ul.id);
    items.push_back({id + QStringLiteral("-para"), samples::render(sl, samples::Layout::Paragraph, 13, 1, false).image,
                     QLatin1String(sl.cli), locales.at(id)});
  }
  items.push_back({QStringLiteral("en-page"), page(language("en"), 1600, 1000, 15).image, QStringLiteral("eng"), QStringLiteral("en_US")});

  std::printf("\ncold read, median of %d fresh processes each (ms): tarvok -read FILE | tesseract FILE - -l LANG | ratio\n", runs);
  std::vector<double> ratios, ours, theirs;
  for (const Item& item : items) {
    const QString png = dir.filePath(item.name + QStringLiteral(".png"));
    item.image.save(png);
    const QProcessEnvironment env = userEnv(item.ui, dir.path());
    std::vector<double> a, b;
    for (int i = 0; i < runs; ++i) {
      a.push_back(runOnce(tarvok, {QStringLiteral("-read"), png}, env));
      b.push_back(runOnce(QStringLiteral("tesseract"), {png, QStringLiteral("-"), QStringLiteral("-l"), item.cli}, env));
    }
    const double ma = measure::median(a), mb = measure::median(b);
    ours.push_back(ma), theirs.push_back(mb), ratios.push_back(ma / mb);
    std::printf("%-14s %4dx%-4d | %6.0f | %6.0f | %5.2f\n", qPrintable(item.name), item.image.width(), item.image.height(),
                ma, mb, ma / mb);
    std::fflush(stdout);
  }
  std::printf("median over the images: tarvok %.0f ms, command line %.0f ms, ratio of medians %.2f, median ratio %.2f\n",
              measure::median(ours), measure::median(theirs), measure::median(ours) / measure::median(theirs),
              measure::median(ratios));
}

// Accurate reads of whole pages: English prose warm, and a Korean page for a
// user whose interface is English (the second chance's engines start cold the
// first time).
inline void pages() {
  const samples::Sample en = page(language("en"), 1600, 1000, 15);
  const QStringList english{QStringLiteral("en-US")};
  Recognized r = Recognizer::recognize(en.image, english, true);
  std::vector<double> ms;
  for (int i = 0; i < 5; ++i) {
    const double t0 = measure::nowMs();
    r = Recognizer::recognize(en.image, english, true);
    ms.push_back(measure::nowMs() - t0);
  }
  std::printf("\nwarm 1600x1000 English page (%lld characters): median %.0f ms of 5, CER %.2f%%\n",
              (long long)en.truth.size(), measure::median(ms), 100 * measure::errors(en.truth, r.text(), false).rate());

  for (const QSize size : {QSize(900, 560), QSize(1200, 800)}) {
    const samples::Sample ko = page(language("ko"), size.width(), size.height(), 15);
    for (const char* when : {"first (engines cold)", "again (warm)"}) {
      const double t0 = measure::nowMs();
      r = Recognizer::recognize(ko.image, english, true);
      std::printf("%dx%d Korean page, English interface, %s: %.0f ms, CER %.2f%%, resident %.0f MB\n", size.width(),
                  size.height(), when, measure::nowMs() - t0, 100 * measure::errors(ko.truth, r.text(), false).rate(),
                  measure::residentMB());
    }
  }
  for (const char* id : {"ru", "ar", "ja", "zh"}) {
    const samples::Sample other = page(language(id), 1200, 800, 15);
    const double t0 = measure::nowMs();
    r = Recognizer::recognize(other.image, english, true);
    std::printf("1200x800 %s page, English interface: %.0f ms, CER %.2f%%, resident %.0f MB\n", id,
                measure::nowMs() - t0, 100 * measure::errors(other.truth, r.text(), false).rate(), measure::residentMB());
  }
}

}  // namespace speed
