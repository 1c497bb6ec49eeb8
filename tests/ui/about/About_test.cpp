// The About window: paragraph styles, the header's shared baseline, links
// only for web addresses (the privacy page falls back to the shipped file),
// and reopening in the language of the moment.
#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QProcess>

#include "core/Fonts.h"
#include "core/Ink.h"
#include "core/Settings.h"
#include "core/Strings.h"
#include "platform/Bundle.h"
#include "tests/support/Fixtures.h"
#include "tests/support/TestEnv.h"
#include "tests/support/ViewProbe.h"
#include "ui/about/AboutController.h"
#include "ui/about/AboutView.h"
#include "ui/kit/Text.h"
#include "ui/onboarding/ObButton.h"

using about::Role;

namespace {

about::Layout layOut(const QString& body) {
  about::Inputs in;
  in.body = body;
  return about::layOut(in);
}

bool shows(const AboutView& v, const QString& text) {
  for (const PlacedText& t : v.placement().texts)
    if (t.text == text) return true;
  return false;
}

}  // namespace

TEST(AboutLayout, ParagraphsAreStyledByTheirPlace) {
  EXPECT_EQ(about::paragraphs("a\n\n\nb"), (QStringList{"a", "\nb"}));  // nothing trimmed
  EXPECT_EQ(about::paragraphs("a\n\n\n\nb"), (QStringList{"a", "", "b"}));

  const about::Layout one = layOut("Only a lead.");
  ASSERT_EQ(one.paragraphs.size(), 1u);
  EXPECT_EQ(one.paragraphs[0].role, Role::lead);
  EXPECT_EQ(one.texts.back().color, Ink::text());
  const about::Layout two = layOut("Lead.\n\nA note.");
  EXPECT_EQ(two.paragraphs.at(1).role, Role::last);
  EXPECT_EQ(two.texts.back().color, Ink::faint());

  const about::Layout four = layOut("Lead.\n\nFirst middle.\n\nSecond middle.\n\nA note.");
  ASSERT_EQ(four.paragraphs.size(), 4u);
  for (size_t i : {1, 2}) {
    EXPECT_EQ(four.paragraphs[i].role, Role::middle);
    EXPECT_EQ(four.texts[four.texts.size() - 4 + i].color, Ink::sub());
  }
  const auto& t = four.texts;
  for (size_t i = t.size() - 3; i < t.size(); ++i) EXPECT_GT(t[i].rect().top(), t[i - 1].rect().bottom()) << i;
  EXPECT_GT(four.size.height(), two.size.height());
}

TEST(AboutView, HeaderSharesOneBaselineAndDropsTheReadingInKorean) {
  Settings& s = Settings::shared();
  s.setLanguage(Lang("en"));
  AboutView en;
  ASSERT_TRUE(shows(en, about::headword()));
  ASSERT_TRUE(shows(en, about::romanisation()));
  const about::Layout& l = en.placement();
  QFont word = kit::font(40, QFont::Light, Fonts::koreanFace());
  EXPECT_NEAR(l.texts[0].at.y() + QFontMetricsF(word).ascent(), l.baseline, 0.01);
  EXPECT_NEAR(l.texts[1].at.y() + QFontMetricsF(Fonts::face(15)).ascent(), l.baseline, 0.01);
  EXPECT_DOUBLE_EQ(l.appMark.bottom(), l.baseline);
  EXPECT_GT(l.texts[1].at.x(), l.texts[0].rect().right());  // the reading follows the word

  s.setLanguage(Lang("ko"));
  AboutView ko;
  EXPECT_TRUE(shows(ko, about::headword()));
  EXPECT_FALSE(shows(ko, about::romanisation()));
  EXPECT_TRUE(shows(ko, about::paragraphs(L::table(Lang("ko")).aboutBody).first()));
}

TEST(AboutView, LinksExistOnlyForConfiguredWebAddresses) {
  testenv::FakeBundle bundle({{"TQProjectURL", " https://example.org/tarvok "},
                              {"TQPrivacyURL", "file:///etc/passwd"}});
  Settings::shared().setLanguage(Lang("en"));
  AboutView v;
  QList<QUrl> opened;
  v.openUrl = [&](const QUrl& url) { opened << url; };
  auto* project = v.findChild<ObButton*>("project");
  EXPECT_TRUE(project->isVisibleTo(&v));
  // Not a web address, and this bundle has no privacy page of its own.
  EXPECT_FALSE(v.findChild<ObButton*>("privacy")->isVisibleTo(&v));
  EXPECT_EQ(project->title(), "GitHub");
  probe::render(&v);
  probe::click(project);
  EXPECT_EQ(opened, QList<QUrl>{QUrl("https://example.org/tarvok")});
  EXPECT_GT(project->geometry().left(), 160);  // at the trailing edge
}

TEST(AboutView, WithoutAnAddressThePrivacyButtonOpensTheShippedStatement) {
  Settings::shared().setLanguage(Lang("en"));
  AboutView v;  // the shipped Info.json names no addresses
  QList<QUrl> opened;
  v.openUrl = [&](const QUrl& url) { opened << url; };
  EXPECT_FALSE(v.findChild<ObButton*>("project")->isVisibleTo(&v));
  EXPECT_TRUE(v.placement().project.isEmpty());
  auto* privacy = v.findChild<ObButton*>("privacy");
  ASSERT_TRUE(privacy->isVisibleTo(&v));
  EXPECT_EQ(privacy->title(), "PRIVACY.md");
  probe::render(&v);
  probe::click(privacy);
  ASSERT_EQ(opened.size(), 1);
  ASSERT_TRUE(opened[0].isLocalFile()) << opened[0].toString().toStdString();
  const QFileInfo file(opened[0].toLocalFile());
  EXPECT_EQ(file.fileName(), "PRIVACY.md");
  EXPECT_TRUE(file.isFile());
  EXPECT_EQ(file.canonicalFilePath(), QFileInfo(testenv::sourceResources() + "/PRIVACY.md").canonicalFilePath());

  // A bogus address falls back to the bundle's own page, never to the file it names.
  testenv::FakeBundle bundle({{"TQPrivacyURL", "file:///etc/passwd"}});
  QFile::copy(testenv::sourceResources() + "/PRIVACY.md", bundle.dir() + "/PRIVACY.md");
  EXPECT_EQ(AboutView::privacy(), QUrl::fromLocalFile(bundle.dir() + "/PRIVACY.md"));
  // A configured web page wins over the file.
  bundle.writeInfo({{"TQPrivacyURL", "https://example.org/privacy"}});
  bundle.reload();
  EXPECT_EQ(AboutView::privacy(), QUrl("https://example.org/privacy"));
}

TEST(AboutController, ReopeningReusesTheWindowInTheLanguageOfTheMoment) {
  testenv::FakeBundle bundle({{"TQProjectURL", "https://example.org/p"}, {"TQPrivacyURL", "https://example.org/q"}});
  bundle.writeCatalog("ar", [] {
    QFile f(testenv::sourceResources() + "/Strings/ar.json");
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
  }());
  Settings& s = Settings::shared();
  s.setLanguage(Lang("en"));
  AboutController c;
  c.open();
  QWidget* w = c.window();
  ASSERT_TRUE(w && w->isVisible());
  EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
  auto* view = w->findChild<AboutView*>();
  ASSERT_TRUE(view);
  const QRect projectLtr = view->findChild<ObButton*>("project")->geometry();

  w->close();  // the close button hides it
  EXPECT_FALSE(w->isVisible());
  s.setLanguage(Lang("ar"));
  EXPECT_EQ(view->layoutDirection(), Qt::LeftToRight);  // an open window is not rebuilt behind the user's back
  c.open();
  EXPECT_EQ(c.window(), w);
  EXPECT_EQ(view->layoutDirection(), Qt::RightToLeft);
  EXPECT_EQ(w->windowTitle(), L::table(Lang("ar")).aboutTitle);
  EXPECT_TRUE(shows(*view, about::paragraphs(L::table(Lang("ar")).aboutBody).first()));
  EXPECT_EQ(w->size(), view->sizeHint());  // the window took the new text's height
  EXPECT_EQ(view->findChild<ObButton*>("project")->geometry().left(), 320 - projectLtr.right() - 1)
      << "mirrored: the links gather at the left edge";
}

// What `cmake --install` lays out: the statement beside the other resources,
// in the folder the installed program takes its resources from.
TEST(AboutInstall, ThePrivacyStatementIsInstalledWithTheResources) {
  const QString prefix = testenv::scratch() + "/installed";
  QProcess install;
  install.start(TARVOK_CMAKE, {"--install", TARVOK_BUILD_DIR, "--prefix", prefix});
  ASSERT_TRUE(install.waitForFinished(120000));
  ASSERT_EQ(install.exitCode(), 0) << install.readAllStandardError().toStdString();
  const QString share = prefix + "/" TARVOK_INSTALL_DATADIR "/tarvok";
  ASSERT_TRUE(QFileInfo(prefix + "/bin/tarvok").isExecutable());
  ASSERT_TRUE(QFileInfo(share + "/Strings/en.json").isFile()) << "where the installed program looks";

  QFile installed(share + "/PRIVACY.md"), source(testenv::sourceResources() + "/PRIVACY.md");
  ASSERT_TRUE(installed.open(QIODevice::ReadOnly));
  ASSERT_TRUE(source.open(QIODevice::ReadOnly));
  EXPECT_EQ(installed.readAll(), source.readAll());

  Bundle::setResourceDir(share);
  EXPECT_EQ(AboutView::privacy(), QUrl::fromLocalFile(share + "/PRIVACY.md"));
  Bundle::setResourceDir(testenv::sourceResources());
}
