#include "Storage.h"

#include <QRegularExpression>

namespace zpl {

namespace {

bool matches(const QByteArray &pattern, const QByteArray &name)
{
    const QString re = QRegularExpression::wildcardToRegularExpression(
        QString::fromLatin1(pattern), QRegularExpression::UnanchoredWildcardConversion);
    return QRegularExpression(QRegularExpression::anchoredPattern(re)).match(QString::fromLatin1(name)).hasMatch();
}

} // namespace

QByteArray Storage::objectName(const QByteArray &text, const QByteArray &extension, bool pattern)
{
    QByteArray name = text.trimmed().toUpper();
    if (name.size() < 2 || name.at(1) != ':')
        name.prepend("R:");
    const char drive = name.at(0);
    if (!QByteArray("REBA").contains(drive) && !(pattern && drive == '*'))
        return {};
    QByteArray base = name.mid(2);
    if (!base.contains('.'))
        base += '.' + extension;
    const qsizetype dot = base.lastIndexOf('.');
    if (dot < 1 || dot > 16 || base.size() - dot > 4)
        return {};
    for (const char c : base)
        if (!(QChar::isLetterOrNumber(uchar(c)) || c == '_' || c == '-' || c == '.' || (pattern && (c == '*' || c == '?'))))
            return {};
    return name.left(2) + base;
}

bool Storage::storeFormat(const QByteArray &name, std::vector<Token> tokens, QString *error)
{
    Object object;
    for (const Token &t : tokens)
        object.bytes += 3 + t.args.size();
    object.tokens = std::move(tokens);
    return store(name, std::move(object), error);
}

bool Storage::storeImage(const QByteArray &name, const QImage &image, QString *error)
{
    Object object;
    object.image = image;
    object.bytes = qsizetype(image.height()) * ((image.width() + 7) / 8);  // as a GRF holds it
    return store(name, std::move(object), error);
}

bool Storage::storeFont(const QByteArray &name, const QByteArray &file, QString *error)
{
    Object object;
    object.font = Typeface::fromData(file);
    object.bytes = file.size();
    if (!object.font) {
        *error = QStringLiteral("%1 is no TrueType font a printer could use; not stored").arg(QString::fromLatin1(name));
        return false;
    }
    return store(name, std::move(object), error);
}

bool Storage::store(const QByteArray &name, Object object, QString *error)
{
    const auto old = m_objects.constFind(name);
    const qsizetype freed = old == m_objects.constEnd() ? 0 : old->bytes;
    const int count = int(m_objects.size()) + (old == m_objects.constEnd() ? 1 : 0);
    if (count > MaxObjects || m_bytes - freed + object.bytes > MaxBytes) {
        *error = QStringLiteral("the printer's memory is full (%1 objects, %2 bytes at most); %3 not stored")
                     .arg(MaxObjects).arg(MaxBytes).arg(QString::fromLatin1(name));
        return false;
    }
    m_bytes += object.bytes - freed;
    m_objects.insert(name, std::move(object));
    return true;
}

const std::vector<Token> *Storage::format(const QByteArray &name) const
{
    const auto it = m_objects.constFind(name);
    return it == m_objects.constEnd() || !it->image.isNull() ? nullptr : &it->tokens;
}

QImage Storage::image(const QByteArray &name) const
{
    return m_objects.value(name).image;
}

std::shared_ptr<Typeface> Storage::font(const QByteArray &name) const
{
    return m_objects.value(name).font;
}

int Storage::remove(const QByteArray &pattern)
{
    int n = 0;
    for (auto it = m_objects.begin(); it != m_objects.end();) {
        if (matches(pattern, it.key())) {
            m_bytes -= it->bytes;
            it = m_objects.erase(it);
            ++n;
        } else {
            ++it;
        }
    }
    return n;
}

QByteArray Storage::directory(const QByteArray &pattern) const
{
    QByteArray out = "\x02\r\n- DIR " + pattern + "\r\n";
    for (auto it = m_objects.constBegin(); it != m_objects.constEnd(); ++it)
        if (matches(pattern, it.key()))
            out += '*' + it.key().leftJustified(20, ' ') + QByteArray::number(it->bytes).rightJustified(8, ' ') + "\r\n";
    out += "-" + QByteArray::number(MaxBytes - m_bytes) + " bytes free R:RAM\r\n\x03";
    return out;
}

} // namespace zpl
