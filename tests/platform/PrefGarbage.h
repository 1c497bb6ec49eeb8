#pragma once
// Preference files that no save may rewrite, as a user or another program
// leaves them. Each also holds a clean line that would turn fast mode on,
// were the file read. Shared by the store's tests and the program's.
#include <QByteArray>
#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <utility>
#include <vector>

#include "platform/PrefFile.h"

namespace prefgarbage {

inline std::vector<std::pair<const char*, QByteArray>> kinds() {
  QByteArray random(4096, 0);
  QRandomGenerator gen(25);
  for (char& c : random) c = char(gen.bounded(256));
  QByteArray huge = "[General]\nfastMode=bool:true\n";
  while (huge.size() <= preffile::kMaxBytes) huge += "padding" + QByteArray::number(huge.size()) + "=str:x\n";
  return {
      {"random bytes", random + "\nfastMode=bool:true\n"},
      {"not UTF-8", "[General]\nfastMode=bool:true\nlanguage=str:d\xff\xfe\n"},
      {"a value in a form we do not write", "[General]\nfastMode=\"bool:true\"\n"},
      {"a list spelt by hand", "[General]\nfastMode=bool:true\nocrLanguages=en,de\n"},
      {"a section name with spaces", "[General]\nfastMode=bool:true\n\n[my notes]\nkeep=str:this\n"},
      {"duplicate keys", "[General]\nfastMode=bool:true\nfastMode=bool:false\nfastMode=bool:true\n"},
      {"a comment", "; mine\n[General]\nfastMode=bool:true\n"},
      {"spaces around the equals sign", "[General]\nfastMode = bool:true\n"},
      {"keys out of order", "[General]\nfastMode=bool:true\nalpha=bool:true\n"},
      {"larger than 1 MB", huge},
  };
}

// The files a store moved aside, beside `path`, by name.
inline QStringList keptAside(const QString& path) {
  const QFileInfo info(path);
  return QDir(info.absolutePath()).entryList({info.fileName() + ".unreadable-*"}, QDir::AllEntries, QDir::Name);
}

}  // namespace prefgarbage
