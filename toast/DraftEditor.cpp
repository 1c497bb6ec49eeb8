#include "toast/DraftEditor.h"

#include <QKeyEvent>
#include <QTextCursor>

#include "core/Ink.h"
#include "ui/kit/Text.h"

DraftEditor::DraftEditor(QWidget* parent) : QPlainTextEdit(parent) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  setFont(kit::font(12, QFont::Normal));
  setAutoFillBackground(false);
  viewport()->setAutoFillBackground(false);
  document()->setDocumentMargin(0);
  restyle();
}

void DraftEditor::restyle() {
  QPalette pal = palette();
  pal.setColor(QPalette::Base, Qt::transparent);
  pal.setColor(QPalette::Window, Qt::transparent);
  pal.setColor(QPalette::Text, Ink::text());
  QColor selection = Ink::seal();
  selection.setAlphaF(0.35);
  pal.setColor(QPalette::Highlight, selection);
  pal.setColor(QPalette::HighlightedText, Ink::text());
  setPalette(pal);
}

void DraftEditor::setDraft(const QString& text) {
  if (toPlainText() == text) return;
  setPlainText(text);
  moveCursor(QTextCursor::End);
}

void DraftEditor::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  if (enter && mods == Qt::ControlModifier) {
    event->accept();
    emit commitRequested();
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}
