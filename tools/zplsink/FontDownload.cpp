#include "FontDownload.h"

#include "Storage.h"
#include "Typeface.h"

namespace {

// "fonts/Open Sans.ttf" -> "E:OPENSANS.TTF": the letters, digits, _ and - of
// the name, at most 16 of them, as the renderer's object names take them;
// UNKNOWN, the ZPL guide's default for ~DU, when none is left.
QByteArray defaultPath(const QByteArray &fileName)
{
    QByteArray base = fileName.mid(qMax(fileName.lastIndexOf('/'), fileName.lastIndexOf('\\')) + 1);
    if (base.lastIndexOf('.') > 0)
        base.truncate(base.lastIndexOf('.'));
    QByteArray name;
    for (const char c : base.toUpper())
        if (((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-') && name.size() < 16)
            name += c;
    return "E:" + (name.isEmpty() ? QByteArray("UNKNOWN") : name) + ".TTF";
}

} // namespace

ServiceAnswer AnswerFontUpload(const ServiceRequest &request)
{
    const FormPart *file = request.part("file");
    if (!file)
        return ServiceError(400, QStringLiteral("没有字体 / no font: send the TrueType file as the multipart/form-data "
                                                "part \"file\""));
    // TrueType outlines: version 1.0 or Apple's "true" (not "OTTO", CFF outlines, nor "ttcf", a collection).
    const QByteArray tag = file->content.left(4);
    if ((tag != QByteArray("\0\1\0\0", 4) && tag != "true") || !zpl::Typeface::fromData(file->content))
        return ServiceError(400, QStringLiteral("不是 TrueType 字体 / the part \"file\" is no TrueType font (.ttf)"));
    const FormPart *path = request.part("path");
    QByteArray asked = path ? path->content.trimmed() : defaultPath(file->fileName);
    if (asked.size() < 2 || asked.at(1) != ':')
        asked.prepend("E:");
    const QByteArray name = zpl::Storage::objectName(asked, "TTF");
    if (name.isEmpty())
        return ServiceError(400, QStringLiteral("路径无效 / bad path \"%1\": d:NAME.TTF with d one of R, E, B, A and "
                                                "NAME 1 to 16 letters, digits, _ or -")
                                     .arg(QString::fromLatin1(asked.left(40))));
    return ServiceResult("text/plain", "~DU" + name + ',' + QByteArray::number(file->content.size()) + ','
                                           + file->content.toHex().toUpper());
}
