#pragma once
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <vector>

#include "ui/onboarding/PlacedText.h"

// Where every part of the About view goes, measured from its leading edge.
namespace about {

inline constexpr qreal kViewWidth = 320;

// The product's root word and its reading; fixed, not translated.
QString headword();
QString romanisation();

// The paragraphs of the About text: split at every blank line (two line
// feeds), nothing trimmed, so an empty piece is still a paragraph.
QStringList paragraphs(const QString& body);

// How a paragraph is set, by its place: the first leads in the display face,
// the last (of two or more) is a small faint note, those between are body text.
enum class Role { lead, middle, last };
std::vector<Role> roles(int count);

struct Inputs {
  QString body;
  bool rtl = false;
  bool korean = false;         // the display face is the Korean one (lead tracking)
  bool romanisation = true;    // off when the interface speaks Korean
  bool projectLink = false;    // the link buttons exist only for configured addresses
  bool privacyLink = false;
};

struct Paragraph {
  Role role;
  QFont font;
};

struct Layout {
  QSizeF size;
  std::vector<PlacedText> texts;     // headword, romanisation (when shown), then the paragraphs
  std::vector<Paragraph> paragraphs;  // in order, matching the last texts
  qreal baseline = 0;                // of the header row
  QRectF appMark;
  QRectF project, privacy;           // empty: not shown
};

Layout layOut(const Inputs& in);

}  // namespace about
