#pragma once

#include <QDir>
#include <QString>
#include <QTemporaryDir>

namespace tallyport::test {

// A throw-away data folder for one test.
class TempDataDir {
public:
    TempDataDir() { m_dir.setAutoRemove(true); }
    QString path() const { return m_dir.path(); }
    QString file(const QString& name) const { return QDir(m_dir.path()).filePath(name); }

private:
    QTemporaryDir m_dir;
};

}  // namespace tallyport::test
