#include "ui/form_layout.h"

#include "base/field_kind.h"
#include "store/settings.h"

#include <QHeaderView>
#include <QTableView>
#include <QWidget>

namespace tallyport {
namespace {

QString layoutName(const QString& prefix, const char* suffix) {
    return prefix + QLatin1String(suffix);
}

QString columnName(const QString& prefix, int column) {
    return prefix + QLatin1Char('_') + QString::number(column);
}

int widthForKind(FieldKind kind) {
    switch (kind) {
        case FieldKind::Text:
            return 200;
        case FieldKind::YesNo:
            return 50;
        case FieldKind::DateTime:
            return 150;
        case FieldKind::Other:
            break;
    }
    return 100;
}

// A hidden section reports width 0; its own width shows only while it is shown.
int columnWidth(QHeaderView* header, int column) {
    if (!header->isSectionHidden(column)) return header->sectionSize(column);
    header->showSection(column);
    const int width = header->sectionSize(column);
    header->hideSection(column);
    return width;
}

}  // namespace

void RestoreFormLayout(const QString& prefix, QWidget* window) {
    const int top = ReadSettingInt(layoutName(prefix, "_TOP"), 0);
    const int left = ReadSettingInt(layoutName(prefix, "_LEFT"), 0);
    const int width = ReadSettingInt(layoutName(prefix, "_WIDTH"), 640);
    const int height = ReadSettingInt(layoutName(prefix, "_HEIGHT"), 480);
    window->setWindowState(window->windowState() & ~Qt::WindowMaximized);
    window->move(left, top);
    window->resize(width, height);  // the window's own minimum still applies
    if (ReadSettingBool(layoutName(prefix, "_MAX"), false))
        window->setWindowState(window->windowState() | Qt::WindowMaximized);
}

void SaveFormLayout(const QString& prefix, QWidget* window) {
    const bool maximised = window->isMaximized();
    WriteSettingBool(layoutName(prefix, "_MAX"), maximised);
    if (maximised) return;
    WriteSettingInt(layoutName(prefix, "_TOP"), window->y());
    WriteSettingInt(layoutName(prefix, "_LEFT"), window->x());
    WriteSettingInt(layoutName(prefix, "_WIDTH"), window->width());
    WriteSettingInt(layoutName(prefix, "_HEIGHT"), window->height());
}

int defaultColumnWidth(const QTableView* grid, int column) {
    const QVariant kind = grid->model()->headerData(column, Qt::Horizontal, FieldKindRole);
    return widthForKind(kind.isValid() ? static_cast<FieldKind>(kind.toInt()) : FieldKind::Other);
}

void RestoreGridColumns(const QString& prefix, QTableView* grid) {
    if (!grid->model()) return;
    const int columns = grid->model()->columnCount();
    for (int i = 0; i < columns; ++i) {
        const int width = ReadSettingInt(columnName(prefix, i), defaultColumnWidth(grid, i));
        // A negative width cannot be shown; the column keeps its default then.
        grid->horizontalHeader()->resizeSection(i,
                                                width >= 0 ? width : defaultColumnWidth(grid, i));
    }
}

void SaveGridColumns(const QString& prefix, QTableView* grid) {
    if (!grid->model()) return;
    const int columns = grid->model()->columnCount();
    for (int i = 0; i < columns; ++i)
        WriteSettingInt(columnName(prefix, i), columnWidth(grid->horizontalHeader(), i));
}

}  // namespace tallyport
