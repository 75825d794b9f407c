// zplsink's label-rendering web service as its clients meet it: a real
// `zplsink --http 0` process, raw HTTP/1.1 over 127.0.0.1, the answers read
// back byte for byte, PDFs read back with poppler's pdfinfo and pdfimages.

#include "TestFiles.h"

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <QtTest>

#include <array>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Reply
{
    int status = 0;
    QByteArray reason;
    QMap<QByteArray, QByteArray> headers;   // names in lower case
    QByteArray body;
    bool closed = false; // by the server, before the client gave up
};

Reply parse(const QByteArray &raw)
{
    Reply reply;
    const qsizetype end = raw.indexOf("\r\n\r\n");
    const QList<QByteArray> lines = raw.left(end).split('\n');
    reply.status = lines.value(0).split(' ').value(1).toInt();
    reply.reason = lines.value(0).mid(lines.value(0).indexOf(' ', 9) + 1).trimmed();
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const qsizetype colon = lines[i].indexOf(':');
        reply.headers[lines[i].left(colon).trimmed().toLower()] = lines[i].mid(colon + 1).trimmed();
    }
    reply.body = end < 0 ? QByteArray() : raw.mid(end + 4);
    return reply;
}

QByteArray request(const QByteArray &method, const QByteArray &path, const QByteArray &body = {},
                   const QByteArray &headers = {})
{
    return method + ' ' + path + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + headers
         + (body.isEmpty() ? QByteArray() : "Content-Length: " + QByteArray::number(body.size()) + "\r\n") + "\r\n"
         + body;
}

// The dark dots' bounding box.
QRect inkOf(const QImage &image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                ink |= QRect(x, y, 1, 1);
    return ink;
}

// A program's standard output, once it has finished.
QByteArray run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(QStandardPaths::findExecutable(program), arguments);
    return process.waitForFinished(20000) ? process.readAllStandardOutput() : QByteArray("did not finish");
}

// A running `zplsink --http 0`.
class HttpSink
{
public:
    HttpSink()
    {
        process.start(QStringLiteral(ZPLSINK_PATH), {QStringLiteral("--http"), QStringLiteral("0")});
        static const QRegularExpression serving(QStringLiteral("HTTP service on http://127\\.0\\.0\\.1:(\\d+)/"));
        QByteArray output;
        while (port == 0 && process.waitForReadyRead(10000)) {
            output += process.readAllStandardOutput();
            port = quint16(serving.match(QString::fromUtf8(output)).captured(1).toUInt());
        }
        if (port == 0)
            qFatal("zplsink --http did not say where it serves");
    }
    ~HttpSink() { process.kill(), process.waitForFinished(); }

    std::unique_ptr<QTcpSocket> connect(const QByteArray &bytes = {}) const
    {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, port);
        if (socket->waitForConnected(5000) && !bytes.isEmpty())
            socket->write(bytes);
        return socket;
    }

    // Sends `bytes` and reads the answer until the server closes the connection.
    Reply exchange(const QByteArray &bytes, int ms = 15000) const
    {
        const auto socket = connect(bytes);
        QByteArray raw;
        const QDeadlineTimer deadline(ms);
        while (socket->state() == QAbstractSocket::ConnectedState && !deadline.hasExpired()) {
            socket->waitForReadyRead(100);
            raw += socket->readAll();
        }
        Reply reply = parse(raw + socket->readAll());
        reply.closed = socket->state() != QAbstractSocket::ConnectedState;
        return reply;
    }

    long peakKb() const
    {
        static const QRegularExpression hwm(QStringLiteral("VmHWM:\\s*(\\d+)"));
        const QByteArray status = testfiles::Read(QStringLiteral("/proc/%1/status").arg(process.processId()));
        return hwm.match(QString::fromLatin1(status)).captured(1).toLong();
    }

    QProcess process;
    quint16 port = 0;
};

// A multipart/form-data body of the parts (name, file name, content), and its Content-Type header.
const QByteArray Multipart = "Content-Type: multipart/form-data; boundary=XyZ\r\n";
QByteArray formBody(const QList<std::array<QByteArray, 3>> &parts)
{
    QByteArray body;
    for (const auto &[name, fileName, content] : parts)
        body += "--XyZ\r\nContent-Disposition: form-data; name=\"" + name + '"'
              + (fileName.isEmpty() ? QByteArray() : "; filename=\"" + fileName + '"') + "\r\n\r\n" + content + "\r\n";
    return body + "--XyZ--\r\n";
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

const QByteArray Box = "^XA^FO100,100^GB200,100,100^FS^XZ";   // ink at (100, 100), 200 x 100
const QByteArray Label = "/v1/printers/8dpmm/labels/4x6/0/";

} // namespace

class TestHttp : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_sink = std::make_unique<HttpSink>(); }
    void answers_data();
    void answers();
    void pdfPages_data();
    void pdfPages();
    void graphics_data();
    void graphics();
    void fonts_data();
    void fonts();
    void pipelined();
    void robustness_data();
    void robustness();

private:
    std::unique_ptr<HttpSink> m_sink;
};

void TestHttp::answers_data()
{
    QTest::addColumn<QByteArray>("request");
    QTest::addColumn<int>("status");
    QTest::addColumn<QByteArray>("total");      // X-Total-Count
    QTest::addColumn<QByteArray>("expected");   // in the body (errors), or a header "Name: value"
    QTest::addColumn<QRect>("ink");             // of the PNG answered
    const auto row = [](const char *name, const QByteArray &request, int status, const QByteArray &total,
                        const QByteArray &expected, QRect ink = {}) {
        QTest::newRow(name) << request << status << total << expected << ink;
    };
    const QRect box(100, 100, 200, 100);
    const QByteArray form = "a preamble\r\n"
                          + formBody({{"note", {}, "x"}, {"file", "l.zpl", Box}, {"file", {}, "^XA^FO0,0^GB9,9,9^FS^XZ"}});
    row("POST raw body", request("POST", Label, Box), 200, "1", "Content-Type: image/png", box);
    // Nothing a request sets or stores reaches the next one: no home from ^LH, no stored format.
    row("a home and a stored format", request("POST", Label, "^XA^LH100,100^FO0,0^GB9,9,9^FS^XZ"
        "^XA^DFR:ONE.ZPL^FS^FO50,50^GB9,9,9^FS^XZ"), 200, "1", "", QRect(100, 100, 9, 9));
    row("the next request has neither", request("POST", Label, "^XA^XFR:ONE.ZPL^FS^FO0,0^GB9,9,9^FS^XZ"), 200, "1", "",
        QRect(0, 0, 9, 9));
    row("POST form after a preamble, its first part named file", request("POST", Label, form, Multipart), 200, "1", "", box);
    row("GET over HTTP/1.0 with the ZPL in the path", "GET " + Label + Box.toPercentEncoding() + " HTTP/1.0\r\n\r\n", 200,
        "1", "", box);
    row("index left out, one label, 24 dots per mm", request("POST", "/v1/printers/24dpmm/labels/1x1/", Box), 200, "1",
        "", box);
    row("X-Rotation 90 turns it clockwise", request("POST", Label, Box, "X-Rotation: 90\r\n"), 200, "1", "",
        QRect(1219 - 200, 100, 100, 200));
    row("X-Rotation 180 turns it over", request("POST", Label, Box, "X-Rotation: 180\r\n"), 200, "1", "",
        QRect(813 - 300, 1219 - 200, 200, 100));
    row("X-Quality Grayscale is taken", request("POST", Label, Box, "X-Quality: Grayscale\r\n"), 200, "1", "", box);
    row("X-Quality neither Grayscale nor Bitonal", request("POST", Label, Box, "X-Quality: Sepia\r\n"), 400, "0",
        "bad X-Quality \"Sepia\"");
    row("X-Linter: offset|length|command|parameter|message", request("POST", Label, "^XA^FO1,x^ZZ^XZ", "X-Linter: On\r\n"),
        200, "1", "X-Warnings: 3|6|^FO|2|parameter 2 \"x\" is not a number; the default is used|9|3|^ZZ||unknown command, skipped");
    row("percent-encoded bytes that are not UTF-8, raw UTF-8 at its bounds", request("GET", Label + "%5EXA%5EFO9,9%5EA0,30"
        "%5EFD%FF%FE\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF%5EFS%5EXZ"), 200, "1", "");
    row("OPTIONS preflight", request("OPTIONS", Label), 204, "0", "Access-Control-Allow-Methods: GET, POST, OPTIONS");
    // Accept: application/json: the text fields, their ^FO or ^FT (after ^LH) and their data after ^FH and ^CI; no barcode or box.
    const QByteArray json = "Accept: application/json\r\n";
    row("JSON of two labels", request("POST", "/v1/printers/8dpmm/labels/4x6/", "^XA^LH10,20^FO50,50^A0N,30^FDHello^FS^BY2"
        "^FO10,300^BCN,50^FD123^FS^FO0,0^GB5,5,5^FS^FT100,200^FH^FDa_5Fb^FS^CI28^FO5,5^FH^FDgr\xc3\xbc_C3_9Fe^FS^XZ^XA^FO1,2^FD^FS^XZ",
        json), 200, "2", R"({"labels":[{"fields":[{"data":"Hello","x":60,"y":70},{"data":"a_b","x":110,"y":220},)"
        R"({"data":"grüße","x":15,"y":25}]},{"fields":[{"data":"","x":11,"y":22}]}]})");
    row("JSON of the label of the index, one without text", request("POST", "/v1/printers/8dpmm/labels/4x6/1/",
        "^XA^FO0,0^A0^FDfirst^FS^XZ^XA^FO0,0^GB9,9,9^FS^XZ", json), 200, "2", R"({"labels":[{"fields":[]}]})");
    const QByteArray pdf = "Accept: application/pdf\r\n";
    row("X-Page-Size it does not know", request("POST", Label, Box, pdf + "X-Page-Size: B5\r\n"), 400, "0",
        "ERROR: X-Page-Size 无效 / bad X-Page-Size \"B5\": Letter, Legal, A4, A5 or A6\n");
    row("X-Label-Border it does not know", request("POST", Label, Box, pdf + "X-Label-Border: Dotted\r\n"), 400, "0",
        "bad X-Label-Border \"Dotted\": Dashed, Solid or None");
    row("X-Page-Layout of no columns", request("POST", Label, Box, pdf + "X-Page-Layout: 0x2\r\n"), 400, "0",
        "bad X-Page-Layout \"0x2\": {columns}x{rows}, each 1 to 99");
    row("a 4 x 6 in label on A6", request("POST", Label, Box, pdf + "X-Page-Size: A6\r\n"), 400, "1",
        "the label (4.00 x 6.00 in) is larger than the page (4.13 x 5.83 in)");
    row("2x6 labels of 2 x 1 in on A6, where 2x5 fit", request("POST", "/v1/printers/8dpmm/labels/2x1/", Box,
        pdf + "X-Page-Size: A6\r\nX-Page-Layout: 2x6\r\n"), 400, "1", "2x6 labels of 2.00 x 1.00 in do not fit on the page (4.13 x 5.83 in)");
    QImage wide(8001, 1, QImage::Format_Mono);
    wide.fill(0);
    row("graphics: no part file", request("POST", "/v1/graphics", formBody({{"image", "a.png", encoded(wide, "PNG")}}), Multipart),
        400, "0", "ERROR: 没有图像 / no image: send it as the multipart/form-data part \"file\"\n");
    row("graphics: a file that is no image", request("POST", "/v1/graphics", formBody({{"file", "a.png", Box}}), Multipart),
        400, "0", "the part \"file\" is no image this service reads (PNG, JPEG, BMP or GIF)");
    row("graphics: 8001 dots wide", request("POST", "/v1/graphics", formBody({{"file", "a.png", encoded(wide, "PNG")}}), Multipart),
        400, "0", "the image is 8001 x 1 dots, over the 8000 dots a side");
    row("graphics: a raw body", request("POST", "/v1/graphics", encoded(wide, "PNG")), 400, "0",
        "send the file as a multipart/form-data body");
    row("graphics: GET", request("GET", "/v1/graphics"), 405, "0", "method GET not allowed here: POST or OPTIONS");
    row("fonts: a PNG", request("POST", "/v1/fonts", formBody({{"file", "a.ttf", encoded(wide, "PNG")}}), Multipart), 400, "0",
        "ERROR: 不是 TrueType 字体 / the part \"file\" is no TrueType font (.ttf)\n");
    row("bad density, its control byte quoted as a blank", request("POST", "/v1/printers/7%7Fdpmm/labels/4x6/0/", Box), 400, "0", "bad density \"7 dpmm\"");
    row("size over 15 in", request("POST", "/v1/printers/8dpmm/labels/4x15.5/0/", Box), 400, "0", "bad label size");
    row("size of 0", request("POST", "/v1/printers/8dpmm/labels/0x6/0/", Box), 400, "0", "bad label size");
    row("index beyond the labels", request("POST", "/v1/printers/8dpmm/labels/4x6/2/", Box + Box), 400, "2",
        "label 2 is beyond this job's 2 label(s)");
    row("PNG of a job of two, no index", request("POST", "/v1/printers/8dpmm/labels/4x6/", Box + Box), 400, "2",
        "this job has 2 labels");
    row("a job without a label", request("POST", Label, "^XA^FX nothing^XZ"), 400, "0", "the job gives no label");
    row("no body", request("POST", Label), 400, "0", "no ZPL in the body");
    row("malformed multipart", request("POST", Label, "--XyZ\r\nno end", Multipart), 400, "0",
        "malformed multipart/form-data body");
    row("another path", request("POST", "/v1/printers/8dpmm/../labels/4x6/0/", Box), 404, "0",
        "ERROR: 没有这个路径 / no such path: use /v1/printers/{d}dpmm/labels/{W}x{H}/{i}/\n");
    row("another method", request("DELETE", Label), 405, "0", "method DELETE not allowed");
    row("a method no route knows", request("TRACE", Label), 405, "0", "method TRACE not allowed");
    row("Accept it cannot give, PNG refused", request("POST", Label, Box, "Accept: text/html, image/png;q=0\r\n"), 406,
        "0", "cannot answer Accept \"text/html, image/png;q=0\"");
    row("a body over 8 MiB", request("POST", Label, {}, "Content-Length: 8388609\r\n"), 413, "0",
        "ERROR: 请求正文超过 8 MiB / request body over the 8 MiB limit (Content-Length 8388609)\n");
    row("a chunked body", request("POST", Label, {}, "Transfer-Encoding: chunked\r\n"), 411, "0", "Content-Length");
    row("a gzip body", request("POST", Label, "\x1f\x8b", "Content-Encoding: gzip\r\n"), 415, "0", "Content-Encoding gzip");
    row("a header line over 8 KiB", request("GET", Label, {}, "X-Pad: " + QByteArray(8200, 'a') + "\r\n"), 400, "0",
        "a line of it over 8 KiB");
    row("a target over 8 KiB", request("GET", Label + QByteArray(8200, 'a')), 414, "0", "send the ZPL as the body");
    row("raw byte FF in the path", request("GET", Label + "^FD\xff^XZ"), 400, "0", "not valid UTF-8");
    row("a head over 64 KiB", request("GET", Label, {}, "X-Pad: " + QByteArray(65536, 'a') + "\r\n"), 431, "0",
        "64 KiB limit");
    row("not HTTP at all", "\x16\x03\x01\x02\x00\x01\x00"_ba, 400, "0", "not an HTTP request");
}

void TestHttp::answers()
{
    QFETCH(QByteArray, request);
    QFETCH(int, status);
    const Reply reply = m_sink->exchange(request);
    QCOMPARE(reply.status, status);
    // The reason phrases of RFC 9110 (413 by its older name, which clients still print).
    static const QMap<int, QByteArray> reasons{{200, "OK"}, {204, "No Content"}, {400, "Bad Request"}, {404, "Not Found"},
        {405, "Method Not Allowed"}, {406, "Not Acceptable"}, {411, "Length Required"}, {413, "Payload Too Large"},
        {414, "URI Too Long"}, {415, "Unsupported Media Type"},
        {431, "Request Header Fields Too Large"}};
    QCOMPARE(reply.reason, reasons.value(status));
    QVERIFY(reply.closed);
    QTEST(reply.headers.value("x-total-count"), "total");
    QCOMPARE(reply.headers.value("access-control-allow-origin"), QByteArray("*"));
    QCOMPARE(reply.headers.value("content-length"), QByteArray::number(reply.body.size()));
    QFETCH(QByteArray, expected);
    static const QRegularExpression header(QStringLiteral("^([A-Za-z-]+): (.*)$"));
    const auto named = header.match(QString::fromUtf8(expected));
    QCOMPARE(reply.body.startsWith("ERROR: "), status >= 400);
    if (expected.startsWith("ERROR: "))
        QCOMPARE(reply.body, expected);
    else if (expected.startsWith('{'))
        QCOMPARE(reply.headers.value("content-type") + ' ' + reply.body, "application/json " + expected);
    else if (named.hasMatch())
        QCOMPARE(reply.headers.value(named.captured(1).toLower().toUtf8()), named.captured(2).toUtf8());
    else if (!expected.isEmpty())
        QVERIFY2(reply.body.contains(expected) && reply.body.count('\n') == 1, reply.body.constData());
    QFETCH(QRect, ink);
    if (status == 200 && !expected.startsWith('{')) {
        const QImage image = QImage::fromData(reply.body, "PNG");
        QVERIFY(!image.isNull());
        if (!ink.isNull())
            QCOMPARE(inkOf(image), ink);
    }
}

// Labels on paper, read back with pdfinfo and drawn by pdftoppm at the printer's 203.2 dpi: 1 pixel a dot.
// Without X-Page-Size each page is its label's picture, taken out whole by pdfimages.
void TestHttp::pdfPages_data()
{
    QTest::addColumn<QByteArray>("path");
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<QByteArray>("headers");
    QTest::addColumn<QByteArray>("pages");      // pdfinfo's "Pages:" and "Page size:"
    QTest::addColumn<QRect>("ink");             // page 1's, within a dot
    QTest::addColumn<QByteArray>("edge");       // the ink's top row: "solid", "dashed" (about 2 of 3 dots), or ""
    const auto row = [](const char *name, const QByteArray &path, const QByteArray &job, const QByteArray &headers,
                        const QByteArray &pages, QRect ink, const QByteArray &edge = {}) {
        QTest::newRow(name) << path << job << headers << pages << ink << edge;
    };
    const QByteArray twoByOne = "/v1/printers/8dpmm/labels/2x1/", frame = "^XA^FO0,0^GB406,203,2^FS^XZ";
    const QByteArray none = "X-Label-Border: None\r\n";
    row("no X-Page-Size: a page a label, each the label's size and its PNG", "/v1/printers/8dpmm/labels/4x6/",
        Box + "^XA^FO0,0^A0N,60^FDSECOND^FS^XZ", {}, "2 288.071 x 431.929", QRect(100, 100, 200, 100));
    row("A4, left and top: the label at the corner, at its size", Label, Box,
        "X-Page-Size: A4\r\nX-Page-Align: Left\r\nX-Page-Vertical-Align: Top\r\n" + none, "1 595.276 x 841.89",
        QRect(100, 100, 200, 100));
    row("Letter landscape, right and bottom, names in any case", Label, Box,
        "x-page-size: letter\r\nX-Page-Orientation: LANDSCAPE\r\nX-Page-Align: Right\r\nX-Page-Vertical-Align: Bottom\r\n"
            + none, "1 792 x 612", QRect(2235 - 813 + 100, 1727 - 1219 + 100, 200, 100));
    row("2x2 justified on Letter: 5 labels on 2 pages, edge to edge", twoByOne, frame + frame + frame + frame + frame,
        "X-Page-Size: Letter\r\nX-Page-Layout: 2x2\r\nX-Page-Align: Justify\r\nX-Page-Vertical-Align: Justify\r\n",
        "2 612 x 792", QRect(0, 0, 1727, 2235));
    row("A6 by default: centred, a dashed border around the label", twoByOne, "^XA^FO100,100^GB10,10,10^FS^XZ",
        "X-Page-Size: A6\r\n", "1 297.638 x 419.528", QRect(217, 490, 406, 203), "dashed");
    row("a column of 3 centred on A5, solid borders", twoByOne, "^XA^FO100,0^GB10,10,10^FS^XZ",
        "X-Page-Size: A5\r\nX-Page-Layout: 1x3\r\nX-Label-Border: Solid\r\n", "1 419.528 x 595.276",
        QRect(389, 535, 406, 203), "solid");
    row("a Letter label on Letter paper: no border to cut along", "/v1/printers/8dpmm/labels/8.5x11/",
        "^XA^FO800,1100^GB10,10,10^FS^XZ", "X-Page-Size: Letter\r\n", "1 612 x 792", QRect(800, 1100, 10, 10));
}

void TestHttp::pdfPages()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, job);
    QFETCH(QByteArray, headers);
    const Reply reply = m_sink->exchange(request("POST", path, job, "Accept: application/pdf, image/png\r\n" + headers));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.headers.value("content-type"), QByteArray("application/pdf"));
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("sheet.pdf"));
    testfiles::Write(file, reply.body);
    static const QRegularExpression info(QStringLiteral("Pages: +(\\d+)\n.*Page size: +([\\d.]+ x [\\d.]+) pts"),
                                         QRegularExpression::DotMatchesEverythingOption);
    const auto found = info.match(QString::fromLatin1(run(QStringLiteral("pdfinfo"), {file})));
    QTEST((found.captured(1) + ' ' + found.captured(2)).toLatin1(), "pages");
    run(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("203.2"), QStringLiteral("-aa"), QStringLiteral("no"),
                                     QStringLiteral("-aaVector"), QStringLiteral("no"), QStringLiteral("-singlefile"),
                                     QStringLiteral("-png"), file, dir.filePath(QStringLiteral("page"))});
    const QImage page(dir.filePath(QStringLiteral("page.png")));
    const QRect got = inkOf(page);
    if (headers.isEmpty()) {
        run(QStringLiteral("pdfimages"), {QStringLiteral("-png"), file, dir.filePath(QStringLiteral("image"))});
        for (int i = 0; i < found.captured(1).toInt(); ++i)
            QCOMPARE(QImage(dir.filePath(QStringLiteral("image-%1.png").arg(i, 3, 10, QLatin1Char('0')))).convertToFormat(QImage::Format_Grayscale8),
                     QImage::fromData(m_sink->exchange(request("POST", path + QByteArray::number(i) + '/', job)).body, "PNG")
                         .convertToFormat(QImage::Format_Grayscale8));
    }
    QFETCH(QRect, ink);
    for (const auto &[a, b] : {std::pair(got.left(), ink.left()), {got.top(), ink.top()}, {got.right(), ink.right()},
                               {got.bottom(), ink.bottom()}})
        QVERIFY2(qAbs(a - b) <= 1, qPrintable(QStringLiteral("ink %1,%2 %3x%4").arg(got.x()).arg(got.y())
                                                  .arg(got.width()).arg(got.height())));
    QFETCH(QByteArray, edge);
    int dark = 0;
    for (int x = got.left(); x <= got.right(); ++x)
        dark += qGray(page.pixel(x, got.top())) < 128;
    const double share = double(dark) / got.width();
    if (edge == "solid")
        QVERIFY2(share > 0.97, qPrintable(QString::number(share)));
    else if (edge == "dashed")
        QVERIFY2(share > 0.55 && share < 0.8, qPrintable(QString::number(share)));
}

void TestHttp::graphics_data()
{
    QTest::addColumn<QImage>("image");
    QTest::addColumn<QByteArray>("format");
    QTest::addColumn<QByteArray>("label");      // the path it is drawn on
    const QByteArray label = "/v1/printers/8dpmm/labels/10x2/0/";
    QImage odd(13, 7, QImage::Format_RGB32);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x)
            odd.setPixel(x, y, (x * 3 + y) % 5 ? qRgb(255, 255, 255) : qRgb(20, 30, 10));
    odd.setPixel(1, 1, qRgb(127, 127, 127));    // dark: below half
    odd.setPixel(2, 1, qRgb(128, 128, 128));    // light
    odd.setPixel(3, 1, qRgb(255, 0, 0));        // 0.299: dark
    odd.setPixel(4, 1, qRgb(0, 255, 0));        // 0.587: light
    QTest::newRow("13 x 7 PNG: grey 127 and red dark, grey 128 and green white") << odd << QByteArray("PNG") << label;
    QImage clear(20, 4, QImage::Format_ARGB32);
    const int alpha[] = {0, 255, 128, 127};     // black seen over white: 128 is dark, 127 not
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 20; ++x)
            clear.setPixel(x, y, qRgba(0, 0, 0, x % 3 ? alpha[y] : 0));
    QTest::newRow("transparent PNG: see-through is white paper") << clear << QByteArray("PNG") << label;
    QImage blocks(41, 24, QImage::Format_RGB32);
    blocks.fill(Qt::white);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 41; ++x)
            if ((x / 8 + y / 8) % 2)
                blocks.setPixel(x, y, qRgb(0, 0, 0));
    QTest::newRow("JPEG") << blocks << QByteArray("JPG") << label;
    QTest::newRow("BMP") << blocks << QByteArray("BMP") << label;
    QImage dot(1, 1, QImage::Format_RGB32);
    dot.fill(Qt::black);
    QTest::newRow("one pixel") << dot << QByteArray("PNG") << label;
    QImage wide(8000, 300, QImage::Format_Grayscale8);     // rows of 2000 hex digits, read in two bands of rows
    wide.fill(255);
    wide.setPixel(0, 0, 0);
    wide.setPixel(7999, 299, 0);
    for (int x = 0; x < 8000; ++x)
        wide.setPixel(x, 2, 0), wide.setPixel(x, 270, 0);
    QTest::newRow("grey PNG 8000 dots wide, the most, runs over 400 digits")
        << wide << QByteArray("PNG") << QByteArray("/v1/printers/24dpmm/labels/13.2x0.5/0/");
}

// The ZPL answered for an image, drawn by the service itself, dot for dot.
void TestHttp::graphics()
{
    QFETCH(QImage, image);
    QFETCH(QByteArray, format);
    QFETCH(QByteArray, label);
    const QByteArray file = encoded(image, format);
    const Reply reply = m_sink->exchange(request("POST", "/v1/graphics", formBody({{"file", "logo." + format, file}}), Multipart));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.headers.value("content-type"), QByteArray("text/plain"));
    QVERIFY2(reply.body.startsWith("^XA^FO0,0^GFA,") && reply.body.endsWith("^FS^XZ"), reply.body.left(200).constData());
    const Reply drawn = m_sink->exchange(request("POST", label, reply.body, "X-Linter: On\r\n"));
    QCOMPARE(drawn.headers.value("x-warnings"), QByteArray());
    const QImage dots = QImage::fromData(drawn.body, "PNG");
    const QImage read = QImage::fromData(file).convertToFormat(QImage::Format_ARGB32);    // as JPEG gives it back
    QVERIFY(dots.width() >= image.width() && dots.height() >= image.height());
    for (int y = 0; y < dots.height(); ++y)
        for (int x = 0; x < dots.width(); ++x) {
            const QColor c = read.rect().contains(x, y) ? read.pixelColor(x, y) : QColor(Qt::white);
            const double luminance = (0.299 * c.redF() + 0.587 * c.greenF() + 0.114 * c.blueF()) * c.alphaF() + 1 - c.alphaF();
            QVERIFY2((qGray(dots.pixel(x, y)) < 128) == (luminance < 0.5), qPrintable(QStringLiteral("dot %1,%2").arg(x).arg(y)));
        }
}

void TestHttp::fonts_data()
{
    QTest::addColumn<QByteArray>("path");       // the part, none when empty
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("no path: drive E:, the file's name upper-cased") << QByteArray() << QByteArray("E:DEJAVUSANSMONO.TTF");
    QTest::newRow("a path of its own") << QByteArray("R:MONO.TTF") << QByteArray("R:MONO.TTF");
    QTest::newRow("a path without drive or extension") << QByteArray("mono") << QByteArray("E:MONO.TTF");
}

// The ~DU answered stores the font: a label with it draws as with the font in the job itself (~DY), unlike font 0.
void TestHttp::fonts()
{
    QFETCH(QByteArray, path);
    QFETCH(QByteArray, name);
    QFile file(QStringLiteral(TRUETYPE_FONT));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray font = file.readAll(), size = QByteArray::number(font.size());
    QList<std::array<QByteArray, 3>> parts{{"file", "fonts/DejaVuSansMono.ttf", font}};
    if (!path.isEmpty())
        parts.append({"path", {}, path});
    const Reply reply = m_sink->exchange(request("POST", "/v1/fonts", formBody(parts), Multipart));
    QCOMPARE(reply.status, 200);
    QCOMPARE(reply.body, "~DU" + name + ',' + size + ',' + font.toHex().toUpper());
    const auto draw = [&](const QByteArray &stored, const QByteArray &field) {
        return m_sink->exchange(request("POST", Label, stored + "^XA^FO20,20" + field + "^FDHg2^FS^XZ")).body;
    };
    const QByteArray downloaded = draw(reply.body, "^A@N,60,60," + name);
    QCOMPARE(downloaded, draw("~DYR:DIRECT,A,T," + size + ",0," + font.toHex(), "^A@N,60,60,R:DIRECT.TTF"));
    QVERIFY(downloaded != draw({}, "^A0N,60,60"));
}

// Requests sent before the previous answer are answered in order on the one connection.
void TestHttp::pipelined()
{
    const QByteArray first = "POST " + Label + " HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: "
                           + QByteArray::number(Box.size()) + "\r\n\r\n" + Box;
    const QByteArray second = request("POST", "/v1/printers/8dpmm/labels/2x2/0/", "^XA^FO5,5^GB20,30,20^FS^XZ");
    const Reply reply = m_sink->exchange(first + second);
    QCOMPARE(reply.status, 200);
    QCOMPARE(inkOf(QImage::fromData(reply.body.left(reply.headers.value("content-length").toInt()), "PNG")),
             QRect(100, 100, 200, 100));
    const Reply next = parse(reply.body.mid(reply.headers.value("content-length").toInt()));
    QCOMPARE(next.status, 200);
    QCOMPARE(inkOf(QImage::fromData(next.body, "PNG")), QRect(5, 5, 20, 30));
}

void TestHttp::robustness_data()
{
    QTest::addColumn<QString>("attack");
    QTest::newRow("a 100 MB body: 413 at its head, nothing kept") << "huge";
    QTest::newRow("a head that never ends: 408 after 10 s") << "endless";
    QTest::newRow("a head that drips a line a second: 408 after 10 s") << "drip";
    QTest::newRow("500 connections at once, past the 256 taken: others are still answered") << "crowd";
    QTest::newRow("a client that does not read its answer") << "deaf";
}

void TestHttp::robustness()
{
    QFETCH(QString, attack);
    QElapsedTimer clock;
    clock.start();
    std::vector<std::unique_ptr<QTcpSocket>> held;
    if (attack == "huge") {
        const QByteArray megabyte(1024 * 1024, '^');
        const auto socket = m_sink->connect(request("POST", Label, {}, "Content-Length: 100000000\r\n") + megabyte);
        QVERIFY(socket->waitForReadyRead(5000));
        QVERIFY(socket->readAll().startsWith("HTTP/1.1 413 Payload Too Large\r\n"));
        for (int i = 0; i < 99 && socket->state() == QAbstractSocket::ConnectedState; ++i) {
            socket->write(megabyte);
            socket->waitForBytesWritten(100);
        }
    } else if (attack == "endless") {
        const Reply reply = m_sink->exchange("POST " + Label + " HTTP/1.1\r\nHost: 127.0.0.1\r\n", 15000);
        QCOMPARE(reply.status, 408);
        QVERIFY(clock.elapsed() >= 9500);
    } else if (attack == "drip") {
        const auto socket = m_sink->connect("POST " + Label + " HTTP/1.1\r\nHost: 127.0.0.1\r\n");
        QByteArray raw;
        while (socket->state() == QAbstractSocket::ConnectedState && clock.elapsed() < 20000 && raw.isEmpty()) {
            socket->write("X-Drip: 1\r\n");
            socket->waitForReadyRead(1000);
            raw += socket->readAll();
        }
        QCOMPARE(parse(raw).status, 408);
        QVERIFY2(clock.elapsed() >= 9500 && clock.elapsed() < 12000, qPrintable(QString::number(clock.elapsed())));
    } else if (attack == "crowd") {
        for (int i = 0; i < 500; ++i)
            held.push_back(m_sink->connect("GET /v1/pri"));
    } else {
        // A graphic of 3000 x 3000 random dots: an answer of over 1 MB.
        QByteArray dots(375 * 3000, '\0');
        for (qsizetype i = 0; i < dots.size(); ++i)
            dots[i] = char((i * 2654435761u) >> 13);
        const QByteArray job = "^XA^FO0,0^GFA," + QByteArray::number(dots.size()) + ',' + QByteArray::number(dots.size())
                             + ",375," + dots.toHex().toUpper() + "^FS^XZ";
        held.push_back(m_sink->connect(request("POST", "/v1/printers/12dpmm/labels/10x10/0/", job)));
        held.back()->setReadBufferSize(1);
        held.back()->waitForReadyRead(5000);
    }
    // Whatever the others do, a request is answered at once.
    clock.restart();
    QCOMPARE(m_sink->exchange(request("POST", Label, Box)).status, 200);
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(m_sink->process.state(), QProcess::Running);
    QVERIFY2(m_sink->peakKb() < MEMORY_FACTOR * 200 * 1024, qPrintable(QString::number(m_sink->peakKb())));
}

QTEST_GUILESS_MAIN(TestHttp)
#include "tst_http.moc"
