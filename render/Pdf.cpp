#include "Pdf.h"

#include "Png.h"

#include <QtEndian>

#include <map>

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

// Where `count` places of `size` start in `room` points.
std::vector<double> starts(double room, double size, int count, PdfSheet::Align align)
{
    const double free = room - size * count;
    double first = align == PdfSheet::Start ? 0 : align == PdfSheet::End ? free : free / 2;
    double step = size;
    if (align == PdfSheet::Justify && count > 1) {
        first = 0;
        step = size + free / (count - 1);
    }
    std::vector<double> out;
    for (int i = 0; i < count; ++i)
        out.push_back(first + i * step);
    return out;
}

} // namespace

std::vector<QPointF> SheetPlaces(const PdfSheet &sheet)
{
    std::vector<QPointF> places;
    const auto xs = starts(sheet.page.width(), sheet.cell.width(), sheet.columns, sheet.across);
    for (const double y : starts(sheet.page.height(), sheet.cell.height(), sheet.rows, sheet.down))
        for (const double x : xs)
            places.emplace_back(x, y);
    return places;
}

QByteArray EncodePdf(int count, int dpmm, const std::function<QImage(int)> &imageOf, const PdfSheet &sheet)
{
    QByteArray pdf("%PDF-1.4\n%\xe2\xe3\xcf\xd3\n");
    std::map<int, qsizetype> offsets;     // of each object by its number
    int next = 3;                         // 1: catalog, 2: page tree, written last
    const auto object = [&](int id, const QByteArray &body, const QByteArray *stream = nullptr) {
        offsets[id] = pdf.size();
        pdf += QByteArray::number(id) + " 0 obj\n" + body;
        if (stream)
            pdf += "\nstream\n" + *stream + "\nendstream";
        pdf += "\nendobj\n";
        return id;
    };
    const double points = 72.0 / 25.4 / dpmm;    // a dot in points
    const bool onSheet = !sheet.page.isEmpty();
    const std::vector<QPointF> places = onSheet ? SheetPlaces(sheet) : std::vector<QPointF>{QPointF()};
    // A label on a page of its own size needs no frame to be cut along.
    const bool framed = onSheet && sheet.border != PdfSheet::NoBorder
                        && (qAbs(sheet.page.width() - sheet.cell.width()) > points
                            || qAbs(sheet.page.height() - sheet.cell.height()) > points);
    QByteArray kids;
    int pages = 0;
    for (int first = 0; first < count; first += int(places.size())) {
        QByteArray draw, images;
        QSizeF page = sheet.page;
        for (int i = first; i < count && i - first < int(places.size()); ++i) {
            const QImage image = imageOf(i);
            const double w = image.width() * points, h = image.height() * points;
            if (!onSheet)
                page = QSizeF(w, h);
            const QPointF at = places[std::size_t(i - first)];
            const QByteArray x = number(at.x()), y = number(page.height() - at.y() - h);
            const QByteArray name = "/L" + QByteArray::number(i - first);
            draw += "q " + number(w) + " 0 0 " + number(h) + ' ' + x + ' ' + y + " cm " + name + " Do Q\n";
            // Each side a path of its own, from a corner, so that a dash starts at every corner.
            const QByteArray left = x, right = number(at.x() + w), bottom = y, top = number(page.height() - at.y());
            if (framed)
                draw += "q 0 G " + number(points) + (sheet.border == PdfSheet::Dashed ? " w [6 3] 0 d " : " w ") + left
                        + ' ' + bottom + " m " + right + ' ' + bottom + " l " + right + ' ' + bottom + " m " + right + ' '
                        + top + " l " + right + ' ' + top + " m " + left + ' ' + top + " l " + left + ' ' + top + " m "
                        + left + ' ' + bottom + " l S Q\n";
            // Index 1 (black) is 1 in the rows: Decode [1 0] makes it dark.
            const QByteArray rows = pngRows(EncodePng(image));
            const QByteArray columns = QByteArray::number(image.width());
            images += name + ' '
                      + QByteArray::number(object(next++, "<< /Type /XObject /Subtype /Image /Width " + columns
                                                              + " /Height " + QByteArray::number(image.height())
                                                              + " /ColorSpace /DeviceGray /BitsPerComponent 1 /Decode [1 0]"
                                                              + " /Interpolate false /Filter /FlateDecode /DecodeParms"
                                                              + " << /Predictor 15 /Colors 1 /BitsPerComponent 1 /Columns "
                                                              + columns + " >> /Length "
                                                              + QByteArray::number(rows.size()) + " >>",
                                                          &rows))
                      + " 0 R ";
        }
        const int contents = object(next++, "<< /Length " + QByteArray::number(draw.size()) + " >>", &draw);
        kids += QByteArray::number(object(next++, "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 " + number(page.width()) + ' '
                                                      + number(page.height()) + "] /Contents "
                                                      + QByteArray::number(contents) + " 0 R /Resources << /XObject << "
                                                      + images + ">> >> >>"))
                + " 0 R ";
        ++pages;
    }
    object(1, "<< /Type /Catalog /Pages 2 0 R >>");
    object(2, "<< /Type /Pages /Kids [ " + kids + "] /Count " + QByteArray::number(pages) + " >>");
    const qsizetype xref = pdf.size();
    const QByteArray size = QByteArray::number(qulonglong(offsets.size() + 1));
    pdf += "xref\n0 " + size + "\n0000000000 65535 f \n";
    for (const auto &[id, offset] : offsets)
        pdf += QByteArray::number(qlonglong(offset)).rightJustified(10, '0') + " 00000 n \n";
    pdf += "trailer\n<< /Size " + size + " /Root 1 0 R >>\nstartxref\n" + QByteArray::number(qlonglong(xref)) + "\n%%EOF\n";
    return pdf;
}

} // namespace zpl
