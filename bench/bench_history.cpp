// The history window on the large journal that bench_journal writes (100 000 runs, 1 200 000
// readings): opened and shown with its first page, a change of the text filter, the view scrolled
// through ten pages, one run selected with its readings and chart. The window's reader answers
// from a thread of its own: each figure runs until the answer is shown.
//
//   bench_history [FOLDER]   (default: the system's temporary folder; run bench_journal on the
//                             same FOLDER first, it writes velmora-bench-history.sqlite there)
#include "WaitUntil.h"
#include "core/settings/Settings.h"
#include "ui/history/CHistoryDlg.h"
#include "ui/history/RunHistoryModel.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableView>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kRepeats = 5;

double MedianMs(const std::function<void()> &prepare, const std::function<void()> &work)
{
    std::vector<double> ms;
    for (int i = 0; i < kRepeats; ++i) {
        prepare();
        QElapsedTimer timer;
        timer.start();
        work();
        ms.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms.at(ms.size() / 2);
}

// Until the reader has answered and the view has painted what it gave.
void Settle(const CHistoryDlg &window)
{
    QCoreApplication::processEvents();
    WaitUntil([&window] { return !window.reader().isLoading(); });
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char *argv[])
{
    qputenv("QT_QPA_PLATFORM", QByteArrayLiteral("offscreen"));
    QApplication app(argc, argv);
    const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const QString path = QDir(folder).filePath(u"velmora-bench-history.sqlite"_s);
    if (!QFileInfo::exists(path)) {
        std::printf("no %s: run bench_journal %s first\n", qPrintable(path), qPrintable(folder));
        return 1;
    }
    std::printf("history window on %s (%.0f MB), median of %d:\n", qPrintable(path),
                QFileInfo(path).size() / 1e6, kRepeats);

    const Settings defaults { QString() };
    std::unique_ptr<CHistoryDlg> window;
    const double open = MedianMs([&] { window.reset(); },
                                 [&] {
                                     window = std::make_unique<CHistoryDlg>(path, defaults);
                                     window->show();
                                     Settle(*window);
                                 });
    std::printf("  %-44s %7.1f ms  (%d runs, %d rows fetched)\n", "open and show, no filter", open,
                window->model().matchCount(), window->model().rowCount());

    struct Case
    {
        const char *name;
        QString text;
    };
    const QList<Case> cases { { "filter: inspector text (1 in 5 runs)", u"李四"_s },
                              { "filter: batch text (1 run)", u"B-077777"_s },
                              { "filter: text that matches nothing", u"nothing like it"_s } };
    for (const Case &c : cases) {
        const double ms = MedianMs([&] { window->filterEdit()->setText(QString()); },
                                   [&] {
                                       window->filterEdit()->setText(c.text);
                                       window->refresh();
                                       Settle(*window);
                                   });
        std::printf("  %-44s %7.1f ms  (%d runs match)\n", c.name, ms,
                    window->model().matchCount());
    }

    window->filterEdit()->setText(QString());
    window->refresh();
    Settle(*window);
    QTableView *view = window->runsView();
    const double scroll = MedianMs(
        [&] {
            window->refresh();
            Settle(*window);
        },
        [&] {
            // Each time the view reaches the end it asks the model for
            // the next page.
            for (int page = 0; page < 10; ++page) {
                view->scrollToBottom();
                Settle(*window);
            }
        });
    std::printf("  %-44s %7.1f ms  (%d rows fetched)\n", "scroll to the end ten times", scroll,
                window->model().rowCount());

    int row = 0;
    const double select = MedianMs([&] { view->clearSelection(); },
                                   [&] {
                                       view->selectRow(++row);
                                       Settle(*window);
                                   });
    std::printf("  %-44s %7.2f ms\n", "select a run: readings and chart", select);
    return 0;
}
