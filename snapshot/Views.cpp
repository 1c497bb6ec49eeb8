#include "snapshot/Views.h"

#include <QBuffer>
#include <QImage>

#include "capture/OverlayView.h"
#include "core/Settings.h"
#include "platform/AtomicFile.h"
#include "platform/SignalExit.h"
#include "snapshot/Snapshot.h"
#include "toast/ToastModel.h"
#include "toast/ToastView.h"
#include "ui/about/AboutView.h"
#include "ui/kit/Render.h"
#include "ui/menu/MenuPage.h"
#include "ui/menu/MenuView.h"
#include "ui/onboarding/OnboardingModel.h"
#include "ui/onboarding/OnboardingView.h"

namespace Snapshot {

namespace {

constexpr auto nothing = [] {};
constexpr qreal kRatio = 2;

// The file appears whole or not at all: written under a temporary name and
// renamed into place, and a signal that ends the run waits for that.
bool writePng(const QImage& image, const QString& path) {
  if (image.isNull()) return false;
  QByteArray png;
  QBuffer buffer(&png);
  if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) return false;
  SignalExit::Hold hold;
  return atomicfile::write(path, png);
}

}  // namespace

bool save(QWidget& view, const QString& path) {
  view.resize(view.sizeHint());
  return writePng(kit::renderWidget(&view, kRatio), path);
}

bool menu(Settings& settings, MenuState::Page page, const QString& path) {
  MenuState state;
  state.setPage(page);
  MenuView view(settings, state, {nothing, nothing, nothing, nothing, nothing});
  return save(view, path);
}

bool toast(ToastModel& model, const QString& path) {
  ToastView view(model, {nothing, nothing, nothing, nothing, nothing, nothing, nothing, nothing, nothing});
  // A still moment: the stamp landed, the marching dashes and the bobbing
  // seal at the start of their cycles, so equal inputs give equal files.
  view.setClock([] { return 0.0; });
  view.settle();
  return save(view, path);
}

bool onboarding(Settings& settings, bool conflict, bool permission, const QString& path) {
  OnboardingModel model(permission);
  model.setConflict(conflict);
  OnboardingView view(model, settings, {nothing, nothing, nothing, nothing, nothing});
  return save(view, path);
}

bool about(const QString& path) {
  AboutView view;
  view.openUrl = [](const QUrl&) {};
  return save(view, path);
}

bool hint(const QString& path) {
  OverlayView view;
  view.setGeometry(0, 0, 1000, 120);
  view.setLastRect(QRectF(0, 0, 10, 10));
  return writePng(kit::renderWidget(&view, view.devicePixelRatioF()), path);
}

}  // namespace Snapshot
