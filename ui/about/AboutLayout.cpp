#include "ui/about/AboutLayout.h"

#include <QFontMetricsF>
#include <algorithm>
#include <cmath>

#include "core/Fonts.h"
#include "core/Ink.h"
#include "ui/onboarding/ObButton.h"

namespace about {
namespace {
constexpr qreal kTop = 28;
constexpr qreal kSide = 24;
constexpr qreal kBottom = 18;
constexpr qreal kContent = kViewWidth - 2 * kSide;
constexpr qreal kSpacing = 10;
constexpr qreal kMark = 28;
}  // namespace

QString headword() { return QStringLiteral("글씨"); }
QString romanisation() { return QStringLiteral("geul\u00B7ssi"); }

QStringList paragraphs(const QString& body) { return body.split(QStringLiteral("\n\n")); }

std::vector<Role> roles(int count) {
  std::vector<Role> out;
  for (int i = 0; i < count; ++i) {
    out.push_back(i == 0 ? Role::lead : i == count - 1 ? Role::last : Role::middle);
  }
  return out;
}

Layout layOut(const Inputs& in) {
  Layout out;
  kit::BlockOptions options;
  options.direction = in.rtl ? Qt::RightToLeft : Qt::LeftToRight;
  options.alignment = Qt::AlignLeading;
  auto add = [&](const QString& text, const QFont& font, const QColor& color, QPointF at, qreal width, qreal gap) {
    kit::BlockOptions o = options;
    o.extraSpacing = gap;
    out.texts.push_back({text, kit::TextBlock(text, font, width, o), at, color});
    return out.texts.back().block.height();
  };

  // Header: headword, reading and mark share one baseline; the mark, like
  // any picture on a baseline, stands on it.
  QFont word = kit::font(40, QFont::Light, Fonts::koreanFace());
  word.setLetterSpacing(QFont::AbsoluteSpacing, 3.2);
  const QFont reading = Fonts::face(15);
  const QFontMetricsF wm(word), rm(reading);
  const qreal wordW = std::ceil(kit::lineWidth(headword(), word)) + 1;
  const qreal readingW = std::ceil(kit::lineWidth(romanisation(), reading)) + 1;
  qreal ascent = std::max<qreal>(wm.ascent(), kMark);
  qreal descent = wm.descent();
  if (in.romanisation) {
    ascent = std::max(ascent, rm.ascent());
    descent = std::max(descent, rm.descent());
  }
  out.baseline = kTop + std::ceil(ascent);
  add(headword(), word, Ink::text(), QPointF(kSide, out.baseline - wm.ascent()), wordW, 0);
  if (in.romanisation) {
    add(romanisation(), reading, Ink::faint(), QPointF(kSide + wordW + 12, out.baseline - rm.ascent()), readingW, 0);
  }
  out.appMark = QRectF(kSide + kContent - kMark, out.baseline - kMark, kMark, kMark);
  qreal y = out.baseline + std::ceil(descent);

  const QStringList pieces = paragraphs(in.body);
  const std::vector<Role> kinds = roles(int(pieces.size()));
  for (int i = 0; i < pieces.size(); ++i) {
    y += kSpacing;
    QFont font;
    QColor color;
    qreal gap = 3;
    switch (kinds[size_t(i)]) {
      case Role::lead:
        font = Fonts::face(15);
        if (in.korean) font.setLetterSpacing(QFont::AbsoluteSpacing, 0.75);
        color = Ink::text();
        break;
      case Role::middle:
        font = kit::font(12, QFont::Normal);
        color = Ink::sub();
        break;
      case Role::last:
        font = kit::font(11, QFont::Normal);
        color = Ink::faint();
        gap = 0;
        y += 2;
        break;
    }
    // An empty paragraph still takes a line, as a blank line would.
    const qreal h = add(pieces[i], font, color, QPointF(kSide, y), kContent, gap);
    y += h > 0 ? h : std::ceil(QFontMetricsF(font).height());
    out.paragraphs.push_back({kinds[size_t(i)], font});
  }

  if (in.projectLink || in.privacyLink) {
    y += kSpacing + 6;
    qreal x = kSide + kContent;
    if (in.privacyLink) {
      const qreal w = ObButton::widthFor(QStringLiteral("PRIVACY.md"), false);
      x -= w;
      out.privacy = QRectF(x, y, w, ObButton::kHeight);
      x -= 8;
    }
    if (in.projectLink) {
      const qreal w = ObButton::widthFor(QStringLiteral("GitHub"), false);
      x -= w;
      out.project = QRectF(x, y, w, ObButton::kHeight);
    }
    y += ObButton::kHeight;
  }
  out.size = QSizeF(kViewWidth, std::ceil(y + kBottom));
  return out;
}

}  // namespace about
