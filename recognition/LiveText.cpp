#include "recognition/LiveText.h"

#include <QCoreApplication>
#include <QThread>
#include <QThreadPool>

#include "recognition/engines/EngineRun.h"
#include "recognition/words/Indents.h"
#include "recognition/Recognizer.h"
#include "recognition/lines/TextLike.h"

namespace LiveText {

namespace {

// Lines only, a lower scale target than the accurate reader's (small text is
// still enlarged, 16 px text is left as it is: on Latin text 0.5 % errors
// against 0.3 %), and more engines side by side, as many as are idle, even on
// small images: the models of one to three languages are small. A screen
// full of text starts the engines it lacks, as the accurate road does: on
// one engine a full-HD page of 12 px text took 7.4 s against 3 s accurate,
// on the cores 2 s.
ocr::RunConfig fastConfig() {
  ocr::RunConfig config;
  config.prepare.lineHeight = 16;
  config.prepare.latinLineHeight = config.prepare.cyrillicLineHeight = 16;
  config.words = false;
  config.maxEngines = 4;
  config.linesPerBand = 1;
  config.startFromBands = 16;
  return config;
}

bool onGuiThread() {
  const QCoreApplication* app = QCoreApplication::instance();
  return app && QThread::currentThread() == app->thread();
}

}  // namespace

// The first pass's languages only: one engine of one to three models
// instead of the re-reads the accurate road may add.
QStringList languagesFor(const QStringList& prefer) { return Recognizer::firstPassLanguages(prefer); }

std::optional<Recognized> rowsOf(const QString& transcript) {
  Recognized result;
  for (const QString& line : transcript.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
    const QString trimmed = text::trimWhitespace(line);
    if (trimmed.isEmpty()) continue;
    result.lines.push_back({Piece{PixelRect{}, trimmed}});
  }
  if (result.lines.empty()) return std::nullopt;
  return result;
}

std::optional<Recognized> read(const QImage& image, const QStringList& prefer) {
  if (onGuiThread()) {
    qCWarning(lcOcr) << "fast text path called on the GUI thread; nothing read";
    return std::nullopt;
  }
  const QImage focused = ocr::textLikeOnlyGuarded(image);
  if (focused.isNull()) return std::nullopt;
  EnginePool& pool = EnginePool::shared();
  const ocr::EngineResult seen = ocr::run(focused, pool.keyFor(languagesFor(prefer)), fastConfig(), pool);
  if (!seen.ran) return std::nullopt;
  // The lines' boxes tell a monospace block's indentation; the rows keep
  // no box.
  std::vector<std::vector<Piece>> rows;
  for (const ocr::EngineLine& line : seen.lines) {
    for (const QString& part : line.text.split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
      const QString trimmed = text::trimWhitespace(part);
      if (trimmed.isEmpty()) continue;
      const QRect box = line.box && !line.text.contains(QLatin1Char('\n')) ? *line.box : QRect();
      // In the source's pixels: the quotes the engine lost are counted on
      // the image as it was, before the cleaning.
      rows.push_back({Piece{box.isEmpty() ? PixelRect{}
                                          : seen.prepared.toSource(box.x(), box.y(), box.x() + box.width(),
                                                                   box.y() + box.height()),
                            trimmed}});
    }
  }
  ocr::indentCode(rows, {}, focused);
  Recognized result;
  for (auto& row : rows) {
    row.front().rect = PixelRect{};
    result.lines.push_back(std::move(row));
  }
  if (result.lines.empty()) return std::nullopt;
  return result;
}

void warmUp(const QStringList& prefer) {
  // The global pool is joined when the application object goes, so a warm-up
  // still running at quit ends before the engines' libraries unload.
  QThreadPool::globalInstance()->start([prefer] {
    QImage white(64, 32, QImage::Format_ARGB32_Premultiplied);
    if (white.isNull()) return;
    white.fill(Qt::white);
    EnginePool& pool = EnginePool::shared();
    const QString key = pool.keyFor(languagesFor(prefer));
    pool.fill(key, fastConfig().maxEngines);
    (void)ocr::run(white, key, fastConfig(), pool);
  });
}

void coolDown(const QStringList& prefer) { Recognizer::coolDown(languagesFor(prefer), fastConfig().maxEngines); }

}  // namespace LiveText
