#include "ui/windows/SessionQuestions.h"

#include "ui/dialogs/DialogBuilder.h"

#include <QMessageBox>

using namespace Qt::StringLiterals;

SessionQuestions::SessionQuestions(MeasurementSession &session, QWidget &window)
    : m_session(session)
    , m_window(window)
{ }

void SessionQuestions::followLink()
{
    if (m_session.link().state() != LinkMonitor::State::OtherDevice)
        m_otherDeviceAsked = false;
    else if (!std::exchange(m_otherDeviceAsked, true))
        askAboutOtherDevice();
}

void SessionQuestions::askAboutOtherDevice()
{
    if (m_otherDeviceQuestion) {
        m_otherDeviceQuestion->raise();
        return;
    }
    m_otherDeviceQuestion =
        new QMessageBox(QMessageBox::Question, ProgramName(),
                        tr("%1\n只有原来那台仪器会自动重新连接。改用这台设备吗？")
                            .arg(m_session.link().detailText()),
                        QMessageBox::Yes | QMessageBox::No, &m_window);
    m_otherDeviceQuestion->setAttribute(Qt::WA_DeleteOnClose);
    m_otherDeviceQuestion->setWindowModality(Qt::NonModal);
    connect(m_otherDeviceQuestion, &QMessageBox::finished, this, [this](int answer) {
        if (answer == QMessageBox::Yes
            && m_session.link().state() == LinkMonitor::State::OtherDevice)
            m_session.acceptNewDevice();
    });
    m_otherDeviceQuestion->show();
}

QString SessionQuestions::recoveryQuestion(const MeasurementSession::RecoveryOffer &offer)
{
    const auto local = [](const QString &stamp) {
        return FromJournalTimestamp(stamp).toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s);
    };
    const RunHeader &h = offer.run.header;
    return tr("上次的测量没有结束：%n 个读数，开始于 %1，最后一个读数于 %2。\n"
              "检品名称：%3　批号：%4　检验者：%5\n\n"
              "是否继续这次测量？选“否”则该次测量标为放弃，记录保留在结果日志中。",
              nullptr, int(offer.readings.size()))
        .arg(local(offer.run.startedAt), local(offer.readings.constLast().confirmedAt),
             h.sampleName, h.batchNo, h.inspector);
}
