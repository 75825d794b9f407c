#include "PdfPages.h"

#include <QRegularExpression>

namespace {

struct Named
{
    const char *name;
    int value;
};

// The value of `header` among `names` (any case); -1 for a value that is
// none of them, `fallback` when the header is absent.
int choice(const ServiceRequest &request, const char *header, std::initializer_list<Named> names, int fallback,
           QString *error)
{
    const QByteArray given = request.header(header).trimmed();
    if (given.isEmpty())
        return fallback;
    QStringList all;
    for (const Named &n : names) {
        if (given.compare(n.name, Qt::CaseInsensitive) == 0)
            return n.value;
        all << QString::fromLatin1(n.name);
    }
    const QString last = all.takeLast();
    *error = QStringLiteral("%1 无效 / bad %1 \"%2\": %3 or %4")
                 .arg(QString::fromLatin1(header), QString::fromLatin1(given.left(40)), all.join(QStringLiteral(", ")), last);
    return -1;
}

QString inches(QSizeF points)
{
    return QStringLiteral("%1 x %2 in").arg(points.width() / 72, 0, 'f', 2).arg(points.height() / 72, 0, 'f', 2);
}

} // namespace

bool PageSheetOf(const ServiceRequest &request, zpl::PdfSheet *sheet, QString *error)
{
    using S = zpl::PdfSheet;
    // American sizes in inches, ISO 216 ones in mm; as points.
    static const QSizeF sizes[] = {{8.5 * 72, 11 * 72}, {8.5 * 72, 14 * 72}, {210 / 25.4 * 72, 297 / 25.4 * 72},
                                   {148 / 25.4 * 72, 210 / 25.4 * 72}, {105 / 25.4 * 72, 148 / 25.4 * 72}};
    const int size = choice(request, "X-Page-Size", {{"Letter", 0}, {"Legal", 1}, {"A4", 2}, {"A5", 3}, {"A6", 4}}, 5,
                            error);
    const int landscape = choice(request, "X-Page-Orientation", {{"Portrait", 0}, {"Landscape", 1}}, 0, error);
    const int across = choice(request, "X-Page-Align", {{"Left", S::Start}, {"Right", S::End}, {"Center", S::Center},
                                                        {"Justify", S::Justify}}, S::Center, error);
    const int down = choice(request, "X-Page-Vertical-Align", {{"Top", S::Start}, {"Bottom", S::End},
                                                               {"Center", S::Center}, {"Justify", S::Justify}},
                            S::Center, error);
    const int border = choice(request, "X-Label-Border", {{"Dashed", S::Dashed}, {"Solid", S::Solid},
                                                          {"None", S::NoBorder}}, S::Dashed, error);
    const QByteArray layout = request.header("X-Page-Layout").trimmed();
    static const QRegularExpression grid(QStringLiteral("^([1-9]\\d?)x([1-9]\\d?)$"));
    const auto g = grid.match(QString::fromLatin1(layout));
    if (!layout.isEmpty() && !g.hasMatch())
        *error = QStringLiteral("X-Page-Layout 无效 / bad X-Page-Layout \"%1\": {columns}x{rows}, each 1 to 99, "
                                "e.g. 2x3").arg(QString::fromLatin1(layout.left(40)));
    if (!error->isEmpty())
        return false;
    if (size < 5)
        sheet->page = sizes[size];
    if (landscape == 1)
        sheet->page.transpose();
    sheet->columns = g.hasMatch() ? g.captured(1).toInt() : 1;
    sheet->rows = g.hasMatch() ? g.captured(2).toInt() : 1;
    sheet->across = S::Align(across);
    sheet->down = S::Align(down);
    sheet->border = S::Border(border);
    return true;
}

bool FitOnSheet(zpl::PdfSheet *sheet, QSizeF cell, QString *error)
{
    sheet->cell = cell;
    const QSizeF grid(cell.width() * sheet->columns, cell.height() * sheet->rows);
    // A label of the page's size may come out half a dot larger, rounded to whole dots.
    constexpr double slack = 0.5;      // points
    if (grid.width() <= sheet->page.width() + slack && grid.height() <= sheet->page.height() + slack)
        return true;
    *error = sheet->columns * sheet->rows == 1
                 ? QStringLiteral("标签比页面大 / the label (%1) is larger than the page (%2): choose a larger "
                                  "X-Page-Size or the other X-Page-Orientation")
                       .arg(inches(cell), inches(sheet->page))
                 : QStringLiteral("页面放不下 / %1x%2 labels of %3 do not fit on the page (%4): choose a smaller "
                                  "X-Page-Layout or a larger X-Page-Size")
                       .arg(sheet->columns).arg(sheet->rows).arg(inches(cell), inches(sheet->page));
    return false;
}
