#include "toast/ClipboardBackup.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QSet>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>

#include "platform/X11.h"
#include "toast/SelectionReader.h"
#include "toast/ToastLog.h"

namespace {

QClipboard* orDefault(QClipboard* clipboard) { return clipboard ? clipboard : QGuiApplication::clipboard(); }

// The X names of plain text that Qt serves from "text/plain", best first.
const QList<QByteArray>& textTargets() {
  static const QList<QByteArray> names{"UTF8_STRING", "text/plain", "STRING", "TEXT"};
  return names;
}

enum class ClipboardOwner { none, us, another };

struct Owner {
  ClipboardOwner who = ClipboardOwner::us;
  xcb_window_t window = XCB_NONE;
};

// Who owns the clipboard, asked of the X server: Qt learns of a new owner
// only when it gets round to the event, and until then would answer with
// its own stale copy. A window of our own connection carries its resource
// id base. Off X11 the clipboard lives in this process.
Owner clipboardOwner() {
  xcb_connection_t* conn = x11::connection();
  if (!conn) return {};
  const xcb_atom_t selection = x11::atom(conn, "CLIPBOARD");
  xcb_get_selection_owner_reply_t* reply =
      xcb_get_selection_owner_reply(conn, xcb_get_selection_owner(conn, selection), nullptr);
  const xcb_window_t window = reply ? reply->owner : xcb_window_t(XCB_NONE);
  std::free(reply);
  if (window == XCB_NONE) return {ClipboardOwner::none, window};
  const xcb_setup_t* setup = xcb_get_setup(conn);
  const bool ours = (window & ~setup->resource_id_mask) == setup->resource_id_base;
  return {ours ? ClipboardOwner::us : ClipboardOwner::another, window};
}

}  // namespace

bool ClipboardBackup::isPseudoFormat(const QString& type) {
  // Protocol requests (TARGETS, MULTIPLE, TIMESTAMP, SAVE_TARGETS), targets
  // with side effects on the owner (DELETE, INSERT_*), and server resource ids
  // that mean nothing once their owner is gone (PIXMAP, ...).
  static const QSet<QString> names{
      QStringLiteral("TARGETS"),        QStringLiteral("MULTIPLE"),      QStringLiteral("TIMESTAMP"),
      QStringLiteral("SAVE_TARGETS"),   QStringLiteral("DELETE"),        QStringLiteral("INSERT_SELECTION"),
      QStringLiteral("INSERT_PROPERTY"), QStringLiteral("LENGTH"),       QStringLiteral("PIXMAP"),
      QStringLiteral("BITMAP"),         QStringLiteral("DRAWABLE"),      QStringLiteral("COLORMAP"),
      QStringLiteral("WINDOW")};
  return names.contains(type);
}

ClipboardBackup ClipboardBackup::of(const QMimeData* data) {
  ClipboardBackup backup;
  if (!data || data->formats().isEmpty()) return backup;
  Item item;
  for (const QString& format : data->formats()) {
    if (isPseudoFormat(format)) continue;
    item.emplace_back(format, data->data(format));
  }
  backup.items.push_back(std::move(item));
  return backup;
}

ClipboardBackup ClipboardBackup::fromSelection(bool owned, const std::vector<std::pair<QByteArray, QByteArray>>& targets) {
  ClipboardBackup backup;
  if (!owned) return backup;
  Item item;
  std::optional<QByteArray> text;
  for (const QByteArray& wanted : textTargets()) {
    for (const auto& [name, bytes] : targets) {
      if (text || name != wanted) continue;
      // STRING and TEXT are Latin-1; "text/plain" here means UTF-8.
      text = (name == "STRING" || name == "TEXT") ? QString::fromLatin1(bytes).toUtf8() : bytes;
    }
  }
  if (text) item.emplace_back(QStringLiteral("text/plain"), *text);
  for (const auto& [name, bytes] : targets) {
    if (textTargets().contains(name) || isPseudoFormat(QString::fromLatin1(name))) continue;
    item.emplace_back(QString::fromLatin1(name), bytes);
  }
  backup.items.push_back(std::move(item));
  return backup;
}

void ClipboardBackup::restore(QClipboard* clipboard) const {
  clipboard = orDefault(clipboard);
  if (!clipboard) return;
  clipboard->clear();
  if (items.empty()) return;
  // The clipboard of X11 holds one item; a backup made elsewhere with more
  // keeps its first, which is what a paste would have given.
  auto* data = new QMimeData;
  for (const auto& [type, bytes] : items.front()) data->setData(type, bytes);
  clipboard->setMimeData(data);
}

std::optional<ClipboardBackup> ClipboardBackup::take(int budgetMs) { return PendingBackup::start().wait(budgetMs); }

std::optional<ClipboardBackup> ClipboardBackup::ofOwnClipboard(QClipboard* clipboard) {
  clipboard = orDefault(clipboard);
  if (!clipboard || clipboardOwner().who != ClipboardOwner::us) return std::nullopt;
  return of(clipboard->mimeData());
}

struct PendingBackup::State {
  std::mutex mutex;
  std::condition_variable done;
  bool finished = false;
  std::optional<ClipboardBackup> result;  // none: the owner did not answer
};

PendingBackup PendingBackup::start() {
  auto state = std::make_shared<State>();
  QClipboard* clipboard = QGuiApplication::clipboard();
  // Our own clipboard, and any clipboard that is not X11's, is in this
  // process already: copying it cannot hang.
  const Owner owner = clipboardOwner();
  if (!clipboard || owner.who != ClipboardOwner::another) {
    state->result = (clipboard && owner.who != ClipboardOwner::none) ? ClipboardBackup::of(clipboard->mimeData())
                                                                    : ClipboardBackup{};
    state->finished = true;
    return PendingBackup(state);
  }
  // Only that owner's answers count: a busy machine may start the read after
  // our own result took the clipboard, and undo would then "restore" it.
  std::thread([state, window = owner.window] {
    std::optional<ClipboardBackup> result;
    if (auto contents = selection::read(QByteArray(), "CLIPBOARD", {}, window)) {
      result = ClipboardBackup::fromSelection(contents->owned, contents->targets);
    }
    std::lock_guard lock(state->mutex);
    state->result = std::move(result);
    state->finished = true;
    state->done.notify_all();
  }).detach();
  return PendingBackup(state);
}

bool PendingBackup::ready() const {
  std::lock_guard lock(state_->mutex);
  return state_->finished;
}

std::optional<ClipboardBackup> PendingBackup::wait(int ms) {
  std::unique_lock lock(state_->mutex);
  state_->done.wait_for(lock, std::chrono::milliseconds(ms), [this] { return state_->finished; });
  if (state_->finished && state_->result) return state_->result;
  qCWarning(lcToast) << "no backup of the clipboard: its owner did not answer in time";
  return std::nullopt;
}
