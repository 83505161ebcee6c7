#include "app/ui/gui_operator.h"

#include "app/ui/new_password_dialog.h"
#include "app/ui/password_dialog.h"
#include "app/ui/progress_window.h"
#include "version.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace tallyport {
namespace {

QMessageBox::StandardButton box(QMessageBox::Icon icon, const QString& title, const QString& text,
                                QMessageBox::StandardButtons buttons, QWidget* owner) {
    QMessageBox mb(icon, title, text, buttons, owner);
    return static_cast<QMessageBox::StandardButton>(mb.exec());
}

std::optional<QString> chosen(const QString& file) {
    if (file.isEmpty()) return std::nullopt;
    return file;
}

class OverrideCursor final : public WaitCursor {
public:
    OverrideCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~OverrideCursor() override { QApplication::restoreOverrideCursor(); }
};

}  // namespace

QWidget* GuiOperator::owner() {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) w = QApplication::activeWindow();
    return w && w->isVisible() ? w : nullptr;
}

void GuiOperator::information(const QString& text) {
    box(QMessageBox::Information, QStringLiteral("Information"), text, QMessageBox::Ok, owner());
}

void GuiOperator::error(const QString& text) {
    box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, owner());
}

void GuiOperator::errorDetail(const QString& text, const QString& detail) {
    QMessageBox mb(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::Ok, owner());
    mb.setInformativeText(detail);
    mb.exec();
}

void GuiOperator::warning(const QString& text) {
    box(QMessageBox::Warning, QStringLiteral("Warning"), text, QMessageBox::Ok, owner());
}

void GuiOperator::generalError(const QString& text) {
    box(QMessageBox::Critical, QStringLiteral(TALLYPORT_PRODUCT), text, QMessageBox::Ok, owner());
}

bool GuiOperator::confirm(const QString& text) {
    return box(QMessageBox::Question, QStringLiteral("Confirm"), text,
               QMessageBox::Ok | QMessageBox::Cancel, owner()) == QMessageBox::Ok;
}

// Every yes-or-no question here replaces, clears or overwrites something: Enter or Escape
// pressed out of habit answers No.
bool GuiOperator::askYesNo(const QString& text) {
    QMessageBox mb(QMessageBox::Question, QStringLiteral("Confirm"), text,
                   QMessageBox::Yes | QMessageBox::No, owner());
    mb.setDefaultButton(QMessageBox::No);
    mb.setEscapeButton(QMessageBox::No);
    return mb.exec() == QMessageBox::Yes;
}

std::optional<QString> GuiOperator::chooseOpenFile(const QString& caption, const QString& folder,
                                                   const QString& filter) {
    return chosen(QFileDialog::getOpenFileName(owner(), caption, folder, filter));
}

std::optional<QString> GuiOperator::chooseSaveFile(const QString& caption, const QString& suggested,
                                                   const QString& filter) {
    return chosen(QFileDialog::getSaveFileName(owner(), caption, suggested, filter));
}

bool GuiOperator::askPassword(const QString& caption,
                              const std::function<bool(const QString&)>& accept) {
    PasswordDialog dlg(owner());
    dlg.setCaption(caption);
    dlg.setAcceptCheck(accept);
    return dlg.exec() == QDialog::Accepted;
}

std::optional<QString> GuiOperator::askNewPassword(
    const std::function<bool(const QString&, const QString&)>& accept) {
    NewPasswordDialog dlg(owner());
    dlg.setAcceptCheck(accept);
    if (dlg.exec() != QDialog::Accepted) return std::nullopt;
    return dlg.password();
}

std::unique_ptr<Progress> GuiOperator::progress(const QString& caption, int maximum) {
    return std::make_unique<ProgressWindow>(caption, maximum);
}

std::unique_ptr<Progress> GuiOperator::workProgress(const QString& caption, int maximum) {
    return std::make_unique<ProgressWindow>(caption, maximum, true);
}

std::unique_ptr<WaitCursor> GuiOperator::waitCursor() {
    return std::make_unique<OverrideCursor>();
}

}  // namespace tallyport
