#pragma once
#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

class QClipboard;
class QMimeData;

// A copy of everything the clipboard held, as raw bytes per type, taken before
// a result is written and put back by undo. Data only: no tie to the clipboard.
struct ClipboardBackup {
  // One clipboard item: its types (MIME names) with their bytes. The order
  // among the types carries no meaning.
  using Item = std::vector<std::pair<QString, QByteArray>>;
  std::vector<Item> items;  // X11 has at most one item; empty: the clipboard was empty

  // Every real format of the data as bytes; selection-protocol pseudo formats
  // (TARGETS, MULTIPLE, ...) are not data and are skipped. Null data, or
  // data without any format, gives no item.
  static ClipboardBackup of(const QMimeData* data);

  // The item of an X selection read by selection::read: text targets become
  // "text/plain" (Qt derives UTF8_STRING, STRING and TEXT from it again when
  // it serves the clipboard), every other target keeps its name and bytes.
  // An unowned selection gives no item.
  static ClipboardBackup fromSelection(bool owned, const std::vector<std::pair<QByteArray, QByteArray>>& targets);

  // Takes a snapshot of the clipboard, waiting at most `budgetMs`; see PendingBackup.
  static std::optional<ClipboardBackup> take(int budgetMs = kTakeBudgetMs);

  // What the clipboard holds while this process owns it; none when another
  // program owns it or nobody does. Asks no other program, so it cannot hang.
  static std::optional<ClipboardBackup> ofOwnClipboard(QClipboard* clipboard = nullptr);

  // Clears the clipboard and gives it the stored item again; an empty backup
  // leaves it cleared.
  void restore(QClipboard* clipboard = nullptr) const;

  // True for the names of the selection protocol that are not data.
  static bool isPseudoFormat(const QString& type);

  static constexpr int kTakeBudgetMs = 1000;

  friend bool operator==(const ClipboardBackup&, const ClipboardBackup&) = default;
};

// A snapshot of the clipboard taken in the background. Asking another program
// for the clipboard can take as long as that program likes (a hung owner
// blocks Qt's own read for 10 s), so the capture starts one when the user
// picks and collects it when the result is ready. Our own clipboard is copied
// at once; another owner is read on a worker thread over a connection of its
// own, which gives up when the owner stays silent.
class PendingBackup {
 public:
  // Starts reading the application's clipboard.
  static PendingBackup start();

  bool ready() const;
  // The snapshot, waiting at most `ms` for it; none when the clipboard could
  // not be read by then (its owner did not answer). That is not an empty
  // clipboard: what it held is unknown, so undo has nothing to put back.
  std::optional<ClipboardBackup> wait(int ms);

  struct State;

 private:
  explicit PendingBackup(std::shared_ptr<State> state) : state_(std::move(state)) {}
  std::shared_ptr<State> state_;
};
