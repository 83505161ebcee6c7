#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

namespace tallyport {

// One mailbox as a person writes it: "name@domain" or "Display Name <name@domain>" (the name
// may be quoted). Nothing that could end a line or a command of the mail dialogue gets through.
struct MailAddress {
    QString display;  // empty when none was given
    QString address;  // name@domain, printable ASCII without blanks or brackets
};

std::optional<MailAddress> parseMailAddress(const QString& text);

// A header's value in the mail standards' form: printable ASCII as it is, the non-ASCII words
// as encoded words of at most 75 characters, lines folded before 78 characters. `name` is the
// header's name ("Subject"); the answer starts after "Name: ".
QByteArray unstructuredHeader(const QString& name, const QString& text);
// A list of mailboxes for From or To: display names as phrases (quoted, or encoded words where
// they are not ASCII), folded between words.
QByteArray mailboxHeader(const QString& name, const QList<MailAddress>& mailboxes);

}  // namespace tallyport
