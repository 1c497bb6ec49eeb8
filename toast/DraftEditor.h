#pragma once
#include <QPlainTextEdit>

// The toast's inline text editor: plain text on the card's own field (no
// frame, no background, no scroll bars), 12-pixel system font. Ctrl+Return
// asks to save.
class DraftEditor : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit DraftEditor(QWidget* parent = nullptr);

  // Replaces the text when it differs, with the caret at the end.
  void setDraft(const QString& text);
  // Follows the palette of the current appearance.
  void restyle();

 signals:
  void commitRequested();

 protected:
  void keyPressEvent(QKeyEvent* event) override;
};
