// The texts of bench/ocr_bench's images: interface-like prose, a numbered
// list and a small file table per language.
#pragma once
#include "bench/ocr_samples.h"

namespace samples {

inline const std::vector<Language>& languages() {
  static const std::vector<Language> all = [] {
    auto q = [](std::initializer_list<const char*> lines) {
      QStringList out;
      for (const char* l : lines) out << QString::fromUtf8(l);
      return out;
    };
    auto t = [&](std::initializer_list<std::initializer_list<const char*>> rows) {
      std::vector<QStringList> out;
      for (const auto& r : rows) out.push_back(q(r));
      return out;
    };
    std::vector<Language> v;
    v.push_back({"en", "Noto Sans", "eng", q({"en-US"}), false, false,
                 q({"Your document was saved to the Downloads folder at 10:42.",
                    "To share it, click Share and enter the names or email",
                    "addresses of the people you want to invite. They will get",
                    "a link that opens the file in their browser; no account is",
                    "needed. You can change access at any time in Settings."}),
                 q({"1. Open Settings", "2. Choose Privacy & Security", "3. Turn on Screen Recording",
                    "4. Restart the application", "5. Try the shortcut again"}),
                 t({{"Name", "Size", "Kind", "Modified"},
                    {"report.pdf", "2.4 MB", "PDF document", "Yesterday"},
                    {"budget.xlsx", "86 KB", "Spreadsheet", "12 March"},
                    {"notes.txt", "3 KB", "Plain text", "Today"}})});
    v.push_back({"de", "Noto Sans", "deu", q({"de-DE", "en-US"}), false, false,
                 q({"Ihre Änderungen wurden um 10:42 Uhr gespeichert. Um das",
                    "Dokument zu teilen, klicken Sie auf Freigeben und geben",
                    "Sie die Namen oder E-Mail-Adressen der Personen ein, die",
                    "Sie einladen möchten. Größere Dateien werden zuerst",
                    "hochgeladen; die Übertragung kann einige Minuten dauern."}),
                 q({"1. Einstellungen öffnen", "2. Datenschutz & Sicherheit wählen", "3. Bildschirmaufnahme erlauben",
                    "4. Programm neu starten", "5. Tastenkürzel erneut testen"}),
                 t({{"Name", "Größe", "Art", "Geändert"},
                    {"Bericht.pdf", "2,4 MB", "PDF-Dokument", "Gestern"},
                    {"Budget.xlsx", "86 KB", "Tabelle", "12. März"},
                    {"Notizen.txt", "3 KB", "Textdatei", "Heute"}})});
    v.push_back({"fr", "Noto Sans", "fra", q({"fr-FR", "en-US"}), false, false,
                 q({"Vos modifications ont été enregistrées à 10 h 42. Pour",
                    "partager le document, cliquez sur Partager et saisissez",
                    "les noms ou adresses e-mail des personnes à inviter. Elles",
                    "recevront un lien qui ouvre le fichier dans leur navigateur.",
                    "Vous pouvez modifier l'accès à tout moment."}),
                 q({"1. Ouvrir les Réglages", "2. Choisir Confidentialité et sécurité",
                    "3. Activer l'enregistrement de l'écran", "4. Redémarrer l'application",
                    "5. Réessayer le raccourci"}),
                 t({{"Nom", "Taille", "Type", "Modifié"},
                    {"rapport.pdf", "2,4 Mo", "Document PDF", "Hier"},
                    {"budget.xlsx", "86 Ko", "Feuille de calcul", "12 mars"},
                    {"notes.txt", "3 Ko", "Texte brut", "Aujourd'hui"}})});
    v.push_back({"ru", "Noto Sans", "rus", q({"ru-RU", "en-US"}), false, false,
                 q({"Ваши изменения сохранены в 10:42. Чтобы поделиться",
                    "документом, нажмите «Поделиться» и введите имена или",
                    "адреса электронной почты людей, которых хотите",
                    "пригласить. Они получат ссылку, которая откроет файл",
                    "в браузере. Доступ можно изменить в настройках."}),
                 q({"1. Откройте настройки", "2. Выберите раздел «Безопасность»", "3. Разрешите запись экрана",
                    "4. Перезапустите приложение", "5. Снова нажмите сочетание клавиш"}),
                 t({{"Имя", "Размер", "Тип", "Изменён"},
                    {"отчёт.pdf", "2,4 МБ", "Документ PDF", "Вчера"},
                    {"бюджет.xlsx", "86 КБ", "Таблица", "12 марта"},
                    {"заметки.txt", "3 КБ", "Текст", "Сегодня"}})});
    v.push_back({"ko", "Noto Sans CJK KR", "kor", q({"ko-KR", "en-US"}), false, false,
                 q({"변경 내용이 오전 10시 42분에 저장되었습니다.", "문서를 공유하려면 공유를 클릭하고 초대할 사람의",
                    "이름이나 이메일 주소를 입력하세요. 초대받은 사람은", "브라우저에서 파일을 여는 링크를 받게 됩니다.",
                    "접근 권한은 설정에서 언제든지 변경할 수 있습니다."}),
                 q({"1. 설정을 엽니다", "2. 개인정보 보호 및 보안을 선택합니다", "3. 화면 기록을 허용합니다",
                    "4. 앱을 다시 시작합니다", "5. 단축키를 다시 눌러 봅니다"}),
                 t({{"이름", "크기", "종류", "수정일"},
                    {"보고서.pdf", "2.4MB", "PDF 문서", "어제"},
                    {"예산.xlsx", "86KB", "스프레드시트", "3월 12일"},
                    {"메모.txt", "3KB", "일반 텍스트", "오늘"}})});
    v.push_back({"ja", "Noto Sans CJK JP", "jpn", q({"ja-JP", "en-US"}), false, true,
                 q({"変更内容は午前10時42分に保存されました。", "文書を共有するには、共有をクリックして、招待する",
                    "相手の名前またはメールアドレスを入力してください。", "招待された人は、ブラウザでファイルを開くリンクを",
                    "受け取ります。アクセス権はいつでも設定で変更できます。"}),
                 q({"1. 設定を開きます", "2. プライバシーとセキュリティを選びます", "3. 画面収録を許可します",
                    "4. アプリを再起動します", "5. ショートカットをもう一度試します"}),
                 t({{"名前", "サイズ", "種類", "変更日"},
                    {"報告書.pdf", "2.4MB", "PDF書類", "昨日"},
                    {"予算.xlsx", "86KB", "表計算", "3月12日"},
                    {"メモ.txt", "3KB", "テキスト", "今日"}})});
    v.push_back({"zh", "Noto Sans CJK SC", "chi_sim", q({"zh-Hans", "en-US"}), false, true,
                 q({"您的更改已于上午10:42保存。要共享此文档，", "请点击共享，然后输入要邀请的人员的姓名或",
                    "电子邮件地址。受邀者将收到一个链接，可在", "浏览器中打开该文件，无需注册帐户。您可以",
                    "随时在设置中更改访问权限。"}),
                 q({"1. 打开设置", "2. 选择隐私与安全性", "3. 允许屏幕录制", "4. 重新启动应用程序", "5. 再次尝试快捷键"}),
                 t({{"名称", "大小", "种类", "修改日期"},
                    {"报告.pdf", "2.4MB", "PDF文稿", "昨天"},
                    {"预算.xlsx", "86KB", "电子表格", "3月12日"},
                    {"笔记.txt", "3KB", "纯文本", "今天"}})});
    v.push_back({"zt", "Noto Sans CJK TC", "chi_tra", q({"zh-Hant", "en-US"}), false, true,
                 q({"您的更改已於上午10:42儲存。要共用此文件，", "請點擊共用，然後輸入要邀請的人員的姓名或",
                    "電子郵件地址。受邀者將收到一個連結，可在", "瀏覽器中開啟該檔案，無需註冊帳戶。您可以",
                    "隨時在設定中更改存取權限。"}),
                 q({"1. 開啟設定", "2. 選擇隱私權與安全性", "3. 允許螢幕錄製", "4. 重新啟動應用程式", "5. 再次嘗試快速鍵"}),
                 t({{"名稱", "大小", "種類", "修改日期"},
                    {"報告.pdf", "2.4MB", "PDF文件", "昨天"},
                    {"預算.xlsx", "86KB", "試算表", "3月12日"},
                    {"筆記.txt", "3KB", "純文字", "今天"}})});
    v.push_back({"ar", "Noto Sans Arabic", "ara", q({"ar-SA", "en-US"}), true, false,
                 q({"تم حفظ التغييرات في مجلد التنزيلات.", "لمشاركة المستند انقر على مشاركة وأدخل أسماء",
                    "الأشخاص الذين تريد دعوتهم أو عناوين بريدهم.", "سيتلقى المدعوون رابطا يفتح الملف في المتصفح",
                    "ويمكنك تغيير صلاحيات الوصول من الإعدادات."}),
                 q({"افتح الإعدادات", "اختر الخصوصية والأمان", "اسمح بتسجيل الشاشة", "أعد تشغيل التطبيق",
                    "جرب الاختصار مرة أخرى"}),
                 t({{"الاسم", "الحجم", "النوع", "التاريخ"},
                    {"تقرير", "كبير", "مستند", "أمس"},
                    {"ميزانية", "صغير", "جدول", "اليوم"},
                    {"ملاحظات", "صغير", "نص", "غدا"}})});
    return v;
  }();
  return all;
}

}  // namespace samples
