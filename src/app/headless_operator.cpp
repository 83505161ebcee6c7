#include "app/headless_operator.h"

#include <cstdio>

namespace tallyport {

void HeadlessOperator::log(const QString& kind, const QString& text) {
    const QByteArray line = (kind + QStringLiteral(": ") + text + QLatin1Char('\n')).toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
    std::fflush(stderr);
}

void HeadlessOperator::information(const QString& text) { log(QStringLiteral("information"), text); }
void HeadlessOperator::error(const QString& text) { log(QStringLiteral("error"), text); }
void HeadlessOperator::warning(const QString& text) { log(QStringLiteral("warning"), text); }
void HeadlessOperator::generalError(const QString& text) { log(QStringLiteral("error"), text); }

bool HeadlessOperator::confirm(const QString& text) {
    log(QStringLiteral("question"), text + QStringLiteral(" -> Cancel"));
    return false;
}

bool HeadlessOperator::askYesNo(const QString& text) {
    log(QStringLiteral("question"), text + QStringLiteral(" -> No"));
    return false;
}

std::optional<QString> HeadlessOperator::chooseOpenFile(const QString& caption, const QString&,
                                                        const QString&) {
    log(QStringLiteral("question"), caption + QStringLiteral(" -> Cancel"));
    return std::nullopt;
}

std::optional<QString> HeadlessOperator::chooseSaveFile(const QString& caption, const QString&,
                                                        const QString&) {
    log(QStringLiteral("question"), caption + QStringLiteral(" -> Cancel"));
    return std::nullopt;
}

bool HeadlessOperator::askPassword(const QString& caption,
                                   const std::function<bool(const QString&)>&) {
    log(QStringLiteral("question"), caption + QStringLiteral(" -> Cancel"));
    return false;
}

std::optional<QString> HeadlessOperator::askNewPassword(
    const std::function<bool(const QString&, const QString&)>&) {
    log(QStringLiteral("question"), QStringLiteral("New password -> Cancel"));
    return std::nullopt;
}

namespace {
class NoProgress final : public Progress {
public:
    void step() override {}
    void setPosition(int) override {}
};
class NoWaitCursor final : public WaitCursor {};
}  // namespace

std::unique_ptr<Progress> HeadlessOperator::progress(const QString& caption, int) {
    log(QStringLiteral("progress"), caption);
    return std::make_unique<NoProgress>();
}

std::unique_ptr<WaitCursor> HeadlessOperator::waitCursor() { return std::make_unique<NoWaitCursor>(); }

}  // namespace tallyport
