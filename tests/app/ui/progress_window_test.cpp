// Long work at the desktop: the progress window stays live and modal, its Cancel button stops
// the work without a message, and a failure comes up in an error box.
#include "app/ui/progress_window.h"
#include "app/ui/gui_operator.h"
#include "base/long_work.h"
#include "support/dialog_fixture.h"

#include <QMessageBox>
#include <QProgressBar>
#include <QThread>
#include <atomic>

namespace tallyport::test {
namespace {

// Runs until cancelled, with a bound so a lost cancel fails instead of hanging.
Result<int> untilCancelled(WorkContext& work, std::atomic<int>& step) {
    for (int i = 0; i < 5000; ++i) {
        if (work.cancelled()) return fail(kWorkCancelled);
        work.setProgress(i % 100, 100);
        step = i;
        QThread::msleep(1);
    }
    return fail(QStringLiteral("never cancelled"));
}

// Notes and closes any message box that comes up.
class LongWorkAtTheDesktop : public DialogFixture {
protected:
    void SetUp() override {
        DialogFixture::SetUp();
        QObject::connect(&m_boxWatch, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->text();
                box->close();
            }
        });
        m_boxWatch.start(20);
    }
    QStringList boxes;

private:
    QTimer m_boxWatch;
};

TEST_F(LongWorkAtTheDesktop, CancelInTheProgressWindowStopsTheWork) {
    GuiOperator op;
    std::atomic<int> step{0};
    QString title;
    bool modal = false, barMoved = false;
    OnNextModal([&](QWidget* w) {
        title = w->windowTitle();
        modal = w->objectName() == QStringLiteral("ProgressWindow") && w->isModal();
        // The bar follows the work while the loop runs.
        auto* bar = w->findChild<QProgressBar*>();
        barMoved = bar && QTest::qWaitFor([&] { return bar->value() > 0; }, 3000);
        click(w, "bCancel");
    });
    const auto r = runLongWork<int>(op, QStringLiteral("Exporting Log Records"),
                                    [&](WorkContext& work) { return untilCancelled(work, step); });
    EXPECT_TRUE(r.cancelled());
    EXPECT_EQ(title, QStringLiteral("Exporting Log Records"));
    EXPECT_TRUE(modal);
    EXPECT_TRUE(barMoved);
    EXPECT_TRUE(boxes.isEmpty()) << boxes.join(u'|').toStdString();
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_FALSE(w->isVisible() && w->objectName() == QStringLiteral("ProgressWindow"));
}

TEST_F(LongWorkAtTheDesktop, AFailureComesUpInAnErrorBox) {
    GuiOperator op;
    const auto r = runLongWork<int>(op, QStringLiteral("Backup"), [](WorkContext&) -> Result<int> {
        return fail(QStringLiteral("The backup folder cannot be written."));
    });
    EXPECT_FALSE(r.has_value());
    EXPECT_EQ(boxes, QStringList{QStringLiteral("The backup folder cannot be written.")});
}

}  // namespace
}  // namespace tallyport::test
