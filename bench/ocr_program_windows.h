// The windows of bench/ocr_bench --programs: per window the program, its
// arguments and the words it shows (title bar, menus, labels, buttons, file
// names), written down from its screenshots; the home each program starts in
// is tests/recognition/ProgramHome.h.
#pragma once
#include <QRect>
#include <QSize>
#include <QString>
#include <QStringList>
#include <unistd.h>

#include "tests/recognition/ProgramHome.h"

namespace programs {

enum class Code { None, Terminal, Editor, Python };

// What of the window is read: what a window pick takes (the window with the
// window manager's frame), a drag over its inside, or a drag started a few
// pixels outside the frame (the desktop's edge around it).
enum class Grab { Frame, Inside, Beyond };

struct Program {
  QString name;
  QString program;
  QStringList args;   // "%h" stands for the prepared home
  QStringList env;    // NAME=value beside the prepared environment
  QString keyfile;    // the program's settings (GSettings key file)
  QStringList words;  // what the window shows besides the code: title, menus, labels, buttons
  Code code = Code::None;
  QSize size{};       // a size to give the window once shown, when its own is too large
  Grab grab = Grab::Frame;
  QRect part{};       // with Grab::Inside, a drag over this part of the inside only
  QSize table{};      // the table the window shows (columns x rows), none when empty
};

inline QList<Program> all() {
  const QStringList form{QStringLiteral("--forms"), QStringLiteral("--title=New account"),
                         QStringLiteral("--text=Enter the details of the new user."),
                         QStringLiteral("--add-entry=First name"), QStringLiteral("--add-entry=Last name"),
                         QStringLiteral("--add-entry=Email address"), QStringLiteral("--add-entry=Date of birth"),
                         QStringLiteral("--add-password=Password"), QStringLiteral("--width=720")};
  const QStringList formWords{QStringLiteral("New account"), QStringLiteral("Enter the details of the new user."),
                              QStringLiteral("First name"), QStringLiteral("Last name"), QStringLiteral("Email address"),
                              QStringLiteral("Date of birth"), QStringLiteral("Password"), QStringLiteral("Cancel"),
                              QStringLiteral("OK")};
  const QStringList chooser{QStringLiteral("--file-selection"), QStringLiteral("--title=Open a report"),
                            QStringLiteral("--filename=%h/reports/")};
  const QStringList chooserWords{
      QStringLiteral("Open a report"), QStringLiteral("Recent Home Desktop Other Locations"), QStringLiteral("alex reports"),
      QStringLiteral("Name Size Type Modified"), QStringLiteral("Photos 2 Nov 2023"), QStringLiteral("Scripts 20 Jan 2024"),
      QStringLiteral("archive_2023 31 Dec 2023"), QStringLiteral("build_log.txt 18.4 kB Text 14 Mar 2024"),
      QStringLiteral("config.backup.json 876 bytes Program 5 Oct 2023"),
      QStringLiteral("data_export_01.csv 53.2 kB Text 12 Mar 2024"), QStringLiteral("notes.v2.md 1.2 kB Text 1 Mar 2024"),
      QStringLiteral("report-2024.pdf 245.8 kB Document 29 Feb 2024"), QStringLiteral("Cancel OK")};
  auto xterm = [](bool dark) {
    QStringList a{QStringLiteral("-fa"), QStringLiteral("DejaVu Sans Mono"), QStringLiteral("-fs"), QStringLiteral("11"),
                  QStringLiteral("-geometry"), QStringLiteral("80x24"), QStringLiteral("-T"),
                  QStringLiteral("admin@build-01: ~/reports")};
    if (dark) a << QStringLiteral("-bg") << QStringLiteral("black") << QStringLiteral("-fg") << QStringLiteral("grey80");
    return a << QStringLiteral("-e") << QStringLiteral("sh") << QStringLiteral("%h/show.sh");
  };
  const QString editorKeys = QStringLiteral(
      "[org/xfce/mousepad/preferences/window]\npath-in-title=false\n"
      "[org/xfce/mousepad/state/window]\nwidth=800\nheight=520\n");
  QStringList editorWords{QStringLiteral("sensor_reader.py - Mousepad"), QStringLiteral("File Edit Search View Document Help")};
  // Mousepad warns whoever runs it as root in a bar above the text.
  if (geteuid() == 0) editorWords << QStringLiteral("Warning: you are using the root account. You may harm your system.");
  // Tall enough for the whole module in the editor's own monospace face.
  const QString pythonKeys = QStringLiteral(
      "[org/xfce/mousepad/preferences/window]\npath-in-title=false\n"
      "[org/xfce/mousepad/state/window]\nwidth=760\nheight=760\n");
  const QStringList pythonWords = QStringList{QStringLiteral("cache.py - Mousepad")} + editorWords.mid(1);
  const QString dark = QStringLiteral("GTK_THEME=Adwaita:dark");
  const QStringList list{QStringLiteral("--list"), QStringLiteral("--title=Installed packages"),
                         QStringLiteral("--text=Choose the package to update."), QStringLiteral("--column=Package"),
                         QStringLiteral("--column=Version"), QStringLiteral("--column=Size"),
                         QStringLiteral("--column=Updated"), QStringLiteral("--width=640"), QStringLiteral("--height=460")};
  QStringList listArgs = list, listWords{QStringLiteral("Installed packages"), QStringLiteral("Choose the package to update."),
                                         QStringLiteral("Cancel OK")};
  QStringList listRows{QStringLiteral("Package Version Size Updated")};
  for (const char* row : {"libgtk-3-0 3.24.38 12.4 MB 2024-03-14", "openssl 3.0.13 2.1 MB 2024-02-29",
                          "python3.11 3.11.2 1.8 MB 2023-11-02", "zenity 3.44.0 384 kB 2023-10-05",
                          "xterm 379 1.3 MB 2024-01-20", "mousepad 0.5.10 2.6 MB 2023-12-31",
                          "tesseract-ocr 5.3.0 1.9 MB 2024-03-01", "fonts-noto 20201225 4.7 MB 2023-09-18",
                          "dbus-daemon 1.14.10 620 kB 2024-03-12", "curl 7.88.1 512 kB 2024-02-07"}) {
    const QStringList f = QString::fromLatin1(row).split(QLatin1Char(' '));
    listArgs << f[0] << f[1] << f[2] + QLatin1Char(' ') + f[3] << f[4];
    listRows << QString::fromLatin1(row);
  }
  listWords += listRows;
  const QStringList calculatorWords{QStringLiteral("galculator"), QStringLiteral("File Edit View Calculator Help"),
                                    QStringLiteral("0"), QStringLiteral("C AC <-"), QStringLiteral("( ) MS MR M+"),
                                    QStringLiteral("7 8 9 / sqrt"), QStringLiteral("4 5 6 * %"), QStringLiteral("1 2 3 - ="),
                                    QStringLiteral("0 . +/- +")};
  return {
      {QStringLiteral("form"), QStringLiteral("zenity"), form, {}, {}, formWords},
      {QStringLiteral("form-dark"), QStringLiteral("zenity"), form, {dark}, {}, formWords},
      {QStringLiteral("file-chooser"), QStringLiteral("zenity"), chooser, {}, {}, chooserWords, Code::None, QSize(820, 560),
       Grab::Frame, {}, QSize(4, 9)},
      {QStringLiteral("terminal"), QStringLiteral("xterm"), xterm(false), {}, {}, {QStringLiteral("admin@build-01: ~/reports")},
       Code::Terminal},
      {QStringLiteral("terminal-dark"), QStringLiteral("xterm"), xterm(true), {}, {},
       {QStringLiteral("admin@build-01: ~/reports")}, Code::Terminal},
      {QStringLiteral("editor"), QStringLiteral("mousepad"), {QStringLiteral("%h/sensor_reader.py")}, {}, editorKeys,
       editorWords, Code::Editor},
      {QStringLiteral("editor-dark"), QStringLiteral("mousepad"), {QStringLiteral("%h/sensor_reader.py")}, {dark},
       editorKeys + QStringLiteral("[org/xfce/mousepad/preferences/view]\ncolor-scheme='oblivion'\n"), editorWords,
       Code::Editor},
      {QStringLiteral("python"), QStringLiteral("mousepad"), {QStringLiteral("%h/cache.py")}, {}, pythonKeys, pythonWords,
       Code::Python},
      // What a window pick takes, and a drag over the list alone.
      {QStringLiteral("list-picked"), QStringLiteral("zenity"), listArgs, {}, {}, listWords, Code::None, {}, Grab::Frame,
       {}, QSize(4, 11)},
      {QStringLiteral("list-dragged"), QStringLiteral("zenity"), listArgs, {}, {}, listRows, Code::None, {}, Grab::Inside,
       QRect(9, 34, 622, 383), QSize(4, 11)},
      // The inside has no title bar.
      {QStringLiteral("chooser-dragged"), QStringLiteral("zenity"), chooser, {}, {}, chooserWords.mid(1), Code::None,
       QSize(820, 560), Grab::Inside, {}, QSize(4, 9)},
      {QStringLiteral("calc-picked"), QStringLiteral("galculator"), {}, {}, {}, calculatorWords, Code::None, {}, Grab::Frame},
      {QStringLiteral("calc-beyond"), QStringLiteral("galculator"), {}, {}, {}, calculatorWords, Code::None, {}, Grab::Beyond},
  };
}

}  // namespace programs
