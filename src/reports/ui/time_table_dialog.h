#pragma once

#include "reports/time_table.h"

#include <QDialog>

class QComboBox;
class QPushButton;
class QTableView;
class QTimeEdit;

namespace tallyport {

class Operator;
class TimeTableModel;

// The editor of the groups' time attendance tables ("Time Table"): choose a group, add a
// period, delete one. The layout is kept under "TimeTable" and the columns under "TimeTblGrid".
class TimeTableDialog : public QDialog {
    Q_OBJECT
public:
    TimeTableDialog(Database& src, Operator& op, QWidget* parent = nullptr);

    QTimeEdit* dtpFrom = nullptr;
    QTimeEdit* dtpTo = nullptr;
    QPushButton* btnAdd = nullptr;
    QComboBox* cbglist = nullptr;
    QTableView* dbgList = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnClose = nullptr;

    // The id of the shown group; 0 when none.
    int groupId() const { return m_groupId; }

    void btnAddClick();
    void btnDeleteClick();

protected:
    void done(int result) override;

private:
    QWidget* buildTop();
    void loadGroup();
    void rowClicked(int row);

    Database& m_src;
    Operator& m_op;
    TimeTableModel* m_model = nullptr;
    int m_groupId = 0;
};

}  // namespace tallyport
