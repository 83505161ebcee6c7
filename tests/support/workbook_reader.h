#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tallyport::test {

// A workbook as an independent reader (python3-xlrd) sees it.
struct ReadCell {
    enum Kind { Empty, Text, Number, Date, Time, Other } kind = Empty;
    QString text;  // texts as they are, whole numbers without a point, dates "yyyy-MM-dd",
                   // times "HH:mm:ss", a date with a time "yyyy-MM-dd HH:mm:ss"
};

struct ReadSheet {
    QString name;
    std::vector<std::vector<ReadCell>> rows;
    // A row's cells as texts, trailing empty cells dropped.
    QStringList row(size_t r) const;
    size_t rowCount() const { return rows.size(); }
};

struct ReadWorkbook {
    std::vector<ReadSheet> sheets;
    QString error;  // what the reader said when it could not read the file
    QStringList sheetNames() const;
    const ReadSheet* sheet(const QString& name) const;
};

// Reads .xls and .xlsx files alike.
ReadWorkbook readWorkbook(const QString& path);

}  // namespace tallyport::test
