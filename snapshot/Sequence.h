#pragma once
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

#include "recognition/base/Result.h"

class Settings;
class ToastModel;

namespace Snapshot {

// One step of a run: a file drawn and written, or a change of state between
// files (the appearance, a preference, the sample's recognition).
struct Step {
  QString file;  // "menu-light.png"; empty for a change of state
  std::function<bool(const QString& path)> run;
};

// The languages of the language block: the default six, or every catalogue
// language. A default one without a catalogue file is left out and added to
// `missing`, rather than drawn in another language.
QStringList languages(bool all, QStringList* missing = nullptr);

// The whole run as a list of steps, in the order the files are written:
// light then dark (menu and every toast state), each language in the dark,
// then the interface-language page, onboarding, the hint bar, the menu in
// fast mode, About, and the OCR-language page automatic and by hand. The
// steps change preferences through `settings` and put back what they
// change, except the interface language, which ends as "auto".
class Sequence {
 public:
  Sequence(Settings& settings, const QStringList& languages);
  ~Sequence();
  Sequence(const Sequence&) = delete;
  Sequence& operator=(const Sequence&) = delete;

  const std::vector<Step>& steps() const { return steps_; }
  QStringList files() const;
  // The recognised sample table, once the steps have run.
  const Recognized& sample() const { return sample_; }

 private:
  void add(const QString& file, std::function<bool(const QString&)> draw);
  void change(std::function<void()> change);
  void appearancePass(bool dark);
  void languageBlock(const QString& code);
  void closingViews();

  Settings& s_;
  Recognized sample_;
  std::unique_ptr<ToastModel> table_;
  std::unique_ptr<ToastModel> text_;
  QStringList recent_;
  QStringList ocrLanguages_;
  bool fast_ = false;
  bool manual_ = false;
  std::vector<Step> steps_;
};

}  // namespace Snapshot
