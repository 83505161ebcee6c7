#include "app/ui/about_dialog.h"

#include "app/ui/artwork.h"
#include "version.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace tallyport {

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("About " TALLYPORT_PRODUCT));
    auto* picture = new QLabel(this);
    picture->setPixmap(appPicture(64));
    auto* product = new QLabel(QStringLiteral(TALLYPORT_PRODUCT), this);
    product->setObjectName(QStringLiteral("ProductName"));
    QFont big = product->font();
    big.setPointSize(big.pointSize() + 6);
    big.setBold(true);
    product->setFont(big);
    auto* version = new QLabel(QStringLiteral("Version " TALLYPORT_VERSION), this);
    version->setObjectName(QStringLiteral("Version"));

    auto* texts = new QVBoxLayout;
    texts->addWidget(product);
    texts->addWidget(version);
    texts->addWidget(new QLabel(QStringLiteral("Time attendance and access control"), this));
    auto* top = new QHBoxLayout;
    top->addWidget(picture, 0, Qt::AlignTop);
    top->addLayout(texts);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("OKButton"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(buttons);
}

}  // namespace tallyport
