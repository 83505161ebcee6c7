#pragma once

#include "base/operator.h"
#include "reports/report_scope.h"
#include "store/sqlcipher_db.h"

#include <QDialog>
#include <functional>

class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLayout;
class QPushButton;
class QRadioButton;

namespace tallyport {

// What the four report scope dialogs share: the persons, dates, records, options, records per
// line and record format groups, the hidden "First In and Last Out Only" switch, and the bottom
// bar. A dialog reads its controls into a `ReportScope`; the core checks and remembers it.
class ReportScopeDialog : public QDialog {
    Q_OBJECT
public:
    ~ReportScopeDialog() override;

    ScopeDialog kind() const { return m_kind; }
    // What the controls hold now.
    ReportScope scope() const;
    // Puts a scope into the controls (the persons choice last: in the late dialogs choosing a
    // group brings the group's hours).
    void setScope(const ReportScope& s);

    // Makes a control (or a whole group of them) invisible; its value stays in the scope.
    void hideControl(const QString& objectName);
    void setFirstInLastOutOnly(bool on);
    static const char* controlOf(ScopeField field);
    // What "Pick List" opens: the pick list is another feature's dialog.
    void setPickListOpener(std::function<void(QWidget* window)> open) {
        m_openPickList = std::move(open);
    }

protected:
    ReportScopeDialog(ScopeDialog kind, Database& src, Operator& op, QWidget* parent);

    QGroupBox* buildPersons();
    QGroupBox* buildDates();  // one date in the one-day dialog
    QGroupBox* buildRecords();
    QGroupBox* buildOptions();
    QGroupBox* buildRecordsPerLine();
    QGroupBox* buildRecordFormat();
    // Adds the bottom bar under `body`, fixes the size and opens on the remembered settings.
    void finish(QLayout* body);
    // The late dialogs: the plain groups without records per line, and the working hours.
    void finishLate(QGroupBox* hours);

    // The late dialogs' working hours.
    virtual void readHours(WorkingHours&) const {}
    virtual void showHours(const WorkingHours&) {}
    // Confirm checks nothing and loads no group hours in overnight mode.
    void setOvernightMode(bool on) { m_overnight = on; }

private:
    void confirm();
    // In the late dialogs, while "Group" is checked: the chosen group's hours replace those
    // shown.
    void loadGroupHours();
    bool groupChecked() const;
    QString groupName() const;
    void followDates();

    ScopeDialog m_kind;
    Database& m_src;
    Operator& m_op;
    bool m_overnight = false;
    QButtonGroup* m_persons = nullptr;  // ids: PersonsChoice
    QComboBox* m_groups = nullptr;
    QButtonGroup* m_dates = nullptr;  // ids: DateChoice
    QDateEdit* m_from = nullptr;
    QDateEdit* m_to = nullptr;
    QButtonGroup* m_records = nullptr;
    QButtonGroup* m_perLine = nullptr;  // ids: records per line
    QButtonGroup* m_format = nullptr;
    QCheckBox* m_blank = nullptr;
    QCheckBox* m_newPage = nullptr;
    QCheckBox* m_enhance = nullptr;
    QCheckBox* m_preview = nullptr;
    QCheckBox* m_filo = nullptr;
    std::function<void(QWidget*)> m_openPickList;
};

}  // namespace tallyport
