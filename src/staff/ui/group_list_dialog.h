#pragma once

#include "staff/groups.h"

#include <QDialog>

class QPushButton;
class QTableView;

namespace tallyport {

class GroupListModel;

// The list of work groups ("Group List") with New, Edit and Delete; the layout is kept under
// "WrkGrpMain" and the column widths under "WrkGrpList".
class GroupListDialog : public QDialog {
    Q_OBJECT
public:
    GroupListDialog(Database& src, Operator& op, QWidget* parent = nullptr);

    QTableView* dbg_list = nullptr;
    QPushButton* btnnew = nullptr;
    QPushButton* btnedit = nullptr;
    QPushButton* btndelete = nullptr;
    QPushButton* Button1 = nullptr;

    // The group of the selected row; 0 when the list is empty.
    int currentId() const;

    void btnnewClick();
    void btneditClick();
    void btndeleteClick();
    void Button1Click();

Q_SIGNALS:
    // A group was stored or deleted.
    void groupsChanged();

protected:
    void done(int result) override;

private:
    QPushButton* button(const char* name, const QString& caption, const QString& hint);
    // Opens the editor on g; on Confirm the group is stored and selected.
    void editGroup(const WorkGroup& g);
    void reload(int selectId);

    Database& m_src;
    Operator& m_op;
    GroupListModel* m_model = nullptr;
};

}  // namespace tallyport
