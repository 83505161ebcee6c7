#include "support/workbook_reader.h"

#include <QFileInfo>
#include <QProcess>

namespace tallyport::test {
namespace {

// One line per row, its cells apart by tabs, each cell its kind's letter and its text; a sheet
// starts with \x01 and its name. Dates are counted from the 1900 date system's day 0.
const char* const kScript = R"py(
import sys, xlrd, datetime
book = xlrd.open_workbook(sys.argv[1])
base = datetime.date(1899, 12, 30)
KIND = {xlrd.XL_CELL_EMPTY: 'e', xlrd.XL_CELL_BLANK: 'e', xlrd.XL_CELL_TEXT: 's',
        xlrd.XL_CELL_NUMBER: 'n', xlrd.XL_CELL_DATE: 'd'}
def esc(s):
    return s.replace('\\', '\\\\').replace('\t', '\\t').replace('\n', '\\n')
def cell(k, v):
    if k == 's': return 's' + esc(v)
    if k == 'e': return 'e'
    if k == 'n': return 'n' + (str(int(v)) if v == int(v) else repr(v))
    if k == 'd':
        days = int(v)
        secs = int(round((v - days) * 86400))
        hms = '%02d:%02d:%02d' % (secs // 3600, secs // 60 % 60, secs % 60)
        if days == 0: return 't' + hms
        d = (base + datetime.timedelta(days=days)).isoformat()
        return 'd' + (d if v == days else d + ' ' + hms)
    return 'o' + esc(str(v))
out = []
for sh in book.sheets():
    out.append('\x01' + esc(sh.name))
    for r in range(sh.nrows):
        out.append('\t'.join(cell(KIND.get(k, 'o'), v)
                             for k, v in zip(sh.row_types(r), sh.row_values(r))))
sys.stdout.buffer.write('\n'.join(out).encode('utf-8'))
)py";

ReadCell::Kind kindOf(QChar k) {
    switch (k.unicode()) {
        case u'e':
            return ReadCell::Empty;
        case u's':
            return ReadCell::Text;
        case u'n':
            return ReadCell::Number;
        case u'd':
            return ReadCell::Date;
        case u't':
            return ReadCell::Time;
        default:
            return ReadCell::Other;
    }
}

QString unescape(QStringView s) {
    QString out;
    out.reserve(s.size());
    for (qsizetype i = 0; i < s.size(); ++i) {
        if (s[i] != u'\\' || i + 1 == s.size()) {
            out += s[i];
            continue;
        }
        const QChar next = s[++i];
        out += next == u't' ? QChar(u'\t') : next == u'n' ? QChar(u'\n') : next;
    }
    return out;
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
    const QString text = QString::fromUtf8(p.readAllStandardOutput());
    for (QStringView line : QStringView(text).split(u'\n')) {
        if (line.startsWith(u'\x01')) {
            book.sheets.push_back({unescape(line.mid(1)), {}});
            continue;
        }
        if (book.sheets.empty()) continue;
        std::vector<ReadCell> row;
        for (QStringView c : line.split(u'\t'))
            row.push_back({c.isEmpty() ? ReadCell::Empty : kindOf(c[0]), unescape(c.mid(1))});
        book.sheets.back().rows.push_back(std::move(row));
    }
    return book;
}

}  // namespace tallyport::test
