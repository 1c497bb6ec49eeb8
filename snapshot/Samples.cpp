#include "snapshot/Samples.h"

#include <QFontMetricsF>
#include <QPainter>

#include "ui/about/AboutView.h"
#include "ui/kit/Text.h"

namespace Snapshot {

namespace {

constexpr QSize kTableSize(500, 180);
constexpr qreal kRatio = 2;
constexpr qreal kFontSize = 15;
// Row r stands on the line 140 − 36·r above the bottom edge.
constexpr qreal kFirstRowBase = 140;
constexpr qreal kRowStep = 36;

Recognized oneLinePerRow(const QStringList& rows) {
  Recognized r;
  for (const QString& row : rows) r.lines.push_back({Piece{{}, row}});
  return r;
}

}  // namespace

const std::vector<QStringList>& tableRows() {
  static const std::vector<QStringList> rows{
      {QStringLiteral("이름"), QStringLiteral("학과"), QStringLiteral("학년"), QStringLiteral("점수")},
      {QStringLiteral("김민수"), QStringLiteral("경제학과"), QStringLiteral("3"), QStringLiteral("92.5")},
      {QStringLiteral("Maria"), QStringLiteral("물리학과"), QStringLiteral("2"), QStringLiteral("88")},
      {QStringLiteral("이서연"), QStringLiteral("화학과"), QStringLiteral("4"), QStringLiteral("100")},
  };
  return rows;
}

QImage sampleImage() {
  QImage image(int(kTableSize.width() * kRatio), int(kTableSize.height() * kRatio), QImage::Format_ARGB32);
  image.setDevicePixelRatio(kRatio);
  image.fill(Qt::white);
  QPainter p(&image);
  p.setRenderHint(QPainter::TextAntialiasing);
  const QFont font = kit::font(kFontSize, QFont::Normal);
  const QFontMetricsF metrics(font);
  p.setFont(font);
  p.setPen(Qt::black);
  const std::vector<QStringList>& rows = tableRows();
  for (size_t r = 0; r < rows.size(); ++r) {
    // The row's line box sits on its base line counted from the bottom.
    const qreal boxBottom = kTableSize.height() - (kFirstRowBase - kRowStep * qreal(r));
    const qreal baseline = boxBottom - metrics.descent();
    for (int c = 0; c < rows[r].size(); ++c) p.drawText(QPointF(kColumns[size_t(c)], baseline), rows[r][c]);
  }
  return image;
}

Recognized textSample() {
  return oneLinePerRow({QStringLiteral("최소제곱법은 잔차의 제곱합을 최소로 만드는 계수를 찾는 방법이다."),
                        QStringLiteral("이때 오차항은 서로 독립이며 평균이 0, 분산이 일정하다고 가정한다.")});
}

QString qrAddress() {
  const QUrl repo = AboutView::repo();
  return repo.isEmpty() ? QStringLiteral("https://example.org/tarvok") : repo.toString();
}

Recognized qrSample() {
  Recognized r = oneLinePerRow({qrAddress()});
  r.codes.push_back(Code{{}, qrAddress(), true});
  return r;
}

}  // namespace Snapshot
