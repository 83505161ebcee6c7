#pragma once

#include "support/dialog_fixture.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>

namespace tallyport::test {

// A dialog test over holders, some with photos.
class StaffDialogFixture : public DialogFixture {
protected:
    void setPhoto(int card, const QByteArray& jpeg) {
        ASSERT_TRUE(
            data.src().run(QStringLiteral("update staffs set PHOTO=? where CARDNO=?"), jpeg, card));
    }
};

}  // namespace tallyport::test
