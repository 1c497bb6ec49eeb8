#pragma once
#include <QObject>
#include <memory>

class KeptAboveWindow;
class QWidget;

// Keeps the one About window of the process: built on the first open(),
// hidden (not destroyed) by its close button, and brought back by every
// later open() in the interface language current at that moment.
class AboutController : public QObject {
  Q_OBJECT
 public:
  explicit AboutController(QObject* parent = nullptr);
  ~AboutController() override;

  // The window, or null before the first open().
  QWidget* window() const;

  // Builds the window once; then, on every call, follows the current
  // interface language and direction, centres the window on the screen under
  // the pointer and shows it in front, activated.
  void open();

 private:
  std::unique_ptr<KeptAboveWindow> window_;
};
