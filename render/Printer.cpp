#include "Printer.h"

#include "CodePage.h"
#include "FieldRenderer.h"
#include "GraphicField.h"

#include <QtMath>

namespace zpl {

namespace {

// The manual's limit for one field's data.
constexpr int MaxFieldData = 3072;

} // namespace

int Media::widthDots() const
{
    return qBound(1, int(qRound(widthMm * dpmm)), MaxMediaDots);
}

int Media::lengthDots() const
{
    return qBound(1, int(qRound(lengthMm * dpmm)), MaxMediaDots);
}

Printer::Printer(Media media) : m_media(media), m_storage(std::make_shared<Storage>())
{
}

void Printer::setStorage(std::shared_ptr<Storage> storage)
{
    m_storage = storage ? std::move(storage) : std::make_shared<Storage>();
}

std::vector<Label> Printer::feed(const QByteArray &bytes)
{
    for (const Token &token : m_tokenizer.feed(bytes))
        execute(token);
    return std::exchange(m_done, {});
}

std::vector<Label> Printer::finish()
{
    for (const Token &token : m_tokenizer.finish())
        execute(token);
    if (m_inFormat) {
        Token end;
        end.offset = -1;
        end.name = "XZ";
        diagnose(end, QStringLiteral("the job ended inside a format (no ^XZ); rendered as it stood"));
        endFormat(end);
    }
    m_stray = std::exchange(m_pending, {});
    return std::exchange(m_done, {});
}

QByteArray Printer::takeReplies()
{
    QByteArray all;
    for (const Reply &reply : std::exchange(m_replies, {}))
        all += reply.answer;
    return all;
}

std::vector<Printer::Reply> Printer::takeRepliesByQuery()
{
    return std::exchange(m_replies, {});
}

void Printer::execute(const Token &given)
{
    // Inside ^DF the format's commands are kept, not run; ~ commands act at once.
    if (!m_defining.isEmpty() && given.prefix == '^' && given.name != "XZ") {
        m_definitionBytes += 3 + given.args.size();
        if (m_definitionBytes <= Storage::MaxBytes)
            m_definition.push_back(given);
        return;
    }
    const Command *command = find(given);
    if (!command) {
        diagnose(given, QStringLiteral("unknown command, skipped"));
        return;
    }
    const Token token = ToDots(given, m_state.units, measured(*command, given),
                               [this, &given](const QString &text) { diagnose(given, text); });
    if (token.truncated)
        diagnose(token, QStringLiteral("parameters longer than %1 bytes were cut").arg(Tokenizer::MaxArgs));
    if (command->keep)
        command->keep(reader(token), m_state, m_media);
    else
        (this->*command->run)(token);
}

void Printer::diagnose(const Token &token, const QString &text)
{
    Diagnostic d{token.offset, token.command(), text};
    if (m_inFormat) {
        AddDiagnostic(m_label, std::move(d));
        return;
    }
    m_pending.push_back(std::move(d));
    if (m_pending.size() > 100)     // before a format: the newest few say enough
        m_pending.erase(m_pending.begin(), m_pending.begin() + 50);
}

int Printer::number(const Token &token, int index, int fallback, int low, int high)
{
    return reader(token).number(index, fallback, low, high);
}

Rotation Printer::rotation(const Token &token, const QByteArray &letter, Rotation fallback)
{
    return reader(token).rotation(letter, fallback);
}

CommandReader Printer::reader(const Token &token)
{
    return CommandReader(token, [this, &token](const QString &text) { diagnose(token, text); });
}

void Printer::startFormat(const Token &token)
{
    if (m_inFormat) {
        diagnose(token, QStringLiteral("^XA inside a format: the format goes on"));
        return;
    }
    m_inFormat = true;
    m_label = Label();
    m_label.offset = token.offset;
    m_label.diagnostics = std::exchange(m_pending, {});
    m_field = FieldState();
    m_fieldOpen = false;
    m_fields = 0;
    m_nextText = QPoint();
    m_recalls.clear();
    m_variables.clear();
    m_serialAt = -1;
}

void Printer::endFormat(const Token &token)
{
    if (!m_inFormat) {
        diagnose(token, QStringLiteral("^XZ without ^XA, skipped"));
        return;
    }
    if (m_fieldOpen) {
        if (m_field.hasData || m_field.content != FieldState::Content::Text)
            diagnose(token, QStringLiteral("the last field had no ^FS; it is drawn"));
        endField();
    }
    if (!m_defining.isEmpty()) {
        QString error;
        if (m_definitionBytes > Storage::MaxBytes)
            diagnose(token, QStringLiteral("the format is larger than the printer's memory; not stored"));
        else if (!m_storage->storeFormat(m_defining, std::move(m_definition), &error))
            diagnose(token, error);
        m_definition.clear();
        m_defining.clear();
        m_fields = 0;       // a format that stores another prints nothing
    }
    replayRecalls();
    if (m_serialAt >= 0) {
        Token at;
        at.offset = std::exchange(m_serialAt, -1);
        at.name = "SN";
        diagnose(at, QStringLiteral("serial fields: the first label is shown; %1 more count on").arg(m_label.quantity - 1));
    }
    placeOnMedia();
    m_label.printRate = m_state.printRate;
    m_label.darkness = m_state.darkness;
    m_label.mediaDarkness = m_state.mediaDarkness;
    m_label.invert = m_state.invert;
    m_inFormat = false;
    if (m_fields > 0 && m_made < MaxLabels) {
        m_done.push_back(std::move(m_label));
        ++m_made;
    } else if (m_fields > 0) {
        ++m_skipped;
    }
    m_label = Label();
}

// The label on the media: as long as the loaded label, or as ^LL on
// continuous media; a ^PW narrower than the media in the media's middle.
void Printer::placeOnMedia()
{
    // The ZPL guide, ^LL: "This command is necessary when using continuous
    // media (media not divided into separate labels by gaps, spaces, notches,
    // slots, or holes)." ^MN: "Continuous Media ... Label length is determined
    // by the ^LL command"; with V, "if portions of the printed label fall
    // outside of the defined label length, the label size will automatically
    // be extended to contain them". On labels the printer prints the label's
    // own length, whatever ^LL says.
    const int mediaLength = m_media.lengthDots();
    const bool continuous = m_state.mediaTracking == 'N' || m_state.mediaTracking == 'V';
    m_label.length = continuous && m_state.labelLength > 0 ? qMin(m_state.labelLength, mediaLength) : mediaLength;
    if (m_state.mediaTracking == 'V')
        for (const DrawOp &op : m_label.ops)
            m_label.length = qBound(m_label.length, Bounds(op).bottom() + 1, mediaLength);
    // A ^PW narrower than the media prints centred on it (the usual
    // centre-justified media path): the image is the media's width.
    m_label.width = m_media.widthDots();
    m_label.printWidth = m_state.printWidth > 0 ? qMin(m_state.printWidth, m_label.width) : m_label.width;
    m_label.printLeft = (m_label.width - m_label.printWidth) / 2;
    if (m_label.printLeft > 0)
        for (DrawOp &op : m_label.ops)
            Shift(op, m_label.printLeft);
}

void Printer::endField()
{
    if (!m_field.clock.isEmpty())
        m_field.data = clockData(m_field.data);
    if (m_field.fieldNumber >= 0) {
        if (!m_replaying && !m_recalls.empty()) {   // data for the recalled format's field
            m_variables[m_field.fieldNumber] = {m_field.data, m_field.contentOffset};
            m_field = FieldState();
            m_fieldOpen = false;
            return;
        }
        if (m_replaying) {
            auto it = m_variables.find(m_field.fieldNumber);
            if (it != m_variables.end()) {
                m_field.data = it->data;
                m_field.hasData = it->used = true;
            }
        }
    }
    FieldRenderer renderer(m_state, m_media.dpmm, m_label);
    m_nextText = renderer.render(m_field, m_nextText);
    m_field = FieldState();
    m_fieldOpen = false;
    ++m_fields;
}

// Printers draw each graphic of a field at the origin it had: a ^FO, ^FT or
// another content command before the ^FS starts the field's next part, which
// keeps its font, block and other settings (carrier labels put several
// ^FO..^GF logos before one text field and its ^FS).
void Printer::drawGraphicSoFar()
{
    using C = FieldState::Content;
    const C c = m_field.content;
    if (c == C::Text || c == C::Barcode)
        return;
    FieldState graphic = m_field;
    graphic.hasData = false;
    FieldRenderer(m_state, m_media.dpmm, m_label).render(graphic, m_nextText);
    ++m_fields;
    m_field.content = C::Text;
    m_field.graphic = QImage();
    m_field.params.clear();
    m_field.contentOffset = 0;
    m_field.contentCommand.clear();
}

void Printer::fieldOrigin(const Token &token)
{
    drawGraphicSoFar();
    const bool typeset = token.name == "FT";
    const QPoint fallback = typeset ? m_nextText - m_state.home : QPoint(0, 0);
    const int x = number(token, 0, fallback.x(), 0, MaxCoordinate);
    const int y = number(token, 1, fallback.y(), 0, MaxCoordinate);
    m_field.origin = typeset ? FieldState::Origin::Baseline : FieldState::Origin::Top;
    m_field.at = QPoint(x, y) + m_state.home;
    m_field.justify = token.args.count(token.delimiter) >= 2 ? number(token, 2, m_state.justify, 0, 2) : m_state.justify;
    m_fieldOpen = true;
}

void Printer::fieldData(const Token &token)
{
    QByteArray data = token.args;
    if (data.size() > MaxFieldData) {
        diagnose(token, QStringLiteral("field data of %1 bytes cut to %2").arg(data.size()).arg(MaxFieldData));
        data.truncate(MaxFieldData);
    }
    m_field.data = m_field.hexIndicator ? DecodeHex(data, m_field.hexIndicator) : data;
    m_field.hasData = true;
    if (m_field.content == FieldState::Content::Text && m_field.fieldNumber < 0) {     // a text field's notes point at its data
        m_field.contentOffset = token.offset;
        m_field.contentCommand = token.command();
    }
    m_fieldOpen = true;
}

void Printer::fieldSeparator(const Token &)
{
    endField();
}

void Printer::hexIndicator(const Token &token)
{
    const QByteArray p = token.args;
    m_field.hexIndicator = p.isEmpty() ? '_' : p.at(0);
    m_fieldOpen = true;
}

void Printer::fieldReverse(const Token &)
{
    m_field.reverse = true;
    m_fieldOpen = true;
}

void Printer::fieldBlock(const Token &token)
{
    m_field.block = true;
    m_field.blockWidth = number(token, 0, 0, 0, MaxCoordinate);
    m_field.blockLines = number(token, 1, 1, 1, 9999);
    m_field.blockSpacing = number(token, 2, 0, -9999, 9999);
    m_field.blockJustify = reader(token).letter(3, "LCRJ");
    m_field.blockIndent = number(token, 4, 0, 0, 9999);
    m_fieldOpen = true;
}

void Printer::font(const Token &token)
{
    // ^Afo,h,w: the font is the name's second character, o the first parameter's.
    m_field.hasFont = true;
    m_field.font = token.name.size() > 1 ? token.name.at(1) : '0';
    const QByteArray named = m_field.font == '@' ? token.param(3).trimmed().toUpper()
                                                 : m_state.fontAliases.value(m_field.font);
    // A font a job downloaded draws with itself; one not there in font 0, as on a printer.
    m_field.downloaded = named.isEmpty() ? nullptr : m_storage->font(Storage::objectName(named, "TTF"));
    if (!m_field.downloaded && (!named.isEmpty() || m_field.font == '@')) {
        diagnose(token, QStringLiteral("font %1 is not in this printer; font 0 is used")
                            .arg(QString::fromLatin1(named.isEmpty() ? QByteArray("@") : named)));
        m_field.font = '0';
    }
    fontSize(token);
}

// The orientation, height and width of ^A and ^GS, and the field they open.
void Printer::fontSize(const Token &token)
{
    m_field.fontRotated = !token.param(0).trimmed().isEmpty();
    m_field.fontRotation = rotation(token, token.param(0), m_state.rotation);
    // Both omitted (or 0): the ^CF size; one of them: the other follows it
    // in proportion (0 to Font).
    const int height = number(token, 1, 0, 0, MaxCoordinate), width = number(token, 2, 0, 0, MaxCoordinate);
    const bool given = height > 0 || width > 0;
    m_field.fontHeight = given ? height : m_state.fontHeight;
    m_field.fontWidth = given ? width : m_state.fontWidth;
    m_fieldOpen = true;
}

void Printer::barcode(const Token &token)
{
    drawGraphicSoFar();
    const char type = token.name.size() > 1 ? token.name.at(1) : 0;
    m_field.content = FieldState::Content::Barcode;
    m_field.contentOffset = token.offset;
    m_field.contentCommand = token.command();
    m_fieldOpen = true;
    if (!IsBarcodeType(type)) {
        // The field draws nothing rather than its data as text.
        diagnose(token, QStringLiteral("this barcode type is not supported, skipped"));
        m_field.barcodeType = 0;
        return;
    }
    QList<QByteArray> params = token.params();
    m_field.barcodeType = type;
    if (!TakesOrientation(type)) {
        m_field.barcodeRotated = true;      // upright, whatever ^FW says
        m_field.barcodeRotation = Rotation::N;
    } else {
        m_field.barcodeRotated = !params.value(0).trimmed().isEmpty();
        m_field.barcodeRotation = rotation(token, params.value(0), m_state.rotation);
        if (!params.isEmpty())
            params.removeFirst();
    }
    m_field.params = params;
    m_fieldOpen = true;
}

void Printer::graphicShape(const Token &token)
{
    drawGraphicSoFar();
    using C = FieldState::Content;
    const QByteArray n = token.name;
    m_field.content = n == "GB" ? C::Box : n == "GC" ? C::Circle : n == "GD" ? C::Diagonal : C::Ellipse;
    m_field.contentOffset = token.offset;
    m_field.contentCommand = token.command();
    m_field.params = token.params();
    m_fieldOpen = true;
}

void Printer::graphicField(const Token &token)
{
    drawGraphicSoFar();
    QStringList notes;
    m_field.graphic = DecodeGraphicField(token.args, token.delimiter, &notes);
    for (const QString &note : notes)
        diagnose(token, note);
    m_field.content = FieldState::Content::Graphic;
    m_field.contentOffset = token.offset;
    m_field.contentCommand = token.command();
    m_fieldOpen = true;
}

void Printer::quantity(const Token &token)
{
    m_label.quantity = number(token, 0, 1, 1, 99999999);
}

void Printer::query(const Token &token)
{
    ++m_queries;
    const int length = qMin(m_state.labelLength > 0 ? m_state.labelLength : m_media.lengthDots(), m_media.lengthDots());
    if (token.name == "HS")
        m_replies.push_back({"~HS", HostStatusAnswer(m_hostStatus, length, m_inFormat)});
    else if (token.name == "HI")
        m_replies.push_back({"~HI", HostIdentificationAnswer(m_media.dpmm)});
    else if (token.args.trimmed().toUpper() == "ES")
        m_replies.push_back({"~HQES", ExtendedStatusAnswer(m_hostStatus)});
    else
        diagnose(token, QStringLiteral("only ~HQES is answered, skipped"));
}

void Printer::units(const Token &token)
{
    ApplyUnits(reader(token), m_state.units, m_media.dpmm);
}

void Printer::ignore(const Token &)
{
}

} // namespace zpl
