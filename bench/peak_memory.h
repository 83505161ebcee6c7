#pragma once

#include <QFile>
#include <QString>

// The peak resident size (VmHWM) of a process in kB, "self" for this one; -1 when unknown.
inline long peakKb(const QString& process = QStringLiteral("self")) {
    QFile f(QStringLiteral("/proc/%1/status").arg(process));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:")) return line.mid(6).trimmed().split(' ').value(0).toLong();
    return -1;
}
