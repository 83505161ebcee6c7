#pragma once

#include "app/ui/gui_test_support.h"
#include "support/store_fixture.h"

#include <QAbstractButton>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>

namespace tallyport::test {

// A fresh store and settings for one dialog test.
class StaffDialogFixture : public StoreFixture {
protected:
    void SetUp() override {
        ClearSettings();
        StoreFixture::SetUp();
    }
    template <typename T = QWidget>
    static T* control(QWidget* dialog, const char* name) {
        T* w = dialog->findChild<T*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    static void click(QWidget* dialog, const char* name) {
        if (auto* b = control<QAbstractButton>(dialog, name)) b->click();
    }
    static QString cell(QTableView* grid, int row, int column) {
        return grid->model()->index(row, column).data().toString();
    }
    static QStringList column(QTableView* grid, int col) {
        QStringList out;
        for (int r = 0; r < grid->model()->rowCount(); ++r) out << cell(grid, r, col);
        return out;
    }
    void setPhoto(int card, const QByteArray& jpeg) {
        ASSERT_TRUE(
            data.src().run(QStringLiteral("update staffs set PHOTO=? where CARDNO=?"), jpeg, card));
    }
};

}  // namespace tallyport::test
