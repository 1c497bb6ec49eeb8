#include "app/Switches.h"

#include <QFile>
#include <optional>

namespace switches {

namespace {

// The argument after the first occurrence of `name`; none when `name` is
// absent or last.
std::optional<QString> followedBy(const QStringList& args, const QString& name) {
  const qsizetype at = args.indexOf(name);
  if (at < 0 || at + 1 >= args.size()) return std::nullopt;
  return args[at + 1];
}

// Options QGuiApplication takes itself, with and without a value.
const QStringList kQtWithValue = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-display", "-qwindowgeometry", "-qwindowicon",
    "-qwindowtitle", "-style", "-stylesheet", "-session", "-name", "-title", "-geometry"};
const QStringList kQtFlags = {"-reverse", "-nograb", "-dograb", "-sync"};
// Our switches without a value ("-fast" with "-benchocr", "-all" with "-snapshot").
const QStringList kFlags = {"-benchocr", "-reporttest", "-fast", "-all"};

// What is wrong with the line, or an empty text when every argument is known.
QString problem(const QStringList& args) {
  for (qsizetype i = 0; i < args.size(); ++i) {
    const QString& a = args[i];
    const QString qt = a.startsWith(QLatin1String("--")) ? a.mid(1) : a;  // Qt takes "--platform" too
    const bool path = a == QLatin1String("-read") || a == QLatin1String("-snapshot");
    if (path || kQtWithValue.contains(qt)) {
      if (i + 1 >= args.size()) {
        return a == QLatin1String("-read")       ? QStringLiteral("-read needs an image file")
               : a == QLatin1String("-snapshot") ? QStringLiteral("-snapshot needs a folder")
                                                 : a + QStringLiteral(" needs a value");
      }
      ++i;
    } else if (!kFlags.contains(a) && !kQtFlags.contains(qt)) {
      return (a.startsWith(QLatin1Char('-')) ? QStringLiteral("unknown switch: ")
                                             : QStringLiteral("unexpected argument: ")) +
             a;
    }
  }
  return {};
}

}  // namespace

Choice parse(const QStringList& args) {
  Choice c;
  if (args.contains(QStringLiteral("-h")) || args.contains(QStringLiteral("--help"))) {
    c.mode = Mode::help;
  } else if (const QString wrong = problem(args); !wrong.isEmpty()) {
    c.mode = Mode::invalid;
    c.problem = wrong;
  } else if (args.contains(QStringLiteral("-benchocr"))) {
    c.mode = Mode::benchOCR;
    c.fast = args.contains(QStringLiteral("-fast"));
  } else if (args.contains(QStringLiteral("-reporttest"))) {
    c.mode = Mode::reportTest;
  } else if (const auto file = followedBy(args, QStringLiteral("-read"))) {
    c.mode = Mode::read;
    c.path = *file;
  } else if (const auto folder = followedBy(args, QStringLiteral("-snapshot"))) {
    c.mode = Mode::snapshot;
    c.path = *folder;
  }
  return c;
}

Choice parse(int argc, const char* const* argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args << QFile::decodeName(argv[i]);
  Choice c = parse(args);
  if (c.mode == Mode::read || c.mode == Mode::snapshot) {
    // args[i] is argv[i + 1]: the path follows its switch.
    const qsizetype at = args.indexOf(c.mode == Mode::read ? QStringLiteral("-read") : QStringLiteral("-snapshot"));
    c.nativePath = QByteArray(argv[at + 2]);
  }
  return c;
}

bool isConsole(Mode mode) { return mode != Mode::none && mode != Mode::help && mode != Mode::invalid; }

QString usage() {
  return QStringLiteral(
      "Usage: tarvok [switch]\n"
      "\n"
      "Without a switch tarvok starts in the tray. Press the shortcut\n"
      "(Ctrl+Shift+2 by default) anywhere, then drag over a part of the screen\n"
      "or click a window: its text, barcodes and QR codes go to the clipboard.\n"
      "Starting tarvok again while it runs opens its menu.\n"
      "\n"
      "Developer switches:\n"
      "  -read FILE        recognise an image file and print what was found\n"
      "  -benchocr [-fast] time one recognition of a rendered page (keeps running)\n"
      "  -reporttest       send a test signal and a test warning, if reports are set up\n"
      "  -snapshot FOLDER [-all]\n"
      "                    render the interface into PNG files in FOLDER (made when\n"
      "                    missing); -all draws every interface language\n"
      "  -h, --help        print this help and exit\n");
}

}  // namespace switches
