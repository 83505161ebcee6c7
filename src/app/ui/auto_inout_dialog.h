#pragma once

#include "app/auto_inout.h"

#include <QDialog>
#include <vector>

class QCheckBox;
class QPushButton;
class QStandardItemModel;
class QTableView;
class QTimeEdit;

namespace tallyport {

class Database;
class Operator;

// "Auto IN/OUT Timer": the IN periods and the two options of the automatic IN/OUT mode.
// The checks and writes are the core's; the dialog shows what it answers.
class AutoInOutDialog : public QDialog {
    Q_OBJECT
public:
    AutoInOutDialog(Database& src, Operator& op, QWidget* parent = nullptr);

    QTimeEdit* fromPicker() const { return m_from; }
    QTimeEdit* toPicker() const { return m_to; }
    QTableView* grid() const { return m_grid; }
    QCheckBox* enableBox() const { return m_enable; }
    QCheckBox* overrideBox() const { return m_override; }
    const std::vector<InPeriod>& periods() const { return m_periods; }

    void addRecord();
    void deleteRecord();
    void selectRow(int row);

    // "AM hh:mm" / "PM hh:mm" of the grid.
    static QString gridTime(const QTime& t);

protected:
    void done(int result) override;

private:
    void reload();
    void build();

    Database& m_src;
    Operator& m_op;
    std::vector<InPeriod> m_periods;
    QStandardItemModel* m_model;
    QTableView* m_grid;
    QTimeEdit* m_from;
    QTimeEdit* m_to;
    QCheckBox* m_enable;
    QCheckBox* m_override;
};

}  // namespace tallyport
