#include "reports/ui/card_print_dialog.h"

#include "store/messages.h"
#include "store/photo_files.h"
#include "store/photo_transform.h"
#include "ui/persons_group.h"
#include "ui/widgets.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tallyport {

namespace {

constexpr int kBackBoxHeight = 85;
constexpr int kLogoBoxSide = 64;

template <typename T>
T* named(T* w, const char* name) {
    w->setObjectName(QLatin1String(name));
    return w;
}

QLabel* pictureBox(QWidget* parent, const char* name, QSize size) {
    auto* box = named(new QLabel(parent), name);
    box->setFixedSize(size);
    box->setScaledContents(true);
    box->setFrameShape(QFrame::Box);
    return box;
}

// A small outline of the card's shape beside its style button.
QFrame* shapePanel(QWidget* parent, const char* name, QSize size) {
    auto* panel = named(new QFrame(parent), name);
    panel->setFrameShape(QFrame::Box);
    panel->setFixedSize(size);
    return panel;
}

}  // namespace

CardPrintDialog::CardPrintDialog(Database& src, Operator& op, const QString& dataFolder,
                                 QWidget* parent)
    : QDialog(parent), m_op(op), m_folder(dataFolder) {
    setObjectName(QStringLiteral("CardPrintDialog"));
    setWindowTitle(kCardSheetTitle);
    const PersonsGroup persons = buildPersonsGroup(this, src, [this](QWidget* window) {
        if (m_openPickList) m_openPickList(window);
    });
    m_persons = persons.choice;
    m_groups = persons.groups;
    auto* left = new QVBoxLayout;
    left->addWidget(persons.box);
    left->addWidget(buildPictureBox(QStringLiteral("Card Background"), true));
    left->addWidget(buildPictureBox(QStringLiteral("Card Logo"), false));
    left->addStretch();
    auto* right = new QVBoxLayout;
    right->addWidget(buildOptions());
    right->addWidget(buildStyle());
    right->addStretch();
    auto* body = new QHBoxLayout;
    body->addLayout(left);
    body->addLayout(right);
    auto* all = new QVBoxLayout(this);
    all->addLayout(body);
    all->addLayout(buildBottomBar());
    all->setSizeConstraint(QLayout::SetFixedSize);

    showSettings(readCardSettings());
    m_pictures = loadCardPictures(m_folder);
    for (const QString& path : m_pictures.unreadable) m_op.warning(unreadableCardPictureText(path));
    showPictures();
}

CardPrintDialog::~CardPrintDialog() = default;

int CardPrintDialog::backgroundBoxWidth(CardStyle style) {
    return style == CardStyle::Horizontal ? 128 : 54;
}

QGroupBox* CardPrintDialog::buildPictureBox(const QString& caption, bool background) {
    auto* box = named(new QGroupBox(caption, this), background ? "gbBack" : "gbLogo");
    auto* row = new QHBoxLayout(box);
    QLabel*& shown = background ? m_backBox : m_logoBox;
    shown = background ? pictureBox(box, "imgBack",
                                    {backgroundBoxWidth(CardStyle::Horizontal), kBackBoxHeight})
                       : pictureBox(box, "imgLogo", {kLogoBoxSide, kLogoBoxSide});
    auto* load = background ? namedButton(QStringLiteral("&Load Image"), "bLoadImage",
                                          QStringLiteral("Load a bitmap as card background."), box)
                            : namedButton(QStringLiteral("Load L&ogo"), "bLoadLogo",
                                          QStringLiteral("Load a bitmap as card logo."), box);
    auto* clear =
        namedButton(QStringLiteral("Clear"), background ? "bClearBack" : "bClearLogo", {}, box);
    auto* rotate =
        namedButton(QStringLiteral("Rotate"), background ? "bRotateBack" : "bRotateLogo", {}, box);
    QCheckBox*& check = background ? m_frame : m_logo;
    check = background ? named(new QCheckBox(QStringLiteral("Print &Frame"), box), "cbFrame")
                       : named(new QCheckBox(QStringLiteral("Print Lo&go"), box), "cbLogo");
    auto* buttons = new QVBoxLayout;
    for (QWidget* w : {static_cast<QWidget*>(load), static_cast<QWidget*>(clear),
                       static_cast<QWidget*>(rotate), static_cast<QWidget*>(check)})
        buttons->addWidget(w);
    row->addWidget(shown, 0, Qt::AlignTop);
    row->addLayout(buttons);
    connect(load, &QPushButton::clicked, this, [this, background] { loadPicture(background); });
    connect(clear, &QPushButton::clicked, this, [this, background] { clearPicture(background); });
    connect(rotate, &QPushButton::clicked, this, [this, background] { rotatePicture(background); });
    return box;
}

QGroupBox* CardPrintDialog::buildOptions() {
    auto* box = named(new QGroupBox(QStringLiteral("Options"), this), "gbOptions");
    auto* grid = new QGridLayout(box);
    m_title = named(new QCheckBox(QStringLiteral("&Title Line"), box), "cbTitle");
    m_titleText = named(new QLineEdit(box), "edTitle");
    grid->addWidget(m_title, 0, 0);
    grid->addWidget(m_titleText, 0, 1);
    for (int i = 0; i < kCardRemarkLines; ++i) {
        auto* check = new QCheckBox(QStringLiteral("Remark Line &%1").arg(i + 1), box);
        check->setObjectName(QStringLiteral("cbRemark%1").arg(i + 1));
        auto* text = new QLineEdit(box);
        text->setObjectName(QStringLiteral("edRemark%1").arg(i + 1));
        grid->addWidget(check, i + 1, 0);
        grid->addWidget(text, i + 1, 1);
        m_remarks[size_t(i)] = check;
        m_remarkTexts[size_t(i)] = text;
    }
    m_transparent =
        named(new QCheckBox(QStringLiteral("Tr&ansparent Background"), box), "cbTransparent");
    m_preview = named(new QCheckBox(QStringLiteral("Print Pre&view"), box), "cbPreview");
    grid->addWidget(m_transparent, kCardRemarkLines + 1, 0, 1, 2);
    grid->addWidget(m_preview, kCardRemarkLines + 2, 0, 1, 2);
    return box;
}

QGroupBox* CardPrintDialog::buildStyle() {
    auto* box = named(new QGroupBox(QStringLiteral("Style"), this), "gbStyle");
    auto* grid = new QGridLayout(box);
    m_horizontal = named(new QRadioButton(box), "rbStyle");
    m_horizontal->setToolTip(QStringLiteral("Horizontal cards, two across a page"));
    m_vertical = named(new QRadioButton(box), "rbVert");
    m_vertical->setToolTip(QStringLiteral("Vertical cards, three across a page"));
    grid->addWidget(m_horizontal, 0, 0);
    grid->addWidget(shapePanel(box, "pnlStyle", {43, 27}), 0, 1, Qt::AlignLeft);
    grid->addWidget(m_vertical, 0, 2);
    grid->addWidget(shapePanel(box, "pnlVert", {27, 43}), 0, 3, Qt::AlignLeft);
    connect(m_horizontal, &QRadioButton::clicked, this,
            [this] { chooseStyle(CardStyle::Horizontal); });
    connect(m_vertical, &QRadioButton::clicked, this, [this] { chooseStyle(CardStyle::Vertical); });
    return box;
}

QLayout* CardPrintDialog::buildBottomBar() {
    auto* confirm = named(new QPushButton(QStringLiteral("&Confirm"), this), "bConfirm");
    confirm->setDefault(true);
    auto* cancel = named(new QPushButton(QStringLiteral("Cancel"), this), "bCancel");
    cancel->setAutoDefault(false);
    auto* save = named(new QPushButton(QStringLiteral("&Save"), this), "bSave");
    save->setAutoDefault(false);
    auto* bar = new QHBoxLayout;
    bar->addStretch();
    bar->addWidget(confirm);
    bar->addWidget(cancel);
    bar->addWidget(save);
    connect(confirm, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(save, &QPushButton::clicked, this, &CardPrintDialog::save);
    return bar;
}

void CardPrintDialog::showSettings(const CardSettings& s) {
    m_preview->setChecked(s.preview);
    m_transparent->setChecked(s.transparent);
    m_title->setChecked(s.titleOn);
    m_titleText->setText(s.title);
    for (size_t i = 0; i < kCardRemarkLines; ++i) {
        m_remarks[i]->setChecked(s.remarkOn[i]);
        m_remarkTexts[i]->setText(s.remarkLabels[i]);
    }
    m_logo->setChecked(s.logoOn);
    m_frame->setChecked(s.frame);
    (s.style == CardStyle::Horizontal ? m_horizontal : m_vertical)->setChecked(true);
    applyStyle(s.style);
}

CardSettings CardPrintDialog::settings() const {
    CardSettings s;
    s.preview = m_preview->isChecked();
    s.transparent = m_transparent->isChecked();
    s.titleOn = m_title->isChecked();
    s.title = m_titleText->text();
    for (size_t i = 0; i < kCardRemarkLines; ++i) {
        s.remarkOn[i] = m_remarks[i]->isChecked();
        s.remarkLabels[i] = m_remarkTexts[i]->text();
    }
    s.logoOn = m_logo->isChecked();
    s.frame = m_frame->isChecked();
    s.style = m_vertical->isChecked() ? CardStyle::Vertical : CardStyle::Horizontal;
    return s;
}

StaffScope CardPrintDialog::persons() const {
    return StaffScope(m_persons->checkedId());
}

QString CardPrintDialog::groupName() const {
    return m_groups->currentText();
}

void CardPrintDialog::applyStyle(CardStyle style) {
    m_backBox->setFixedSize(backgroundBoxWidth(style), kBackBoxHeight);
}

void CardPrintDialog::chooseStyle(CardStyle style) {
    writeCardStyle(style);
    applyStyle(style);
}

void CardPrintDialog::showPictures() {
    showPicture(m_backBox, m_pictures.background);
    showPicture(m_logoBox, m_pictures.logo);
}

void CardPrintDialog::loadPicture(bool background) {
    if (LoadPhotoFile(m_op, picture(background), 0, 0)) showPictures();
}

void CardPrintDialog::clearPicture(bool background) {
    ClearPhoto(picture(background));
    showPictures();
}

void CardPrintDialog::rotatePicture(bool background) {
    RotatePicture(m_op, picture(background));
    showPictures();
}

void CardPrintDialog::save() {
    if (const auto saved = saveCardSetup(m_folder, settings(), m_pictures); !saved) {
        m_op.errorDetail(msg::SettingsNotSaved, saved.error().text);
        return;
    }
    m_op.information(msg::SettingsSaved);
}

}  // namespace tallyport
