#include "app/card_events.h"
#include "app/commands.h"
#include "app/log_model.h"
#include "app/login.h"
#include "app/ui/log_grid.h"
#include "app/ui/main_window.h"
#include "staff/ui/group_list_dialog.h"
#include "store/date_time.h"
#include "store/log_texts.h"
#include "store/photo_codec.h"
#include "store/photo_files.h"
#include "support/dialog_fixture.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTableView>
#include <QTimer>

namespace tallyport::test {
namespace {

const QDateTime kWhen(QDate(2024, 5, 6), QTime(7, 8, 9));

class LogView : public ConsoleFixture {
protected:
    void SetUp() override {
        ConsoleFixture::SetUp();
        window = std::make_unique<MainWindow>(console());
        op.clear();
    }
    void TearDown() override { window.reset(); }
    void addRow(int card, const QDateTime& when = kWhen) {
        ASSERT_TRUE(console().data().att().run(
            QStringLiteral(
                "INSERT INTO recorder(SYSTIME, CARDNO, MODE, READER) VALUES (?, ?, 1, 1)"),
            dateTimeText(when), card));
        Q_EMIT console().logChanged();
    }
    QString snapshotOf(int card) {
        return snapshotFileName(console().data().photoFolder(), card, kWhen);
    }
    void writeJpeg(const QString& path) {
        QDir().mkpath(QFileInfo(path).path());
        ASSERT_TRUE(SavePictureAsJpeg(Picture(200, 150, 0, 0, 255), path));
    }
    void logIn() {
        console().login().Login();
        ASSERT_TRUE(console().login().loggedIn());
    }
    void deleteRecord() { window->action(cmd::actDelRec)->trigger(); }
    void addHolder(int card, const QString& name, int group, const QByteArray& photo = {}) {
        ASSERT_TRUE(console().data().src().run(
            QStringLiteral("INSERT INTO staffs(CARDNO, NAME, WORKGRP, PHOTO) VALUES (?, ?, ?, ?)"),
            card, name, group, photo));
    }
    void addGroup(int id, const QString& name) {
        ASSERT_TRUE(console().data().src().run(
            QStringLiteral("INSERT INTO gid(id, descx) VALUES (?, ?)"), id, name));
    }
    // A card read on reader 1, through the live card handling.
    void punch(int card, const QDateTime& when) {
        console().cardEvents().OnCardCode(false, 1, card, when, ModeIn);
    }
    QString cardText(int row) { return cell(window->logGrid(), row, LogModel::ColCard); }
    QPoint rowCentre(int row) {
        return window->logGrid()->visualRect(window->logGrid()->model()->index(row, 1)).center();
    }
    QString caption() { return window->logsGroup()->title(); }
    QWidget* child(const char* name) { return window->findChild<QWidget*>(QLatin1String(name)); }
    int rows() { return window->logGrid()->model()->rowCount(); }

    std::unique_ptr<MainWindow> window;
};

TEST_F(LogView, ColumnsHaveTheirTitlesAndDesignedWidths) {
    QTableView* grid = window->logGrid();
    const QStringList titles{"Date and Time", "Card Information", "Mode", "Reader", "Lock"};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(grid->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
    const int dateWidth = window->logView()->dateColumnWidth();
    EXPECT_GE(dateWidth, 185);
    EXPECT_EQ(grid->columnWidth(0), dateWidth);
    EXPECT_EQ(grid->columnWidth(1), 165);
    EXPECT_EQ(grid->columnWidth(2), 100);
    EXPECT_TRUE(grid->isColumnHidden(4));
    addRow(1);  // a refresh keeps the columns
    EXPECT_EQ(grid->columnWidth(0), dateWidth);
    EXPECT_TRUE(grid->isColumnHidden(4));
}

TEST_F(LogView, StoredWidthsWinOverTheDesignedOnes) {
    WriteSettingInt(QStringLiteral("InfoGrid_0"), 150);
    WriteSettingInt(QStringLiteral("InfoGrid_1"), 222);
    window->logView()->restoreColumns();
    EXPECT_EQ(window->logGrid()->columnWidth(0), 150);
    EXPECT_EQ(window->logGrid()->columnWidth(1), 222);
}

// Long month and day names with two-digit days and the widest of AM and PM: none is cut at the
// grid's own font when no width is stored.
TEST_F(LogView, DateColumnFitsItsWidestTextsAtTheDefaultFont) {
    const QFontMetrics metrics(window->logGrid()->font());
    const int width = window->logGrid()->columnWidth(0);
    for (const QDateTime& t : {QDateTime(QDate(2026, 12, 10), QTime(12, 26, 18)),
                               QDateTime(QDate(2027, 9, 29), QTime(10, 58, 58)),
                               QDateTime(QDate(2026, 5, 28), QTime(23, 59, 59)),
                               QDateTime(QDate(2025, 3, 22), QTime(0, 0, 0))}) {
        const QString text = logTimeText(t);
        EXPECT_GE(width, 2 + metrics.horizontalAdvance(text) + 1) << text.toStdString();
    }
}

TEST_F(LogView, EmptyLogShowsNoRecordAndRefusesDelete) {
    EXPECT_EQ(caption(), QStringLiteral("no record"));
    EXPECT_EQ(rows(), 0);
    deleteRecord();  // logged out: the action is disabled, nothing happens
    EXPECT_TRUE(op.shown().isEmpty());
    window->logView()->deleteRecord();
    EXPECT_EQ(op.shown(), QStringList{"information: " + msg::FeatureDisabled});
    logIn();
    op.clear();
    deleteRecord();
    EXPECT_EQ(op.shown(), QStringList{"information: " + msg::NoRecordToDelete});
}

TEST_F(LogView, NewestRowIsSelectedWithItsPhotoAndSnapshot) {
    ASSERT_TRUE(console().data().src().run(
        QStringLiteral("INSERT INTO staffs(CARDNO, NAME, PHOTO) VALUES (7, 'ANNA', ?)"),
        *encodeJpeg(Picture(120, 160, 255, 0, 0))));
    writeJpeg(snapshotOf(7));
    addRow(4711, kWhen.addSecs(-60));
    addRow(7);
    EXPECT_EQ(caption(), QStringLiteral("2 record(s)"));
    EXPECT_EQ(window->logGrid()->currentIndex().row(), 1);
    window->logView()->showCurrent();
    EXPECT_FALSE(child("xphoto")->isHidden());
    EXPECT_FALSE(child("gbcap")->isHidden());
    EXPECT_EQ(static_cast<QLabel*>(child("imgcapture"))->pixmap().size(), QSize(200, 150));

    window->logGrid()->selectRow(0);  // [4711]: no holder, no snapshot
    window->logView()->showCurrent();
    EXPECT_TRUE(child("xphoto")->isHidden());
    EXPECT_TRUE(child("gbcap")->isHidden());
}

TEST_F(LogView, PhotoThatIsNoJpegHidesThePhoto) {
    ASSERT_TRUE(console().data().src().run(
        QStringLiteral("INSERT INTO staffs(CARDNO, NAME, PHOTO) VALUES (7, 'ANNA', ?)"),
        QByteArray("not a picture")));
    addRow(7);
    window->showHolderPhoto(7);
    EXPECT_TRUE(child("xphoto")->isHidden());
}

TEST_F(LogView, DeletingTheOnlyRowAsksAndTakesItsSnapshot) {
    addRow(7);
    writeJpeg(snapshotOf(7));
    logIn();
    for (bool ok : {false, true}) {
        SCOPED_TRACE(ok);
        op.clear();
        op.answerConfirm(ok);
        deleteRecord();
        EXPECT_EQ(op.shown(), QStringList{"confirm: " + msg::ConfirmDeleteLog + "\n" +
                                          logTimeText(kWhen) + "   [7]"});
        EXPECT_EQ(rows(), ok ? 0 : 1);
        EXPECT_EQ(console().data().logCount(), ok ? 0 : 1);
        EXPECT_EQ(QFile::exists(snapshotOf(7)), !ok);
    }
    EXPECT_EQ(caption(), QStringLiteral("no record"));
    EXPECT_TRUE(child("xphoto")->isHidden());
    EXPECT_TRUE(child("gbcap")->isHidden());
}

TEST_F(LogView, DoubleClickIsGatedThenNamesTheCard) {
    QSignalSpy spy(window.get(), &MainWindow::cardDoubleClicked);
    addRow(4711);
    window->show();
    QWidget* viewport = window->logGrid()->viewport();
    const QPoint cell =
        window->logGrid()->visualRect(window->logGrid()->model()->index(0, 0)).center();
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, cell);
    EXPECT_EQ(op.shown(), QStringList{"information: " + msg::FeatureDisabled});
    logIn();
    // The card editor opens for the row's card; close it as a person pressing Cancel would.
    QString opened;
    QTimer::singleShot(0, [&opened] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            opened = QString::fromLatin1(w->metaObject()->className());
            w->close();
        }
    });
    QTest::mouseDClick(viewport, Qt::LeftButton, {}, cell);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 4711);
    EXPECT_EQ(opened, QStringLiteral("tallyport::CardEditorDialog"));
}

// Runs `act` on the next popup menu; the test fails when none opens within two seconds.
void onNextPopup(std::function<void(QMenu*)> act) {
    auto* poll = new QTimer(qApp);
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll,
                     [poll, act = std::move(act), deadline = QDeadlineTimer(2000)] {
                         auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                         if (!menu && !deadline.hasExpired()) return;
                         poll->stop();
                         poll->deleteLater();
                         if (!menu) return ADD_FAILURE() << "no menu opened";
                         act(menu);
                     });
    poll->start();
}

// A punch between the right-click and the answer makes the newest row current; the record
// that goes is still the one the menu was opened on, with its snapshot, and the question
// names it.
TEST_F(LogView, DeleteTakesTheRowTheMenuWasOpenedOnWhateverArrivesMeanwhile) {
    addGroup(2, QStringLiteral("OFFICE"));
    addHolder(7, QStringLiteral("CLARA"), 2);
    addHolder(8, QStringLiteral("BORIS"), 2);
    addRow(7);
    addRow(8, kWhen.addSecs(60));
    writeJpeg(snapshotOf(7));
    writeJpeg(snapshotFileName(console().data().photoFolder(), 8, kWhen.addSecs(60)));
    window->show();
    logIn();
    QTableView* grid = window->logGrid();
    ASSERT_EQ(grid->currentIndex().row(), 1);  // BORIS, the newest

    op.answerConfirm(true);
    onNextPopup([&](QMenu* menu) {
        punch(8, kWhen.addSecs(120));  // BORIS again: his new row becomes current
        EXPECT_EQ(grid->currentIndex().row(), 2);
        QAction* del = window->action(cmd::actDelRec);
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(del).center());
    });
    const QPoint at = rowCentre(0);
    QContextMenuEvent rightClick(QContextMenuEvent::Mouse, at, grid->viewport()->mapToGlobal(at));
    QApplication::sendEvent(grid->viewport(), &rightClick);

    EXPECT_EQ(op.shown("confirm"),
              QStringList{msg::ConfirmDeleteLog + "\n" + logTimeText(kWhen) + "   CLARA, OFFICE"});
    ASSERT_EQ(rows(), 2);
    EXPECT_EQ(cardText(0), QStringLiteral("BORIS, OFFICE"));
    EXPECT_EQ(cardText(1), QStringLiteral("BORIS, OFFICE"));
    EXPECT_FALSE(QFile::exists(snapshotOf(7)));
    EXPECT_TRUE(
        QFile::exists(snapshotFileName(console().data().photoFolder(), 8, kWhen.addSecs(60))));
    EXPECT_EQ(caption(), QStringLiteral("2 record(s)"));
}

// The double click edits the card of the row under the mouse, also when a card event has just
// made the newest row current.
TEST_F(LogView, DoubleClickEditsTheClickedRowNotTheNewest) {
    QSignalSpy spy(window.get(), &MainWindow::cardDoubleClicked);
    addRow(7);
    window->show();
    logIn();
    punch(8, kWhen.addSecs(60));
    ASSERT_EQ(window->logGrid()->currentIndex().row(), 1);
    QString opened;
    RecordNextModal(opened);
    const QPoint at = rowCentre(0);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, window->logGrid()->viewport()->mapToGlobal(at),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->logGrid()->viewport(), &dbl);
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).toInt(), 7);
    EXPECT_EQ(opened, QStringLiteral("CardEditorDialog"));
}

// Holders and groups change in their dialogs while the log shows them: its texts follow at
// once, rows that are not shown yet included.
TEST_F(LogView, GroupAndCardChangesShowInTheGrid) {
    addGroup(2, QStringLiteral("OFFICE"));
    addHolder(7, QStringLiteral("CLARA"), 2);
    for (int i = 0; i < 300; ++i) addRow(i % 2 ? 7 : 4711, kWhen.addSecs(i));
    window->show();
    logIn();
    ASSERT_EQ(cardText(299), QStringLiteral("CLARA, OFFICE"));
    ASSERT_EQ(cardText(1), QStringLiteral("CLARA, OFFICE"));  // a page far from the shown one

    QString whileOpen;
    OnNextModal([&](QWidget* w) {
        auto* list = qobject_cast<GroupListDialog*>(w);
        ASSERT_NE(list, nullptr);
        list->dbg_list->selectRow(1);
        op.answerConfirm(true);
        list->btndeleteClick();
        whileOpen = cardText(299);
        list->reject();
    });
    window->action(QStringLiteral("actdefgroup"))->trigger();
    EXPECT_EQ(whileOpen, QStringLiteral("CLARA, "));
    EXPECT_EQ(cardText(1), QStringLiteral("CLARA, "));

    addGroup(3, QStringLiteral("NIGHT"));
    OnNextModal([](QWidget* w) {
        control<QComboBox>(w, "cbxgroup")->setCurrentText(QStringLiteral("NIGHT"));
        click(w, "xconfirm");
    });
    const QPoint at = rowCentre(299);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, at, window->logGrid()->viewport()->mapToGlobal(at),
                    Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(window->logGrid()->viewport(), &dbl);
    EXPECT_EQ(cardText(299), QStringLiteral("CLARA, NIGHT"));
    EXPECT_EQ(cardText(1), QStringLiteral("CLARA, NIGHT"));
    EXPECT_EQ(cardText(0), QStringLiteral("[4711]"));
}

// The window keeps its layout from card to card: the photo pane, the clock and the grid keep
// their places whether the holder has a photo or not, the name column takes the spare width,
// and the newest row stays in view.
TEST_F(LogView, LayoutStaysSteadyAndTheNewestRowInView) {
    addHolder(7, QStringLiteral("ANNA"), 1, *encodeJpeg(Picture(120, 160, 255, 0, 0)));
    addHolder(8, QStringLiteral("BEN"), 1);
    window->showMainWindow();
    QTableView* grid = window->logGrid();
    auto settle = [] {
        for (int i = 0; i < 5; ++i) QApplication::processEvents();  // layouts nest: a pass each
    };
    auto places = [&] {
        settle();
        return QList<QRect>{child("gbphoto")->geometry(), child("clk")->geometry(),
                            window->logsGroup()->geometry()};
    };
    punch(7, kWhen);
    ASSERT_TRUE(child("xphoto")->isVisible());
    const QList<QRect> withPhoto = places();
    punch(8, kWhen.addSecs(1));
    ASSERT_FALSE(child("xphoto")->isVisible());
    EXPECT_EQ(places(), withPhoto);

    for (int i = 2; i < 40; ++i) {
        punch(i % 2 ? 8 : 7, kWhen.addSecs(i));
        settle();
        const QRect newest = grid->visualRect(grid->model()->index(rows() - 1, 0));
        ASSERT_TRUE(grid->viewport()->rect().contains(newest)) << i;
    }
    EXPECT_GE(grid->height() / grid->rowHeight(0), 5);  // more than a few rows under the clock
    // The names take the spare width; the reader column at the end keeps its own.
    const int last = LogModel::ColReader;
    EXPECT_EQ(grid->columnViewportPosition(last) + grid->columnWidth(last),
              grid->viewport()->width());
    EXPECT_EQ(grid->columnWidth(last), 100);
    EXPECT_GT(grid->columnWidth(LogModel::ColCard), 165);
}

// Text starts 2 pixels in from the cell's corner and never leaves the cell.
TEST(LogCellDrawing, TextIsOffsetAndClipped) {
    QStandardItemModel model(1, 1);
    model.setItem(0, 0, new QStandardItem(QStringLiteral("WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW")));
    QImage image(200, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QStyleOptionViewItem option;
    option.rect = QRect(10, 10, 80, 20);
    option.palette.setColor(QPalette::Base, Qt::white);
    option.palette.setColor(QPalette::Text, Qt::black);
    {
        QPainter p(&image);
        LogCellDelegate().paint(&p, option, model.index(0, 0));
    }
    int left = 1000, top = 1000, right = -1, bottom = -1;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128) {
                left = std::min(left, x), top = std::min(top, y);
                right = std::max(right, x), bottom = std::max(bottom, y);
            }
    ASSERT_GE(right, 0) << "no text drawn";
    EXPECT_GE(left, 12);
    EXPECT_GE(top, 12);
    EXPECT_LE(right, 89);
    EXPECT_LE(bottom, 29);
}

}  // namespace
}  // namespace tallyport::test
