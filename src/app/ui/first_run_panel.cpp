#include "app/ui/first_run_panel.h"

#include "app/first_run.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace tallyport {
namespace {

struct StepText {
    const char* title;
    const char* hint;
};
constexpr StepText kSteps[FirstRunPanel::StepCount] = {
    {"1. Set the password", "Who may log in and change the setup."},
    {"2. Add a reader", "Its address, port, description and mode; then enable it."},
    {"3. Define work groups", "The working hours of each group (DEFAULT is there already)."},
    {"4. Register holders", "Card numbers and names, before or after a card is first read."},
};

QToolButton* commandButton(QAction* action, const QString& name) {
    auto* button = new QToolButton;
    button->setObjectName(name);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextOnly);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    return button;
}

QLabel* stepLabel(const StepText& text) {
    auto* label = new QLabel(QStringLiteral("<b>%1</b> \u2013 %2")
                                 .arg(QString::fromUtf8(text.title), QString::fromUtf8(text.hint)));
    label->setWordWrap(true);
    return label;
}

}  // namespace

FirstRunPanel::FirstRunPanel(FirstRunGuide& guide, const FirstRunActions& actions, QWidget* parent)
    : QWidget(parent), m_guide(guide), m_login(actions.login) {
    setObjectName(QStringLiteral("firstRun"));
    auto* title = new QLabel(first_run_text::Title);
    QFont big = title->font();
    big.setBold(true);
    if (big.pointSizeF() > 0) big.setPointSizeF(big.pointSizeF() * 1.3);
    title->setFont(big);
    auto* intro = new QLabel(first_run_text::Intro);
    intro->setWordWrap(true);

    m_loginRow = new QWidget;
    auto* loginLayout = new QHBoxLayout(m_loginRow);
    loginLayout->setContentsMargins(0, 0, 0, 0);
    auto* loginNote = new QLabel(first_run_text::LoginFirst);
    loginNote->setWordWrap(true);
    loginLayout->addWidget(loginNote, 1);
    loginLayout->addWidget(commandButton(actions.login, QStringLiteral("firstRunLogin")));

    auto* steps = new QGridLayout;
    steps->setColumnStretch(1, 1);
    const std::array<QAction*, StepCount> commands = {actions.password, actions.readers,
                                                      actions.groups, actions.holders};
    for (int i = 0; i < StepCount; ++i) {
        m_marks[size_t(i)] = new QLabel;
        m_marks[size_t(i)]->setObjectName(QStringLiteral("firstRunMark%1").arg(i + 1));
        m_marks[size_t(i)]->setFont(big);
        m_buttons[size_t(i)] =
            commandButton(commands[size_t(i)], QStringLiteral("firstRunStep%1").arg(i + 1));
        steps->addWidget(m_marks[size_t(i)], i, 0, Qt::AlignTop);
        steps->addWidget(stepLabel(kSteps[i]), i, 1);
        steps->addWidget(m_buttons[size_t(i)], i, 2, Qt::AlignTop);
    }
    steps->setColumnMinimumWidth(2, 180);

    auto* close = new QPushButton(first_run_text::Close);
    close->setObjectName(QStringLiteral("firstRunClose"));
    connect(close, &QPushButton::clicked, &m_guide, &FirstRunGuide::close);

    // A small window scrolls the checklist rather than squeezing its lines.
    auto* content = new QWidget;
    auto* scroll = new QScrollArea;
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(scroll);
    auto* layout = new QVBoxLayout(content);
    layout->addWidget(title);
    layout->addWidget(intro);
    layout->addWidget(m_loginRow);
    layout->addLayout(steps);
    layout->addStretch();
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(close);
    layout->addLayout(bottom);

    connect(&m_guide, &FirstRunGuide::changed, this, &FirstRunPanel::showState);
    connect(m_login, &QAction::changed, this, &FirstRunPanel::showState);
    showState();
}

QString FirstRunPanel::mark(int step) const {
    return m_marks[size_t(step)]->text();
}

void FirstRunPanel::showState() {
    const FirstRunState& s = m_guide.state();
    const std::array<bool, StepCount> done = {s.password, s.reader, s.groups, s.holders};
    for (int i = 0; i < StepCount; ++i)
        m_marks[size_t(i)]->setText(done[size_t(i)] ? first_run_text::Done : first_run_text::Open);
    m_loginRow->setVisible(m_login->isEnabled());  // Login is enabled while logged out
}

}  // namespace tallyport
