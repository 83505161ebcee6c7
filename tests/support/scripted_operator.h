#pragma once

#include "base/operator.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

namespace tallyport::test {

// An operator that answers from a script and records every text it was shown, as
// "kind: text" (kinds: information, error, warning, general, confirm, yesno, open, save,
// password, newpassword, progress, work). A question with no scripted answer gets the safe one
// (Cancel, No, nothing) and is recorded all the same.
class ScriptedOperator final : public Operator {
public:
    // Answers, consumed in order by the kind of question they answer.
    void answerConfirm(bool ok) { m_confirms.push_back(ok); }
    void answerYesNo(bool yes) { m_yesNos.push_back(yes); }
    void answerFile(QString path) { m_files.push_back(std::move(path)); }
    // A typed password; std::nullopt is Cancel.
    void answerPassword(std::optional<QString> typed) { m_passwords.push_back(std::move(typed)); }
    void answerNewPassword(std::optional<std::pair<QString, QString>> typed) {
        m_newPasswords.push_back(std::move(typed));
    }
    // The next work progress window is cancelled at once (as if Cancel were clicked before
    // the work's first step); later ones run to their end.
    void cancelNextWork() { m_cancelWork.push_back(true); }

    const QStringList& shown() const { return m_shown; }
    QStringList shown(const QString& kind) const;
    bool saw(const QString& text) const;
    void clear() { m_shown.clear(); }
    int progressSteps() const { return m_progressSteps; }
    // The file name the last save dialog proposed.
    const QString& lastSuggested() const { return m_suggested; }
    int openProgressWindows() const { return m_openProgress; }

    void information(const QString& text) override { record("information", text); }
    void error(const QString& text) override { record("error", text); }
    void warning(const QString& text) override { record("warning", text); }
    void generalError(const QString& text) override { record("general", text); }
    bool confirm(const QString& text) override;
    bool askYesNo(const QString& text) override;
    std::optional<QString> chooseOpenFile(const QString& caption, const QString& folder,
                                          const QString& filter) override;
    std::optional<QString> chooseSaveFile(const QString& caption, const QString& suggested,
                                          const QString& filter) override;
    bool askPassword(const QString& caption,
                     const std::function<bool(const QString&)>& accept) override;
    std::optional<QString> askNewPassword(
        const std::function<bool(const QString&, const QString&)>& accept) override;
    std::unique_ptr<Progress> progress(const QString& caption, int maximum) override;
    // Recorded as "work: caption".
    std::unique_ptr<Progress> workProgress(const QString& caption, int maximum) override;
    std::unique_ptr<WaitCursor> waitCursor() override;

private:
    void record(const char* kind, const QString& text);

    QStringList m_shown;
    std::deque<bool> m_confirms, m_yesNos, m_cancelWork;
    std::deque<QString> m_files;
    QString m_suggested;
    std::deque<std::optional<QString>> m_passwords;
    std::deque<std::optional<std::pair<QString, QString>>> m_newPasswords;
    int m_progressSteps = 0;
    int m_openProgress = 0;
};

}  // namespace tallyport::test
