// A desktop beside a running recorder (`tallyport --headless` with a simulated reader): it opens
// attached, follows the recorder's commits, edits holders the recorder's next punch names, asks
// the recorder for what needs the readers, and refuses what would replace the recorder's files.
#include "app/recorder_link.h"
#include "app/log_model.h"
#include "app/ui/main_window.h"
#include "app/ui/reader_indicators.h"
#include "app/ui/recorder_readers_dialog.h"
#include "staff/holder_register.h"
#include "store/data_module.h"
#include "store/messages.h"
#include "support/console_process.h"
#include "support/reader_folder.h"
#include "support/dialog_fixture.h"
#include "support/sim_process.h"

#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>

namespace tallyport::test {
namespace {

class AttachedDesktop : public ConsoleFixture {
protected:
    void SetUp() override {
        ConsoleFixture::SetUp();
        ASSERT_TRUE(sim.ready());
        pointReaderAt(data.path(), sim.port());
        ASSERT_TRUE(recorder.start()) << recorder.standardError().toStdString();
        ASSERT_TRUE(
            sim.waitForEvent(QStringLiteral("readersim connected %1").arg(sim.port()), 10000));
        const auto status = askRecorderStatus(data.path());
        ASSERT_TRUE(status.has_value());
        const auto r = recorderOf(*status);
        ASSERT_TRUE(r.has_value());
        console().attachTo(*r);
    }
    void punch(int card) {
        ASSERT_TRUE(sim.ok(QStringLiteral("card 6 %1").arg(card)));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return recorder.standardOutput().contains(QStringLiteral("\t%1\t").arg(card)); },
            5000));
    }

    tallyport::testing::SimProcess sim;
    ConsoleProcess recorder{data.path()};
};

TEST_F(AttachedDesktop, SeesThePunchesAndTheReadersOfTheRecorder) {
    MainWindow w(console());
    ASSERT_FALSE(w.endRequested()) << op.shown().join(u'\n').toStdString();
    EXPECT_EQ(w.windowTitle(),
              QStringLiteral("Tallyport — attached to the recorder, process %1, user %2")
                  .arg(recorder.process().processId())
                  .arg(console().attachedTo()->user));
    // It runs no reader of its own: the recorder keeps its link.
    EXPECT_FALSE(console().readers().reader(1).isConnected());
    LogModel* model = w.findChild<LogModel*>();
    ASSERT_NE(model, nullptr);
    EXPECT_EQ(model->rowCount(), 0);

    punch(4711);
    ASSERT_TRUE(QTest::qWaitFor([&] { return model->rowCount() == 1; }, 5000));
    EXPECT_EQ(model->record(0)->cardNo, 4711);
    // The reader is named as the recorder names it.
    EXPECT_EQ(model->index(0, LogModel::ColReader).data().toString(), QStringLiteral("Front door"));
    // Its status bar shows the recorder's reader, as the recorder tells it.
    auto* indicators = w.findChild<ReaderIndicators*>();
    ASSERT_NE(indicators, nullptr);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            return indicators->indicator(1)->text().contains(QStringLiteral("Front door: connected"));
        },
        5000))
        << indicators->indicator(1)->text().toStdString();
}

TEST_F(AttachedDesktop, AHolderEditedHereIsNamedByTheRecordersNextPunch) {
    MainWindow w(console());
    ASSERT_FALSE(w.endRequested());
    ASSERT_TRUE(addHolder(console().data().src(), 515, QStringLiteral("Vera"), QString()));
    punch(515);
    EXPECT_TRUE(recorder.standardOutput().contains(QStringLiteral("\t515\tVera")))
        << recorder.standardOutput().toStdString();
}

TEST_F(AttachedDesktop, RestoreEraseAndFormatAreRefusedWithWhatToDo) {
    punch(4711);
    MainWindow w(console());
    ASSERT_FALSE(w.endRequested());
    const QFileInfo before(data.path() + QStringLiteral("/attend.db"));
    for (const char* name : {"actRstLogs", "actRstSys", "actdelete", "actreset"}) {
        op.clear();
        QAction* a = w.action(QLatin1String(name));
        ASSERT_NE(a, nullptr) << name;
        a->setEnabled(true);
        a->trigger();
        ASSERT_EQ(op.shown(QStringLiteral("error")).size(), 1) << name;
        EXPECT_TRUE(op.shown(QStringLiteral("error"))[0].contains(QStringLiteral("Stop the recorder first")))
            << op.shown(QStringLiteral("error"))[0].toStdString();
        EXPECT_TRUE(op.shown(QStringLiteral("error"))[0].contains(QString::number(recorder.process().processId())));
    }
    EXPECT_EQ(console().data().logCount(), 1);
}

// The recorder stopped while the desktop stays open: what would replace the files the desktop
// still writes waits until it is closed.
TEST_F(AttachedDesktop, NoFormatOrRestoreWhileADesktopIsAttached) {
    auto w = std::make_unique<MainWindow>(console());
    ASSERT_FALSE(w->endRequested());
    ASSERT_EQ(recorder.terminate(), 0);
    const auto run = [&](const QStringList& args) {
        QProcess p;
        p.start(BuiltProgram(QStringLiteral("tallyport")),
                args + QStringList{QStringLiteral("--data-dir"), data.path()});
        p.waitForFinished(60000);
        return std::pair{p.exitCode(), QString::fromUtf8(p.readAllStandardError())};
    };
    for (const QStringList& args : {QStringList{QStringLiteral("format"), QStringLiteral("--yes")},
                                    QStringList{QStringLiteral("restore"), QStringLiteral("sys"),
                                                data.path() + QStringLiteral("/sysdat-b.db")}}) {
        const auto [code, err] = run(args);
        EXPECT_EQ(code, 3) << args.join(u' ').toStdString();
        EXPECT_TRUE(err.contains(QStringLiteral("attached to the data folder"))) << err.toStdString();
    }
    ASSERT_TRUE(addHolder(console().data().src(), 77, QStringLiteral("Mia"), QString()));
    w.reset();
    console().Shutdown();
    EXPECT_EQ(run({QStringLiteral("format"), QStringLiteral("--yes")}).first, 0);
}

TEST_F(AttachedDesktop, TheAccessManagerIsCarriedOutByTheRecorder) {
    ASSERT_TRUE(sim.ok(QStringLiteral("log fill 5 from=2024-03-01T08:00:00 step=60")));
    MainWindow w(console());
    ASSERT_FALSE(w.endRequested());
    // The recorder's own download after connecting may have taken them already; an explicit
    // one then finds nothing: together they stored all five once.
    RecorderReadersDialog dialog(console(), &w);
    ASSERT_TRUE(dialog.hasReaders());
    EXPECT_EQ(dialog.chosenPort(), 1);
    dialog.button(QStringLiteral("Download"))->click();
    ASSERT_TRUE(op.shown(QStringLiteral("error")).isEmpty()) << op.shown(QStringLiteral("error")).join(u'\n').toStdString();
    ASSERT_FALSE(op.shown(QStringLiteral("information")).isEmpty());
    const QString said = op.shown(QStringLiteral("information")).join(u'\n');
    EXPECT_TRUE(said.contains(QStringLiteral("Added = ")) ||
                said.contains(QStringLiteral("No record to download.")))
        << said.toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return console().data().logCount() == 5; }, 5000));

    // Clear asks here; No sends nothing.
    op.answerYesNo(false);
    dialog.button(QStringLiteral("Clear"))->click();
    EXPECT_EQ(op.shown(QStringLiteral("yesno")).size(), 1);

    // The system PINs go to the reader through the recorder, and are kept.
    RecorderReadersDialog pins(console(), &w);
    pins.enterPinLayout();
    pins.findChild<QSpinBox*>(QStringLiteral("semasterpin"))->setValue(4321);
    pins.findChild<QSpinBox*>(QStringLiteral("secontrolpin"))->setValue(8765);
    op.clear();
    pins.button(QStringLiteral("Put"))->click();
    EXPECT_TRUE(op.shown(QStringLiteral("error")).isEmpty())
        << op.shown(QStringLiteral("error")).join(u'\n').toStdString();
    const QStringList state = sim.command(QStringLiteral("state"));
    EXPECT_TRUE(state.contains(QStringLiteral("accesspin=4321"))) << state.join(u' ').toStdString();
    EXPECT_TRUE(state.contains(QStringLiteral("controlpin=8765")));
    EXPECT_EQ(console().data().GetKeyInt(QStringLiteral("CONTROLPIN")), 8765);
}

}  // namespace
}  // namespace tallyport::test
