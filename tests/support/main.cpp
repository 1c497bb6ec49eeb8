// Test entry point: a QApplication with private XDG folders and a pinned locale,
// so that no test reads or writes the user's real files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>

#include "platform/Bundle.h"
#include "tests/support/TestEnv.h"

namespace testenv {
std::function<int()> childBody(const std::string& name);
}

int main(int argc, char** argv) {
  // Children inherit their parent's folders so they read what the parent wrote.
  static QTemporaryDir* scratchDir = nullptr;
  if (!std::getenv("TARVOK_TEST_SCRATCH")) {
    scratchDir = new QTemporaryDir(QDir::tempPath() + QStringLiteral("/tarvok-test-XXXXXX"));
    const QByteArray base = scratchDir->path().toLocal8Bit();
    setenv("TARVOK_TEST_SCRATCH", base.constData(), 1);
    setenv("XDG_CONFIG_HOME", (base + "/config").constData(), 1);
    setenv("XDG_CACHE_HOME", (base + "/cache").constData(), 1);
    setenv("XDG_STATE_HOME", (base + "/state").constData(), 1);
    setenv("XDG_DATA_HOME", (base + "/data").constData(), 1);
    setenv("LANG", "en_US.UTF-8", 1);
    setenv("LANGUAGE", "en_US", 1);
    setenv("LC_ALL", "en_US.UTF-8", 1);
    unsetenv("TQ_REPORT_TEST");
  }
  setenv("OMP_THREAD_LIMIT", "1", 0);
  setenv("QT_QPA_PLATFORM", "offscreen", 0);

  std::string child;
  for (int i = 1; i + 1 < argc; ++i) {
    if (std::strcmp(argv[i], "--child") == 0) child = argv[i + 1];
  }

  QApplication app(argc, argv);
  QApplication::setQuitOnLastWindowClosed(false);
  Bundle::setResourceDir(testenv::sourceResources());

  if (!child.empty()) {
    auto body = testenv::childBody(child);
    return body ? body() : 99;
  }
  ::testing::InitGoogleTest(&argc, argv);
  const int rc = RUN_ALL_TESTS();
  delete scratchDir;
  return rc;
}
