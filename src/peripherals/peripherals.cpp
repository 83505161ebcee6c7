#include "peripherals/peripherals.h"

#include <QMetaObject>

namespace tallyport {

void SpeechVoice::setFailureReporter(QObject* context, std::function<void(const QString&)> report) {
    m_context = context;
    m_report = std::move(report);
}

void SpeechVoice::reportFailure(const QString& text) {
    if (!m_report || !m_context || m_told.exchange(true)) return;
    QMetaObject::invokeMethod(
        m_context.data(), [report = m_report, text] { report(text); }, Qt::QueuedConnection);
}

}  // namespace tallyport
