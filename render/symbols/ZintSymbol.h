#pragma once

// A thin owner of one zint symbol, for the 2-D codes zint encodes for us.
// zint only encodes here: its module rows are copied into a MatrixSymbol
// and painted by the renderer like any other matrix.

#include "Symbol.h"

#include <QByteArray>
#include <QString>

struct zint_symbol;

namespace zpl {

class ZintSymbol
{
public:
    explicit ZintSymbol(int symbology);
    ~ZintSymbol();
    ZintSymbol(const ZintSymbol &) = delete;
    ZintSymbol &operator=(const ZintSymbol &) = delete;

    zint_symbol *get() const { return m_symbol; }
    // Encodes `data` as raw bytes. False on an error; `error` then says why.
    bool encode(const QByteArray &data, QString *error);
    // The modules of the last successful encode.
    MatrixSymbol matrix() const;

private:
    zint_symbol *m_symbol = nullptr;
};

} // namespace zpl
