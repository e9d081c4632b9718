#include "PtyPair.h"
#include "WindowFixture.h"
#include "core/link/CSerialPort.h"
#include "core/text/Language.h"
#include "core/text/StringTable.h"
#include "ui/controls/DlgItem.h"
#include "ui/dialogs/DialogTemplate.h"
#include "ui/history/CHistoryDlg.h"
#include "ui/windows/CAboutDlg.h"
#include "ui/windows/CLoginDlg.h"
#include "ui/windows/CModeSelectDlg.h"
#include "ui/windows/CSampleCountDlg.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpression>
#include <QStyleOptionButton>
#include <QTableWidget>

using namespace Qt::StringLiterals;

namespace {

// Room in pixels that `widget` gives a text of its own, as its style lays the text out.
QRect TextRoom(QWidget &widget)
{
    if (auto *edit = qobject_cast<QLineEdit *>(&widget)) {
        // Qt's line edit keeps two pixels free on either side of its text.
        const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
        return edit->rect().adjusted(frame + 2, frame, -frame - 2, -frame);
    }
    auto *button = qobject_cast<QAbstractButton *>(&widget);
    if (!button)
        return widget.contentsRect();
    QStyleOptionButton option;
    option.initFrom(button);
    if (auto *push = qobject_cast<QPushButton *>(button); push && push->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    return button->style()->subElementRect(qobject_cast<QRadioButton *>(button)
                                               ? QStyle::SE_RadioButtonContents
                                               : QStyle::SE_PushButtonContents,
                                           &option, button);
}

// Every text shown by `window` that does not fit its room.
QStringList ClippedTexts(QWidget &window)
{
    QStringList clipped;
    // Height is the ink of the text: a named face ("Arial") is replaced by whatever the machine
    // has, and the line height with leading varies between those, the drawn glyphs much less.
    const auto check = [&](const QWidget &widget, const QString &text, const QRect &room) {
        const QSize needed(widget.fontMetrics().horizontalAdvance(text),
                           widget.fontMetrics().tightBoundingRect(text).height());
        if (!text.isEmpty() && (needed.width() > room.width() || needed.height() > room.height()))
            clipped << QString::asprintf("\"%s\" %dx%d in %dx%d", qPrintable(text), needed.width(),
                                         needed.height(), room.width(), room.height());
    };
    for (QWidget *widget : window.findChildren<QWidget *>()) {
        if (!widget->isVisibleTo(&window))
            continue;
        if (auto *label = qobject_cast<QLabel *>(widget))
            check(*widget, label->text(), TextRoom(*widget));
        else if (auto *button = qobject_cast<QAbstractButton *>(widget))
            check(*widget, button->text(), TextRoom(*widget));
        else if (auto *edit = qobject_cast<QLineEdit *>(widget))
            check(*widget, edit->text(), TextRoom(*widget));
        if (auto *combo = qobject_cast<QComboBox *>(widget)) {
            QStyleOptionComboBox option;
            option.initFrom(combo);
            const QRect room = combo->style()->subControlRect(QStyle::CC_ComboBox, &option,
                                                              QStyle::SC_ComboBoxEditField, combo);
            for (int i = 0; i < combo->count(); ++i)
                check(*combo, combo->itemText(i), room);
        }
        auto *header = qobject_cast<QHeaderView *>(widget);
        for (int i = 0; header && header->orientation() == Qt::Horizontal && i < header->count();
             ++i) {
            const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin);
            check(*header, header->model()->headerData(i, Qt::Horizontal).toString(),
                  QRect(0, 0, header->sectionSize(i) - 2 * margin, header->height()));
        }
    }
    return clipped;
}

} // namespace

class tst_Dialogs : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { InstallTranslators(false, QCoreApplication::applicationDirPath()); }
    void everyTextFitsItsField_data();
    void everyTextFitsItsField();
    void everyTextHasItsEnglish();
    void interfaceLanguage_data();
    void interfaceLanguage();
    void portChoice_data();
    void portChoice();
    void helpNamesEveryWindowAndButton_data();
    void helpNamesEveryWindowAndButton();
};

void tst_Dialogs::everyTextFitsItsField_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("window");
    for (const bool english : { false, true }) {
        for (const char *window : { "login", "login with password and method", "main 0", "main 1",
                                    "main 2", "main 3", "mode", "sample count", "about" })
            QTest::addRow("%s, %s", english ? "English" : "Chinese", window)
                << english << QString::fromLatin1(window);
    }
}

// Each window as a user sees it, with the widest values it puts in its fields: the last port,
// the largest sampling count, constants of three integer digits with a sign.
void tst_Dialogs::everyTextFitsItsField()
{
    QFETCH(bool, english);
    QFETCH(QString, window);
    QCOMPARE(InstallTranslators(english, QCoreApplication::applicationDirPath())
                 == UiLanguage::English,
             english);

    WindowFixture fixture;
    QVERIFY(fixture.IsValid());
    std::unique_ptr<QWidget> shown;
    if (window.startsWith(u"login")) {
        auto login = std::make_unique<CLoginDlg>();
        login->m_nSerialNo = CLoginDlg::kPortCount - 1;
        if (window != u"login") {
            login->m_bAskPassword = true;
            login->m_methodNames = { u"葡萄糖 比旋度"_s, u"Sucrose USP"_s };
            login->m_strMethod = u"Sucrose USP"_s;
        }
        shown = std::move(login);
    } else if (window.startsWith(u"main")) {
        shown = fixture.Open("[SYSTEM]\r\nVELMORADLGCOLLECTIONNUM=100\r\nnSelMode="_ba
                             + window.back().toLatin1() + "\r\n");
    } else if (window == u"mode") {
        auto mode = std::make_unique<CModeSelectDlg>();
        mode->SetChoice(ModeConstants { -123.456f, 10.0f, 26.0f, 10.0f }, 3);
        shown = std::move(mode);
    } else if (window == u"sample count") {
        auto count = std::make_unique<CSampleCountDlg>();
        count->m_nCount = CSampleCountDlg::kMaxCount;
        shown = std::move(count);
    } else {
        shown = std::make_unique<CAboutDlg>();
    }
    shown->show();
    if (window == u"login with password and method") {
        // The password follows the inspector, the method the port.
        QStringList chain;
        for (QWidget *w = GetDlgItem<QWidget>(*shown, CLoginDlg::IDC_INSPECTOR); chain.size() < 4;
             w = w->nextInFocusChain()) {
            if (w->focusPolicy() & Qt::TabFocus)
                chain << QString::number(DlgCtrlId(w));
        }
        QCOMPARE(chain.join(u' '), u"1003 1004 1005 1006"_s);
        QCOMPARE(GetDlgItem<QComboBox>(*shown, CLoginDlg::IDC_METHOD)->currentText(),
                 u"Sucrose USP"_s);
    }
    const QStringList clipped = ClippedTexts(*shown);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u"; "_s)));
}

// Every numbered text, the application title that is empty in the Chinese table, and every
// dialog template's text. EN.qm lies beside every executable of the build.
void tst_Dialogs::everyTextHasItsEnglish()
{
    QCOMPARE(InstallTranslators(false, QCoreApplication::applicationDirPath()),
             UiLanguage::Chinese);
    QMap<int, QString> chinese { { StringId::AppTitle, QString() } };
    for (int id = 0; id <= 0xFFFF; ++id) {
        if (const QString text = LoadString(id); !text.isEmpty())
            chinese.insert(id, text);
    }
    QVERIFY(chinese.size() > StringId::FileErrorLast - StringId::FileErrorBase);
    QCOMPARE(InstallTranslators(true, QCoreApplication::applicationDirPath()), UiLanguage::English);
    for (auto it = chinese.cbegin(); it != chinese.cend(); ++it) {
        const QString english = LoadString(it.key());
        const QByteArray what = u"%1: %2 / %3"_s.arg(it.key()).arg(*it, english).toUtf8();
        QVERIFY2(!english.isEmpty() && english != *it, what);
        // The text is formatted with the same values in either language.
        for (const QString &placeholder : { u"%s"_s, u"%d"_s, u"%1"_s, u"%2"_s })
            QVERIFY2(english.count(placeholder) == it->count(placeholder), what);
    }
    static const QRegularExpression han(u"[\\x{4e00}-\\x{9fff}]"_s);
    for (int id : { 100, 102, 129, 130, 170 }) {
        const DialogTemplate *dialog = FindDialogTemplate(id);
        QVERIFY(dialog);
        QStringList texts { QString::fromUtf8(dialog->caption) };
        for (const DialogItemTemplate &item : dialog->items)
            texts << QString::fromUtf8(item.text);
        // Texts that the windows replace ("Static") or that are not language ("(dm)") may stay.
        for (const QString &text : std::as_const(texts)) {
            const QString english = QCoreApplication::translate("DialogTemplate", text.toUtf8());
            QVERIFY2(!text.contains(han) || (english != text && !english.contains(han)),
                     qPrintable(text));
        }
    }
}

void tst_Dialogs::interfaceLanguage_data()
{
    QTest::addColumn<bool>("askEnglish");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("catalogue");
    QTest::addColumn<bool>("english");
    QFile built(QCoreApplication::applicationDirPath() + u"/EN.qm"_s);
    const QByteArray catalogue = built.open(QIODevice::ReadOnly) ? built.readAll() : QByteArray();
    QTest::newRow("Chinese") << false << u"bin"_s << catalogue << false;
    QTest::newRow("no EN.qm: Chinese") << true << u"bin"_s << QByteArray() << false;
    QTest::newRow("broken EN.qm: Chinese")
        << true << u"bin"_s << QByteArray("not a catalogue") << false;
    QTest::newRow("EN.qm in a folder with a Chinese name")
        << true << u"旋光仪 程序"_s << catalogue << true;
}

void tst_Dialogs::interfaceLanguage()
{
    QFETCH(bool, askEnglish);
    QFETCH(QString, folder);
    QFETCH(QByteArray, catalogue);
    QFETCH(bool, english);

    QTemporaryDir base;
    const QString path = base.filePath(folder);
    QVERIFY(base.isValid() && QDir().mkpath(path));
    QFile file(path + u"/EN.qm"_s);
    QVERIFY(catalogue.isEmpty() || (file.open(QIODevice::WriteOnly) && file.write(catalogue) > 0));
    file.close();
    QCOMPARE(InstallTranslators(askEnglish, path),
             english ? UiLanguage::English : UiLanguage::Chinese);
    QCOMPARE(LoadString(StringId::OpenPortFailed) != u"打开串口失败!!!"_s, english);
    // Qt's own texts follow: its Chinese catalogue is loaded for the Chinese interface.
    QCOMPARE(QDialogButtonBox(QDialogButtonBox::Cancel).button(QDialogButtonBox::Cancel)->text(),
             english ? u"Cancel"_s : u"取消"_s);
}

void tst_Dialogs::portChoice_data()
{
    QTest::addColumn<int>("pick");
    QTest::addColumn<int>("mapped"); // the port number to store; 0: nothing to store
    QTest::newRow("a port of the first twenty: nothing to store") << 2 << 0;
    QTest::newRow("the offered device: stored as COM21") << 20 << 21;
}

// A terminal that exists but no port resolves to stands for a USB adapter just plugged in.
void tst_Dialogs::portChoice()
{
    QFETCH(int, pick);
    QFETCH(int, mapped);
    PtyPair pty;
    CLoginDlg login;
    login.m_serialDevices = QList<SerialDevice> { { pty.SlavePath(), u"Sim"_s, u"Velmora"_s } };
    login.show();
    QCOMPARE(login.m_cmbPort->count(), 21);
    QCOMPARE(login.m_cmbPort->itemText(20), u"串口21"_s);
    QCOMPARE(login.m_cmbPort->model()->index(20, 1).data().toString(),
             pty.SlavePath() + u" (Sim, Velmora)"_s);

    login.m_cmbPort->setCurrentIndex(pick);
    login.accept();
    QCOMPARE(login.m_nSerialNo, pick);
    const auto chosen = login.ChosenPortMapping();
    QCOMPARE(chosen ? chosen->number : 0, mapped);
    if (!chosen)
        return;
    // What the window then opens: COM<index + 1>, through the mapping as stored.
    CSerialPort port;
    port.SetPortLookup([&](const QString &key) {
        return key == u"COM%1"_s.arg(chosen->number) ? chosen->device : QString();
    });
    port.Configure(u"COM%1"_s.arg(login.m_nSerialNo + 1), 9600, 8, 0, 1);
    QVERIFY(port.Open());
    QCOMPARE(port.LastOpenError().kind, PortError::Kind::None);
}

void tst_Dialogs::helpNamesEveryWindowAndButton_data()
{
    QTest::addColumn<bool>("english");
    QTest::newRow("Chinese, help.txt") << false;
    QTest::newRow("English, help_en.txt") << true;
}

// The help text names every window and every button a user can press, in the interface's own
// words, so that nobody looks for a button the guide does not mention.
void tst_Dialogs::helpNamesEveryWindowAndButton()
{
    QFETCH(bool, english);
    const QString dir = QCoreApplication::applicationDirPath();
    QCOMPARE(InstallTranslators(english, dir) == UiLanguage::English, english);
    QFile file(dir + (english ? u"/help_en.txt"_s : u"/help.txt"_s));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString help = QString::fromUtf8(file.readAll());

    WindowFixture fixture;
    QVERIFY(fixture.IsValid());
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(fixture.Open());
    windows.push_back(std::make_unique<CLoginDlg>());
    windows.push_back(std::make_unique<CModeSelectDlg>());
    windows.push_back(std::make_unique<CSampleCountDlg>());
    windows.push_back(std::make_unique<CAboutDlg>());
    windows.push_back(std::make_unique<CHistoryDlg>(fixture.dir.filePath(u"none.sqlite"_s),
                                                    fixture.app->GetSettings()));
    QStringList missing;
    const auto check = [&](QString name) {
        name.remove(u'&');
        while (name.endsWith(u'.') || name.endsWith(u':'))
            name.chop(1);
        if (!name.trimmed().isEmpty() && !help.contains(name) && !missing.contains(name))
            missing << name;
    };
    for (const auto &window : windows) {
        check(window->windowTitle());
        for (const QAbstractButton *button : window->findChildren<QAbstractButton *>())
            check(button->text());
    }
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u" | "_s)));
}

QTEST_MAIN(tst_Dialogs)
#include "tst_dialogs.moc"
