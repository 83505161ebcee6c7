#pragma once

#include <QFile>
#include <QString>

// A size field of a process's status ("VmHWM", "VmRSS") in kB, "self" for this process; -1 when
// unknown (the process is gone).
inline long statusKb(const QString& process, const char* field) {
    QFile f(QStringLiteral("/proc/%1/status").arg(process));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    const QByteArray name = QByteArray(field) + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(name))
            return line.mid(name.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

// The peak resident size (VmHWM) of a process in kB, "self" for this one; -1 when unknown.
inline long peakKb(const QString& process = QStringLiteral("self")) {
    return statusKb(process, "VmHWM");
}
