#pragma once
#include <QWidget>
#include <array>
#include <functional>

#include "ui/onboarding/OnboardingLayout.h"

class ObButton;
class OnboardingModel;
class Settings;
namespace onboarding {
class StepMark;
}

// The onboarding window's content: the app's name and mark, an introduction,
// three steps (the shortcut, screen access, reports) each with its state
// mark, and the closing buttons. It follows the model and the preferences at
// once, mirrors in a right-to-left interface (the key caps still read left
// to right) and is 400 wide with the height its content needs. It does no
// work itself: its buttons run the actions, and only the reports mark writes
// a preference.
class OnboardingView : public QWidget {
  Q_OBJECT
 public:
  struct Actions {
    std::function<void()> changeShortcut;
    std::function<void()> openSettings;
    std::function<void()> relaunch;
    std::function<void()> later;
    std::function<void()> try_;
  };

  OnboardingView(OnboardingModel& model, Settings& settings, Actions actions, QWidget* parent = nullptr);

  // Where everything is, measured from the leading edge.
  const onboarding::Layout& placement() const { return layout_; }
  // A rectangle of placement() in this widget's coordinates.
  QRectF visual(const QRectF& leading) const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override { return sizeHint(); }

  // Reads the model and the preferences again and lays everything out.
  void refresh();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  ObButton* button(const char* name, bool strong, std::function<void()> Actions::*action);
  void place(QWidget* widget, const QRectF& leading);

  OnboardingModel& model_;
  Settings& settings_;
  Actions actions_;
  onboarding::Layout layout_;
  std::array<onboarding::StepMark*, 3> marks_{};
  ObButton* change_ = nullptr;
  ObButton* openSettings_ = nullptr;
  ObButton* relaunch_ = nullptr;
  ObButton* later_ = nullptr;
  ObButton* try_ = nullptr;
};
