#include "staff/holder_register.h"

#include "staff/groups.h"
#include "store/messages.h"

#include <QFile>

namespace tallyport {
namespace {

const QString kLineProblem = QStringLiteral("line %1: %2");
const QString kCannotRead = QStringLiteral("Cannot read %1: %2");

std::optional<int> cardNumber(const QString& typed) {
    bool ok = false;
    const qlonglong n = typed.trimmed().toLongLong(&ok, 10);
    if (!ok || n < 1 || n > kMaxCardNumber) return std::nullopt;
    return int(n);
}

// The fields of one line: commas separate, double quotes enclose a field that holds commas or
// quotes (a quote inside is doubled).
QStringList csvFields(const QString& line) {
    QStringList fields;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c != u'"')
                field += c;
            else if (i + 1 < line.size() && line[i + 1] == u'"')
                field += line[++i];
            else
                quoted = false;
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

}  // namespace

Result<std::optional<QString>> holderOfCard(Database& src, int cardNo) {
    return src.queryOne(
        QStringLiteral("SELECT NAME FROM staffs WHERE CARDNO = ?"),
        [](const Statement& st) { return st.text(0); }, cardNo);
}

Result<int> checkNewCardNumber(Database& src, const QString& typed) {
    const std::optional<int> card = cardNumber(typed);
    if (!card) return fail(msg::CardNumberRange);
    auto holder = holderOfCard(src, *card);
    if (!holder) return std::unexpected(holder.error());
    if (*holder) return fail(msg::CardRegisteredTo.arg(*card).arg(**holder));
    return *card;
}

Result<std::vector<HolderRow>> listHolders(Database& src) {
    return src.query(
        QStringLiteral("SELECT CARDNO, NAME, gid.descx, COM1, COM2, COM3, COM4, COM5, COM6, "
                       "COM7, COM8 FROM staffs LEFT JOIN gid ON gid.id = staffs.WORKGRP "
                       "ORDER BY CARDNO"),
        [](const Statement& st) {
            HolderRow r{st.integer(0), st.text(1), st.isNull(2) ? QString() : st.text(2), {}};
            for (int p = 0; p < kCardReaderPorts; ++p) r.com[size_t(p)] = st.yesNo(3 + p);
            return r;
        });
}

Result<void> addHolder(Database& src, int cardNo, const QString& name, const QString& group) {
    auto card = checkNewCardNumber(src, QString::number(cardNo));
    if (!card) return std::unexpected(card.error());
    auto checked = checkCardName(src, name, false);
    if (!checked) return std::unexpected(checked.error());
    auto edit = loadCardEdit(src, cardNo);
    if (!edit) return std::unexpected(edit.error());
    edit->name = *checked;
    if (!group.trimmed().isEmpty()) {
        const auto id = GroupId(src, group.trimmed());
        if (!id) return std::unexpected(id.error());
        if (*id == 0) return fail(msg::NoGroupNamed.arg(group.trimmed()));
        auto stored = GroupName(src, *id);
        if (!stored) return std::unexpected(stored.error());
        edit->groupName = *stored;
    }
    auto saved = saveCardEdit(src, *edit);
    if (!saved) return std::unexpected(saved.error());
    return {};
}

Result<QString> removeHolder(Database& src, int cardNo) {
    auto holder = holderOfCard(src, cardNo);
    if (!holder) return std::unexpected(holder.error());
    if (!*holder) return fail(msg::NoCardRecord);
    auto r = src.run(QStringLiteral("DELETE FROM staffs WHERE CARDNO = ?"), cardNo);
    if (!r) return std::unexpected(r.error());
    return **holder;
}

Result<HolderFileCounts> importHolderFile(Database& src, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return fail(kCannotRead.arg(path, file.errorString()));
    const QString text = QString::fromUtf8(file.readAll());
    if (file.error() != QFile::NoError) return fail(kCannotRead.arg(path, file.errorString()));
    Transaction tx(src);
    if (!tx.begun()) return std::unexpected(tx.beginResult().error());
    HolderFileCounts counts;
    const QStringList lines = text.split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        QString line = lines[i].trimmed();
        if (i == 0 && line.startsWith(QChar(0xFEFF))) line = line.mid(1);
        if (line.isEmpty()) continue;
        const QStringList f = csvFields(line);
        const auto refuse = [&](const QString& why) {
            ++counts.errors;
            counts.problems << kLineProblem.arg(i + 1).arg(why);
        };
        const std::optional<int> card = cardNumber(f.value(0));
        if (!card) {
            bool number = false;
            f.value(0).trimmed().toLongLong(&number);
            if (i == 0 && !number) continue;  // a heading
            refuse(msg::CardNumberRange);
            continue;
        }
        if (f.size() > 3) {
            refuse(QStringLiteral("more than three fields (CARD,NAME,GROUP)"));
            continue;
        }
        auto registered = holderOfCard(src, *card);
        if (!registered) return std::unexpected(registered.error());
        if (*registered) {
            ++counts.duplicated;
            continue;
        }
        auto added = addHolder(src, *card, f.value(1), f.value(2));
        // A store that fails mid-way adds nobody: the transaction goes back.
        if (!added && !src.inTransaction()) return std::unexpected(added.error());
        if (added)
            ++counts.added;
        else
            refuse(added.error().text);
    }
    if (auto done = tx.commit(); !done) return std::unexpected(done.error());
    return counts;
}

QString holderFileSummary(const HolderFileCounts& counts) {
    QString out = QStringLiteral("Staff Added = %1 records\n").arg(counts.added);
    if (counts.duplicated)
        out += QStringLiteral("Duplicated = %1 records\n").arg(counts.duplicated);
    if (counts.errors) out += QStringLiteral("Error = %1 records\n").arg(counts.errors);
    return out;
}

}  // namespace tallyport
