// Printer's commands for its object memory: stored formats (^DF ^XF ^FN),
// graphics (~DG ~DY ^XG ^IM ^IL) and the directory (^ID ^HW).

#include "Printer.h"

#include "GraphicField.h"

namespace zpl {

namespace {

// A format recalls at most this many (each a copy of up to Storage::MaxBytes),
// and a recalled format recalls no further.
constexpr int MaxRecalls = 4;

} // namespace

void Printer::fieldNumber(const Token &token)
{
    // ^FN#"prompt": the prompt is for keyboard displays and is ignored.
    const QByteArray args = token.args;
    const qsizetype quote = args.indexOf('"');
    bool ok = false;
    const int n = (quote < 0 ? args : args.left(quote)).trimmed().toInt(&ok);
    if (!ok || n < 0 || n > 9999) {
        diagnose(token, QStringLiteral("the field number must be 0 to 9999; ignored"));
        return;
    }
    m_field.fieldNumber = n;
    m_field.contentOffset = token.offset;   // notes on its data point here
    m_field.contentCommand = token.command();
    m_fieldOpen = true;
}

void Printer::defineFormat(const Token &token)
{
    const QByteArray name = Storage::objectName(token.param(0), "ZPL");
    if (name.isEmpty() || m_replaying || !m_inFormat) {
        diagnose(token, QStringLiteral("not a valid format name (d:NAME.ZPL) or place; the format is printed"));
        return;
    }
    m_defining = name;
    m_definition.clear();
    m_definitionBytes = 0;
}

void Printer::recallFormat(const Token &token)
{
    const QByteArray name = Storage::objectName(token.param(0), "ZPL");
    const std::vector<Token> *format = name.isEmpty() ? nullptr : m_storage->format(name);
    if (m_replaying) {
        diagnose(token, QStringLiteral("a recalled format cannot recall another; skipped"));
    } else if (int(m_recalls.size()) >= MaxRecalls) {
        diagnose(token, QStringLiteral("a format recalls at most %1 stored formats; skipped").arg(MaxRecalls));
    } else if (!format) {
        diagnose(token, QStringLiteral("no stored format %1; skipped").arg(QString::fromLatin1(name)));
    } else {
        std::vector<Token> copy = *format;
        for (Token &t : copy)
            t.offset = token.offset;    // its notes point at the ^XF that recalled it
        m_recalls.push_back(std::move(copy));
    }
}

void Printer::replayRecalls()
{
    if (m_recalls.empty())
        return;
    m_replaying = true;
    for (const std::vector<Token> &recall : std::exchange(m_recalls, {})) {
        for (const Token &t : recall)
            execute(t);
        if (m_fieldOpen)
            endField();
    }
    m_replaying = false;
    for (auto it = m_variables.cbegin(); it != m_variables.cend(); ++it) {
        if (it->used)
            continue;
        Token at;
        at.offset = it->offset;
        at.name = "FN";
        diagnose(at, QStringLiteral("the recalled format has no field number %1").arg(it.key()));
    }
    m_variables.clear();
}

void Printer::deleteObject(const Token &token)
{
    const QByteArray pattern = Storage::objectName(token.param(0), "GRF", true);
    if (pattern.isEmpty() || m_storage->remove(pattern) == 0)
        diagnose(token, QStringLiteral("nothing stored matches %1").arg(QString::fromLatin1(token.param(0))));
}

void Printer::directory(const Token &token)
{
    const QByteArray asked = token.param(0).trimmed();
    const QByteArray pattern = Storage::objectName(asked.isEmpty() ? "R:*.*" : asked, "*", true);
    if (pattern.isEmpty()) {
        diagnose(token, QStringLiteral("not a valid object name; no answer"));
        return;
    }
    m_replies.push_back({token.command() + token.args, m_storage->directory(pattern)});
}

// ~DGd:o.x,t,w,data: t bytes of image, w bytes a row, data as ^GFA reads it.
void Printer::downloadGraphic(const Token &token)
{
    const qsizetype comma = token.args.indexOf(token.delimiter);
    const QByteArray name = Storage::objectName(token.args.left(comma < 0 ? token.args.size() : comma), "GRF");
    const QByteArray rest = comma < 0 ? QByteArray() : token.args.mid(comma + 1);
    if (name.isEmpty() || rest.isEmpty()) {
        diagnose(token, QStringLiteral("needs d:NAME.GRF,bytes,row bytes,data; not stored"));
        return;
    }
    QStringList notes;
    // As ^GFA with no data count: t is the image's bytes, not the hex digits'.
    const QImage image = DecodeGraphicField("A" + QByteArray(2, token.delimiter) + rest, token.delimiter, &notes);
    for (const QString &note : notes)
        diagnose(token, note);
    QString error;
    if (image.isNull())
        diagnose(token, QStringLiteral("the graphic cannot be read; not stored"));
    else if (!m_storage->storeImage(name, image, &error))
        diagnose(token, error);
}

// ~DYd:f,b,x,t,w,data: GRF images (x = G) in hex as ~DG; PNG files (x = P)
// and TrueType fonts (x = T) in hex or binary.
void Printer::downloadObject(const Token &token)
{
    const QList<QByteArray> p = token.args.split(token.delimiter);
    const QByteArray format = p.value(1).trimmed().toUpper(), kind = p.value(2).trimmed().toUpper();
    const QByteArray name = Storage::objectName(p.value(0), kind == "P" ? "PNG" : kind == "T" ? "TTF" : "GRF");
    const qsizetype dataAt = p.size() >= 6 ? p.mid(0, 5).join(token.delimiter).size() + 1 : -1;
    if (name.isEmpty() || dataAt < 0 || (kind != "G" && kind != "P" && kind != "T") || (format != "A" && format != "B")) {
        diagnose(token, QStringLiteral("only GRF and PNG images and TrueType fonts, in hex (A) or binary (B), are stored; skipped"));
        return;
    }
    const QByteArray data = token.args.mid(dataAt);
    if (kind == "T") {
        storeFont(token, name, format == "A" ? QByteArray::fromHex(data) : data);
        return;
    }
    QImage image;
    QStringList notes;
    if (kind == "P") {
        image = QImage::fromData(format == "A" ? QByteArray::fromHex(data) : data, "PNG");
        if (!image.isNull() && (image.width() > MaxMediaDots || image.height() > MaxMediaDots))
            image = QImage();
        if (!image.isNull())
            image = image.convertToFormat(QImage::Format_Mono, Qt::ThresholdDither);
    } else {
        const QByteArray d(1, token.delimiter);
        image = DecodeGraphicField(format + d + (format == "B" ? p.value(3) : QByteArray()) + d + p.value(3) + d
                                       + p.value(4) + d + data,
                                   token.delimiter, &notes);
    }
    for (const QString &note : notes)
        diagnose(token, note);
    QString error;
    if (image.isNull())
        diagnose(token, QStringLiteral("the image cannot be read; not stored"));
    else if (!m_storage->storeImage(name, image, &error))
        diagnose(token, error);
}

// ~DUd:o.x,s,data: a font file of s bytes, in hex.
void Printer::downloadFont(const Token &token)
{
    const QList<QByteArray> p = token.args.split(token.delimiter);
    const QByteArray name = Storage::objectName(p.value(0), "TTF");
    if (name.isEmpty() || p.size() < 3) {
        diagnose(token, QStringLiteral("expects ~DUd:o.x,s,data; skipped"));
        return;
    }
    storeFont(token, name, QByteArray::fromHex(token.args.mid(p.mid(0, 2).join(token.delimiter).size() + 1)));
}

void Printer::storeFont(const Token &token, const QByteArray &name, const QByteArray &file)
{
    QString error;
    if (!m_storage->storeFont(name, file, &error))
        diagnose(token, error);
}

QImage Printer::storedImage(const Token &token, const QByteArray &name)
{
    const QImage image = name.isEmpty() ? QImage() : m_storage->image(name);
    if (image.isNull())
        diagnose(token, QStringLiteral("no stored image %1; skipped").arg(QString::fromLatin1(name)));
    return image;
}

// ^XGd:o.x,mx,my scales by whole numbers; ^IM draws unscaled at the field;
// ^IL draws unscaled at the label's top-left corner, under what follows.
void Printer::recallGraphic(const Token &token)
{
    QImage image = storedImage(token, Storage::objectName(token.param(0), "GRF"));
    if (image.isNull())
        return;
    if (token.name == "XG") {
        const int mx = number(token, 1, 1, 1, 10), my = number(token, 2, 1, 1, 10);
        if (qint64(image.width()) * mx > MaxMediaDots || qint64(image.height()) * my > MaxMediaDots)
            diagnose(token, QStringLiteral("the scaled image is larger than any label; drawn unscaled"));
        else if (mx > 1 || my > 1)
            image = image.scaled(image.width() * mx, image.height() * my, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    }
    drawGraphicSoFar();
    if (token.name == "IL") {
        if (m_fieldOpen)
            endField();
        m_field.origin = FieldState::Origin::Top;
        m_field.at = QPoint(0, 0);
    }
    m_field.graphic = image;
    m_field.content = FieldState::Content::Graphic;
    m_field.contentOffset = token.offset;
    m_field.contentCommand = token.command();
    m_fieldOpen = true;
    if (token.name == "IL")
        endField();
}

} // namespace zpl
