#include "ZintSymbol.h"

#include <zint.h>

namespace zpl {

ZintSymbol::ZintSymbol(int symbology)
    : m_symbol(ZBarcode_Create())
{
    if (m_symbol) {
        m_symbol->symbology = symbology;
        m_symbol->input_mode = DATA_MODE; // bytes as they are, no ECI
    }
}

ZintSymbol::~ZintSymbol()
{
    if (m_symbol)
        ZBarcode_Delete(m_symbol);
}

bool ZintSymbol::encode(const QByteArray &data, QString *error)
{
    if (!m_symbol) {
        *error = QStringLiteral("out of memory");
        return false;
    }
    const int status = ZBarcode_Encode(m_symbol, reinterpret_cast<const unsigned char *>(data.constData()),
                                       int(data.size()));
    if (status >= ZINT_ERROR) {
        *error = QString::fromLatin1(m_symbol->errtxt);
        return false;
    }
    return true;
}

MatrixSymbol ZintSymbol::matrix() const
{
    MatrixSymbol matrix;
    matrix.columns = m_symbol->width;
    matrix.rows = m_symbol->rows;
    matrix.dark.reserve(std::size_t(matrix.columns) * std::size_t(matrix.rows));
    for (int row = 0; row < matrix.rows; ++row)
        for (int column = 0; column < matrix.columns; ++column) // zint packs 8 modules a byte, low bit first
            matrix.dark.push_back((m_symbol->encoded_data[row][column >> 3] >> (column & 7)) & 1);
    return matrix;
}

} // namespace zpl
