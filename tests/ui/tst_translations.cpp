#include "core/text/Language.h"
#include "core/text/StringTable.h"
#include "ui/dialogs/DialogTemplate.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QMap>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// EN.qm lies beside every executable of the build.
QString ProgramDir()
{
    return QCoreApplication::applicationDirPath();
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void cleanup() { InstallTranslators(false, QString()); }
    void everyTextHasItsEnglish();
    void dialogTexts_data();
    void dialogTexts();
    void interfaceLanguage_data();
    void interfaceLanguage();
};

void TestTranslations::everyTextHasItsEnglish()
{
    // Every numbered text, and the application title that is empty in the Chinese table.
    QCOMPARE(InstallTranslators(false, ProgramDir()), UiLanguage::Chinese);
    QMap<int, QString> chinese { { StringId::AppTitle, QString() } };
    for (int id = 0; id <= 0xFFFF; ++id) {
        if (const QString text = LoadString(id); !text.isEmpty())
            chinese.insert(id, text);
    }
    QVERIFY(chinese.size() > StringId::FileErrorLast - StringId::FileErrorBase);
    QCOMPARE(InstallTranslators(true, ProgramDir()), UiLanguage::English);
    for (auto it = chinese.cbegin(); it != chinese.cend(); ++it) {
        const QString english = LoadString(it.key());
        const QByteArray what = u"%1: %2 / %3"_s.arg(it.key()).arg(*it, english).toUtf8();
        QVERIFY2(!english.isEmpty() && english != *it, what);
        // The text is formatted with the same values in either language.
        for (const QString &placeholder : { u"%s"_s, u"%d"_s, u"%1"_s, u"%2"_s })
            QVERIFY2(english.count(placeholder) == it->count(placeholder), what);
    }
}

void TestTranslations::dialogTexts_data()
{
    QTest::addColumn<const DialogTemplate *>("dialog");
    for (int id : { 100, 102, 129, 130, 170 })
        QTest::addRow("dialog %d", id) << FindDialogTemplate(id);
}

void TestTranslations::dialogTexts()
{
    QFETCH(const DialogTemplate *, dialog);
    QVERIFY(dialog);
    QStringList texts { QString::fromUtf8(dialog->caption) };
    for (const DialogItemTemplate &item : dialog->items) {
        texts << QString::fromUtf8(item.text);
    }
    QCOMPARE(InstallTranslators(true, ProgramDir()), UiLanguage::English);
    static const QRegularExpression chinese(u"[\\x{4e00}-\\x{9fff}]"_s);
    // Texts that the windows replace ("Static") or that are not language ("(dm)") may stay.
    for (const QString &text : std::as_const(texts)) {
        const QString english = QCoreApplication::translate("DialogTemplate", text.toUtf8());
        QVERIFY2(!text.contains(chinese) || (english != text && !english.contains(chinese)),
                 qPrintable(text));
    }
}

void TestTranslations::interfaceLanguage_data()
{
    QTest::addColumn<bool>("askEnglish");
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QByteArray>("catalogue");
    QTest::addColumn<bool>("english");
    QFile built(ProgramDir() + u"/EN.qm"_s);
    const QByteArray catalogue = built.open(QIODevice::ReadOnly) ? built.readAll() : QByteArray();
    QTest::newRow("Chinese") << false << u"bin"_s << catalogue << false;
    QTest::newRow("no EN.qm: Chinese") << true << u"bin"_s << QByteArray() << false;
    QTest::newRow("broken EN.qm: Chinese")
        << true << u"bin"_s << QByteArray("not a catalogue") << false;
    QTest::newRow("EN.qm in a folder with a Chinese name")
        << true << u"旋光仪 程序"_s << catalogue << true;
}

void TestTranslations::interfaceLanguage()
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

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
