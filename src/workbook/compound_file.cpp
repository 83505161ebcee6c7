#include "workbook/compound_file.h"

#include <QByteArray>
#include <QtEndian>
#include <vector>

namespace tallyport {
namespace {

constexpr quint32 kFreeSector = 0xFFFFFFFF;
constexpr quint32 kEndOfChain = 0xFFFFFFFE;
constexpr quint32 kFatSector = 0xFFFFFFFD;
constexpr quint32 kDifatSector = 0xFFFFFFFC;
constexpr quint32 kNoStream = 0xFFFFFFFF;
constexpr int kIdsPerSector = int(kCompoundSector / 4);  // 128
constexpr int kHeaderDifat = 109;                        // FAT sectors listed in the header
constexpr int kDifatPerSector = kIdsPerSector - 1;       // the last entry chains on

void put16(QByteArray& b, int at, quint16 v) {
    qToLittleEndian(v, b.data() + at);
}
void put32(QByteArray& b, int at, quint32 v) {
    qToLittleEndian(v, b.data() + at);
}

// The sectors after the stream's: one directory sector, then `fat` FAT sectors, then `difat`
// DIFAT sectors; the FAT must have an entry for every sector, its own included.
struct Layout {
    quint32 streamSectors = 0;
    quint32 dirSector = 0;
    quint32 fat = 0;
    quint32 difat = 0;
    quint32 fatStart() const { return dirSector + 1; }
    quint32 difatStart() const { return fatStart() + fat; }
    quint32 total() const { return difatStart() + difat; }
};

Layout layoutFor(qint64 streamSize) {
    Layout l;
    l.streamSectors = quint32((streamSize + kCompoundSector - 1) / kCompoundSector);
    l.dirSector = l.streamSectors;
    for (l.fat = 1;; ++l.fat) {
        l.difat = l.fat <= quint32(kHeaderDifat)
                      ? 0
                      : (l.fat - kHeaderDifat + kDifatPerSector - 1) / kDifatPerSector;
        if (quint64(l.fat) * kIdsPerSector >= l.total()) return l;
    }
}

QByteArray header(const Layout& l) {
    QByteArray h(int(kCompoundSector), '\0');
    static const unsigned char magic[] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};
    std::copy(std::begin(magic), std::end(magic), h.data());
    put16(h, 24, 0x003E);  // minor version
    put16(h, 26, 0x0003);  // major version 3: 512-byte sectors
    put16(h, 28, 0xFFFE);  // little-endian
    put16(h, 30, 9);       // sector size 2^9
    put16(h, 32, 6);       // small sector size 2^6
    put32(h, 44, l.fat);
    put32(h, 48, l.dirSector);
    put32(h, 56, quint32(kCompoundMinStream));
    put32(h, 60, kEndOfChain);  // no small-sector table
    put32(h, 64, 0);
    put32(h, 68, l.difat ? l.difatStart() : kEndOfChain);
    put32(h, 72, l.difat);
    for (int i = 0; i < kHeaderDifat; ++i)
        put32(h, 76 + 4 * i, quint32(i) < l.fat ? l.fatStart() + quint32(i) : kFreeSector);
    return h;
}

void directoryEntry(QByteArray& d, int index, const QString& name, quint8 type, quint32 child,
                    quint32 start, quint32 size) {
    const int at = index * 128;
    for (int i = 0; i < name.size() && i < 31; ++i) put16(d, at + 2 * i, name[i].unicode());
    put16(d, at + 64, name.isEmpty() ? 0 : quint16(2 * (qMin(int(name.size()), 31) + 1)));
    d[at + 66] = char(type);
    d[at + 67] = type ? 1 : 0;  // black
    put32(d, at + 68, kNoStream);
    put32(d, at + 72, kNoStream);
    put32(d, at + 76, child);
    put32(d, at + 116, start);
    put32(d, at + 120, size);
}

QByteArray directory(const QString& streamName, qint64 streamSize) {
    QByteArray d(int(kCompoundSector), '\0');
    directoryEntry(d, 0, QStringLiteral("Root Entry"), 5, 1, kEndOfChain, 0);
    directoryEntry(d, 1, streamName, 2, kNoStream, 0, quint32(streamSize));
    directoryEntry(d, 2, QString(), 0, kNoStream, 0, 0);
    directoryEntry(d, 3, QString(), 0, kNoStream, 0, 0);
    return d;
}

// The FAT entry of every sector, in sector order, then the DIFAT sectors.
QByteArray tables(const Layout& l) {
    QByteArray t(int((l.fat + l.difat) * kCompoundSector), '\xFF');
    auto entry = [&t](quint32 sector, quint32 value) { put32(t, int(sector * 4), value); };
    for (quint32 s = 0; s + 1 < l.streamSectors; ++s) entry(s, s + 1);
    entry(l.streamSectors - 1, kEndOfChain);
    entry(l.dirSector, kEndOfChain);
    for (quint32 s = 0; s < l.fat; ++s) entry(l.fatStart() + s, kFatSector);
    for (quint32 s = 0; s < l.difat; ++s) entry(l.difatStart() + s, kDifatSector);
    const int difatAt = int(l.fat * kCompoundSector);
    for (quint32 i = kHeaderDifat, n = 0; i < l.fat; ++i, ++n) {
        const quint32 sector = n / kDifatPerSector, slot = n % kDifatPerSector;
        put32(t, difatAt + int(sector * kCompoundSector + slot * 4), l.fatStart() + i);
    }
    for (quint32 s = 0; s < l.difat; ++s) {
        const quint32 next = s + 1 < l.difat ? l.difatStart() + s + 1 : kEndOfChain;
        put32(t, difatAt + int(s * kCompoundSector + kDifatPerSector * 4), next);
    }
    return t;
}

Result<void> put(QIODevice& out, const QByteArray& bytes) {
    if (out.write(bytes) != bytes.size()) return fail(out.errorString());
    return {};
}

}  // namespace

qint64 compoundStreamSize(qint64 size) {
    return qMax(size, kCompoundMinStream);
}

Result<void> writeCompoundFile(QIODevice& out, const QString& streamName, qint64 size,
                               const std::function<Result<void>(QIODevice&)>& writeStream) {
    const qint64 stored = compoundStreamSize(size);
    if (stored > qint64(0xFFFFFFFFu)) return fail(QStringLiteral("The workbook is too large."));
    const Layout l = layoutFor(stored);
    if (auto r = put(out, header(l)); !r) return r;
    const qint64 start = out.pos();
    if (auto r = writeStream(out); !r) return r;
    if (out.pos() - start != size) return fail(QStringLiteral("Workbook stream size mismatch."));
    const qint64 padding = qint64(l.streamSectors) * kCompoundSector - size;
    if (auto r = put(out, QByteArray(int(padding), '\0')); !r) return r;
    if (auto r = put(out, directory(streamName, stored)); !r) return r;
    return put(out, tables(l));
}

}  // namespace tallyport
