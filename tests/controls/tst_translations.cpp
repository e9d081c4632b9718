#include "app/DialogTemplate.h"
#include "app/Language.h"
#include "app/StringTable.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

// The mode dialog's template is not in the lookup table; its window builds it directly.
extern const DialogTemplate kModeSelectTemplate;

namespace {

// The placeholders a text is formatted with; a translation must keep every one.
QStringList Placeholders(const QString &text)
{
    static const QRegularExpression pattern(u"%[sd12]"_s);
    QStringList found;
    for (const auto &match : pattern.globalMatch(text)) {
        found << match.captured();
    }
    found.sort();
    return found;
}

QString ProgramDir()
{
    return QCoreApplication::applicationDirPath();
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();
    void chineseTable_data();
    void chineseTable();
    void englishTable_data();
    void englishTable();
    void dialogTexts_data();
    void dialogTexts();
    void englishFromTheProgramDirectory();
    void missingEnglishCatalogueLeavesChinese();
    void chineseInterfaceHasChineseStandardButtons();
    void programDirectoryWithChineseName();
};

void TestTranslations::cleanup()
{
    InstallTranslators(false, QString());
}

void TestTranslations::chineseTable_data()
{
    QTest::addColumn<int>("id");
    QTest::addColumn<QString>("text");
    const struct
    {
        int id;
        const char16_t *text;
    } entries[] = {
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
        { 126, u"送样单位: %s" },
        { 127, u"样品名称: %s" },
        { 128, u"批    号: %s" },
        { 129, u"次序:" },
        { 130, u"检 验 员: %s" },
        { 131, u"日期: %s" },
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
    for (const auto &entry : entries) {
        QTest::addRow("entry %d", entry.id) << entry.id << QString::fromUtf16(entry.text);
    }
    const char16_t *titles[] = { u"旋光度(α°)", u"糖度(Z)", u"浓度(C)", u"比旋度([α])" };
    const char16_t *rowLabels[] = { u"旋光度(α°)= %s", u"糖度(Z)=%s", u"浓度(C)=%s",
                                    u"比旋度([α])=%s" };
    for (int mode = 0; mode < 4; ++mode) {
        QTest::addRow("mode title 116 + %d", mode)
            << StringId::ModeTitleBase + mode << QString::fromUtf16(titles[mode]);
        QTest::addRow("row label 120 + %d", mode)
            << StringId::RowLabelBase + mode << QString::fromUtf16(rowLabels[mode]);
    }
}

void TestTranslations::chineseTable()
{
    QFETCH(int, id);
    QFETCH(QString, text);
    QCOMPARE(InstallTranslators(false, ProgramDir()), UiLanguage::Chinese);
    QCOMPARE(LoadString(id).toUtf8(), text.toUtf8());
}

void TestTranslations::englishTable_data()
{
    QTest::addColumn<int>("id");
    for (int id = 101; id <= 131; ++id) {
        QTest::addRow("entry %d", id) << id;
    }
    for (int id = StringId::FileErrorBase; id <= StringId::FileErrorLast; ++id) {
        QTest::addRow("entry %d", id) << id;
    }
    QTest::addRow("integer prompt") << int(StringId::ParseInt);
    QTest::addRow("integer range prompt") << int(StringId::ParseIntRange);
    QTest::addRow("application title") << int(StringId::AppTitle);
}

void TestTranslations::englishTable()
{
    QFETCH(int, id);
    InstallTranslators(false, ProgramDir());
    const QString chinese = LoadString(id);
    QCOMPARE(InstallTranslators(true, ProgramDir()), UiLanguage::English);
    const QString english = LoadString(id);
    if (chinese.isEmpty() && id != StringId::AppTitle) {
        QVERIFY(english.isEmpty());
        return;
    }
    QVERIFY2(!english.isEmpty() && english != chinese, "no English text");
    QCOMPARE(Placeholders(english), Placeholders(chinese));
    // A Chinese interface again after switching back.
    QCOMPARE(InstallTranslators(false, ProgramDir()), UiLanguage::Chinese);
    QCOMPARE(LoadString(id), chinese);
}

void TestTranslations::dialogTexts_data()
{
    QTest::addColumn<int>("dialogId");
    for (int id : { 100, 102, 129, 130, 170 }) {
        QTest::addRow("dialog %d", id) << id;
    }
}

void TestTranslations::dialogTexts()
{
    QFETCH(int, dialogId);
    const DialogTemplate *dialog =
        dialogId == 170 ? &kModeSelectTemplate : FindDialogTemplate(dialogId);
    QVERIFY(dialog);
    QStringList texts { QString::fromUtf8(dialog->caption) };
    for (const DialogItemTemplate &item : dialog->items) {
        texts << QString::fromUtf8(item.text);
    }
    QCOMPARE(InstallTranslators(true, ProgramDir()), UiLanguage::English);
    static const QRegularExpression chinese(u"[\\x{4e00}-\\x{9fff}]"_s);
    for (const QString &text : std::as_const(texts)) {
        const QString english = QCoreApplication::translate("DialogTemplate", text.toUtf8());
        // Texts that the windows replace ("Static") or that are not language ("(dm)") may stay.
        if (text.contains(chinese)) {
            QVERIFY2(english != text && !english.contains(chinese), qPrintable(text));
        }
    }
}

void TestTranslations::englishFromTheProgramDirectory()
{
    QVERIFY(QFile::exists(ProgramDir() + u"/EN.qm"_s));
    QCOMPARE(InstallTranslators(true, ProgramDir()), UiLanguage::English);
    QVERIFY(!LoadString(StringId::OpenPortFailed).contains(u"串口"_s));
}

void TestTranslations::missingEnglishCatalogueLeavesChinese()
{
    QTemporaryDir empty;
    QVERIFY(empty.isValid());
    QCOMPARE(InstallTranslators(true, empty.path()), UiLanguage::Chinese);
    QCOMPARE(LoadString(StringId::OpenPortFailed), u"打开串口失败!!!"_s);

    QFile broken(empty.filePath(u"EN.qm"_s));
    QVERIFY(broken.open(QIODevice::WriteOnly));
    broken.write("not a catalogue");
    broken.close();
    QCOMPARE(InstallTranslators(true, empty.path()), UiLanguage::Chinese);
    QCOMPARE(LoadString(StringId::OpenPortFailed), u"打开串口失败!!!"_s);
}

void TestTranslations::chineseInterfaceHasChineseStandardButtons()
{
    QCOMPARE(InstallTranslators(false, ProgramDir()), UiLanguage::Chinese);
    QDialogButtonBox chineseBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    QCOMPARE(chineseBox.button(QDialogButtonBox::Ok)->text(), u"确定"_s);
    QCOMPARE(chineseBox.button(QDialogButtonBox::Cancel)->text(), u"取消"_s);

    QCOMPARE(InstallTranslators(true, ProgramDir()), UiLanguage::English);
    QDialogButtonBox englishBox(QDialogButtonBox::Ok);
    QCOMPARE(englishBox.button(QDialogButtonBox::Ok)->text(), u"OK"_s);
}

void TestTranslations::programDirectoryWithChineseName()
{
    QTemporaryDir base;
    QVERIFY(base.isValid());
    const QString folder = base.filePath(u"旋光仪 程序"_s);
    QVERIFY(QDir().mkpath(folder));
    QVERIFY(QFile::copy(ProgramDir() + u"/EN.qm"_s, folder + u"/EN.qm"_s));
    QCOMPARE(InstallTranslators(true, folder), UiLanguage::English);
    QVERIFY(LoadString(StringId::OpenPortFailed) != u"打开串口失败!!!"_s);
}

QTEST_MAIN(TestTranslations)
#include "tst_translations.moc"
