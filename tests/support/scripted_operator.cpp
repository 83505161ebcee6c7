#include "support/scripted_operator.h"

namespace tallyport::test {

void ScriptedOperator::record(const char* kind, const QString& text) {
    m_shown << QString::fromLatin1(kind) + QStringLiteral(": ") + text;
}

QStringList ScriptedOperator::shown(const QString& kind) const {
    QStringList out;
    const QString prefix = kind + QStringLiteral(": ");
    for (const QString& s : m_shown)
        if (s.startsWith(prefix)) out << s.mid(prefix.size());
    return out;
}

bool ScriptedOperator::saw(const QString& text) const {
    for (const QString& s : m_shown)
        if (s.section(QStringLiteral(": "), 1) == text) return true;
    return false;
}

bool ScriptedOperator::confirm(const QString& text) {
    record("confirm", text);
    if (m_confirms.empty()) return false;
    const bool ok = m_confirms.front();
    m_confirms.pop_front();
    return ok;
}

bool ScriptedOperator::askYesNo(const QString& text) {
    record("yesno", text);
    if (m_yesNos.empty()) return false;
    const bool yes = m_yesNos.front();
    m_yesNos.pop_front();
    return yes;
}

std::optional<QString> ScriptedOperator::chooseOpenFile(const QString& caption, const QString&,
                                                        const QString& filter) {
    record("open", caption + QStringLiteral(" | ") + filter);
    if (m_files.empty()) return std::nullopt;
    QString f = m_files.front();
    m_files.pop_front();
    return f;
}

std::optional<QString> ScriptedOperator::chooseSaveFile(const QString& caption,
                                                        const QString& suggested,
                                                        const QString& filter) {
    record("save", caption + QStringLiteral(" | ") + filter);
    m_suggested = suggested;
    if (m_files.empty()) return std::nullopt;
    QString f = m_files.front();
    m_files.pop_front();
    return f;
}

// Like the dialog: it stays open after a refused entry and takes the next scripted one.
bool ScriptedOperator::askPassword(const QString& caption,
                                   const std::function<bool(const QString&)>& accept) {
    record("password", caption);
    while (!m_passwords.empty()) {
        std::optional<QString> typed = m_passwords.front();
        m_passwords.pop_front();
        if (!typed) return false;
        if (accept(*typed)) return true;
    }
    return false;
}

std::optional<QString> ScriptedOperator::askNewPassword(
    const std::function<bool(const QString&, const QString&)>& accept) {
    record("newpassword", QStringLiteral("Password Dialog"));
    while (!m_newPasswords.empty()) {
        auto typed = m_newPasswords.front();
        m_newPasswords.pop_front();
        if (!typed) return std::nullopt;
        if (accept(typed->first, typed->second)) return typed->first;
    }
    return std::nullopt;
}

namespace {
class CountingProgress final : public Progress {
public:
    CountingProgress(int& steps, int& open, bool cancel = false)
        : m_steps(steps), m_open(open), m_cancel(cancel) {
        ++m_open;
    }
    ~CountingProgress() override { --m_open; }
    void step() override { ++m_steps; }
    void setPosition(int) override {}
    bool cancelRequested() const override { return m_cancel; }

private:
    int& m_steps;
    int& m_open;
    bool m_cancel;
};
class NoWaitCursor final : public WaitCursor {};
}  // namespace

std::unique_ptr<Progress> ScriptedOperator::progress(const QString& caption, int maximum) {
    record("progress", caption + QStringLiteral(" /") + QString::number(maximum));
    return std::make_unique<CountingProgress>(m_progressSteps, m_openProgress);
}

std::unique_ptr<Progress> ScriptedOperator::workProgress(const QString& caption, int) {
    record("work", caption);
    bool cancel = false;
    if (!m_cancelWork.empty()) {
        cancel = m_cancelWork.front();
        m_cancelWork.pop_front();
    }
    return std::make_unique<CountingProgress>(m_progressSteps, m_openProgress, cancel);
}

std::unique_ptr<WaitCursor> ScriptedOperator::waitCursor() {
    return std::make_unique<NoWaitCursor>();
}

}  // namespace tallyport::test
