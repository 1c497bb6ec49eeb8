#pragma once
// A file list as a dialog shows it (names at the left, sizes in a column),
// read line by line with one engine key on the detector's road.
#include <QStringList>
#include <vector>

#include "recognition/lines/LineRead.h"
#include "recognition/ReadPass.h"
#include "tests/recognition/TextImages.h"

namespace filelists {

inline QStringList read(const std::vector<QStringList>& rows, const textimages::Style& style, const QString& key) {
  const QImage image = textimages::render(rows, style, 360, {16, 220}).image;
  const auto found = ocr::findLines(image);
  if (!found) return {};
  QStringList read;
  for (const ocr::EngineLine& l : ocr::readLines(found->page, found->boxes, key).lines) read << l.text;
  return read;
}

}  // namespace filelists
