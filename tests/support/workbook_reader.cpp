#include "support/workbook_reader.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>

namespace tallyport::test {
namespace {

// Every cell as [kind, text]; xlrd tells dates from numbers by their cell format.
const char* const kScript = R"py(
import json, sys, xlrd
book = xlrd.open_workbook(sys.argv[1])
out = []
for sh in book.sheets():
    rows = []
    for r in range(sh.nrows):
        cells = []
        for c in range(sh.ncols):
            cell = sh.cell(r, c)
            if cell.ctype in (xlrd.XL_CELL_EMPTY, xlrd.XL_CELL_BLANK):
                cells.append(["empty", ""])
            elif cell.ctype == xlrd.XL_CELL_TEXT:
                cells.append(["text", cell.value])
            elif cell.ctype == xlrd.XL_CELL_NUMBER:
                v = cell.value
                cells.append(["number", str(int(v)) if v == int(v) else repr(v)])
            elif cell.ctype == xlrd.XL_CELL_DATE:
                y, mo, d, h, mi, s = xlrd.xldate_as_tuple(cell.value, book.datemode)
                if y == 0:
                    cells.append(["time", "%02d:%02d:%02d" % (h, mi, s)])
                elif cell.value == int(cell.value):
                    cells.append(["date", "%04d-%02d-%02d" % (y, mo, d)])
                else:
                    cells.append(["date", "%04d-%02d-%02d %02d:%02d:%02d" % (y, mo, d, h, mi, s)])
            else:
                cells.append(["other", str(cell.value)])
        rows.append(cells)
    out.append({"name": sh.name, "rows": rows})
json.dump(out, sys.stdout)
)py";

ReadCell::Kind kindOf(const QString& k) {
    if (k == QLatin1String("empty")) return ReadCell::Empty;
    if (k == QLatin1String("text")) return ReadCell::Text;
    if (k == QLatin1String("number")) return ReadCell::Number;
    if (k == QLatin1String("date")) return ReadCell::Date;
    if (k == QLatin1String("time")) return ReadCell::Time;
    return ReadCell::Other;
}

// Debian's python3 has xlrd; a python3 earlier on the PATH may not.
QString python() {
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
               ? QStringLiteral("/usr/bin/python3")
               : QStringLiteral("python3");
}

}  // namespace

QStringList ReadSheet::row(size_t r) const {
    QStringList out;
    if (r >= rows.size()) return out;
    for (const ReadCell& c : rows[r]) out << c.text;
    while (!out.isEmpty() && out.last().isEmpty()) out.removeLast();
    return out;
}

QStringList ReadWorkbook::sheetNames() const {
    QStringList out;
    for (const ReadSheet& s : sheets) out << s.name;
    return out;
}

const ReadSheet* ReadWorkbook::sheet(const QString& name) const {
    for (const ReadSheet& s : sheets)
        if (s.name == name) return &s;
    return nullptr;
}

ReadWorkbook readWorkbook(const QString& path) {
    ReadWorkbook book;
    QProcess p;
    p.start(python(), {QStringLiteral("-c"), QString::fromLatin1(kScript), path});
    if (!p.waitForFinished(120000) || p.exitCode() != 0) {
        book.error = QString::fromUtf8(p.readAllStandardError()) + p.errorString();
        return book;
    }
    const QJsonArray sheets = QJsonDocument::fromJson(p.readAllStandardOutput()).array();
    for (const auto& s : sheets) {
        ReadSheet sheet;
        sheet.name = s.toObject().value(QStringLiteral("name")).toString();
        for (const auto& r : s.toObject().value(QStringLiteral("rows")).toArray()) {
            std::vector<ReadCell> row;
            for (const auto& c : r.toArray())
                row.push_back({kindOf(c.toArray()[0].toString()), c.toArray()[1].toString()});
            sheet.rows.push_back(std::move(row));
        }
        book.sheets.push_back(std::move(sheet));
    }
    return book;
}

}  // namespace tallyport::test
