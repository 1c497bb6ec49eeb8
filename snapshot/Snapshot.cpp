#include "snapshot/Snapshot.h"

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <optional>

#include "core/Console.h"
#include "core/Settings.h"
#include "platform/Appearance.h"
#include "platform/PrefStore.h"
#include "snapshot/PrivatePreferences.h"
#include "snapshot/Sequence.h"

namespace Snapshot {

namespace {

void write(std::FILE* stream, const QString& text) {
  const QByteArray bytes = text.toUtf8() + '\n';
  std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
  std::fflush(stream);
}

// The forced appearance is process-wide: it follows the desktop again when the run ends.
struct AppearanceScope {
  ~AppearanceScope() { Appearance::setForced(std::nullopt); }
};

}  // namespace

Outcome render(const QString& dir, bool allLanguages) {
  Outcome out;
  PrivatePreferences copy(PrefStore::standard());
  if (!copy.active()) return out;
  out.ran = true;
  AppearanceScope appearance;
  const QStringList codes = languages(allLanguages, &out.skipped);
  for (const QString& code : out.skipped)
    console::error(QStringLiteral("no catalogue file for the language \"%1\": its files are left out").arg(code));
  Sequence sequence(Settings::shared(), codes);
  for (const Step& step : sequence.steps()) {
    if (step.file.isEmpty()) {
      step.run(QString());
      continue;
    }
    ++out.planned;
    if (step.run(dir + QLatin1Char('/') + step.file)) ++out.written;
  }
  const Recognized& sample = sequence.sample();
  out.printed = sample.table ? sample.table->tsv() : sample.text();
  write(stdout, out.printed);
  return out;
}

int run(const QString& dir, bool allLanguages) {
  if (dir.startsWith(QLatin1Char('-'))) {
    console::error(QStringLiteral("-snapshot needs a folder, not the switch \"%1\"; "
                                  "write ./%1 for a folder of that name")
                       .arg(dir));
    return 1;
  }
  if (!QDir().mkpath(dir) || !QFileInfo(dir).isDir()) {
    console::error(QStringLiteral("cannot make the folder \"%1\"; no snapshots written").arg(dir));
    return 1;
  }
  const Outcome out = render(dir, allLanguages);
  if (!out.ran) {
    console::error(QStringLiteral("cannot work on a private copy of the preferences; no snapshots written"));
    return 1;
  }
  if (out.written == out.planned) return 0;
  console::error(QStringLiteral("%1 of %2 snapshot files were not written to \"%3\"")
                    .arg(out.planned - out.written)
                    .arg(out.planned)
                    .arg(dir));
  return 1;
}

}  // namespace Snapshot
