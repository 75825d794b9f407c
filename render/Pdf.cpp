#include "Pdf.h"

#include "Png.h"

#include <QtEndian>

namespace zpl {

namespace {

// The compressed rows of a PNG that EncodePng() wrote: its one IDAT chunk.
QByteArray pngRows(const QByteArray &png)
{
    for (qsizetype at = 8; at + 8 <= png.size();) {
        const qsizetype length = qFromBigEndian<quint32>(png.constData() + at);
        if (png.mid(at + 4, 4) == "IDAT")
            return png.mid(at + 8, length);
        at += 12 + length;
    }
    return {};
}

QByteArray number(double value)
{
    return QByteArray::number(value, 'f', 3);
}

} // namespace

QByteArray EncodePdf(int pages, int dpmm, const std::function<QImage(int)> &imageOf)
{
    QByteArray pdf("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    std::vector<qsizetype> offsets;     // of objects 1, 2, ...
    const auto object = [&](const QByteArray &body, const QByteArray &stream = QByteArray(), bool hasStream = false) {
        offsets.push_back(pdf.size());
        pdf += QByteArray::number(qulonglong(offsets.size())) + " 0 obj\n" + body;
        if (hasStream)
            pdf += "\nstream\n" + stream + "\nendstream";
        pdf += "\nendobj\n";
    };
    // 1: catalog, 2: page tree, then page, contents and image for each.
    QByteArray kids;
    for (int i = 0; i < pages; ++i)
        kids += QByteArray::number(3 + 3 * i) + " 0 R ";
    object("<< /Type /Catalog /Pages 2 0 R >>");
    object("<< /Type /Pages /Kids [ " + kids + "] /Count " + QByteArray::number(pages) + " >>");
    const double points = 72.0 / 25.4 / dpmm;    // a dot in points
    for (int i = 0; i < pages; ++i) {
        const QImage image = imageOf(i);
        const QByteArray w = number(image.width() * points), h = number(image.height() * points);
        object("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + w + ' ' + h + "] /Contents "
               + QByteArray::number(4 + 3 * i) + " 0 R /Resources << /XObject << /Label " + QByteArray::number(5 + 3 * i)
               + " 0 R >> >> >>");
        const QByteArray draw = "q " + w + " 0 0 " + h + " 0 0 cm /Label Do Q";
        object("<< /Length " + QByteArray::number(draw.size()) + " >>", draw, true);
        // Index 1 (black) is 1 in the rows: Decode [1 0] makes it dark.
        const QByteArray rows = pngRows(EncodePng(image));
        const QByteArray columns = QByteArray::number(image.width());
        object("<< /Type /XObject /Subtype /Image /Width " + columns + " /Height " + QByteArray::number(image.height())
                   + " /ColorSpace /DeviceGray /BitsPerComponent 1 /Decode [1 0] /Interpolate false"
                   + " /Filter /FlateDecode /DecodeParms << /Predictor 15 /Colors 1 /BitsPerComponent 1 /Columns "
                   + columns + " >> /Length " + QByteArray::number(rows.size()) + " >>",
               rows, true);
    }
    const qsizetype xref = pdf.size();
    pdf += "xref\n0 " + QByteArray::number(qulonglong(offsets.size() + 1)) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        pdf += QByteArray::number(qlonglong(offset)).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + QByteArray::number(qulonglong(offsets.size() + 1)) + " /Root 1 0 R >>\nstartxref\n"
           + QByteArray::number(qlonglong(xref)) + "\n%%EOF\n";
    return pdf;
}

} // namespace zpl
