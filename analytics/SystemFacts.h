#pragma once
#include <QSizeF>
#include <QString>
#include <optional>

namespace analytics {

// What the payload says about the machine, read once per process: the
// distribution from os-release, the model from DMI or the device tree, the
// real architecture.
struct SystemFacts {
  QString osName;     // os-release NAME, else "Linux"
  QString osVersion;  // os-release VERSION_ID, else the kernel release
  QString modelName;
  QString architecture;  // the kernel's machine name: x86_64, aarch64, ...

  // Reads below `root` ("/" normally; a fake tree in tests).
  static SystemFacts read(const QString& root = QStringLiteral("/"));

  QString systemVersion() const;           // "Debian GNU/Linux 12"
  QString majorSystemVersion() const;      // name and the first version part
  QString majorMinorSystemVersion() const; // name and the first two parts
};

// What only the host application can tell (it lives on its GUI thread): the
// screen, the colour scheme, the layout direction and accessibility wishes.
// The host refreshes it; the client reads the latest copy from any thread.
struct HostFacts {
  QString appVersion;                // empty: the Qt application's version, else "0"
  std::optional<QSizeF> screenSize;  // logical pixels
  std::optional<double> screenScale;
  QString colorScheme;      // "Light", "Dark"; empty: unknown
  QString layoutDirection;  // "leftToRight", "rightToLeft"; empty: unknown
  std::optional<bool> reduceMotion;
  std::optional<bool> invertColors;

  static void set(const HostFacts& facts);
  static HostFacts current();
};

}  // namespace analytics
