#pragma once

#include <QByteArray>

#include <cstddef>

// A byte string literal with the NULs inside it, without the final one.
template <std::size_t N>
QByteArray bytesOf(const char (&text)[N])
{
    return QByteArray(text, qsizetype(N - 1));
}
