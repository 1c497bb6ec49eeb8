#include "ui/onboarding/OnboardingLayout.h"

#include <algorithm>
#include <cmath>
#include <functional>

#include "core/Fonts.h"
#include "core/Ink.h"
#include "core/Settings.h"
#include "ui/kit/KeyCap.h"
#include "ui/onboarding/ObButton.h"
#include "ui/onboarding/OnboardingModel.h"

namespace onboarding {
namespace {

constexpr qreal kTop = 26;
constexpr qreal kSide = 24;
constexpr qreal kBottom = 20;
constexpr qreal kContent = kViewWidth - 2 * kSide;
constexpr qreal kColumnX = kSide + kMarkSize + 12;
constexpr qreal kColumn = kViewWidth - kSide - kColumnX;
constexpr qreal kButtonH = ObButton::kHeight;
constexpr qreal kPromptH = 18;

QFont promptFont() { return kit::font(11, QFont::Medium); }

// What stands at the trailing end of a step's title row: its size, and how
// to place it given its leading x and the row's vertical middle.
struct Trailing {
  qreal width = 0;
  qreal height = 0;
  std::function<void(qreal x, qreal midY)> place;
};

class Builder {
 public:
  Builder(const Inputs& in, Layout& out) : in_(in), out_(out) {}

  // A wrapped text at (x, y) in a width; returns its height.
  qreal text(const QString& s, const QFont& font, const QColor& color, qreal x, qreal y, qreal width,
             qreal lineGap = 0) {
    kit::BlockOptions options;
    options.extraSpacing = lineGap;
    options.direction = in_.rtl ? Qt::RightToLeft : Qt::LeftToRight;
    options.alignment = Qt::AlignLeading;
    out_.texts.push_back({s, kit::TextBlock(s, font, width, options), QPointF(x, y), color});
    return out_.texts.back().block.height();
  }

  // A one-line text at its natural width, vertically centred on midY.
  Trailing line(const QString& s, const QFont& font, const QColor& color) {
    Trailing t;
    t.width = std::ceil(kit::lineWidth(s, font)) + 1;
    // As laid out: a script drawn from a fallback face has its own line height.
    t.height = kit::TextBlock(s, font, t.width).height();
    t.place = [this, s, font, color, t](qreal x, qreal midY) {
      text(s, font, color, x, midY - t.height / 2, t.width);
    };
    return t;
  }

  // One step: rule above, mark, title row with its trailing part, body and
  // an optional sub part (which returns its height). Returns the step's bottom.
  qreal step(qreal y, int index, Mark mark, const QString& title, const QString& body, const Trailing& trailing,
             const std::function<qreal(qreal)>& sub = {}) {
    y = std::round(y);  // keeps the rule on whole pixels
    out_.rules.push_back(QRectF(kSide, y, kContent, 1));
    const qreal top = y + 12;
    const qreal titleW = std::max<qreal>(60, kColumn - trailing.width - 8);
    const QFont titleFont = kit::font(13.5, QFont::DemiBold);
    // Measured first so the title can be centred on the row.
    const kit::TextBlock measured(title, titleFont, titleW);
    const qreal titleH = measured.height();
    const qreal rowH = std::max(titleH, trailing.height);
    const qreal titleTop = top + (rowH - titleH) / 2;
    text(title, titleFont, Ink::text(), kColumnX, titleTop, titleW);
    // The mark stands level with the title's first line, also when a button
    // makes the title row taller than the title.
    const qreal firstLineH = measured.lineCount() > 0 ? titleH / measured.lineCount() : kMarkSize;
    const qreal markTop = std::max(top, std::round(titleTop + (firstLineH - kMarkSize) / 2)) - 1;
    out_.marks[size_t(index)] = QRectF(kSide, markTop, kMarkSize, kMarkSize + 1);
    out_.markKinds[size_t(index)] = mark;
    if (trailing.place) trailing.place(kColumnX + kColumn - trailing.width, top + rowH / 2);

    qreal cy = top + rowH + 5;
    cy += text(body, kit::font(12, QFont::Normal), Ink::faint(), kColumnX, cy, kColumn, 2);
    if (sub) {
      const qreal h = sub(cy + 5);
      if (h > 0) cy += 5 + h;
    }
    return top + std::max(kMarkSize + 1, cy - top) + 12;
  }

  qreal header(qreal y) {
    QFont name = Fonts::face(22);
    if (in_.korean) name.setLetterSpacing(QFont::AbsoluteSpacing, 1.1);
    const QFont tagline = kit::font(12, QFont::Normal);
    const qreal x = kSide + 44 + 12;
    const qreal w = kViewWidth - kSide - x;
    const qreal nameH = kit::TextBlock(in_.strings.appName, name, w).height();
    const qreal tagH = kit::TextBlock(in_.strings.tagline, tagline, w).height();
    const qreal colH = nameH + 2 + tagH;
    const qreal h = std::max<qreal>(44, colH);
    out_.appMark = QRectF(kSide, y + (h - 44) / 2, 44, 44);
    const qreal cy = y + (h - colH) / 2;
    text(in_.strings.appName, name, Ink::text(), x, cy, w);
    text(in_.strings.tagline, tagline, Ink::faint(), x, cy + nameH + 2, w);
    return y + h;
  }

  qreal shortcutStep(qreal y) {
    const Strings& s = in_.strings;
    Trailing t;
    const qreal buttonW = ObButton::widthFor(s.change, in_.conflict);
    const qreal leadW = in_.recording ? std::ceil(kit::lineWidth(s.pressKeys, promptFont())) + 12
                                      : kit::keycap::rowWidth(in_.caps);
    t.width = leadW + 6 + buttonW;
    t.height = kButtonH;
    t.place = [this, leadW, buttonW](qreal x, qreal midY) {
      if (in_.recording) {
        out_.prompt = QRectF(x, midY - kPromptH / 2, leadW, kPromptH);
        out_.promptText = in_.strings.pressKeys;
      } else {
        out_.caps = QRectF(x, midY - kit::keycap::kHeight / 2, leadW, kit::keycap::kHeight);
        out_.capTexts = in_.caps;
      }
      out_.change = QRectF(x + leadW + 6, midY - kButtonH / 2, buttonW, kButtonH);
    };
    out_.changeStrong = in_.conflict;
    const QString body = in_.conflict ? s.obShortcutTaken(capsText(in_.caps)) : s.obShortcutOK;
    std::function<qreal(qreal)> sub;
    if (in_.note) {
      sub = [this](qreal cy) { return text(*in_.note, kit::font(11, QFont::Normal), Ink::sealText(), kColumnX, cy, kColumn); };
    }
    return step(y, 0, in_.conflict ? Mark::warning : Mark::done, s.obShortcut, body, t, sub);
  }

  qreal permissionStep(qreal y) {
    const Strings& s = in_.strings;
    if (in_.permission) {
      return step(y, 1, Mark::done, s.obPermission, s.obPermissionOn,
                  line(s.obOn, kit::font(12, QFont::Normal), Ink::sealText()));
    }
    Trailing t;
    t.width = ObButton::widthFor(s.obOpenSettings, true);
    t.height = kButtonH;
    t.place = [this, t](qreal x, qreal midY) { out_.openSettings = QRectF(x, midY - kButtonH / 2, t.width, kButtonH); };
    auto sub = [this](qreal cy) {
      const Strings& st = in_.strings;
      const qreal top = cy + 4;
      const qreal buttonW = ObButton::widthFor(st.obRelaunch, false);
      const QFont font = kit::font(12, QFont::Normal);
      // The button follows the note; a long note wraps before it.
      const qreal noteW = std::min(std::ceil(kit::lineWidth(st.obRelaunchNote, font)) + 1,
                                   std::max<qreal>(60, kColumn - buttonW - 8));
      const qreal noteH = kit::TextBlock(st.obRelaunchNote, font, noteW).height();
      const qreal h = std::max(noteH, kButtonH);
      text(st.obRelaunchNote, font, Ink::faint(), kColumnX, top + (h - noteH) / 2, noteW);
      out_.relaunch = QRectF(kColumnX + noteW + 8, top + (h - kButtonH) / 2, buttonW, kButtonH);
      return 4 + h;
    };
    return step(y, 1, Mark::open, s.obPermission, s.obPermissionOff, t, sub);
  }

  qreal reportsStep(qreal y) {
    const Strings& s = in_.strings;
    return step(y, 2, in_.reports ? Mark::done : Mark::open, s.obReports, s.obReportsBody,
                line(in_.reports ? s.obReportsOn : s.obReportsOff, kit::font(12, QFont::Normal), Ink::faint()));
  }

  qreal footer(qreal y) {
    const Strings& s = in_.strings;
    out_.ready = in_.permission && !in_.conflict;
    out_.laterTitle = out_.ready ? s.obClose : s.obLater;
    out_.tryTitle = out_.ready ? s.obTry + QLatin1Char(' ') + capsText(in_.caps) : s.obTry;
    const qreal top = y + 14;
    const qreal tryW = ObButton::widthFor(out_.tryTitle, true);
    const qreal laterW = ObButton::widthFor(out_.laterTitle, false);
    out_.tryButton = QRectF(kSide + kContent - tryW, top, tryW, kButtonH);
    out_.later = QRectF(out_.tryButton.left() - 8 - laterW, top, laterW, kButtonH);
    return top + kButtonH;
  }

 private:
  const Inputs& in_;
  Layout& out_;
};

}  // namespace

Inputs Inputs::read(const OnboardingModel& model, const Settings& settings) {
  const Lang lang = settings.language();
  Inputs in{L::table(lang)};
  in.rtl = lang.isRTL();
  in.korean = Fonts::scriptFor(lang.resolved().rawValue()) == Fonts::Script::korean;
  in.conflict = model.conflict();
  in.permission = model.permission();
  in.recording = settings.recording();
  in.reports = settings.reports();
  in.caps = settings.shortcut().caps();
  in.note = settings.shortcutNote();
  return in;
}

QString capsText(const QStringList& caps) { return caps.join(QLatin1Char('+')); }

Layout layOut(const Inputs& in) {
  Layout out;
  Builder b(in, out);
  qreal y = b.header(kTop);
  y += 14;
  y += b.text(in.strings.obIntro, kit::font(13, QFont::Normal), Ink::sub(), kSide, y, kContent, 3);
  y += 10;
  y = b.shortcutStep(y);
  y = b.permissionStep(y);
  y = b.reportsStep(y);
  y = b.footer(y);
  out.size = QSizeF(kViewWidth, std::ceil(y + kBottom));
  return out;
}

}  // namespace onboarding
