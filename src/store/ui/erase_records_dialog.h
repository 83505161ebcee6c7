#pragma once

#include "store/log_erase.h"

#include <QDateTime>
#include <QDialog>

class QDateEdit;
class QRadioButton;

namespace tallyport {

// "Erase Attendance Records": which log rows Erase Log Database takes, all of them or those
// dated before a day. It only asks; the erase is the core's.
class EraseRecordsDialog : public QDialog {
    Q_OBJECT
public:
    explicit EraseRecordsDialog(QWidget* parent = nullptr);

    // The picker shows this date (and keeps its time); "All Attendance Records" is checked.
    void setFrom(const QDateTime& now);
    EraseScope scope() const;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QRadioButton* m_all;
    QRadioButton* m_before;
    QDateEdit* m_from;
};

}  // namespace tallyport
