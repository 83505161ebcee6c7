#include "app/terminal_operator.h"

namespace tallyport {

void printLine(std::FILE* to, const QString& text) {
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
    if (!text.endsWith(u'\n') && !text.endsWith(u'\r')) std::fputc('\n', to);
    std::fflush(to);
}

namespace {

class Silent final : public Progress {
public:
    void step() override {}
    void setPosition(int) override {}
};

}  // namespace

void TerminalOperator::information(const QString& text) {
    if (!quietInformation) printLine(stdout, text);
}
void TerminalOperator::error(const QString& text) { printLine(stderr, text); }
void TerminalOperator::warning(const QString& text) { printLine(stderr, text); }
void TerminalOperator::generalError(const QString& text) { printLine(stderr, text); }

std::unique_ptr<Progress> TerminalOperator::progress(const QString&, int) {
    return std::make_unique<Silent>();
}

}  // namespace tallyport
