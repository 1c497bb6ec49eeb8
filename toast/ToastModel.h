#pragma once
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <optional>

#include "recognition/base/Result.h"
#include "toast/ClipboardBackup.h"

class QClipboard;

// The state of the result toast and every text derived from it. The model is
// the only writer of recognised content to the clipboard. It holds no timer
// and no window; the controller sets it, the view observes `changed`.
class ToastModel : public QObject {
  Q_OBJECT
 public:
  // In this order; the ordinals are stable. After `conflict`: no screen to
  // capture, and the two undos that leave the clipboard alone (it holds a
  // newer copy; what it held before is unknown).
  enum class Kind { working, picked, empty, permission, undone, conflict, noDisplay, newerKept, nothingToRestore };

  explicit ToastModel(QObject* parent = nullptr);

  Kind kind() const { return kind_; }
  void setKind(Kind kind);
  // Identity of the current stamp mark; a new one replays its landing.
  QUuid stampID() const { return stampID_; }
  void newStamp();
  std::optional<int> busyCPU() const { return busyCPU_; }
  void setBusyCPU(std::optional<int> percent);
  const Recognized& result() const { return result_; }
  void setResult(Recognized result);
  bool asTable() const { return asTable_; }
  void setAsTable(bool on);
  bool joined() const { return joined_; }
  void setJoined(bool on);
  bool hovering() const { return hovering_; }
  void setHovering(bool on);
  bool editing() const { return editing_; }
  void setEditing(bool on);
  const QString& draft() const { return draft_; }
  void setDraft(const QString& text);
  // The committed edit; once set it wins over every other text.
  const std::optional<QString>& edited() const { return edited_; }
  void setEdited(std::optional<QString> text);
  // What the clipboard held before the result was copied (not observed).
  const std::optional<ClipboardBackup>& backup() const { return backup_; }
  void setBackup(std::optional<ClipboardBackup> backup) { backup_ = std::move(backup); }

  // True when the table of the result is what is copied and previewed.
  bool tableShown() const { return asTable_ && result_.table.has_value(); }

  // Whether a picked result starts in table mode, with "Copy tables as
  // tables" on or off: only when it has a table and no code. A table holds
  // no code payloads, so a capture with codes starts as text, codes first;
  // "As table" stays on offer.
  static bool startsAsTable(const Recognized& result, bool tablesSetting);

  // The plain text that goes to the clipboard.
  QString copiedText() const;
  // The text of the toast's body: the first three table rows, or the copied text.
  QString preview() const;
  // The subtitle of a picked toast, in the interface language.
  QString meta() const;
  // What the open action opens.
  std::optional<QUrl> link() const;

  // A link when the whole text (trimmed) is one URL of a scheme we open:
  // http, https, mailto, tel, sms, facetime (compared in lower case).
  static std::optional<QUrl> openable(const QString& text);

  // Replaces the clipboard: the edit, or the table as tab-separated text plus
  // HTML on one item, or the copied text. Nothing else is written.
  void writeClipboard(QClipboard* clipboard = nullptr);
  // True while the clipboard still holds what writeClipboard() put there
  // last, with this process as its owner: a copy made since, here or in
  // another program, is the user's, and undo must not replace it.
  bool clipboardUnchanged(QClipboard* clipboard = nullptr) const;

 signals:
  void changed();

 private:
  template <typename T>
  void assign(T& field, T value);

  Kind kind_ = Kind::picked;
  QUuid stampID_ = QUuid::createUuid();
  std::optional<int> busyCPU_;
  Recognized result_;
  bool asTable_ = false;
  bool joined_ = false;
  bool hovering_ = false;
  bool editing_ = false;
  QString draft_;
  std::optional<QString> edited_;
  std::optional<ClipboardBackup> backup_;
  std::optional<ClipboardBackup> written_;  // by the last writeClipboard()
};
