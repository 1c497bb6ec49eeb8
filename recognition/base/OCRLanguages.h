#pragma once
#include <QString>
#include <QStringList>
#include <optional>

// Which recognition languages a text-recognition pass is given. Recognition
// codes are our own ("en-US", "zh-Hans", "vi-VT" ...); each maps to one
// Tesseract traineddata name. Everything here is static, synchronous and
// callable from any thread.
namespace OCRLanguages {

// The Latin-script codes that are tried together, in order.
const QStringList& latin();
// One lead code per other script, each tried with "en-US" beside it.
const QStringList& scriptLeads();

// The traineddata name of a recognition code ("de-DE" -> "deu"), or none for a
// code outside the table.
std::optional<QString> traineddata(const QString& code);

// The folder Tesseract loads traineddata from: TESSDATA_PREFIX when it names an
// existing entry, else the distribution's folder.
QString tessdataDir();

// The codes whose traineddata file is present in `dir`, in table order;
// ["en-US"] when there is none (an unreadable or missing folder included).
QStringList supportedIn(const QString& dir);

// supportedIn(tessdataDir()), computed once per process.
const QStringList& supported();

// Replaces supported() for tests; none restores the installed list. Call it
// only while no other thread uses this namespace.
void setSupportedForTesting(std::optional<QStringList> codes);

// The base language of a code: "zh-…" and "yue-…" codes are their own base,
// any other is the text before its first "-" ("fr-FR" -> "fr").
QString base(const QString& code);

// The supported recognition code for a language tag, or none.
std::optional<QString> match(const QString& tag);

// The default recognition languages for a user: the interface language (none
// when it follows the system) and the system's preferred languages, matched,
// with "en-US" last unless already present. Never empty.
QStringList primary(const std::optional<QString>& uiLanguage);

// The languages of the first pass: the supported preferred codes, then the
// supported Latin codes, each once.
QStringList firstPass(const QStringList& prefer);

// The dominant language of a text as a language identifier ("fr", "zh-Hans"),
// or none for fewer than three letters or an unsure detection.
std::optional<QString> detect(const QString& text);

// The supported Latin code for a detected language, or none ("en" never has one).
std::optional<QString> latinCode(const QString& detected);

// The supported script leads without the first of `excluding`.
QStringList otherScripts(const QStringList& excluding);

}  // namespace OCRLanguages
