#pragma once

#include <QString>
#include <expected>

namespace tallyport {

// What a core operation answers when it fails: the text to show the operator.
struct Error {
    QString text;
};

template <typename T>
using Result = std::expected<T, Error>;

inline std::unexpected<Error> fail(QString text) {
    return std::unexpected(Error{std::move(text)});
}

}  // namespace tallyport
