#include "LabelService.h"

#include "HttpLimits.h"
#include "FontDownload.h"
#include "GraphicZpl.h"
#include "LabelFields.h"
#include "LabelWarnings.h"
#include "MediaText.h"
#include "PdfPages.h"
#include "Renderer.h"
#include "SinkTexts.h"

#include <QMutex>
#include <QRegularExpression>

#include <algorithm>


namespace {

using namespace HttpLimits;

struct Order
{
    zpl::Media media;
    int index = -1;             // none: every label (PDF) or the only one (PNG)
    QByteArray format;          // "png", "pdf" or "json"
    int rotation = 0;           // clockwise degrees
    bool linter = false;
    zpl::PdfSheet sheet;        // X-Page-*: the paper of a PDF
    QByteArray zpl;
};

// The format Accept asks for: "png", "pdf", "json", or empty when none is acceptable.
// The first listed of the highest quality wins; q=0 refuses a type.
QByteArray acceptedFormat(const QByteArray &accept)
{
    if (accept.trimmed().isEmpty())
        return "png";
    QByteArray best;
    double bestQuality = 0;
    for (const QByteArray &item : accept.split(',')) {
        const QList<QByteArray> parts = item.split(';');
        const QByteArray type = parts.front().trimmed().toLower();
        double quality = 1;
        for (qsizetype i = 1; i < parts.size(); ++i) {
            const QByteArray p = parts[i].trimmed().toLower();
            if (p.startsWith("q="))
                quality = p.mid(2).toDouble();
        }
        const QByteArray format = type == "image/png" || type == "image/*" || type == "*/*" ? "png"
                                : type == "application/pdf" || type == "application/*" ? "pdf"
                                : type == "application/json"                           ? "json"
                                                                                       : QByteArray();
        if (!format.isEmpty() && quality > bestQuality) {
            best = format;
            bestQuality = quality;
        }
    }
    return best;
}

// A clockwise quarter turn of a 1-bit image, dot for dot.
QImage quarterTurn(const QImage &image)
{
    QImage turned(image.height(), image.width(), QImage::Format_Mono);
    turned.setColorTable(image.colorTable());
    if (turned.isNull())
        return turned;
    turned.fill(0);
    const int h = image.height();
    for (int y = 0; y < h; ++y) {
        const uchar *in = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            if (in[x >> 3] & (0x80 >> (x & 7)))
                turned.scanLine(x)[(h - 1 - y) >> 3] |= uchar(0x80 >> ((h - 1 - y) & 7));
    }
    return turned;
}

QImage rotated(const QImage &image, int degrees)
{
    switch (degrees) {
    case 90: return quarterTurn(image);
    case 180: return image.mirrored(true, true);
    case 270: return quarterTurn(image).mirrored(true, true);
    default: return image;
    }
}

void addCommonHeaders(ServiceAnswer &answer, std::size_t labels)
{
    answer.headers.emplaceBack("X-Total-Count", QByteArray::number(qulonglong(labels)));
    answer.headers.emplaceBack("Access-Control-Allow-Origin", "*");
    answer.headers.emplaceBack("Access-Control-Expose-Headers", "X-Total-Count, X-Warnings");
}

ServiceAnswer error(int status, const QString &text, std::size_t labels = 0)
{
    ServiceAnswer answer;
    answer.status = status;
    answer.contentType = "text/plain; charset=utf-8";
    // Clients of the online services show what follows "ERROR: ".
    answer.body = "ERROR: " + text.toUtf8();
    for (char &c : answer.body)
        if (uchar(c) < 0x20 || c == 0x7f)
            c = ' ';    // one line, whatever a request quoted into it
    answer.body += '\n';
    addCommonHeaders(answer, labels);
    return answer;
}

// The route's parts: /v1/printers/{d}dpmm/labels/{W}x{H}/ then the rest.
struct Route
{
    QByteArray density, size, rest;
};

bool routeOf(const QByteArray &path, Route *route)
{
    static const QByteArray prefix = "/v1/printers/";
    if (!path.startsWith(prefix))
        return false;
    const QList<QByteArray> parts = path.mid(prefix.size()).split('/');
    if (parts.size() < 4 || parts[1] != "labels")
        return false;
    route->density = parts[0];
    route->size = parts[2];
    route->rest = path.mid(prefix.size() + parts[0].size() + parts[1].size() + parts[2].size() + 3);
    return true;
}

bool isNumber(const QByteArray &text)
{
    return !text.isEmpty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The request as an order, or the error that answers it.
bool orderOf(const ServiceRequest &request, const Route &route, Order *order, ServiceAnswer *failure)
{
    static const QRegularExpression density(QStringLiteral("^(\\d{1,3})dpmm$"));
    const auto d = density.match(QString::fromLatin1(route.density));
    order->media.dpmm = d.hasMatch() ? d.captured(1).toInt() : 0;
    if (!IsPrinterDpmm(order->media.dpmm)) {
        *failure = error(400, QStringLiteral("打印密度无效 / bad density \"%1\": use 6dpmm, 8dpmm, 12dpmm or 24dpmm")
                                  .arg(QString::fromLatin1(QByteArray::fromPercentEncoding(route.density).left(40))));
        return false;
    }
    static const QRegularExpression size(QStringLiteral("^(\\d{1,3}(?:\\.\\d{1,6})?)x(\\d{1,3}(?:\\.\\d{1,6})?)$"));
    const auto s = size.match(QString::fromLatin1(route.size));
    const double width = s.hasMatch() ? s.captured(1).toDouble() : 0, length = s.hasMatch() ? s.captured(2).toDouble() : 0;
    if (width <= 0 || length <= 0 || width > MaxInches || length > MaxInches) {
        *failure = error(400, QStringLiteral("标签尺寸无效 / bad label size \"%1\": use WxH in inches, each above 0 and "
                                             "at most 15, e.g. 4x6")
                                  .arg(QString::fromLatin1(QByteArray::fromPercentEncoding(route.size).left(40))));
        return false;
    }
    order->media.widthMm = width * 25.4;
    order->media.lengthMm = length * 25.4;

    // {i}, then for GET the ZPL: everything after it, slashes included.
    const qsizetype slash = route.rest.indexOf('/');
    const QByteArray first = slash < 0 ? route.rest : route.rest.left(slash);
    QByteArray encoded;
    if (isNumber(first) && first.size() <= 9) {
        order->index = first.toInt();
        encoded = slash < 0 ? QByteArray() : route.rest.mid(slash + 1);
    } else {
        encoded = route.rest;
    }
    if (request.method == "GET") {
        order->zpl = QByteArray::fromPercentEncoding(encoded);
        if (order->zpl.isEmpty()) {
            *failure = error(400, QStringLiteral("没有 ZPL / no ZPL: put it percent-encoded at the end of the path, or "
                                                 "POST it"));
            return false;
        }
    } else if (!encoded.isEmpty()) {
        *failure = error(isNumber(first) ? 404 : 400,
                         isNumber(first) ? QStringLiteral("没有这个路径 / no such path: POST to "
                                                          "/v1/printers/{d}dpmm/labels/{W}x{H}/{i}/ with the ZPL as the body")
                                         : QStringLiteral("标签序号无效 / bad label index \"%1\": a whole number from 0")
                                               .arg(QString::fromLatin1(QByteArray::fromPercentEncoding(first).left(40))));
        return false;
    } else {
        if (request.form) {
            const FormPart *file = request.part("file");
            if (!file) {
                *failure = error(400, QStringLiteral("multipart/form-data 正文无效 / malformed multipart/form-data "
                                                     "body: it has no part named \"file\""));
                return false;
            }
            order->zpl = file->content;
        } else {
            order->zpl = request.body;
        }
        if (order->zpl.isEmpty()) {
            *failure = error(400, QStringLiteral("没有 ZPL / no ZPL in the body: send it raw, or as the form part "
                                                 "\"file\""));
            return false;
        }
    }

    const QByteArray format = acceptedFormat(request.header("accept"));
    if (format.isEmpty()) {
        *failure = error(406, QStringLiteral("无法提供所要的格式 / cannot answer Accept \"%1\": only image/png, "
                                             "application/pdf or application/json")
                                  .arg(QString::fromLatin1(request.header("accept").left(80))));
        return false;
    }
    order->format = format;
    const QByteArray rotation = request.header("x-rotation").trimmed();
    order->rotation = rotation.isEmpty() ? 0 : rotation.toInt();
    if (!rotation.isEmpty() && (!isNumber(rotation) || order->rotation % 90 != 0 || order->rotation > 270)) {
        *failure = error(400, QStringLiteral("X-Rotation 无效 / bad X-Rotation \"%1\": 0, 90, 180 or 270")
                                  .arg(QString::fromLatin1(rotation.left(40))));
        return false;
    }
    const QByteArray quality = request.header("x-quality").trimmed().toLower();
    if (!quality.isEmpty() && quality != "grayscale" && quality != "bitonal") {
        *failure = error(400, QStringLiteral("X-Quality 无效 / bad X-Quality \"%1\": Grayscale or Bitonal")
                                  .arg(QString::fromLatin1(request.header("x-quality").left(40))));
        return false;
    }
    const QByteArray linter = request.header("x-linter").trimmed().toLower();
    if (!linter.isEmpty() && linter != "on" && linter != "off") {
        *failure = error(400, QStringLiteral("X-Linter 无效 / bad X-Linter \"%1\": On or Off")
                                  .arg(QString::fromLatin1(request.header("x-linter").left(40))));
        return false;
    }
    order->linter = linter == "on";
    QString why;
    if (!PageSheetOf(request, &order->sheet, &why)) {
        *failure = error(400, why);
        return false;
    }
    return true;
}

ServiceAnswer preflight(const QByteArray &methods)
{
    ServiceAnswer answer = error(204, QString());
    answer.body.clear();
    answer.contentType.clear();
    answer.headers.emplaceBack("Access-Control-Allow-Methods", methods);
    answer.headers.emplaceBack("Access-Control-Allow-Headers", "Accept, Content-Type, X-Rotation, X-Quality, X-Linter, "
                                                             "X-Page-Size, X-Page-Orientation, X-Page-Layout, X-Page-Align, "
                                                             "X-Page-Vertical-Align, X-Label-Border");
    answer.headers.emplaceBack("Access-Control-Max-Age", "86400");
    return answer;
}

// POST /v1/graphics and /v1/fonts: a multipart/form-data body, answered by `answer`.
ServiceAnswer upload(const ServiceRequest &request, ServiceAnswer (*answer)(const ServiceRequest &))
{
    if (request.method == "OPTIONS")
        return preflight("POST, OPTIONS");
    if (request.method != "POST") {
        ServiceAnswer refusal = error(405, QStringLiteral("不支持的方法 / method %1 not allowed here: POST or OPTIONS")
                                               .arg(QString::fromLatin1(request.method.left(20))));
        refusal.headers.emplaceBack("Allow", "POST, OPTIONS");
        return refusal;
    }
    if (!request.form)
        return error(400, QStringLiteral("需要表单 / send the file as a multipart/form-data body, its part \"file\""));
    return answer(request);
}

} // namespace

QByteArray ServiceRequest::header(const QByteArray &name) const
{
    for (const auto &h : headers)
        if (h.first.compare(name, Qt::CaseInsensitive) == 0)
            return h.second;
    return {};
}

const FormPart *ServiceRequest::part(const QByteArray &name) const
{
    for (const FormPart &p : parts)
        if (p.name == name)
            return &p;
    return nullptr;
}

ServiceAnswer ServiceError(int status, const QString &text)
{
    return error(status, text);
}

ServiceAnswer ServiceResult(const QByteArray &contentType, const QByteArray &body)
{
    ServiceAnswer answer;
    answer.contentType = contentType;
    answer.body = body;
    addCommonHeaders(answer, 0);
    return answer;
}

ServiceAnswer AnswerLabelRequest(const ServiceRequest &request)
{
    Route route;
    const QByteArray path = request.path.left(request.path.indexOf('?') < 0 ? request.path.size() : request.path.indexOf('?'));
    if (path == "/v1/graphics" || path == "/v1/fonts")
        return upload(request, path == "/v1/fonts" ? AnswerFontUpload : AnswerGraphicUpload);
    if (!routeOf(request.method == "GET" ? request.path : path, &route))
        return error(404, QStringLiteral("没有这个路径 / no such path: use /v1/printers/{d}dpmm/labels/{W}x{H}/{i}/"));
    if (request.method == "OPTIONS")
        return preflight("GET, POST, OPTIONS");
    if (request.method != "GET" && request.method != "POST") {
        ServiceAnswer answer = error(405, SinkTexts::MethodNotAllowed(QString::fromLatin1(request.method.left(20))));
        answer.headers.emplaceBack("Allow", "GET, POST, OPTIONS");
        return answer;
    }

    Order order;
    ServiceAnswer failure;
    if (!orderOf(request, route, &order, &failure))
        return failure;

    // A printer of its own: no setting, format or graphic of another request.
    // One job is read at a time (the fonts keep caches without locks);
    // painting and encoding run side by side.
    static QMutex reading;
    std::vector<zpl::Label> labels;
    {
        const QMutexLocker hold(&reading);
        labels = zpl::RenderJob(order.zpl, order.media);
    }
    const std::size_t count = labels.size();
    const auto answerWith = [&](ServiceAnswer answer) {
        answer.job = order.zpl;
        answer.media = order.media;
        answer.labels = std::move(labels);
        return answer;
    };
    if (count == 0)
        return answerWith(error(400, QStringLiteral("没有标签 / the job gives no label: it needs a format (^XA ... ^XZ) "
                                                    "with something to print")));
    if (order.index >= int(count))
        return answerWith(error(400,
                                QStringLiteral("没有这个标签 / label %1 is beyond this job's %2 label(s), 0 to %3")
                                    .arg(order.index).arg(count).arg(count - 1),
                                count));
    if (order.format == "png" && order.index < 0 && count > 1)
        return answerWith(error(400,
                                QStringLiteral("这个任务有 %1 个标签 / this job has %1 labels: add the index of one "
                                               "(0 to %2) to the path, or ask for application/pdf or application/json")
                                    .arg(count).arg(count - 1),
                                count));

    std::vector<const zpl::Label *> chosen;
    for (std::size_t i = 0; i < count; ++i)
        if (order.index < 0 || int(i) == order.index)
            chosen.push_back(&labels[i]);
    ServiceAnswer answer;
    if (order.format == "json") {
        answer.contentType = "application/json";
        answer.body = LabelFieldsJson(chosen);
    } else {
        // Pages are painted one at a time; together they stay within a bound.
        qint64 dots = 0;
        for (const zpl::Label *label : chosen)
            dots += qint64(qBound(1, label->width, zpl::MaxMediaDots)) * qBound(1, label->length, zpl::MaxMediaDots);
        if (dots > MaxAnswerDots)
            return answerWith(error(400,
                                    QStringLiteral("回答太大 / the labels asked for come to %1 million dots, over the "
                                                   "%2 million one answer may hold: ask for one label by its index")
                                        .arg(dots / 1000000).arg(MaxAnswerDots / 1000000),
                                    count));
        const bool pdf = order.format == "pdf";
        if (pdf && !order.sheet.page.isEmpty()) {
            const double points = 72.0 / 25.4 / order.media.dpmm;
            QSizeF cell;
            for (const zpl::Label *label : chosen) {
                QSizeF size(qBound(1, label->width, zpl::MaxMediaDots), qBound(1, label->length, zpl::MaxMediaDots));
                cell = cell.expandedTo((order.rotation % 180 ? size.transposed() : size) * points);
            }
            QString why;
            if (!FitOnSheet(&order.sheet, cell, &why))
                return answerWith(error(400, why, count));
        }
        const auto image = [&](int i) { return rotated(zpl::Paint(*chosen[std::size_t(i)]), order.rotation); };
        answer.contentType = pdf ? "application/pdf" : "image/png";
        answer.body = pdf ? zpl::EncodePdf(int(chosen.size()), order.media.dpmm, image, order.sheet)
                          : zpl::EncodePng(image(0));
    }
    addCommonHeaders(answer, count);
    if (order.linter)
        answer.headers.emplaceBack("X-Warnings", LabelWarnings(chosen, order.zpl));
    return answerWith(std::move(answer));
}
