#include "snapshot/Sequence.h"

#include "core/Lang.h"
#include "core/Settings.h"
#include "platform/Appearance.h"
#include "recognition/base/OCRLanguages.h"
#include "recognition/Recognizer.h"
#include "snapshot/Samples.h"
#include "snapshot/Views.h"
#include "toast/ToastModel.h"
#include "ui/menu/MenuState.h"

namespace Snapshot {

namespace {

using Kind = ToastModel::Kind;
using Page = MenuState::Page;

constexpr int kBusyCPU = 94;

const QStringList& defaultLanguages() {
  static const QStringList codes{QStringLiteral("en"), QStringLiteral("ja"), QStringLiteral("zh-Hans"),
                                 QStringLiteral("ar"), QStringLiteral("ru"), QStringLiteral("de")};
  return codes;
}

const QStringList& manualOcrLanguages() {
  static const QStringList codes{QStringLiteral("ko-KR"), QStringLiteral("en-US"), QStringLiteral("ja-JP")};
  return codes;
}

// A fresh model of the two-line text sample, picked.
std::unique_ptr<ToastModel> textModel() {
  auto model = std::make_unique<ToastModel>();
  model->setResult(textSample());
  model->setKind(Kind::picked);
  return model;
}

}  // namespace

QStringList languages(bool all, QStringList* missing) {
  if (all) return Catalog::codes();
  QStringList out;
  for (const QString& code : defaultLanguages()) {
    if (Catalog::codes().contains(code)) {
      out << code;
    } else if (missing) {
      *missing << code;
    }
  }
  return out;
}

Sequence::Sequence(Settings& settings, const QStringList& languages) : s_(settings) {
  change([this] {
    recent_ = s_.recentLanguages();
    sample_ = Recognizer::recognize(sampleImage(), OCRLanguages::primary(std::nullopt), true);
    table_ = std::make_unique<ToastModel>();
    table_->setResult(sample_);
    table_->setAsTable(sample_.table.has_value());
  });
  appearancePass(false);
  appearancePass(true);
  for (const QString& code : languages) languageBlock(code);
  closingViews();
}

Sequence::~Sequence() = default;

QStringList Sequence::files() const {
  QStringList names;
  for (const Step& step : steps_) {
    if (!step.file.isEmpty()) names << step.file;
  }
  return names;
}

void Sequence::add(const QString& file, std::function<bool(const QString&)> draw) {
  steps_.push_back({file, std::move(draw)});
}

void Sequence::change(std::function<void()> change) {
  steps_.push_back({QString(), [change = std::move(change)](const QString&) {
                      change();
                      return true;
                    }});
}

void Sequence::appearancePass(bool dark) {
  const QString n = dark ? QStringLiteral("dark") : QStringLiteral("light");
  auto file = [&n](const char* prefix) { return QLatin1String(prefix) + n + QStringLiteral(".png"); };
  change([dark] { Appearance::setForced(dark); });
  add(file("menu-"), [this](const QString& path) { return menu(s_, Page::main, path); });
  add(file("toast-table-"), [this](const QString& path) {
    table_->setKind(Kind::picked);
    table_->setHovering(false);
    return toast(*table_, path);
  });
  add(file("toast-table-hover-"), [this](const QString& path) {
    table_->setHovering(true);
    return toast(*table_, path);
  });
  add(file("toast-text-"), [this](const QString& path) {
    text_ = textModel();
    return toast(*text_, path);
  });
  add(file("toast-qr-"), [](const QString& path) {
    ToastModel qr;
    qr.setResult(qrSample());
    qr.setKind(Kind::picked);
    return toast(qr, path);
  });
  add(file("toast-working-"), [this](const QString& path) {
    text_->setKind(Kind::working);
    return toast(*text_, path);
  });
  add(file("toast-busy-"), [this](const QString& path) {
    text_->setBusyCPU(kBusyCPU);
    return toast(*text_, path);
  });
  add(file("toast-empty-"), [this](const QString& path) {
    text_->setBusyCPU(std::nullopt);
    text_->setKind(Kind::empty);
    return toast(*text_, path);
  });
}

void Sequence::languageBlock(const QString& code) {
  change([this, code] {
    s_.setLanguage(Lang(code));
    Appearance::setForced(true);
  });
  add(QStringLiteral("menu-%1.png").arg(code), [this](const QString& path) { return menu(s_, Page::main, path); });
  add(QStringLiteral("toast-%1.png").arg(code), [this](const QString& path) {
    text_ = textModel();
    text_->setHovering(true);
    return toast(*text_, path);
  });
  add(QStringLiteral("busy-%1.png").arg(code), [this](const QString& path) {
    text_->setKind(Kind::working);
    text_->setBusyCPU(kBusyCPU);
    return toast(*text_, path);
  });
}

void Sequence::closingViews() {
  change([this] {
    s_.setLanguage(Lang(QStringLiteral("auto")));
    Appearance::setForced(true);
  });
  add(QStringLiteral("lang-list.png"), [this](const QString& path) { return menu(s_, Page::uiLanguage, path); });
  struct OnboardingState {
    const char* name;
    bool conflict, permission;
  };
  for (const OnboardingState o : {OnboardingState{"first", false, false}, OnboardingState{"conflict", true, false},
                                  OnboardingState{"done", false, true}}) {
    add(QStringLiteral("onboard-%1.png").arg(QLatin1String(o.name)),
        [this, o](const QString& path) { return onboarding(s_, o.conflict, o.permission, path); });
  }
  change([this] { fast_ = s_.fastMode(); });
  for (const bool fast : {false, true}) {
    add(fast ? QStringLiteral("hint-fast.png") : QStringLiteral("hint-accurate.png"), [this, fast](const QString& path) {
      s_.setFastMode(fast);
      return hint(path);
    });
  }
  add(QStringLiteral("menu-fast.png"), [this](const QString& path) {
    s_.setFastMode(true);
    return menu(s_, Page::main, path);
  });
  change([this] {
    s_.setFastMode(fast_);
    s_.setRecentLanguages(recent_);
  });
  add(QStringLiteral("about.png"), [](const QString& path) { return about(path); });
  add(QStringLiteral("about-en.png"), [this](const QString& path) {
    s_.setLanguage(Lang(QStringLiteral("en")));
    return about(path);
  });
  change([this] { s_.setLanguage(Lang(QStringLiteral("auto"))); });
  add(QStringLiteral("lang-auto.png"), [this](const QString& path) { return menu(s_, Page::language, path); });
  change([this] {
    manual_ = s_.ocrManual();
    ocrLanguages_ = s_.ocrLanguages();
    s_.setOcrManual(true);
    s_.setOcrLanguages(manualOcrLanguages());
  });
  add(QStringLiteral("lang-manual.png"), [this](const QString& path) { return menu(s_, Page::language, path); });
  change([this] {
    s_.setOcrManual(manual_);
    s_.setOcrLanguages(ocrLanguages_);
  });
}

}  // namespace Snapshot
