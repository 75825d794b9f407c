// The HTTP service's request path: any bytes taken as a request (the first
// line its method, the second its path, then header lines up to an empty one,
// then the body) and answered as zplsink --http answers. The renderer has a
// fuzz target of its own, so labels are kept small: a path asking for more
// than 2 x 2 in asks for 2 x 2 in instead.

#include "FuzzApplication.h"
#include "LabelService.h"

#include <QRegularExpression>

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    ServiceRequest request;
    qsizetype at = 0;
    const auto line = [&] {
        const qsizetype end = bytes.indexOf('\n', at);
        const QByteArray text = bytes.mid(at, end < 0 ? -1 : end - at);
        at = end < 0 ? bytes.size() : end + 1;
        return text;
    };
    request.method = line();
    request.path = line();
    static const QRegularExpression labelSize(QStringLiteral("/labels/(\\d+(?:\\.\\d*)?)x(\\d+(?:\\.\\d*)?)/"));
    const auto asked = labelSize.match(QString::fromLatin1(request.path));
    if (asked.hasMatch() && (asked.captured(1).toDouble() > 2 || asked.captured(2).toDouble() > 2))
        request.path.replace(asked.capturedStart(), asked.capturedLength(), "/labels/2x2/");
    for (QByteArray header = line(); !header.isEmpty(); header = line()) {
        const qsizetype colon = header.indexOf(':');
        request.headers.emplaceBack(header.left(colon), colon < 0 ? QByteArray() : header.mid(colon + 1).trimmed());
    }
    request.body = bytes.mid(at);
    const ServiceAnswer answer = AnswerLabelRequest(request);
    // Every answer has its count, and an error one line of text.
    if (answer.headers.isEmpty() || answer.headers.front().first != "X-Total-Count"
        || (answer.status >= 400 && answer.body.count('\n') != 1))
        std::abort();
    return 0;
}
