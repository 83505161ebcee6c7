#pragma once

#include <QWidget>
#include <array>

class QAction;
class QLabel;
class QToolButton;

namespace tallyport {

class FirstRunGuide;

namespace first_run_text {
inline const QString Title = QStringLiteral("Getting started");
inline const QString Intro = QStringLiteral(
    "Nothing is set up in this data folder yet. These steps make the console record and name "
    "every card; each button opens the same window as its menu command.");
inline const QString LoginFirst =
    QStringLiteral("Log in first: until a password is set, Login lets anybody in.");
inline const QString Close = QStringLiteral("Close this guide");
inline const QString Done = QStringLiteral("\u2714");  // the step's tick
inline const QString Open = QStringLiteral("\u25CB");  // a step still to do
}  // namespace first_run_text

// The commands the guide's buttons run: the main window's own actions.
struct FirstRunActions {
    QAction* login = nullptr;
    QAction* password = nullptr;
    QAction* readers = nullptr;
    QAction* groups = nullptr;
    QAction* holders = nullptr;
};

// The first-run checklist shown in place of the empty log grid: one line per step with its
// tick and the button of its command. It shows what the guide's rule says; it decides nothing.
class FirstRunPanel : public QWidget {
    Q_OBJECT
public:
    static constexpr int StepCount = 4;  // password, reader, groups, holders

    FirstRunPanel(FirstRunGuide& guide, const FirstRunActions& actions, QWidget* parent = nullptr);

    // The tick of a step (0..3): first_run_text::Done or Open.
    QString mark(int step) const;
    QToolButton* stepButton(int step) const { return m_buttons[size_t(step)]; }

private:
    void showState();

    FirstRunGuide& m_guide;
    std::array<QLabel*, StepCount> m_marks{};
    std::array<QToolButton*, StepCount> m_buttons{};
    QWidget* m_loginRow = nullptr;
    QAction* m_login = nullptr;
};

}  // namespace tallyport
