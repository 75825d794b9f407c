#include "FormData.h"

#include <QList>

namespace {

// The value of parameter `key` in a header value such as
// `form-data; name="file"` or `multipart/form-data; boundary=XyZ`; quotes
// dropped. Empty if absent.
QByteArray parameter(const QByteArray &value, const QByteArray &key)
{
    const QList<QByteArray> items = value.split(';');
    for (qsizetype i = 1; i < items.size(); ++i) {
        const QByteArray item = items[i].trimmed();
        const qsizetype equals = item.indexOf('=');
        if (equals <= 0 || item.left(equals).trimmed().toLower() != key)
            continue;
        QByteArray found = item.mid(equals + 1).trimmed();
        if (found.size() >= 2 && found.startsWith('"') && found.endsWith('"'))
            found = found.mid(1, found.size() - 2);
        return found;
    }
    return {};
}

// The header `name` (lower case) of a part's header block, empty if absent.
QByteArray partHeader(const QByteArray &block, const QByteArray &name)
{
    for (const QByteArray &line : block.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed().toLower() == name)
            return line.mid(colon + 1).trimmed();
    }
    return {};
}

} // namespace

bool FormDataParts(const QByteArray &contentType, const QByteArray &body, QList<FormPart> *parts, QString *error)
{
    const auto fail = [error](const QString &text) {
        *error = QStringLiteral("multipart/form-data 正文无效 / malformed multipart/form-data body: %1").arg(text);
        return false;
    };
    const QByteArray boundary = parameter(contentType, "boundary");
    // RFC 2046: 1 to 70 characters.
    if (boundary.isEmpty() || boundary.size() > 70)
        return fail(QStringLiteral("no boundary (1-70 characters) in its Content-Type"));
    const QByteArray delimiter = "--" + boundary;
    // The first delimiter opens the body or a line of its own after a preamble.
    qsizetype at = body.startsWith(delimiter) ? 0 : body.indexOf("\r\n" + delimiter);
    if (at < 0)
        return fail(QStringLiteral("its boundary never occurs"));
    if (at > 0)
        at += 2;
    for (;;) {
        at += delimiter.size();
        if (body.mid(at, 2) == "--")
            return true;
        // Blanks may pad the delimiter line.
        while (at < body.size() && (body[at] == ' ' || body[at] == '\t'))
            ++at;
        if (body.mid(at, 2) != "\r\n")
            return fail(QStringLiteral("a delimiter line does not end in CR LF"));
        at += 2;
        const qsizetype headersEnd = body.indexOf("\r\n\r\n", at - 2);
        const qsizetype next = body.indexOf("\r\n" + delimiter, at);
        if (next < 0)
            return fail(QStringLiteral("it ends without its closing delimiter"));
        if (headersEnd < 0 || headersEnd > next)
            return fail(QStringLiteral("a part has no blank line after its headers"));
        const QByteArray disposition = partHeader(body.mid(at, headersEnd - at), "content-disposition");
        parts->append({parameter(disposition, "name"), parameter(disposition, "filename"),
                       body.mid(headersEnd + 4, next - headersEnd - 4)});
        at = next + 2;
    }
}

const FormPart *FindFormPart(const QList<FormPart> &parts, const QByteArray &name)
{
    for (qsizetype i = 0; i < parts.size(); ++i)
        if (parts[i].name == name)
            return &parts[i];
    return nullptr;
}

bool FormDataPart(const QByteArray &contentType, const QByteArray &body, const QByteArray &name, QByteArray *part,
                  QString *error)
{
    QList<FormPart> parts;
    if (!FormDataParts(contentType, body, &parts, error))
        return false;
    if (const FormPart *found = FindFormPart(parts, name)) {
        *part = found->content;
        return true;
    }
    *error = QStringLiteral("multipart/form-data 正文无效 / malformed multipart/form-data body: it has no part named "
                            "\"%1\"").arg(QString::fromLatin1(name));
    return false;
}
