#include "core/text/StringTable.h"

#include <QCoreApplication>

#include <algorithm>
#include <array>

namespace {

struct Entry
{
    int id;
    const char *text;
};

// Sorted by id. The texts are the translation sources, so lupdate extracts every one.
constexpr std::array kEntries {
    Entry { 101, QT_TRANSLATE_NOOP("StringTable", "关于 Velmora(&A)...") },
    Entry { 102, QT_TRANSLATE_NOOP("StringTable", "串口%d") },
    Entry { 103, QT_TRANSLATE_NOOP("StringTable", "采样次数") },
    Entry { 105, QT_TRANSLATE_NOOP("StringTable", "平均结果(n)") },
    Entry { 106, QT_TRANSLATE_NOOP("StringTable", "标准偏差(σ)") },
    Entry { 107, QT_TRANSLATE_NOOP("StringTable", "宋体") },
    Entry { 111, QT_TRANSLATE_NOOP("StringTable", "平均结果(n)= %s") },
    Entry { 112, QT_TRANSLATE_NOOP("StringTable", "打开串口失败!!!") },
    Entry { 113, QT_TRANSLATE_NOOP("StringTable", "测试报表") },
    Entry { 115, QT_TRANSLATE_NOOP("StringTable", "标准偏差(σ)= %s") },
    Entry { 116, QT_TRANSLATE_NOOP("StringTable", "旋光度(α°)") },
    Entry { 117, QT_TRANSLATE_NOOP("StringTable", "糖度(Z)") },
    Entry { 118, QT_TRANSLATE_NOOP("StringTable", "浓度(C)") },
    Entry { 119, QT_TRANSLATE_NOOP("StringTable", "比旋度([α])") },
    Entry { 120, QT_TRANSLATE_NOOP("StringTable", "旋光度(α°)= %s") },
    Entry { 121, QT_TRANSLATE_NOOP("StringTable", "糖度(Z)=%s") },
    Entry { 122, QT_TRANSLATE_NOOP("StringTable", "浓度(C)=%s") },
    Entry { 123, QT_TRANSLATE_NOOP("StringTable", "比旋度([α])=%s") },
    Entry { 126, QT_TRANSLATE_NOOP("StringTable", "送样单位: %s") },
    Entry { 127, QT_TRANSLATE_NOOP("StringTable", "样品名称: %s") },
    Entry { 128, QT_TRANSLATE_NOOP("StringTable", "批    号: %s") },
    Entry { 129, QT_TRANSLATE_NOOP("StringTable", "次序:") },
    Entry { 130, QT_TRANSLATE_NOOP("StringTable", "检 验 员: %s") },
    Entry { 131, QT_TRANSLATE_NOOP("StringTable", "日期: %s") },
    Entry { 61712, QT_TRANSLATE_NOOP("StringTable", "请键入一个整数。") },
    Entry { 61714, QT_TRANSLATE_NOOP("StringTable", "“请填入一个在%1和%2之间的整数。”") },
    Entry { 61856, QT_TRANSLATE_NOOP("StringTable", "无错误发生。") },
    Entry { 61857, QT_TRANSLATE_NOOP("StringTable", "在对 %1 进行访问时发生了一个不明错误。") },
    Entry { 61858, QT_TRANSLATE_NOOP("StringTable", "没有找到 %1。") },
    Entry { 61859, QT_TRANSLATE_NOOP("StringTable", "%1 中包含无效的路径。") },
    Entry { 61860, QT_TRANSLATE_NOOP("StringTable", "无法打开 %1 因为太多文件已被打开。") },
    Entry { 61861, QT_TRANSLATE_NOOP("StringTable", "对 %1 的存取被拒绝。") },
    Entry { 61862, QT_TRANSLATE_NOOP("StringTable", "一个无效的文件柄与 %1 相关联。") },
    Entry { 61863, QT_TRANSLATE_NOOP("StringTable", "无法删除 %1 因为它是当前目录。") },
    Entry { 61864, QT_TRANSLATE_NOOP("StringTable", "该目录已满，无法创建 %1。") },
    Entry { 61865, QT_TRANSLATE_NOOP("StringTable", "对 %1 进行查找失败。") },
    Entry { 61866, QT_TRANSLATE_NOOP("StringTable", "在存取 %1 时一个硬件输入/输出错误被报告。") },
    Entry { 61867, QT_TRANSLATE_NOOP("StringTable", "在存取 %1 时发生共享违例。") },
    Entry { 61868, QT_TRANSLATE_NOOP("StringTable", "在存取 %1 时发生锁违例。") },
    Entry { 61869, QT_TRANSLATE_NOOP("StringTable", "在存取 %1 时磁盘已满。") },
    Entry { 61870, QT_TRANSLATE_NOOP("StringTable", "试图越过其尾端对 %1 进行读写。") },
};

static_assert(std::is_sorted(kEntries.begin(), kEntries.end(),
                             [](const Entry &a, const Entry &b) { return a.id < b.id; }));

// The Chinese table has no application title, so the name stays empty there; a catalogue that
// translates this placeholder supplies one.
constexpr const char *kAppTitleSource = QT_TRANSLATE_NOOP("StringTable", "@AppTitle");

} // namespace

QString LoadString(int id)
{
    if (id == StringId::AppTitle) {
        const QString title = QCoreApplication::translate("StringTable", kAppTitleSource);
        return title == QLatin1StringView(kAppTitleSource) ? QString() : title;
    }
    const auto it =
        std::lower_bound(kEntries.begin(), kEntries.end(), id,
                         [](const Entry &entry, int value) { return entry.id < value; });
    if (it == kEntries.end() || it->id != id)
        return {};
    return QCoreApplication::translate("StringTable", it->text);
}
