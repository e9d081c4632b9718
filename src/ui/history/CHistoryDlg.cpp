#include "ui/history/CHistoryDlg.h"

#include "core/journal/read/RunResult.h"
#include "core/journal/store/JournalLocation.h"
#include "core/measure/RunStatistics.h"
#include "core/report/RunReportLayout.h"
#include "core/settings/Settings.h"
#include "core/settings/SettingsKeys.h"
#include "core/text/StringTable.h"
#include "ui/dialogs/AccountDialog.h"
#include "ui/dialogs/DialogBuilder.h"
#include "ui/history/RunChart.h"
#include "ui/history/RunHistoryModel.h"
#include "ui/report/PdfReport.h"
#include "ui/report/PrintJob.h"
#include "ui/report/ReportSaver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr int kFilterPauseMs = 300;

enum ReadingColumn {
    ReadingNumber,
    ReadingReceived,
    ReadingValue,
    ReadingTime,
    ReadingExcluded,
    ReadingColumns
};

// The instrument's count of thousandths as degrees; "A" and anything else as received.
QString ReceivedText(const QString &received)
{
    bool isNumber = false;
    const qlonglong r = received.toLongLong(&isNumber);
    if (!isNumber)
        return received;
    const qlonglong magnitude = r < 0 ? -r : r;
    return u"%1%2.%3"_s.arg(r < 0 ? u"-"_s : QString())
        .arg(magnitude / 1000)
        .arg(magnitude % 1000, 3, 10, QLatin1Char('0'));
}

QTableWidgetItem *Item(const QString &text, Qt::Alignment alignment = Qt::AlignLeft)
{
    auto *item = new QTableWidgetItem(text);
    item->setTextAlignment(alignment | Qt::AlignVCenter);
    return item;
}

} // namespace

CHistoryDlg::CHistoryDlg(const QString &journalPath, const Settings &settings, QWidget *parent)
    : QDialog(parent)
    , m_journalPath(journalPath)
    , m_serverConnInfo(settings.Read(SettingsKeys::kJournalServer).trimmed())
    , m_settings(settings)
{
    setWindowTitle(tr("历史记录"));
    setWindowFlag(Qt::WindowMaximizeButtonHint);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setModal(false);
    m_reader =
        new HistoryReader(journalPath, m_serverConnInfo, HistoryReader::kDefaultPageSize, this);
    m_model = new RunHistoryModel(*m_reader, this);
    buildControls();
    connect(m_reader, &HistoryReader::sourceChanged, this, &CHistoryDlg::showSource);
    connect(m_reader, &HistoryReader::shownRunChanged, this, &CHistoryDlg::showRun);
    connect(m_reader, &HistoryReader::loadingChanged, this, &CHistoryDlg::showStatus);
    connect(m_reader, &HistoryReader::readFailed, this, &CHistoryDlg::showReadFailure);
    connect(m_reader, &HistoryReader::exported, this, &CHistoryDlg::onExported);
    connect(m_reader, &HistoryReader::reportRead, this, &CHistoryDlg::onReportRead);
    connect(m_reader, &HistoryReader::accountWritten, this, [this](const AccountOutcome &outcome) {
        if (outcome.status == AccountOutcome::Status::Failed)
            QMessageBox::warning(this, ProgramName(),
                                 tr("结果日志无法写入：%1").arg(outcome.journal.text));
        else if (!outcome.ok())
            QMessageBox::warning(this, ProgramName(), outcome.text);
    });
    // A new list clears the view's selection without a word.
    connect(m_model, &QAbstractItemModel::modelReset, this, &CHistoryDlg::onSelectionChanged);

    m_filterTimer.setSingleShot(true);
    m_filterTimer.setInterval(kFilterPauseMs);
    connect(&m_filterTimer, &QTimer::timeout, this, &CHistoryDlg::refresh);

    showSource();
    reload();
}

CHistoryDlg::~CHistoryDlg() = default;

CHistoryDlg *CHistoryDlg::Show(QWidget *parent, const QString &journalPath,
                               const Settings &settings)
{
    CHistoryDlg *window =
        parent ? parent->findChild<CHistoryDlg *>(QString(), Qt::FindDirectChildrenOnly) : nullptr;
    if (window && window->m_journalPath == journalPath) {
        window->reload();
    } else {
        delete window;
        window = new CHistoryDlg(journalPath, settings, parent);
        connect(window, &QDialog::finished, window, &QObject::deleteLater);
    }
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

void CHistoryDlg::buildControls()
{
    m_filterEdit = new QLineEdit(this);
    m_filterEdit->setPlaceholderText(tr("送样单位、样品名称、批号或检验员"));
    m_filterEdit->setClearButtonEnabled(true);
    m_dateCheck = new QCheckBox(tr("日期"), this);
    m_fromEdit = new QDateEdit(QDate::currentDate().addDays(-30), this);
    m_toEdit = new QDateEdit(QDate::currentDate(), this);
    for (QDateEdit *edit : { m_fromEdit, m_toEdit }) {
        edit->setCalendarPopup(true);
        edit->setDisplayFormat(u"yyyy-MM-dd"_s);
        // Room for the whole date beside the popup's arrow, which the style's hint leaves out.
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(u"0000-00-00"_s)
                              + edit->style()->pixelMetric(QStyle::PM_ScrollBarExtent) + 24);
        edit->setEnabled(false);
        connect(edit, &QDateEdit::dateChanged, this, [this] { m_filterTimer.start(); });
        connect(m_dateCheck, &QCheckBox::toggled, edit, &QWidget::setEnabled);
    }
    connect(m_dateCheck, &QCheckBox::toggled, this, &CHistoryDlg::refresh);
    connect(m_filterEdit, &QLineEdit::textChanged, this, [this] { m_filterTimer.start(); });
    connect(m_filterEdit, &QLineEdit::returnPressed, this, &CHistoryDlg::refresh);
    m_stationLabel = new QLabel(tr("站点:"), this);
    m_stationBox = new QComboBox(this);
    m_stationBox->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    connect(m_stationBox, &QComboBox::activated, this, &CHistoryDlg::refresh);
    auto *refreshButton = new QPushButton(tr("刷新"), this);
    refreshButton->setShortcut(QKeySequence::Refresh);
    refreshButton->setAutoDefault(false);
    connect(refreshButton, &QPushButton::clicked, this, &CHistoryDlg::reload);

    auto *filterRow = new QHBoxLayout;
    filterRow->addWidget(new QLabel(tr("查找:"), this));
    filterRow->addWidget(m_filterEdit, 1);
    filterRow->addSpacing(8);
    filterRow->addWidget(m_stationLabel);
    filterRow->addWidget(m_stationBox);
    filterRow->addWidget(m_dateCheck);
    filterRow->addWidget(m_fromEdit);
    filterRow->addWidget(new QLabel(tr("至"), this));
    filterRow->addWidget(m_toEdit);
    filterRow->addWidget(refreshButton);

    m_runsView = new QTableView(this);
    m_runsView->setModel(m_model);
    m_runsView->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_runsView->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_runsView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_runsView->setAlternatingRowColors(true);
    m_runsView->setWordWrap(false);
    m_runsView->verticalHeader()->hide();
    m_runsView->verticalHeader()->setDefaultSectionSize(m_runsView->fontMetrics().height() + 6);
    m_runsView->horizontalHeader()->setStretchLastSection(true);
    // Fixed widths from the font: sizing to contents would read every row of a large journal.
    const QFontMetrics metrics = m_runsView->fontMetrics();
    const auto widthOf = [&metrics](const QString &sample) {
        return metrics.horizontalAdvance(sample) + 16;
    };
    const QList<std::pair<int, QString>> widths {
        { RunHistoryModel::ColumnStarted, u"0000-00-00 00:00:00"_s },
        { RunHistoryModel::ColumnSample, u"葡萄糖注射液"_s },
        { RunHistoryModel::ColumnBatch, u"20261206-03"_s },
        { RunHistoryModel::ColumnUnit, u"市药品检验所"_s },
        { RunHistoryModel::ColumnInspector, u"检验员Wang"_s },
        { RunHistoryModel::ColumnCount, u"00/00"_s },
        { RunHistoryModel::ColumnMean, u"-000.000"_s },
        { RunHistoryModel::ColumnDeviation, u"-000.000"_s },
        { RunHistoryModel::ColumnStation, u"LAB-PC-000"_s },
    };
    for (const auto &[column, sample] : widths) {
        const QString header = m_model->headerData(column, Qt::Horizontal).toString();
        m_runsView->setColumnWidth(column, std::max(widthOf(sample), widthOf(header)));
    }
    int modeWidth =
        widthOf(m_model->headerData(RunHistoryModel::ColumnMode, Qt::Horizontal).toString());
    for (int mode = 0; mode <= static_cast<int>(MeasurementMode::SpecificRotation); ++mode)
        modeWidth = std::max(modeWidth, widthOf(LoadString(StringId::ModeTitleBase + mode)));
    m_runsView->setColumnWidth(RunHistoryModel::ColumnMode, modeWidth);
    connect(m_runsView->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CHistoryDlg::onSelectionChanged);
    connect(m_runsView->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &CHistoryDlg::onSelectionChanged);

    m_readingsTable = new QTableWidget(0, ReadingColumns, this);
    m_readingsTable->setHorizontalHeaderLabels(
        { tr("序号"), tr("读数(°)"), tr("测量值"), tr("确认时间"), tr("剔除") });
    m_readingsTable->verticalHeader()->hide();
    m_readingsTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_readingsTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_readingsTable->horizontalHeader()->setStretchLastSection(true);
    m_readingsTable->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    const QStringList readingSamples { u"000"_s, u"-000.000"_s, u"-000.000"_s, u"00:00:00"_s,
                                       u"气泡（王五）"_s };
    int tableWidth = 2 * m_readingsTable->frameWidth()
        + m_readingsTable->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    for (int column = 0; column < readingSamples.size(); ++column) {
        const QString header = m_readingsTable->horizontalHeaderItem(column)->text();
        const int width = std::max(widthOf(readingSamples.at(column)), widthOf(header));
        m_readingsTable->setColumnWidth(column, width);
        tableWidth += width;
    }
    // The whole of every column shows: a run's readings never need a horizontal scroll.
    m_readingsTable->setMinimumWidth(tableWidth);
    m_readingsTable->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_chart = new RunChart(this);

    auto *detail = new QSplitter(Qt::Horizontal, this);
    detail->addWidget(m_readingsTable);
    detail->addWidget(m_chart);
    detail->setStretchFactor(1, 1);
    detail->setChildrenCollapsible(false);
    m_summaryLabel = new QLabel(this);
    m_summaryLabel->setObjectName(u"runSummary"_s);
    m_summaryLabel->setTextFormat(Qt::PlainText); // a method's name is no markup
    m_summaryLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    // The audit trail of the run beside its readings: every row of the run, exportable.
    m_trailTable = new QTableWidget(0, 5, this);
    m_trailTable->setHorizontalHeaderLabels(
        { tr("时间"), tr("账户"), tr("操作"), tr("原值 → 新值"), tr("原因") });
    m_trailTable->verticalHeader()->hide();
    m_trailTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_trailTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_trailTable->horizontalHeader()->setStretchLastSection(true);
    m_trailTable->verticalHeader()->setDefaultSectionSize(metrics.height() + 6);
    m_trailTable->setColumnWidth(0, widthOf(u"0000-00-00 00:00:00 +00:00"_s));
    m_auditCsvButton = new QPushButton(tr("导出审计追踪 CSV..."), this);
    connect(m_auditCsvButton, &QPushButton::clicked, this, &CHistoryDlg::onAuditCsvButton);
    auto *trail = new QWidget(this);
    auto *trailLayout = new QVBoxLayout(trail);
    trailLayout->setContentsMargins(0, 0, 0, 0);
    trailLayout->addWidget(m_trailTable, 1);
    trailLayout->addWidget(m_auditCsvButton, 0, Qt::AlignRight);
    m_detailTabs = new QTabWidget(this);
    m_detailTabs->addTab(detail, tr("读数"));
    m_detailTabs->addTab(trail, tr("审计追踪"));
    m_auditLabel = new QLabel(this);
    m_auditLabel->setWordWrap(true);
    m_auditLabel->setTextFormat(Qt::PlainText);
    m_auditLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *lower = new QWidget(this);
    auto *lowerLayout = new QVBoxLayout(lower);
    lowerLayout->setContentsMargins(0, 0, 0, 0);
    lowerLayout->addWidget(m_summaryLabel);
    lowerLayout->addWidget(m_detailTabs, 1);
    lowerLayout->addWidget(m_auditLabel);
    auto *split = new QSplitter(Qt::Vertical, this);
    split->addWidget(m_runsView);
    split->addWidget(lower);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);
    split->setChildrenCollapsible(false);

    m_statusLabel = new QLabel(this);
    m_statusLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_saveButton = new QPushButton(tr("保存报告..."), this);
    m_printButton = new QPushButton(tr("打印..."), this);
    m_csvButton = new QPushButton(tr("导出 CSV..."), this);
    m_pdfButton = new QPushButton(tr("PDF…"), this);
    m_signButton = new QPushButton(tr("签名…"), this);
    m_signButton->setShortcut(QKeySequence(Qt::ALT | Qt::Key_S));
    m_excludeButton = new QPushButton(tr("剔除读数…"), this);
    m_excludeButton->setShortcut(QKeySequence(Qt::ALT | Qt::Key_X));
    connect(m_signButton, &QPushButton::clicked, this, &CHistoryDlg::onSignButton);
    connect(m_excludeButton, &QPushButton::clicked, this, &CHistoryDlg::onExcludeButton);
    connect(m_readingsTable, &QTableWidget::itemSelectionChanged, this,
            &CHistoryDlg::updateButtons);
    auto *closeButton = new QPushButton(tr("关闭"), this);
    connect(m_saveButton, &QPushButton::clicked, this, &CHistoryDlg::onSaveButton);
    connect(m_printButton, &QPushButton::clicked, this, &CHistoryDlg::onPrintButton);
    connect(m_csvButton, &QPushButton::clicked, this, &CHistoryDlg::onCsvButton);
    connect(m_pdfButton, &QPushButton::clicked, this, &CHistoryDlg::onPdfButton);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttonRow = new QHBoxLayout;
    buttonRow->addWidget(m_statusLabel, 1);
    for (QPushButton *button : { m_signButton, m_excludeButton, m_saveButton, m_printButton,
                                 m_pdfButton, m_csvButton, closeButton }) {
        button->setAutoDefault(false);
        buttonRow->addWidget(button);
    }

    m_sourceLabel = new QLabel(this);
    m_sourceLabel->setWordWrap(true);
    m_sourceLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_sourceLabel->setTextFormat(Qt::PlainText); // the server's message is no markup

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(filterRow);
    layout->addWidget(m_sourceLabel);
    layout->addWidget(split, 1);
    layout->addLayout(buttonRow);
    resize(1060, 640);
    onSelectionChanged();
    // The keyboard starts in the list of runs.
    m_runsView->setFocus();
}

RunFilter CHistoryDlg::currentFilter() const
{
    RunFilter filter;
    filter.text = m_filterEdit->text().trimmed();
    if (m_dateCheck->isChecked()) {
        const QDate from = std::min(m_fromEdit->date(), m_toEdit->date());
        const QDate to = std::max(m_fromEdit->date(), m_toEdit->date());
        filter.from = from.startOfDay();
        filter.to = to.addDays(1).startOfDay();
    }
    if (readsServer())
        filter.station = m_stationBox->currentData().toString();
    return filter;
}

void CHistoryDlg::reload()
{
    m_filterTimer.stop();
    m_readFailure = {};
    m_reader->reload(currentFilter());
    showStatus();
}

void CHistoryDlg::refresh()
{
    m_filterTimer.stop();
    m_readFailure = {};
    m_reader->setFilter(currentFilter());
    showStatus();
}

void CHistoryDlg::showSource()
{
    const HistorySource &source = m_reader->source();
    const bool fromServer = source.fromServer;
    m_stationLabel->setVisible(fromServer);
    m_stationBox->setVisible(fromServer);
    m_runsView->setColumnHidden(RunHistoryModel::ColumnStation, !fromServer);
    m_sourceLabel->setVisible(source.serverConfigured);
    m_sourceLabel->setStyleSheet(fromServer ? QString() : u"color: #c00000;"_s);
    m_sourceLabel->setText(fromServer ? tr("实验室服务器上所有站点的测量")
                                      : tr("实验室服务器无法读取（%1）。下面只是本站的结果日志。")
                                            .arg(source.serverResult.text));
    const QString chosen = m_stationBox->currentData().toString();
    m_stationBox->clear();
    m_stationBox->addItem(tr("全部站点"), QString());
    for (const QString &station : source.stations)
        m_stationBox->addItem(station, station);
    m_stationBox->setCurrentIndex(std::max(0, m_stationBox->findData(chosen)));
    if (!source.result.ok())
        showReadFailure(source.result);
}

void CHistoryDlg::showStatus()
{
    const bool loading = m_reader->isLoading();
    m_runsView->viewport()->setCursor(loading ? Qt::BusyCursor : Qt::ArrowCursor);
    if (loading)
        m_statusLabel->setText(tr("正在读取…"));
    // Before the first Confirm there is no journal yet; a later refresh finds the new one.
    else if (m_readFailure.error == JournalResult::Error::NotOpen)
        m_statusLabel->setText(tr("还没有测量记录"));
    else if (!m_readFailure.ok())
        m_statusLabel->setText(
            tr("无法读取结果记录 %1: %2")
                .arg(readsServer() ? m_serverConnInfo : QDir::toNativeSeparators(m_journalPath),
                     m_readFailure.text));
    else
        m_statusLabel->setText(tr("共 %1 次测量").arg(m_model->matchCount()));
}

void CHistoryDlg::showReadFailure(const JournalResult &result)
{
    m_readFailure = result;
    showStatus();
}

QList<JournalRun> CHistoryDlg::selectedRuns() const
{
    QModelIndexList rows = m_runsView->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    QList<JournalRun> runs;
    for (const QModelIndex &index : std::as_const(rows))
        runs.append(m_model->run(index.row()));
    return runs;
}

void CHistoryDlg::onSelectionChanged()
{
    const QItemSelectionModel *selection = m_runsView->selectionModel();
    const QModelIndexList rows = selection->selectedRows();
    // One run selected is the one shown; among several, the one last clicked.
    std::optional<JournalRun> run;
    if (rows.size() == 1)
        run = m_model->run(rows.constFirst().row());
    else if (const QModelIndex current = selection->currentIndex();
             current.isValid() && selection->isRowSelected(current.row()))
        run = m_model->run(current.row());
    const bool changed = run.has_value() != m_selectedRun.has_value()
        || (run && (run->id != m_selectedRun->id || run->station != m_selectedRun->station));
    if (changed) {
        m_selectedRun = run;
        m_reader->showRun(run);
    }
    updateButtons();
}

void CHistoryDlg::updateButtons()
{
    const qsizetype rows = m_runsView->selectionModel()->selectedRows().size();
    m_saveButton->setEnabled(rows == 1 && shownRun().has_value());
    m_printButton->setEnabled(rows == 1 && shownRun().has_value());
    m_pdfButton->setEnabled(rows == 1 && shownRun().has_value());
    m_csvButton->setEnabled(rows > 0);
    const bool completed =
        rows == 1 && shownRun() && shownRun()->run.status == RunStatus::Completed;
    m_signButton->setEnabled(completed);
    m_excludeButton->setEnabled(completed && selectedReading().has_value());
    m_auditCsvButton->setEnabled(shownRun().has_value());
}

void CHistoryDlg::showRun()
{
    m_readingsTable->setRowCount(0);
    m_chart->clear();
    updateButtons();
    showSummary();
    const std::optional<RunDetail> &detail = shownRun();
    if (!detail)
        return;
    m_readingsTable->setRowCount(static_cast<int>(detail->readings.size()));
    QList<double> values;
    for (int row = 0; row < detail->readings.size(); ++row) {
        const JournalReading &reading = detail->readings.at(row);
        values << reading.value;
        const QDateTime confirmed = FromJournalTimestamp(reading.confirmedAt).toLocalTime();
        m_readingsTable->setItem(row, ReadingNumber,
                                 Item(QString::number(reading.number), Qt::AlignRight));
        m_readingsTable->setItem(row, ReadingReceived,
                                 Item(ReceivedText(reading.received), Qt::AlignRight));
        m_readingsTable->setItem(row, ReadingValue,
                                 Item(FormatRunValue(reading.value), Qt::AlignRight));
        auto *time = Item(confirmed.toString(u"HH:mm:ss"_s));
        time->setToolTip(RunHistoryModel::LocalTimeText(reading.confirmedAt));
        m_readingsTable->setItem(row, ReadingTime, time);
        // An excluded reading stays, struck through, with its reason and who excluded it.
        const ReadingExclusion *excluded = detail->audit.exclusionOf(reading.number);
        m_readingsTable->setItem(
            row, ReadingExcluded,
            Item(excluded ? tr("%1（%2）").arg(excluded->reason, excluded->by) : QString()));
        for (int column = 0; excluded && column < ReadingColumns; ++column) {
            QTableWidgetItem *item = m_readingsTable->item(row, column);
            QFont font = item->font();
            font.setStrikeOut(column != ReadingExcluded);
            item->setFont(font);
            item->setToolTip(tr("已剔除：%1（%2，%3）")
                                 .arg(excluded->reason, excluded->by,
                                      RunHistoryModel::LocalTimeText(excluded->at)));
        }
    }
    m_chart->setRun(values, detail->mean, detail->deviation);
    showAudit(*detail);
}

void CHistoryDlg::showAudit(const RunDetail &detail)
{
    const RunAudit &audit = detail.audit;
    m_trailTable->setRowCount(int(audit.trail.size()));
    for (int row = 0; row < audit.trail.size(); ++row) {
        const AuditEntry &entry = audit.trail.at(row);
        const QStringList texts {
            CsvExport::LocalTime(entry.at, entry.atOffset).replace(u'T', u' '), entry.by,
            entry.action, entry.change, entry.reason
        };
        for (int column = 0; column < texts.size(); ++column)
            m_trailTable->setItem(row, column, Item(texts.at(column)));
    }
    m_trailTable->resizeColumnToContents(0);
    QStringList lines;
    for (const RunSignature &signature : audit.signatures)
        lines << tr("%1：%2（%3），%4%5")
                     .arg(
                         RunReportLayout::meaningText(signature.meaning), signature.fullName,
                         signature.by,
                         CsvExport::LocalTime(signature.at, signature.atOffset).replace(u'T', u' '),
                         signature.current ? QString() : tr("，签名后已更改"))
                + (signature.comment.isEmpty() ? QString()
                                               : tr("，备注：%1").arg(signature.comment));
    // The statistics as the table computes them, over all readings and over those kept.
    const auto statistics = [](const QList<float> &values) {
        const RunStatistics figures = ComputeRunStatistics(values);
        return tr("平均值 %1，标准偏差 %2")
            .arg(FormatRunValue(static_cast<double>(figures.mean)),
                 values.size() > 1 ? FormatRunValue(figures.deviation) : u"-"_s);
    };
    QList<float> all;
    QList<float> kept;
    for (const JournalReading &reading : detail.readings) {
        all << static_cast<float>(reading.value);
        if (!audit.exclusionOf(reading.number))
            kept << static_cast<float>(reading.value);
    }
    if (!audit.exclusions.isEmpty())
        lines << tr("全部 %1 个读数：%2；保留的 %3 个读数：%4")
                     .arg(all.size())
                     .arg(statistics(all))
                     .arg(kept.size())
                     .arg(statistics(kept));
    m_auditLabel->setText(lines.join(u'\n'));
    m_auditLabel->setStyleSheet(audit.changedAfterSignature() ? u"color: #c00000;"_s : QString());
    m_auditLabel->setVisible(!lines.isEmpty());
}

std::optional<JournalReading> CHistoryDlg::selectedReading() const
{
    const QList<QTableWidgetItem *> items = m_readingsTable->selectedItems();
    if (!shownRun() || items.isEmpty())
        return std::nullopt;
    const int row = items.constFirst()->row();
    if (row < 0 || row >= shownRun()->readings.size()
        || shownRun()->audit.exclusionOf(shownRun()->readings.at(row).number))
        return std::nullopt;
    return shownRun()->readings.at(row);
}

void CHistoryDlg::writeAccount(const AccountRequest &request)
{
    m_reader->writeAccount(request, ChainKeyPath(m_settings.Path()),
                           AccountPolicy::FromSettings(m_settings));
}

void CHistoryDlg::onSignButton()
{
    if (!shownRun())
        return;
    const JournalRun run = shownRun()->run;
    AccountDialog dialog(tr("签名"),
                         tr("签名测量：%1，批号 %2，开始于 %3。签名与此刻的记录相连，之后的任何"
                            "更改都会显示出来。")
                             .arg(run.header.sampleName, run.header.batchNo,
                                  RunHistoryModel::LocalTimeText(run.startedAt)),
                         AccountDialog::AccountField | AccountDialog::PasswordField
                             | AccountDialog::MeaningField | AccountDialog::CommentField,
                         this);
    QList<Meaning> meanings { Meaning::Performed, Meaning::Reviewed };
    if (AccountPolicy::FromSettings(m_settings).approval)
        meanings << Meaning::Approved;
    dialog.setMeanings(meanings);
    if (dialog.exec() == QDialog::Accepted)
        writeAccount({ run,
                       { dialog.account(), dialog.password() },
                       dialog.meaning(),
                       dialog.comment(),
                       0,
                       {} });
}

void CHistoryDlg::onExcludeButton()
{
    const std::optional<JournalReading> reading = selectedReading();
    if (!reading)
        return;
    AccountDialog dialog(tr("剔除读数"),
                         tr("剔除第 %1 个读数（%2）。读数不会删除：它仍然显示，划掉并注明原因，"
                            "统计同时给出全部读数的和保留读数的结果。")
                             .arg(reading->number)
                             .arg(FormatRunValue(reading->value)),
                         AccountDialog::AccountField | AccountDialog::PasswordField
                             | AccountDialog::ReasonField,
                         this);
    if (dialog.exec() == QDialog::Accepted)
        writeAccount({ shownRun()->run,
                       { dialog.account(), dialog.password() },
                       std::nullopt,
                       {},
                       reading->number,
                       dialog.reason() });
}

bool CHistoryDlg::exportAuditTrail(const QString &path)
{
    if (!shownRun())
        return false;
    OutputFile file(path);
    if (file.open() && file.write(CsvExport::AuditTrail(shownRun()->audit.trail)) && file.commit())
        return true;
    QMessageBox::warning(
        this, ProgramName(),
        tr("无法导出到 %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    return false;
}

QString CHistoryDlg::askSavePath(const QString &title, const QString &filter,
                                 const QString &fileName)
{
    QFileDialog dialog(this, title);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setNameFilter(filter);
    dialog.setDefaultSuffix(QFileInfo(fileName).suffix());
    dialog.selectFile(fileName);
    return dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty()
        ? dialog.selectedFiles().constFirst()
        : QString();
}

void CHistoryDlg::onAuditCsvButton()
{
    if (const QString path =
            askSavePath(tr("导出审计追踪"), tr("CSV 文件 (*.csv)"), u"Velmora-audit.csv"_s);
        !path.isEmpty())
        exportAuditTrail(path);
}

ReportContent CHistoryDlg::shownReportContent() const
{
    return shownRun() ? JournalHistory::ReportContentFor(shownRun()->run, shownRun()->readings)
                      : ReportContent {};
}

bool CHistoryDlg::saveReport(const QString &path)
{
    if (!shownRun())
        return false;
    return SaveTextReport(this, path, shownReportContent(), m_settings).ok();
}

void CHistoryDlg::onSaveButton()
{
    if (!shownRun())
        return;
    const QString path = AskReportFilePath(this);
    if (!path.isEmpty())
        saveReport(path);
}

void CHistoryDlg::onPrintButton()
{
    if (!shownRun())
        return;
    PrintJob::Start(
        this, [content = shownReportContent()] { return content; },
        ReadReportTitle(m_settings, QString()));
}

bool CHistoryDlg::exportCsv(const QString &path)
{
    QList<RunKey> keys;
    for (const JournalRun &run : selectedRuns())
        keys.append({ run.station, run.id });
    if (keys.isEmpty())
        return false;
    m_reader->exportCsv(keys, path);
    return true;
}

void CHistoryDlg::onExported(const QString &path, const JournalResult &result)
{
    if (!result.ok())
        QMessageBox::warning(
            this, ProgramName(),
            tr("无法导出到 %1: %2").arg(QDir::toNativeSeparators(path), result.text));
}

void CHistoryDlg::onCsvButton()
{
    if (const QString path = askSavePath(tr("导出 CSV"), tr("CSV 文件 (*.csv)"), u"Velmora.csv"_s);
        !path.isEmpty())
        exportCsv(path);
}

void CHistoryDlg::showSummary()
{
    const std::optional<RunDetail> &detail = shownRun();
    m_summaryLabel->setVisible(detail.has_value());
    if (!detail)
        return;
    const JournalRun &run = detail->run;
    const std::optional<RunSummary> summary = RunResultSummary(run, detail->readings);
    const auto orNone = [](const QString &text) {
        return text.isEmpty() ? u"—"_s : text;
    };
    QStringList parts {
        tr("N= %1").arg(detail->readings.size()),
        tr("平均结果 %1").arg(orNone(run.totals.mean)),
        tr("SD %1").arg(orNone(DeviationText(summary))),
        tr("RSD %1").arg(summary && summary->relativeDeviation
                             ? RelativeDeviationText(summary) + u" %"_s
                             : u"—"_s),
    };
    if (const std::optional<RunMethod> &method = run.header.method) {
        const auto limit = [&orNone](const std::optional<double> &value) {
            return orNone(value ? FormatRunValue(*value) : QString());
        };
        parts << tr("方法 %1（版本 %2）").arg(method->name).arg(method->version)
              << tr("下限 %1，上限 %2").arg(limit(method->lower), limit(method->upper));
        if (run.verdict)
            parts << RunHistoryModel::VerdictName(*run.verdict);
    }
    m_summaryLabel->setText(parts.join(u"    "_s));
}

bool CHistoryDlg::writePdf(const QString &path)
{
    if (!shownRun())
        return false;
    m_reader->readReport({ shownRun()->run.station, shownRun()->run.id }, path);
    return true;
}

void CHistoryDlg::onPdfButton()
{
    if (!shownRun())
        return;
    if (const QString path = askSavePath(tr("PDF 报告"), tr("PDF 文件 (*.pdf)"), u"Velmora.pdf"_s);
        !path.isEmpty())
        writePdf(path);
}

void CHistoryDlg::onReportRead(const QString &path, const JournalResult &result,
                               const RunReport &report)
{
    QString failure = result.text;
    if (result.ok()) {
        RunReport withLab = report;
        withLab.lab = m_settings.Read(SettingsKeys::kReportLab);
        const PdfReport::Result written = PdfReport::write(path, withLab);
        failure = written.failure == OutputFile::Failure::NotRegularFile
            ? tr("不是普通文件，未改动")
            : written.text;
        if (written.ok())
            return;
    }
    QMessageBox::warning(
        this, ProgramName(),
        tr("无法写入 PDF 报告 %1: %2").arg(QDir::toNativeSeparators(path), failure));
}
