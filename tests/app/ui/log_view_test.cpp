#include "app/commands.h"
#include "app/log_model.h"
#include "app/login.h"
#include "app/ui/log_grid.h"
#include "app/ui/ttimerec.h"
#include "store/date_time.h"
#include "store/log_texts.h"
#include "store/photo_codec.h"
#include "store/photo_files.h"
#include "support/dialog_fixture.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
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
        window = std::make_unique<TTimeRec>(console());
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
    QString caption() { return window->logsGroup()->title(); }
    QWidget* child(const char* name) { return window->findChild<QWidget*>(QLatin1String(name)); }
    int rows() { return window->logGrid()->model()->rowCount(); }

    std::unique_ptr<TTimeRec> window;
};

TEST_F(LogView, ColumnsHaveTheirTitlesAndDesignedWidths) {
    QTableView* grid = window->logGrid();
    const QStringList titles{"Date and Time", "Card Information", "Mode", "Reader", "Lock"};
    for (int c = 0; c < 5; ++c)
        EXPECT_EQ(grid->model()->headerData(c, Qt::Horizontal).toString(), titles[c]);
    EXPECT_EQ(grid->columnWidth(0), 185);
    EXPECT_EQ(grid->columnWidth(1), 165);
    EXPECT_EQ(grid->columnWidth(2), 100);
    EXPECT_EQ(grid->columnWidth(3), 100);
    EXPECT_TRUE(grid->isColumnHidden(4));
    addRow(1);  // a refresh keeps the columns
    EXPECT_EQ(grid->columnWidth(0), 185);
    EXPECT_TRUE(grid->isColumnHidden(4));
}

TEST_F(LogView, StoredWidthsWinOverTheDesignedOnes) {
    WriteSettingInt(QStringLiteral("InfoGrid_1"), 222);
    window->logView()->restoreColumns();
    EXPECT_EQ(window->logGrid()->columnWidth(0), 185);
    EXPECT_EQ(window->logGrid()->columnWidth(1), 222);
}

TEST_F(LogView, EmptyLogShowsNoRecordAndRefusesDelete) {
    EXPECT_EQ(caption(), QStringLiteral("no record"));
    EXPECT_EQ(rows(), 0);
    deleteRecord();  // logged out: the action is disabled, nothing happens
    EXPECT_TRUE(op.shown().isEmpty());
    window->logView()->deleteCurrentRecord();
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
        EXPECT_EQ(op.shown(), QStringList{"confirm: " + msg::ConfirmDeleteLog});
        EXPECT_EQ(rows(), ok ? 0 : 1);
        EXPECT_EQ(console().data().logCount(), ok ? 0 : 1);
        EXPECT_EQ(QFile::exists(snapshotOf(7)), !ok);
    }
    EXPECT_EQ(caption(), QStringLiteral("no record"));
    EXPECT_TRUE(child("xphoto")->isHidden());
    EXPECT_TRUE(child("gbcap")->isHidden());
}

TEST_F(LogView, DoubleClickIsGatedThenNamesTheCard) {
    QSignalSpy spy(window.get(), &TTimeRec::cardDoubleClicked);
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
    EXPECT_EQ(opened, QStringLiteral("tallyport::Tnadd"));
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
