#include "WindowFixture.h"
#include "core/text/Language.h"
#include "ui/windows/CAboutDlg.h"
#include "ui/windows/CLoginDlg.h"
#include "ui/windows/CModeSelectDlg.h"
#include "ui/windows/CSampleCountDlg.h"

#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
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

class tst_TextFit : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { InstallTranslators(false, QCoreApplication::applicationDirPath()); }
    void everyTextFitsItsField_data();
    void everyTextFitsItsField();
};

void tst_TextFit::everyTextFitsItsField_data()
{
    QTest::addColumn<bool>("english");
    QTest::addColumn<QString>("window");
    const QStringList windows { u"login"_s,  u"main 0"_s, u"main 1"_s,       u"main 2"_s,
                                u"main 3"_s, u"mode"_s,   u"sample count"_s, u"about"_s };
    for (const bool english : { false, true }) {
        for (const QString &window : windows)
            QTest::addRow("%s, %s", english ? "English" : "Chinese", qPrintable(window))
                << english << window;
    }
}

// Each window as a user sees it, with the widest values it puts in its fields: the last port,
// the largest sampling count, constants of three integer digits with a sign.
void tst_TextFit::everyTextFitsItsField()
{
    QFETCH(bool, english);
    QFETCH(QString, window);
    QCOMPARE(InstallTranslators(english, QCoreApplication::applicationDirPath())
                 == UiLanguage::English,
             english);

    WindowFixture fixture;
    QVERIFY(fixture.IsValid());
    std::unique_ptr<QWidget> shown;
    if (window == u"login") {
        auto login = std::make_unique<CLoginDlg>();
        login->m_nSerialNo = CLoginDlg::kPortCount - 1;
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
    const QStringList clipped = ClippedTexts(*shown);
    QVERIFY2(clipped.isEmpty(), qPrintable(clipped.join(u"; "_s)));
}

QTEST_MAIN(tst_TextFit)
#include "tst_textfit.moc"
