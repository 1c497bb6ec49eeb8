#pragma once
#include <QString>
#include <QStringList>
#include <memory>

#include "core/Lang.h"

// The plain interface texts, in catalogue order; each field name is its key.
#define TARVOK_TEXT_KEYS(X)                                                                     \
  X(appName) X(tagline) X(pick) X(openAtLogin) X(joinLines) X(tables) X(language) X(auto_)      \
  X(about) X(quit) X(pressKeys) X(change) X(changeShortcut) X(recordHint) X(needModifier) X(on) \
  X(off) X(picked) X(working) X(workingSub) X(empty) X(emptySub) X(permission)                  \
  X(permissionSub) X(undone) X(undoneSub) X(busy) X(asText) X(asTable) X(keepLines) X(joinOne)  \
  X(edit) X(undo) X(cancel) X(save) X(done) X(qr) X(barcode) X(open) X(sectionPick)             \
  X(sectionApp) X(search) X(recent) X(retryAccurate) X(sameSpotAgain) X(pickWindow) X(spaceDrag)\
  X(dragSelect) X(spaceWindow) X(escCancel) X(aboutTitle) X(aboutBody) X(back) X(uiText)        \
  X(ocrText) X(ocrAuto) X(ocrAutoSub) X(ocrManual) X(ocrManualSub) X(fallback) X(fallbackSub)   \
  X(ocrMode) X(modeFast) X(modeAccurate) X(modeFastNote) X(obIntro) X(obShortcut)               \
  X(obShortcutOK) X(obPermission) X(obPermissionOff) X(obPermissionOn) X(obOn)                  \
  X(obOpenSettings) X(obRelaunchNote) X(obRelaunch) X(obLater) X(obClose) X(obTry) X(conflict)  \
  X(conflictSub) X(reports) X(obReports) X(obReportsBody) X(obReportsOn) X(obReportsOff)          \
  X(noDisplay) X(noDisplaySub) X(newerKept) X(newerKeptSub) X(nothingToRestore) X(nothingToRestoreSub)

// All interface texts of one language. A value never changes once built; texts
// missing from its catalogue come from English, and from the key itself last.
struct Strings {
#define TARVOK_TEXT_FIELD(name) QString name;
  TARVOK_TEXT_KEYS(TARVOK_TEXT_FIELD)
#undef TARVOK_TEXT_FIELD

  explicit Strings(const QString& code);

  QString taken(const QString& s) const;
  QString sameSpot(const QString& s) const;
  QString nowSystem(const QString& s) const;
  QString obShortcutTaken(const QString& s) const;
  QString textMeta(long long lines, long long chars) const;
  QString tableMeta(long long rows, long long cols) const;
  QString editedMeta(long long chars) const;
  QString moreRows(long long n) const;

  const QString& code() const { return code_; }

  // Every catalogue key a complete file holds (texts and builders), without "_name"/"_rtl".
  static QStringList keys();
  // The placeholders ("{n}", ...) that a key's text must carry; empty for most keys.
  static QStringList placeholders(const QString& key);

 private:
  QString v(const QString& key) const;
  QString fill(const QString& key, std::initializer_list<std::pair<const char*, QString>> params) const;
  QString count(long long n) const;

  QString code_;
  Catalog::Texts raw_;
  Catalog::Texts en_;
};

namespace L {
// The texts of lang.resolved(), built once per resolved code.
Strings table(const Lang& lang);
}  // namespace L
