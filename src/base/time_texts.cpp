#include "base/time_texts.h"

namespace tallyport {
namespace {

// Reports format a time per printed line, hundreds of thousands of times: no arg() parsing.
void twoDigits(char*& out, int v) {
    *out++ = char('0' + v / 10 % 10);
    *out++ = char('0' + v % 10);
}

}  // namespace

QString amPmTimeText(const QTime& t, AmPmGap gap, AmPmPrecision precision) {
    if (!t.isValid()) return {};
    char buf[16];
    char* out = buf;
    *out++ = t.hour() < 12 ? 'A' : 'P';
    *out++ = 'M';
    if (gap == AmPmGap::Spaced) *out++ = ' ';
    twoDigits(out, t.hour() % 12 == 0 ? 12 : t.hour() % 12);
    *out++ = ':';
    twoDigits(out, t.minute());
    if (precision == AmPmPrecision::Seconds) {
        *out++ = ':';
        twoDigits(out, t.second());
    }
    return QString::fromLatin1(buf, out - buf);
}

}  // namespace tallyport
