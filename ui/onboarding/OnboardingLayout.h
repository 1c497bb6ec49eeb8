#pragma once
#include <QRectF>
#include <QString>
#include <QStringList>
#include <array>
#include <optional>
#include <vector>

#include "core/Strings.h"
#include "ui/onboarding/PlacedText.h"
#include "ui/onboarding/StepMark.h"

class OnboardingModel;
class Settings;

// Where every part of the onboarding view goes, worked out in one pass from
// what it shows. Rectangles are measured from the view's leading edge (left
// in a left-to-right interface, right in a right-to-left one); the view turns
// them into its own coordinates when it draws.
namespace onboarding {

inline constexpr qreal kViewWidth = 400;

// Everything the view shows, read from the model and the preferences.
struct Inputs {
  Strings strings;
  bool rtl = false;
  bool korean = false;  // the display face is the Korean one
  bool conflict = false;
  bool permission = false;
  bool recording = false;
  bool reports = false;
  QStringList caps{};
  std::optional<QString> note{};

  static Inputs read(const OnboardingModel& model, const Settings& settings);
};

struct Layout {
  QSizeF size;
  QRectF appMark;
  std::vector<PlacedText> texts;
  std::vector<QRectF> rules;
  std::array<QRectF, 3> marks;  // 16 x 17 each: the mark sits 1 px down
  std::array<Mark, 3> markKinds{};
  // The shortcut's caps, or the press-keys prompt while recording.
  QRectF caps;
  QStringList capTexts;
  QRectF prompt;
  QString promptText;
  // The buttons; an empty rectangle means the button is not shown.
  QRectF change, openSettings, relaunch, later, tryButton;
  bool changeStrong = false;
  QString laterTitle;
  QString tryTitle;
  bool ready = false;
};

Layout layOut(const Inputs& in);

// A shortcut's caps as one run of text ("Ctrl+Shift+2"). Linux key names
// run together without a joiner would read as one word.
QString capsText(const QStringList& caps);

}  // namespace onboarding
