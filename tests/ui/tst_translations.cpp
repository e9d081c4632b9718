#include "core/text/Language.h"
#include "core/text/StringTable.h"
#include "ui/dialogs/DialogTemplate.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

using namespace Qt::StringLiterals;

// The mode dialog's template is not in the lookup table; its window builds it directly.
extern const DialogTemplate kModeSelectTemplate;

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
    void stringTable_data();
    void stringTable();
    void dialogTexts_data();
    void dialogTexts();
    void interfaceLanguage_data();
    void interfaceLanguage();
};

void TestTranslations::stringTable_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("chinese");
    const std::pair<int, const char16_t *> entries[] = {
        { 101, u"关于 Velmora(&A)..." },
        { 102, u"串口%d" },
        { 103, u"采样次数" },
        { 105, u"平均结果(n)" },
        { 106, u"标准偏差(σ)" },
        { 107, u"宋体" },
        { 111, u"平均结果(n)= %s" },
        { 112, u"打开串口失败!!!" },
        { 113, u"测试报表" },
        { 115, u"标准偏差(σ)= %s" },
        // Mode titles and row labels are looked up by base + mode.
        { StringId::ModeTitleBase + 0, u"旋光度(α°)" },
        { StringId::ModeTitleBase + 1, u"糖度(Z)" },
        { StringId::ModeTitleBase + 2, u"浓度(C)" },
        { StringId::ModeTitleBase + 3, u"比旋度([α])" },
        { StringId::RowLabelBase + 0, u"旋光度(α°)= %s" },
        { StringId::RowLabelBase + 1, u"糖度(Z)=%s" },
        { StringId::RowLabelBase + 2, u"浓度(C)=%s" },
        { StringId::RowLabelBase + 3, u"比旋度([α])=%s" },
        { 126, u"送样单位: %s" },
        { 127, u"样品名称: %s" },
        { 128, u"批    号: %s" },
        { 129, u"次序:" },
        { 130, u"检 验 员: %s" },
        { 131, u"日期: %s" },
        // The framework's own texts; the application title is empty in the Chinese table.
        { 57344, u"" },
        { 61712, u"请键入一个整数。" },
        { 61714, u"“请填入一个在%1和%2之间的整数。”" },
        { 61856, u"无错误发生。" },
        { 61857, u"在对 %1 进行访问时发生了一个不明错误。" },
        { 61858, u"没有找到 %1。" },
        { 61859, u"%1 中包含无效的路径。" },
        { 61860, u"无法打开 %1 因为太多文件已被打开。" },
        { 61861, u"对 %1 的存取被拒绝。" },
        { 61862, u"一个无效的文件柄与 %1 相关联。" },
        { 61863, u"无法删除 %1 因为它是当前目录。" },
        { 61864, u"该目录已满，无法创建 %1。" },
        { 61865, u"对 %1 进行查找失败。" },
        { 61866, u"在存取 %1 时一个硬件输入/输出错误被报告。" },
        { 61867, u"在存取 %1 时发生共享违例。" },
        { 61868, u"在存取 %1 时发生锁违例。" },
        { 61869, u"在存取 %1 时磁盘已满。" },
        { 61870, u"试图越过其尾端对 %1 进行读写。" },
    };
    for (const auto &[id, text] : entries) {
        QTest::addRow("entry %d", id) << id << QString::fromUtf16(text);
    }
}

void TestTranslations::stringTable()
{
    QFETCH(int, id);
    QFETCH(QString, chinese);
    QCOMPARE(InstallTranslators(false, ProgramDir()), UiLanguage::Chinese);
    QCOMPARE(LoadString(id).toUtf8(), chinese.toUtf8());
    QCOMPARE(InstallTranslators(true, ProgramDir()), UiLanguage::English);
    const QString english = LoadString(id);
    QVERIFY2(!english.isEmpty() && english != chinese, "no English text");
    // The text is formatted with the same values in either language.
    for (const QString &placeholder : { u"%s"_s, u"%d"_s, u"%1"_s, u"%2"_s }) {
        QCOMPARE(english.count(placeholder), chinese.count(placeholder));
    }
}

void TestTranslations::dialogTexts_data()
{
    QTest::addColumn<const DialogTemplate *>("dialog");
    for (int id : { 100, 102, 129, 130 }) {
        QTest::addRow("dialog %d", id) << FindDialogTemplate(id);
    }
    QTest::newRow("mode dialog") << &kModeSelectTemplate;
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
