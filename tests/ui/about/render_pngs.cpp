// Renders the onboarding view (every state) and the About view at 2x, light
// and dark, in English, Korean and Arabic, into the folder given as the only
// argument. Preferences go to a private folder, never the user's own.
#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>

#include "core/Fonts.h"
#include "core/Settings.h"
#include "platform/Appearance.h"
#include "platform/Bundle.h"
#include "ui/about/AboutView.h"
#include "ui/kit/Render.h"
#include "ui/onboarding/OnboardingModel.h"
#include "ui/onboarding/OnboardingView.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: window_pngs FOLDER\n");
    return 2;
  }
  QTemporaryDir home;
  qputenv("XDG_CONFIG_HOME", home.path().toLocal8Bit());
  qputenv("XDG_STATE_HOME", home.path().toLocal8Bit());
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  Bundle::setResourceDir(QStringLiteral(TARVOK_SOURCE_DIR "/resources"));
  Fonts::registerAll();
  const QString out = QString::fromLocal8Bit(argv[1]);
  QDir().mkpath(out);

  struct State {
    const char* name;
    bool permission, conflict, reports, recording, note;
  };
  const State states[] = {{"ready", true, false, true, false, false},
                          {"notready", false, false, true, false, false},
                          {"conflict", true, true, false, false, false},
                          {"recording", false, false, false, true, true}};
  Settings& s = Settings::shared();
  int written = 0;
  auto save = [&](QWidget& w, const QString& name) {
    w.resize(w.sizeHint());
    if (kit::renderWidget(&w, 2).save(out + QLatin1Char('/') + name + QStringLiteral(".png"))) ++written;
  };
  for (const char* code : {"en", "ko", "ar"}) {
    s.setLanguage(Lang(QString::fromLatin1(code)));
    for (bool dark : {false, true}) {
      Appearance::setForced(dark);
      const QString suffix = QLatin1Char('-') + QLatin1String(code) + (dark ? "-dark" : "-light");
      for (const State& st : states) {
        OnboardingModel model(st.permission);
        model.setConflict(st.conflict);
        s.setReports(st.reports);
        s.setRecording(st.recording);
        s.setShortcutNote(st.note ? std::optional<QString>(QStringLiteral("Ctrl+C is kept for copying.")) : std::nullopt);
        OnboardingView view(model, s, {});
        save(view, QStringLiteral("onboarding-") + QLatin1String(st.name) + suffix);
      }
      s.setRecording(false);
      s.setShortcutNote(std::nullopt);
      AboutView about;
      save(about, QStringLiteral("about") + suffix);
    }
  }
  std::printf("%d files in %s\n", written, qPrintable(out));
  return 0;
}
