// The toast model: which text is copied, previewed and described, and what
// counts as a link (what reaches the X clipboard is Clipboard_x_test).
#include "toast/ToastModel.h"

#include <gtest/gtest.h>

#include "tests/toast/Samples.h"

TEST(ToastModel, TextPrecedenceEditThenTableThenJoinedThenLines) {
  samples::SettingsScope scope;
  Settings::shared().setLanguage(Lang("en"));
  ToastModel m;
  Recognized r = samples::withTable(samples::table(5, 2));
  m.setResult(r);
  EXPECT_EQ(m.copiedText(), r.text());
  EXPECT_EQ(m.meta(), "5 lines · 49 characters");

  m.setJoined(true);
  EXPECT_EQ(m.copiedText(), r.joinedText());
  EXPECT_EQ(m.meta(), "1 line · " + QString::number(r.joinedText().size()) + " characters")
      << "a joined result is one line, whatever its rows";

  m.setAsTable(true);
  EXPECT_EQ(m.copiedText(), r.table->tsv());
  EXPECT_EQ(m.preview(), "c0.0  \u00B7  c0.1\nc1.0  \u00B7  c1.1\nc2.0  \u00B7  c2.1");
  EXPECT_EQ(m.meta(), "5 rows × 2 columns");

  m.setEdited(QStringLiteral("mine"));
  EXPECT_EQ(m.copiedText(), "mine");
  EXPECT_EQ(m.preview(), "mine") << "the edit wins over the table even in table mode";
  EXPECT_EQ(m.meta(), "Edited · 4 characters");

  // Table mode without a table falls back to the text.
  m.setEdited(std::nullopt);
  m.setJoined(false);
  m.setResult(samples::lines({"a", "b"}));
  EXPECT_EQ(m.preview(), "a\nb");
  EXPECT_EQ(m.copiedText(), "a\nb");
}

TEST(ToastModel, MetaCountsWhatAReaderSeesAndNamesTheCode) {
  samples::SettingsScope scope;
  Settings::shared().setLanguage(Lang("en"));
  ToastModel m;
  // "é" decomposed (e + U+0301) and a family emoji joined with ZWJ are one character each.
  Recognized r = samples::lines({QStringLiteral("Cafe\u0301 \U0001F468\u200D\U0001F469\u200D\U0001F467"), "ok"});
  m.setResult(r);
  EXPECT_EQ(m.meta(), "2 lines · 9 characters");

  r.codes = {samples::code("12345", false)};
  m.setResult(r);
  EXPECT_EQ(m.meta(), "Barcode · 2 lines · 9 characters");
  r.codes.push_back(samples::code("https://example.com", true));
  m.setResult(r);
  EXPECT_EQ(m.meta(), "QR · 2 lines · 9 characters");
  m.setEdited(QStringLiteral("x"));
  EXPECT_EQ(m.meta(), "Edited · 1 characters") << "no code prefix on an edit";
}

TEST(ToastModel, WhatCountsAsALink) {
  EXPECT_EQ(ToastModel::openable("https://example.com/a?b=1"), QUrl("https://example.com/a?b=1"));
  for (const char* yes : {"HTTPS://EXAMPLE.COM", "\n\n  https://example.com  \n\n", "mailto:someone@example.com",
                          "tel:+4930123456", "sms:+4930123456", "facetime:someone@example.com"})
    EXPECT_TRUE(ToastModel::openable(yes)) << yes;
  for (const char* no : {"example.com", "https://a.example\nhttps://b.example", "ftp://example.com",
                         "file:///etc/passwd", "javascript:alert(1)", "Note: call me", "   "})
    EXPECT_FALSE(ToastModel::openable(no)) << no;
}

TEST(ToastModel, LinkComesFromTheFirstOpenableCodeThenTheText) {
  ToastModel m;
  Recognized r = samples::lines({"https://text.example"});
  r.codes = {samples::code("example.com", true), samples::code("HTTPS://CODE.EXAMPLE/x", true),
             samples::code("https://later.example", true)};
  m.setResult(r);
  EXPECT_EQ(m.link()->host(), "code.example") << "a bare host payload is skipped, capitals are fine";
  r.codes = {samples::code("example.com", true)};
  m.setResult(r);
  EXPECT_EQ(m.link(), QUrl("https://text.example")) << "no code gives one: the copied text is tried";
  m.setEdited(QStringLiteral("plain words"));
  EXPECT_FALSE(m.link()) << "an edit replaces the codes too";
}
