// Words of a line's own script that the paired English model took for Latin
// letters, read again by the pass's first model alone.
#include <gtest/gtest.h>

#include "recognition/Recognizer.h"
#include "tests/recognition/DetectorRoad.h"
#include "tests/recognition/TextImages.h"
#include "tests/support/Printers.h"

namespace {

class WordsAlone : public DetectorRoadTest {};

const QStringList kKorean{QString::fromUtf8("변경 내용이 오전 10시 42분에 저장되었습니다."),
                          QString::fromUtf8("문서를 공유하려면 공유를 클릭하고 초대할 사람의"),
                          QString::fromUtf8("이름이나 이메일 주소를 입력하세요. 초대받은 사람은"),
                          QString::fromUtf8("브라우저에서 파일을 여는 링크를 받게 됩니다."),
                          QString::fromUtf8("접근 권한은 설정에서 언제든지 변경할 수 있습니다.")};

TEST_F(WordsAlone, AKoreanWordInASentenceComesBackInHangul) {
  textimages::Style style;
  style.family = QStringLiteral("Noto Sans CJK KR");
  style.pitch = 1.25;
  for (const int px : {11, 12}) {
    style.px = px;
    const QString read = Recognizer::recognize(textimages::lines(kKorean, style).image, {"ko-KR"}, true).text();
    EXPECT_TRUE(read.contains(QString::fromUtf8("이메일 주소를"))) << px << "px: " << read.toStdString();
  }
}

// A Latin word that is one stays as it is ("PDF" read alone by the Korean
// model is one syllable); the Korean words beside the names, read as "USE"
// and "FSS" in a pair with English, come back.
TEST_F(WordsAlone, LatinNamesInAKoreanSentenceStayAndTheWordsBesideThemComeBack) {
  const QStringList lines{QString::fromUtf8("보고서를 PDF 파일로 저장한 뒤 Excel 에서 엽니다."),
                          QString::fromUtf8("자세한 내용은 Settings 메뉴의 Network 항목을 보세요.")};
  textimages::Style style;
  style.family = QStringLiteral("Noto Sans CJK KR");
  style.px = 13;
  const Recognized read = Recognizer::recognize(textimages::lines(lines, style).image, {"ko-KR"}, true);
  EXPECT_EQ(textimages::rowTexts(read), lines);
}

}  // namespace
