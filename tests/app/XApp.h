#pragma once
// Driving the real program (build/tarvok) on the private X session of a test:
// a window of another client that shows a picture, the program as a child
// process with its own folders, the clipboard through xclip, and the tray.
#include <gtest/gtest.h>
#include <xcb/xcb.h>

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <vector>

#include "platform/PrefStore.h"
#include "tests/support/TestEnv.h"
#include "tests/support/XWindows.h"

namespace xapp {

using testenv::pump;
using testenv::waitUntil;

inline int run(const QString& program, const QStringList& args, QByteArray* out = nullptr,
               const QByteArray& input = {}, int ms = 10000) {
  QProcess p;
  p.start(program, args);
  if (!input.isNull()) {
    p.write(input);
    p.closeWriteChannel();
  }
  waitUntil([&] { return p.state() == QProcess::NotRunning; }, ms);
  if (p.state() != QProcess::NotRunning) {
    p.kill();
    p.waitForFinished();
    return -1;
  }
  if (out) *out = p.readAllStandardOutput();
  return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// xdotool, then a moment for the events it made to arrive.
inline bool xdotool(const QStringList& args) {
  const bool ok = xwindows::xdotool(args);
  pump(30);
  return ok;
}

// One target of the clipboard as bytes; empty when it cannot be read.
inline QByteArray clipboard(const QString& target = QStringLiteral("UTF8_STRING")) {
  QByteArray out;
  if (run(QStringLiteral("xclip"), {"-selection", "clipboard", "-o", "-t", target}, &out, {}, 5000) != 0) return {};
  return out;
}

// Gives the clipboard to an xclip of its own, which serves `bytes` as text.
inline void seedClipboard(const QByteArray& bytes) {
  run(QStringLiteral("xclip"), {"-selection", "clipboard", "-i"}, nullptr, bytes);
}

// Where the program's icon sits in the tray host (a viewable window of
// WM_CLASS instance "tarvok" under trayer's window called "panel"), in root
// pixels; empty while there is none.
inline QRect trayIcon() {
  xcb_connection_t* conn = xcb_connect(nullptr, nullptr);
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(conn)).data->root;
  auto text = [&](xcb_window_t w, xcb_atom_t property) {
    auto* p = xcb_get_property_reply(conn, xcb_get_property(conn, 0, w, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 64),
                                     nullptr);
    QByteArray n = p ? QByteArray(static_cast<const char*>(xcb_get_property_value(p)), xcb_get_property_value_length(p))
                     : QByteArray();
    std::free(p);
    return n;
  };
  QRect icon;
  std::function<bool(xcb_window_t, bool)> walk = [&](xcb_window_t w, bool underPanel) {
    if (underPanel && text(w, XCB_ATOM_WM_CLASS).startsWith(QByteArray("tarvok", 7))) {
      auto* attrs = xcb_get_window_attributes_reply(conn, xcb_get_window_attributes(conn, w), nullptr);
      const bool viewable = attrs && attrs->map_state == XCB_MAP_STATE_VIEWABLE;
      std::free(attrs);
      auto* g = xcb_get_geometry_reply(conn, xcb_get_geometry(conn, w), nullptr);
      auto* t = xcb_translate_coordinates_reply(conn, xcb_translate_coordinates(conn, w, root, 0, 0), nullptr);
      if (viewable && g && t) icon = QRect(t->dst_x, t->dst_y, g->width, g->height);
      std::free(g);
      std::free(t);
      if (viewable) return true;
    }
    const bool panel = underPanel || text(w, XCB_ATOM_WM_NAME) == "panel";
    auto* tree = xcb_query_tree_reply(conn, xcb_query_tree(conn, w), nullptr);
    bool found = false;
    if (tree) {
      const xcb_window_t* kids = xcb_query_tree_children(tree);
      for (int i = 0; i < xcb_query_tree_children_length(tree) && !found; ++i) found = walk(kids[i], panel);
      std::free(tree);
    }
    return found;
  };
  walk(root, false);
  xcb_disconnect(conn);
  return icon;
}

// A visible window and where it is on the screen, in root pixels.
struct Shown {
  xcb_window_t id = XCB_NONE;
  QRect rect;
};

// Visible windows whose name is exactly `name`, anywhere in the tree. Read
// with a connection of our own that skips a window closed during the walk
// (xdotool's search dies of the X error and finds nothing).
inline std::vector<Shown> shown(const QString& name) {
  xwindows::Probe x;
  const QByteArray want = name.toUtf8();
  std::vector<Shown> found;
  std::function<void(xcb_window_t)> walk = [&](xcb_window_t w) {
    auto* tree = xcb_query_tree_reply(x.conn(), xcb_query_tree(x.conn(), w), nullptr);
    if (!tree) return;
    const xcb_window_t* kids = xcb_query_tree_children(tree);
    for (int i = 0; i < xcb_query_tree_children_length(tree); ++i) {
      if (x.viewable(kids[i]) && x.name(kids[i]) == want) found.push_back({kids[i], x.onScreen(kids[i])});
      walk(kids[i]);
    }
    std::free(tree);
  };
  walk(x.root());
  return found;
}

inline std::vector<QRect> visibleWindows(const QString& name) {
  std::vector<QRect> rects;
  for (const Shown& s : shown(name)) rects.push_back(s.rect);
  return rects;
}

// The program as a user starts it, with folders of its own and its debug log.
class App {
 public:
  explicit App(const QString& name, bool onboarded = true) {
    base_ = testenv::scratch() + QLatin1Char('/') + name;
    for (const char* d : {"config", "state", "cache", "data"}) QDir().mkpath(base_ + QLatin1Char('/') + d);
    if (onboarded) PrefStore(base_ + QStringLiteral("/config/tarvok/tarvok.conf")).setBool(QStringLiteral("onboarded"), true);
  }
  // One the test did not stop is stopped here, and must end as cleanly.
  ~App() {
    if (!stopped_) {
      EXPECT_EQ(stop(), "exit 0") << log_.constData();
    }
  }

  QProcessEnvironment environment() const {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), base_ + QStringLiteral("/config"));
    env.insert(QStringLiteral("XDG_STATE_HOME"), base_ + QStringLiteral("/state"));
    env.insert(QStringLiteral("XDG_CACHE_HOME"), base_ + QStringLiteral("/cache"));
    env.insert(QStringLiteral("XDG_DATA_HOME"), base_ + QStringLiteral("/data"));
    env.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("tarvok.*.debug=true"));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    return env;
  }

  void start(const QStringList& args = {}, const std::map<QString, QString>& extra = {}) {
    QProcessEnvironment env = environment();
    for (const auto& [key, value] : extra) env.insert(key, value);
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(QProcess::SeparateChannels);
    QObject::connect(&process_, &QProcess::readyReadStandardError, [this] { log_ += process_.readAllStandardError(); });
    process_.start(QStringLiteral(TARVOK_EXE), args);
    process_.waitForStarted();
  }

  // Runs another copy to its end with the same folders; its exit code.
  int runAgain(const QStringList& args = {}, QByteArray* out = nullptr) {
    QProcess p;
    p.setProcessEnvironment(environment());
    p.start(QStringLiteral(TARVOK_EXE), args);
    waitUntil([&] { return p.state() == QProcess::NotRunning; }, 15000);
    if (out) *out = p.readAllStandardOutput();
    return p.state() == QProcess::NotRunning && p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
  }

  // Ends it as a logout does; how it ended ("exit 0" when all is well).
  QString stop() {
    stopped_ = true;
    if (process_.state() == QProcess::NotRunning) return testenv::ending(process_);
    process_.terminate();
    waitUntil([&] { return process_.state() == QProcess::NotRunning; }, 8000);
    const QString ending = testenv::ending(process_);
    if (process_.state() != QProcess::NotRunning) {
      process_.kill();
      process_.waitForFinished();
    }
    return ending;
  }

  bool running() const { return process_.state() == QProcess::Running; }
  qint64 pid() const { return process_.processId(); }
  const QByteArray& log() const { return log_; }
  int count(const QByteArray& text) const { return int(log_.count(text)); }
  bool waitLog(const QByteArray& text, int times = 1, int ms = 8000) {
    return waitUntil([&] { return count(text) >= times; }, ms);
  }

 private:
  QString base_;
  QProcess process_;
  QByteArray log_;
  bool stopped_ = false;
};

}  // namespace xapp
