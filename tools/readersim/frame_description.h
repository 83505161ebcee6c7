#pragma once

#include "base/error.h"

#include <QByteArray>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace tallyport::readersim {

class SimReader;

// What a control command asks the reader to put on the wire, made when it is sent so that
// a card read without a given time carries the reader's clock of that moment.
using FrameMaker = std::function<QByteArray(const SimReader&)>;

// One frame description, e.g. {"card", "11", "12345", "mode=1"}.
Result<FrameMaker> parseFrameDescription(const QStringList& tokens);
// Descriptions separated by ";" tokens.
Result<std::vector<FrameMaker>> parseFrameDescriptions(const QStringList& tokens);

// Decimal, or hexadecimal after 0x; nullopt when not a number or above max.
std::optional<uint32_t> parseNumber(const QString& text, uint32_t max);

extern const char* const kFrameHelp;

}  // namespace tallyport::readersim
