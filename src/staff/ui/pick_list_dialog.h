#pragma once

#include "base/operator.h"
#include "store/sqlcipher_db.h"

#include <QDialog>

class QGroupBox;
class QTableView;

namespace tallyport {

class StaffRowsModel;

// The pick list "Pick List": the picked holders (member) beside the others (nonmember).
// Every change is stored at once, one card at a time; Close stores only the layout.
class PickListDialog : public QDialog {
    Q_OBJECT
public:
    PickListDialog(Database& src, Operator& op, QWidget* parent = nullptr);

    void Refresh();
    void Add();     // the current non-member joins the list
    void Remove();  // the current member leaves it
    void removeAll();
    void closeAndSave();

    QTableView* memberGrid() const { return m_member; }
    QTableView* nonmemberGrid() const { return m_nonmember; }
    StaffRowsModel* memberModel() const { return m_memberRows; }
    StaffRowsModel* nonmemberModel() const { return m_nonmemberRows; }

private:
    QGroupBox* buildGrid(QTableView*& grid, StaffRowsModel*& model, const char* boxName,
                         const char* gridName);
    void setPicked(QTableView* grid, StaffRowsModel* model, bool picked);
    void sortBy(StaffRowsModel* model, int section);
    bool refreshGrid(StaffRowsModel* model, QTableView* grid, int keepRow);

    Database& m_src;
    Operator& m_op;
    QTableView* m_member = nullptr;
    QTableView* m_nonmember = nullptr;
    StaffRowsModel* m_memberRows = nullptr;
    StaffRowsModel* m_nonmemberRows = nullptr;
    QGroupBox* m_memberBox = nullptr;
    QGroupBox* m_nonmemberBox = nullptr;
};

// Shows the pick list modally (the "Pick List" buttons of the scope dialogs).
void OpenPickList(Database& src, Operator& op, QWidget* owner);

}  // namespace tallyport
