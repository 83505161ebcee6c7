#pragma once

#include <QString>

namespace tallyport {

// The file in the data folder that consoles attached to a recorder hold a shared lock on for
// as long as they have the databases open. What replaces the files (a restore, a format) is
// not done while any holds it: their open connections would go on writing into files that are
// no longer the folder's, and the edits would be lost.
inline const QString kAttachedMarkFile = QStringLiteral("tallyport.attached");

// "A Tallyport console attached to the data folder DIR has its files open: close it first."
QString consolesAttachedText(const QString& folder);

class AttachedMark {
public:
    // Held until the object goes (or the process ends); not held when the file cannot be made
    // (the console then works as before, unmarked).
    static AttachedMark take(const QString& folder);

    AttachedMark() = default;
    AttachedMark(AttachedMark&& other) noexcept;
    AttachedMark& operator=(AttachedMark&& other) noexcept;
    AttachedMark(const AttachedMark&) = delete;
    AttachedMark& operator=(const AttachedMark&) = delete;
    ~AttachedMark();

    bool held() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

// Whether a console attached to the folder holds its mark now.
bool consolesAttached(const QString& folder);

}  // namespace tallyport
