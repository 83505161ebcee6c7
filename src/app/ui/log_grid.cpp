#include "app/ui/log_grid.h"

#include "staff/staff_rows.h"

#include "app/console.h"
#include "app/log_model.h"
#include "app/login.h"
#include "app/ui/log_grid_fit.h"
#include "store/log_texts.h"
#include "store/photo_codec.h"
#include "store/photo_files.h"
#include "store/setting_names.h"
#include "store/settings.h"
#include "ui/form_layout.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QFile>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QStyle>
#include <QTableView>
#include <algorithm>

namespace tallyport {
namespace {

constexpr int kDesignedWidths[LogModel::ColumnCount] = {185, 165, 100, 100, 100};
constexpr int kHiddenColumn = LogModel::ColLock;
// The text starts 2 pixels in; a few more keep it off the grid line on the right.
constexpr int kTextPadding = 2 + 6;

// The widest date and time the log can show in a font: month and day names and AM/PM vary in
// width, the digits of the usual fonts do not. Days 22 to 28 of every month meet every weekday
// name with two-digit days.
int widestTimeText(const QFontMetrics& metrics) {
    int widest = 0;
    for (int month = 1; month <= 12; ++month)
        for (int day = 22; day <= 28; ++day)
            for (int hour : {10, 22}) {
                const QDateTime t(QDate(2026, month, day), QTime(hour, 58, 58));
                widest = std::max(widest, metrics.horizontalAdvance(logTimeText(t)));
            }
    return widest;
}

QPixmap toPixmap(const Picture& picture) {
    const QImage image(picture.data(), picture.width(), picture.height(),
                       static_cast<qsizetype>(picture.stride()), QImage::Format_BGR888);
    return QPixmap::fromImage(image.copy());
}

}  // namespace

void LogCellDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    const bool selected = opt.state.testFlag(QStyle::State_Selected);
    painter->save();
    painter->setClipRect(opt.rect);
    painter->fillRect(opt.rect, selected ? opt.palette.highlight() : opt.palette.base());
    painter->setPen(selected ? opt.palette.highlightedText().color() : opt.palette.text().color());
    painter->setFont(opt.font);
    painter->drawText(opt.rect.adjusted(2, 2, 0, 0),
                      Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, opt.text);
    painter->restore();
}

LogGrid::LogGrid(Console& console, QWidget* window, QTableView* info, QGroupBox* logs,
                 QAction* deleteRecord)
    : QObject(info),
      m_console(console),
      m_info(info),
      m_logs(logs),
      m_photo(window->findChild<QLabel*>(QStringLiteral("xphoto"))),
      m_capture(window->findChild<QLabel*>(QStringLiteral("imgcapture"))),
      m_captureGroup(window->findChild<QGroupBox*>(QStringLiteral("gbcap"))),
      m_model(new LogModel(
          console.data(), [&console](int port) { return console.readers().reader(port).Desc(); },
          info)) {
    QAbstractItemModel* placeholder = info->model();
    QItemSelectionModel* oldSelection = info->selectionModel();
    info->setModel(m_model);
    delete oldSelection;
    if (placeholder && placeholder->parent() == info) delete placeholder;
    info->setItemDelegate(new LogCellDelegate(info));
    info->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    // Rows as high as their text needs: the log shows as many as its space allows.
    info->verticalHeader()->setMinimumSectionSize(1);
    info->verticalHeader()->setDefaultSectionSize(info->fontMetrics().height() + 6);
    info->viewport()->installEventFilter(this);
    info->installEventFilter(this);
    connect(deleteRecord, &QAction::triggered, this, &LogGrid::deleteRecord);
    connect(&console, &Console::logChanged, this, [this] { refresh(true); });
    connect(&console, &Console::logViewHeld, this, &LogGrid::setHeld);
    connect(&console, &Console::holdersChanged, m_model, &LogModel::dropHolderTexts);
    for (int c = 0; c < LogModel::ColumnCount; ++c) info->setColumnWidth(c, kDesignedWidths[c]);
    info->setColumnWidth(LogModel::ColTime, dateColumnWidth());
    info->setColumnHidden(kHiddenColumn, true);
    // The names take the room a wide window gives, not the reader column at the end.
    m_nameColumn = new SpareWidthColumn(info, LogModel::ColCard);
}

int LogGrid::dateColumnWidth() const {
    return std::max(kDesignedWidths[LogModel::ColTime],
                    widestTimeText(QFontMetrics(m_info->font())) + kTextPadding);
}

void LogGrid::restoreColumns() {
    RestoreGridColumns(setting::InfoGrid, m_info);
    for (int c = 0; c < LogModel::ColumnCount; ++c) {
        const QString stored = setting::InfoGrid + QLatin1Char('_') + QString::number(c);
        if (!ReadSettingText(stored, QString()).isEmpty()) continue;
        m_info->setColumnWidth(c, c == LogModel::ColTime ? dateColumnWidth() : kDesignedWidths[c]);
    }
    m_info->setColumnHidden(kHiddenColumn, true);
}

// The name column is kept at its own width, not at the room this window happened to give it.
void LogGrid::saveColumns() {
    SaveGridColumns(setting::InfoGrid, m_info);
    WriteSettingInt(setting::InfoGrid + QStringLiteral("_%1").arg(LogModel::ColCard),
                    m_nameColumn->ownWidth());
}

void LogGrid::setHeld(bool held) {
    m_held = held;
    if (held) {
        refresh(false);
        m_photo->hide();
        m_captureGroup->hide();
        return;
    }
    refresh(true);
    showCurrent();
}

void LogGrid::refresh(bool shown) {
    if (!shown || m_held) {
        m_info->hide();
        m_model->clear();  // nothing may read a closed database
        return;
    }
    m_model->refresh();
    selectNewest();
    showRecordCount();
    m_info->show();
    m_info->viewport()->update();
}

void LogGrid::selectNewest() {
    const int rows = m_model->rowCount();
    if (rows == 0) return;
    const QModelIndex newest = m_model->index(rows - 1, 0);
    m_info->selectionModel()->setCurrentIndex(
        newest, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    m_info->scrollTo(newest);
}

void LogGrid::showRecordCount() {
    m_logs->setTitle(m_console.recordCountText());
}

std::optional<LogRecord> LogGrid::currentRecord() const {
    const QModelIndex current = m_info->currentIndex();
    return current.isValid() ? m_model->record(current.row()) : std::nullopt;
}

void LogGrid::showHolderPhoto(int cardNo) {
    Picture picture;
    bool loaded = false;
    if (!m_held && m_model->rowCount() > 0 && m_console.data().isOpen()) {
        auto photo = loadCardPhoto(m_console.data().src(), cardNo);
        if (!photo)
            m_console.data().reportFailure(photo.error());
        else if (!photo->isEmpty())
            loaded = LoadPhotoFromField(*photo, picture);
    }
    if (loaded) m_photo->setPixmap(toPixmap(picture));
    m_photo->setVisible(loaded);
}

void LogGrid::showSnapshot(int cardNo, const QDateTime& time) {
    QFile file(snapshotFileName(m_console.data().photoFolder(), cardNo, time));
    auto picture = !m_held && file.open(QIODevice::ReadOnly)
                       ? decodeJpeg(file.readAll())
                       : Result<Picture>(std::unexpected(Error{}));
    if (picture) m_capture->setPixmap(toPixmap(*picture));  // unscaled: the top left shows
    m_captureGroup->setVisible(picture.has_value());
}

void LogGrid::showCurrent() {
    const auto rec = currentRecord();
    if (!rec) {
        m_photo->hide();
        m_captureGroup->hide();
        return;
    }
    showHolderPhoto(rec->cardNo);
    showSnapshot(rec->cardNo, rec->sysTime);
}

std::optional<LogGrid::Target> LogGrid::targetAt(int row) const {
    auto rec = m_model->record(row);
    if (!rec) return std::nullopt;
    return Target{*rec, m_model->index(row, LogModel::ColCard).data().toString()};
}

std::optional<LogGrid::Target> LogGrid::targetAt(const QPoint& viewportPos) const {
    const QModelIndex at = m_info->indexAt(viewportPos);
    const QModelIndex row = at.isValid() ? at : m_info->currentIndex();
    return row.isValid() ? targetAt(row.row()) : std::nullopt;
}

// The menu acts on the row it was opened on: that row becomes current (so the photo and the
// highlight show what the question is about) and is remembered while the menu is open.
void LogGrid::contextMenu(const QContextMenuEvent& event, bool fromViewport) {
    const bool byMouse = fromViewport && event.reason() == QContextMenuEvent::Mouse;
    m_menuTarget = byMouse ? targetAt(event.pos()) : targetAt(m_info->currentIndex().row());
    if (byMouse && m_info->indexAt(event.pos()).isValid()) {
        m_info->selectionModel()->setCurrentIndex(
            m_info->indexAt(event.pos()),
            QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        showCurrent();
    }
    QMenu::exec(m_info->actions(), event.globalPos(), nullptr, m_info);
    m_menuTarget.reset();
}

// The row goes first and its snapshot after it: a failed delete keeps both.
void LogGrid::deleteRecord() {
    Operator& op = m_console.op();
    if (!m_console.login().loggedIn()) return op.information(msg::FeatureDisabled);
    const auto target = m_model->rowCount() == 0 ? std::nullopt
                        : m_menuTarget           ? m_menuTarget
                                                 : targetAt(m_info->currentIndex().row());
    if (!target) return op.information(msg::NoRecordToDelete);
    const LogRecord& rec = target->rec;
    if (!op.confirm(msg::ConfirmDeleteLog + QLatin1Char('\n') + logTimeText(rec.sysTime) +
                    QStringLiteral("   ") + target->holder))
        return;
    auto done = m_console.data().att().run(QStringLiteral("DELETE FROM recorder WHERE rowid = ?"),
                                           rec.rowId);
    if (!done) return op.generalError(done.error().text);
    QFile::remove(snapshotFileName(m_console.data().photoFolder(), rec.cardNo, rec.sysTime));
    Q_EMIT m_console.logChanged();  // the grid reads the log again and selects the newest row
    showCurrent();
}

// The card of the row that was double-clicked, even when a card event has made the newest row
// current between the clicks.
void LogGrid::doubleClicked(const QPoint& viewportPos) {
    if (!m_console.login().loggedIn()) return m_console.op().information(msg::FeatureDisabled);
    const auto target = m_model->rowCount() > 0 ? targetAt(viewportPos) : std::nullopt;
    if (!target) return m_console.op().error(msg::NoRecord);
    Q_EMIT cardDoubleClicked(target->rec.cardNo);
}

// The panels follow a released mouse button or key, not every repeat of a held key.
bool LogGrid::eventFilter(QObject* watched, QEvent* event) {
    const bool viewport = watched == m_info->viewport();
    switch (event->type()) {
        case QEvent::MouseButtonRelease:
            if (viewport && m_model->rowCount() > 0) showCurrent();
            break;
        case QEvent::KeyRelease:
            if (!viewport && !static_cast<QKeyEvent*>(event)->isAutoRepeat() &&
                m_model->rowCount() > 0)
                showCurrent();
            break;
        case QEvent::MouseButtonDblClick:
            if (viewport) doubleClicked(static_cast<QMouseEvent*>(event)->position().toPoint());
            break;
        case QEvent::ContextMenu:
            contextMenu(*static_cast<QContextMenuEvent*>(event), viewport);
            return true;
        default:
            break;
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace tallyport
