#pragma once
// The interface texts of the dialogs that UiScreens.h builds, in eight
// languages (the printer chooser's as GTK translates them). Plain data: what a translated application would show.
#include <QString>
#include <QStringList>
#include <vector>

namespace uiscreens {

struct Texts {
  // A print dialog: a form of fields, options and two buttons.
  QString printer, name, device, copies, pages, range, paper, size, duplex, collate, orientation, portrait,
      landscape, cancel, print;
  // A settings dialog: tabs, group boxes, a separator and a text field.
  QStringList tabs;
  QString startup, atLogin, inTray, theme, light, dark, system, folder, documents, apply, ok;
  // A file list: a coloured header, icons, a table with a selected row.
  QString recent;
  QStringList headers;
  std::vector<QStringList> rows;
  QString open;
  // A printer chooser as GTK shows it: two tabs, a list of printers, a range
  // of radio buttons, copies in a spin box, three buttons.
  QStringList printTabs, printerColumns;
  QString toFile, rangeTitle, allPages, currentPage, copiesTitle, reverse, preview;
};

struct Language {
  const char* id;
  const char* family;  // the interface face
  const char* cli;     // the tesseract command line's -l
  QStringList prefer;  // the recognition languages of a user of this interface
  bool rtl = false;
  bool spaceless = false;  // words are not separated by spaces (Chinese, Japanese)
  Texts texts;
};

inline const std::vector<Language>& languages() {
  static const std::vector<Language> all = [] {
    auto s = [](const char* t) { return QString::fromUtf8(t); };
    auto l = [&](std::initializer_list<const char*> items) {
      QStringList out;
      for (const char* t : items) out << s(t);
      return out;
    };
    auto rows = [&](std::initializer_list<std::initializer_list<const char*>> r) {
      std::vector<QStringList> out;
      for (const auto& row : r) out.push_back(l(row));
      return out;
    };
    std::vector<Language> v;
    v.push_back({"en", "Noto Sans", "eng", l({"en-US"}), false, false,
                 {s("Printer"), s("Name:"), s("Office Laser"), s("Copies:"), s("Pages:"), s("1-4"), s("Paper size:"),
                  s("A4"), s("Print on both sides"), s("Collate"), s("Orientation"), s("Portrait"), s("Landscape"),
                  s("Cancel"), s("Print"), l({"General", "Network", "Advanced"}), s("Startup"), s("Open at login"),
                  s("Show in tray"), s("Theme"), s("Light"), s("Dark"), s("System"), s("Folder:"), s("Documents"),
                  s("Apply"), s("OK"), s("Recent files"), l({"Name", "Size", "Modified"}),
                  rows({{"report.pdf", "2 MB", "Monday"}, {"budget.xlsx", "86 KB", "Today"},
                        {"notes.txt", "3 KB", "Yesterday"}, {"photo.jpg", "4 MB", "Friday"},
                        {"draft.docx", "12 KB", "Sunday"}}),
                  s("Open"), l({"General", "Page Setup"}), l({"Printer", "Location", "Status"}), s("Print to File"), s("Range"),
                  s("All Pages"), s("Current Page"), s("Copies"), s("Reverse"), s("Preview")}});
    v.push_back({"de", "Noto Sans", "deu", l({"de-DE", "en-US"}), false, false,
                 {s("Drucker"), s("Name:"), s("Bürolaser"), s("Kopien:"), s("Seiten:"), s("1-4"), s("Papierformat:"),
                  s("A4"), s("Beidseitig drucken"), s("Sortieren"), s("Ausrichtung"), s("Hochformat"),
                  s("Querformat"), s("Abbrechen"), s("Drucken"), l({"Allgemein", "Netzwerk", "Erweitert"}),
                  s("Start"), s("Beim Anmelden öffnen"), s("Im Infobereich zeigen"), s("Design"), s("Hell"),
                  s("Dunkel"), s("System"), s("Ordner:"), s("Dokumente"), s("Anwenden"), s("OK"),
                  s("Letzte Dateien"), l({"Name", "Größe", "Geändert"}),
                  rows({{"bericht.pdf", "2 MB", "Montag"}, {"budget.xlsx", "86 KB", "Heute"},
                        {"notizen.txt", "3 KB", "Gestern"}, {"foto.jpg", "4 MB", "Freitag"},
                        {"entwurf.docx", "12 KB", "Sonntag"}}),
                  s("Öffnen"), l({"Allgemein", "Seite einrichten"}), l({"Drucker", "Standort", "Status"}),
                  s("In Datei drucken"), s("Seiten"), s("Alle Seiten"), s("Aktuelle Seite"), s("Kopien"),
                  s("Rückwärts"), s("Vorschau")}});
    v.push_back({"ru", "Noto Sans", "rus", l({"ru-RU", "en-US"}), false, false,
                 {s("Принтер"), s("Имя:"), s("Офисный лазерный"), s("Копии:"), s("Страницы:"), s("1-4"),
                  s("Размер бумаги:"), s("A4"), s("Печать с двух сторон"), s("Разобрать"), s("Ориентация"),
                  s("Книжная"), s("Альбомная"), s("Отмена"), s("Печать"), l({"Общие", "Сеть", "Дополнительно"}),
                  s("Запуск"), s("Открывать при входе"), s("Показывать в трее"), s("Тема"), s("Светлая"),
                  s("Тёмная"), s("Системная"), s("Папка:"), s("Документы"), s("Применить"), s("ОК"),
                  s("Последние файлы"), l({"Имя", "Размер", "Изменён"}),
                  rows({{"отчёт.pdf", "2 МБ", "Понедельник"}, {"бюджет.xlsx", "86 КБ", "Сегодня"},
                        {"заметки.txt", "3 КБ", "Вчера"}, {"фото.jpg", "4 МБ", "Пятница"},
                        {"черновик.docx", "12 КБ", "Воскресенье"}}),
                  s("Открыть"), l({"Общие", "Параметры страницы"}), l({"Принтер", "Расположение", "Состояние"}),
                  s("Печатать в файл"), s("Диапазон"), s("Все страницы"), s("Текущую страницу"), s("Копии"),
                  s("Наоборот"), s("Образец")}});
    v.push_back({"ar", "Noto Sans Arabic", "ara", l({"ar-SA", "en-US"}), true, false,
                 {s("الطابعة"), s("الاسم:"), s("LaserJet Pro"), s("النسخ:"), s("الصفحات:"), s("1-4"),
                  s("حجم الورق:"), s("A4"), s("الطباعة على الوجهين"), s("ترتيب"), s("الاتجاه"), s("عمودي"),
                  s("أفقي"), s("إلغاء"), s("طباعة"), l({"عام", "الشبكة", "متقدم"}), s("بدء التشغيل"),
                  s("فتح عند تسجيل الدخول"), s("إظهار في شريط النظام"), s("المظهر"), s("فاتح"), s("داكن"),
                  s("النظام"), s("المجلد:"), s("المستندات"), s("تطبيق"), s("موافق"), s("الملفات الأخيرة"),
                  l({"الاسم", "الحجم", "التعديل"}),
                  rows({{"تقرير.pdf", "2 MB", "الاثنين"}, {"الميزانية.xlsx", "86 KB", "اليوم"},
                        {"ملاحظات.txt", "3 KB", "أمس"}, {"صورة.jpg", "4 MB", "الجمعة"},
                        {"مسودة.docx", "12 KB", "الأحد"}}),
                  s("فتح"), l({"عامّ", "إعداد الصفحة"}), l({"الطابعة", "الموقع", "الحالة"}), s("اطبع إلى ملف"),
                  s("المدى"), s("كل الصفحات"), s("الصفحة الحالية"), s("نُسَخ"), s("مقلوب"), s("معاينة")}});
    v.push_back({"ko", "Noto Sans CJK KR", "kor", l({"ko-KR", "en-US"}), false, false,
                 {s("프린터"), s("이름:"), s("사무실 레이저"), s("매수:"), s("페이지:"), s("1-4"), s("용지 크기:"),
                  s("A4"), s("양면 인쇄"), s("한 부씩 인쇄"), s("방향"), s("세로"), s("가로"), s("취소"),
                  s("인쇄"), l({"일반", "네트워크", "고급"}), s("시작"), s("로그인할 때 열기"), s("트레이에 표시"),
                  s("테마"), s("밝게"), s("어둡게"), s("시스템"), s("폴더:"), s("문서"), s("적용"), s("확인"),
                  s("최근 파일"), l({"이름", "크기", "수정한 날짜"}),
                  rows({{"보고서.pdf", "2 MB", "월요일"}, {"예산.xlsx", "86 KB", "오늘"},
                        {"메모.txt", "3 KB", "어제"}, {"사진.jpg", "4 MB", "금요일"},
                        {"초안.docx", "12 KB", "일요일"}}),
                  s("열기"), l({"일반", "페이지 설정"}), l({"프린터", "위치", "상태"}), s("파일로 인쇄"), s("범위"),
                  s("모든 페이지"), s("현재 페이지"), s("인쇄 매수"), s("마지막 페이지부터"), s("미리보기")}});
    v.push_back({"ja", "Noto Sans CJK JP", "jpn", l({"ja-JP", "en-US"}), false, true,
                 {s("プリンター"), s("名前:"), s("オフィスレーザー"), s("部数:"), s("ページ:"), s("1-4"),
                  s("用紙サイズ:"), s("A4"), s("両面印刷"), s("部単位で印刷"), s("向き"), s("縦"), s("横"),
                  s("キャンセル"), s("印刷"), l({"一般", "ネットワーク", "詳細"}), s("起動"), s("ログイン時に開く"),
                  s("トレイに表示"), s("テーマ"), s("ライト"), s("ダーク"), s("システム"), s("フォルダー:"),
                  s("書類"), s("適用"), s("OK"), s("最近のファイル"), l({"名前", "サイズ", "更新日"}),
                  rows({{"報告書.pdf", "2 MB", "月曜日"}, {"予算.xlsx", "86 KB", "今日"},
                        {"メモ.txt", "3 KB", "昨日"}, {"写真.jpg", "4 MB", "金曜日"},
                        {"下書き.docx", "12 KB", "日曜日"}}),
                  s("開く"), l({"全般", "ページの設定"}), l({"プリンター", "場所", "状態"}), s("ファイルに出力する"),
                  s("範囲"), s("すべてのページ"), s("現在のページだけ"), s("コピー"), s("ページを逆順にする"),
                  s("プレビュー")}});
    v.push_back({"zh", "Noto Sans CJK SC", "chi_sim", l({"zh-Hans", "en-US"}), false, true,
                 {s("打印机"), s("名称:"), s("办公室激光打印机"), s("份数:"), s("页面:"), s("1-4"), s("纸张大小:"),
                  s("A4"), s("双面打印"), s("逐份打印"), s("方向"), s("纵向"), s("横向"), s("取消"), s("打印"),
                  l({"常规", "网络", "高级"}), s("启动"), s("登录时打开"), s("在托盘中显示"), s("主题"),
                  s("浅色"), s("深色"), s("跟随系统"), s("文件夹:"), s("文档"), s("应用"), s("确定"),
                  s("最近的文件"), l({"名称", "大小", "修改日期"}),
                  rows({{"报告.pdf", "2 MB", "星期一"}, {"预算.xlsx", "86 KB", "今天"},
                        {"笔记.txt", "3 KB", "昨天"}, {"照片.jpg", "4 MB", "星期五"},
                        {"草稿.docx", "12 KB", "星期日"}}),
                  s("打开"), l({"常规", "页面设置"}), l({"打印机", "位置", "状态"}), s("打印到文件"), s("范围"),
                  s("所有页面"), s("当前页"), s("副本"), s("逆序"), s("预览")}});
    v.push_back({"zt", "Noto Sans CJK TC", "chi_tra", l({"zh-Hant", "en-US"}), false, true,
                 {s("印表機"), s("名稱:"), s("辦公室雷射印表機"), s("份數:"), s("頁面:"), s("1-4"), s("紙張大小:"),
                  s("A4"), s("雙面列印"), s("逐份列印"), s("方向"), s("直向"), s("橫向"), s("取消"), s("列印"),
                  l({"一般", "網路", "進階"}), s("啟動"), s("登入時開啟"), s("在系統匣中顯示"), s("主題"),
                  s("淺色"), s("深色"), s("跟隨系統"), s("資料夾:"), s("文件"), s("套用"), s("確定"),
                  s("最近的檔案"), l({"名稱", "大小", "修改日期"}),
                  rows({{"報告.pdf", "2 MB", "星期一"}, {"預算.xlsx", "86 KB", "今天"},
                        {"筆記.txt", "3 KB", "昨天"}, {"照片.jpg", "4 MB", "星期五"},
                        {"草稿.docx", "12 KB", "星期日"}}),
                  s("開啟"), l({"一般", "頁面設定"}), l({"印表機", "位置", "狀態"}), s("列印成檔案儲存"), s("範圍"),
                  s("所有頁面"), s("目前頁面"), s("份數"), s("反序"), s("預覽")}});
    return v;
  }();
  return all;
}

}  // namespace uiscreens
