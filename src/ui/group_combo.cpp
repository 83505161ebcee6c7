#include "ui/group_combo.h"

#include "staff/groups.h"

#include <QComboBox>

namespace tallyport {

void FillGroupCombo(QComboBox* box, Database& src, int groupId) {
    box->clear();
    const auto choice = FillGroupCombo(src, groupId);
    if (!choice) return;
    box->addItems(choice->names);
    box->setCurrentIndex(choice->index);
}

}  // namespace tallyport
