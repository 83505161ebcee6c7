#pragma once

#include "base/error.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// Spreadsheet workbooks written by the console: one interface, two file formats. A file name
// ending in ".xlsx" gets an Office Open XML workbook, any other an Excel 97-2003 (.xls)
// workbook of our own making.
//
// Every sheet starts with a row of column names; the rows below it hold texts, numbers, dates
// and times. A sheet that is full continues on a sheet named like it with " (2)", " (3)", ...,
// under the same column names, so nothing is ever cut off.
//
// The file is written under a temporary name and renamed into place by commit(): a workbook
// dropped without commit() (cancelled, failed) leaves no file behind, and an older file of the
// same name stays as it was.
namespace tallyport {

enum class WorkbookFormat { Xls, Xlsx };

// ".xlsx" in any letter case gives Xlsx; every other name Xls.
WorkbookFormat workbookFormatOf(const QString& path);

// The rows a sheet takes below its column names: the file formats' row limits less one.
inline constexpr int kXlsDataRows = 65535;
inline constexpr int kXlsxDataRows = 1048575;

// What a sheet name is made of: at most 31 characters, none of : \ / ? * [ ], not empty.
inline constexpr int kSheetNameLength = 31;
QString sheetNameText(const QString& wanted);

class Workbook {
public:
    // `largeSheets`: the workbook is a few long sheets written row by row (a whole log);
    // an Xlsx writer then keeps one row in memory at a time. Fails with the refusal of
    // checkOutputTarget when `path` is one of the console's own files, and with the reason when
    // the temporary file cannot be made in the target's folder.
    static Result<std::unique_ptr<Workbook>> create(const QString& path, WorkbookFormat format,
                                                    bool largeSheets = false);
    virtual ~Workbook();

    // Starts a sheet and writes its column names in the first row. A name already in the
    // workbook gets " (2)", " (3)", ... (sheetNameText first makes it a valid name).
    Result<void> addSheet(const QString& name, const QStringList& columns);
    // Starts the next row of the current sheet; a full sheet continues on the next one.
    Result<void> newRow();

    // Cells of the current row, by column from 0. A column not set stays empty.
    void setText(int column, const QString& text);
    void setNumber(int column, double value);
    void setDate(int column, const QDate& date);
    void setTime(int column, qint64 msOfDay);

    // Finishes the file and renames it over `path`.
    Result<void> commit();

    const QString& path() const { return m_path; }
    const QStringList& sheetNames() const { return m_sheets; }
    qint64 dataRows() const { return m_dataRows; }  // below the column names, all sheets
    int maxDataRows() const { return m_maxRows; }

    // A date as the spreadsheet counts it: days since 1899-12-30.
    static double serialDate(const QDate& date);

protected:
    Workbook(QString path, int maxDataRows) : m_path(std::move(path)), m_maxRows(maxDataRows) {}

    // The format's side; rows count from 0 (the column names), columns from 0.
    virtual Result<void> startSheet(const QString& name, const QStringList& columns) = 0;
    virtual void writeText(int row, int column, const QString& text) = 0;
    virtual void writeNumber(int row, int column, double value) = 0;
    virtual void writeDate(int row, int column, double serial) = 0;
    virtual void writeTime(int row, int column, double dayFraction) = 0;
    // The current sheet is done: its rows and the widths of its columns in characters.
    virtual Result<void> endSheet(int rows, const std::vector<int>& widths) = 0;
    virtual Result<void> finish() = 0;

private:
    Result<void> openSheet(const QString& name);
    Result<void> closeSheet();
    void widen(int column, qsizetype chars);
    bool takes(int column) const;

    QString m_path;
    int m_maxRows;
    QStringList m_sheets;
    QString m_base;  // the name the current sheet was asked for: its continuations take it
    QStringList m_columns;
    std::vector<int> m_widths;
    int m_row = 0;  // of the current sheet; 0 is the column names
    qint64 m_dataRows = 0;
    bool m_open = false;
    bool m_committed = false;
};

}  // namespace tallyport
