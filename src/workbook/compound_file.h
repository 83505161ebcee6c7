#pragma once

#include "base/error.h"

#include <QIODevice>
#include <QString>
#include <functional>

// The container of an .xls workbook: a compound file (version 3, 512-byte sectors) holding one
// stream. The stream's sectors come first, in order, then the directory, the allocation table
// and, for streams above about 7 MB, the sectors that list the allocation table's own sectors.
namespace tallyport {

inline constexpr qint64 kCompoundSector = 512;
// Streams below this size would belong in the small-stream area, which is not written: a
// shorter stream is padded with zero bytes up to it.
inline constexpr qint64 kCompoundMinStream = 4096;

// The stream's size as stored: at least kCompoundMinStream.
qint64 compoundStreamSize(qint64 size);

// Writes the whole file to `out`. `writeStream` must write exactly `size` bytes of the stream
// to the device it is given; the padding is written here.
Result<void> writeCompoundFile(QIODevice& out, const QString& streamName, qint64 size,
                               const std::function<Result<void>(QIODevice&)>& writeStream);

}  // namespace tallyport
