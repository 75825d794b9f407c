// The barcode encoders: symbols checked module by module against published
// examples, and read back by an independent decoder (zxing-cpp) from images
// painted here, one dot per pixel.

#include "BarcodeField.h"
#include "BarcodeReader.h"

#include <QImage>
#include <QRandomGenerator>
#include <QTest>

using namespace zpl;

namespace {

BarcodeRequest Request(char type, const QByteArray &params, const QByteArray &data, int dpmm = 8,
                       double ratio = 3.0)
{
    BarcodeRequest request;
    request.by.ratio = ratio;
    request.type = type;
    request.params = params.isEmpty() ? QList<QByteArray>() : params.split(',');
    request.by.height = 17;
    request.dpmm = dpmm;
    request.data = data;
    return request;
}

// A stand-in for the renderer's painter: every module or bar as exact dots.
QImage Paint(const BarcodeResult &result)
{
    QImage image;
    if (const auto *matrix = std::get_if<MatrixSymbol>(&result.symbol)) {
        image = QImage(matrix->columns * result.moduleWidth, matrix->rows * result.moduleHeight,
                       QImage::Format_Grayscale8);
        image.fill(Qt::white);
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                if (matrix->at(x / result.moduleWidth, y / result.moduleHeight))
                    image.setPixel(x, y, qRgb(0, 0, 0));
    } else if (const auto *dots = std::get_if<DotSymbol>(&result.symbol)) {
        image = QImage(dots->width, dots->height, QImage::Format_Grayscale8);
        image.fill(Qt::white);
        for (const DotRun &run : dots->runs)
            for (int y = run.y; y < run.y + run.height; ++y)
                for (int x = run.x; x < run.x + run.width; ++x)
                    image.setPixel(x, y, qRgb(0, 0, 0));
    } else {
        const auto &linear = std::get<LinearSymbol>(result.symbol);
        image = QImage(linear.width, result.barHeight + 10, QImage::Format_Grayscale8);
        image.fill(Qt::white);
        for (const Bar &bar : linear.bars)
            for (int y = 0; y < result.barHeight + (bar.guard ? 10 : 0); ++y)
                for (int x = bar.x; x < bar.x + bar.width; ++x)
                    image.setPixel(x, y, qRgb(0, 0, 0));
    }
    return image;
}

// The bar and space widths in modules, left to right.
QByteArray Widths(const LinearSymbol &symbol, int moduleWidth)
{
    QByteArray widths;
    int x = 0;
    for (const Bar &bar : symbol.bars) {
        if (bar.x > x)
            widths += char('0' + (bar.x - x) / moduleWidth);
        widths += char('0' + bar.width / moduleWidth);
        x = bar.x + bar.width;
    }
    return widths;
}

bool HasNote(const BarcodeResult &result, const QString &note)
{
    return note.isEmpty() ? result.notes.isEmpty() : result.notes.join(u'\n').contains(note);
}

} // namespace

class TestSymbols : public QObject
{
    Q_OBJECT

private slots:
    void qr_data();
    void qr();
    void code128_data();
    void code128();
    void linear_data();
    void linear();
    void heightAndLine_data();
    void heightAndLine();
    void twoD_data();
    void twoD();
    void unreadable_data();
    void unreadable();
    void maxiCode_data();
    void maxiCode();
    void unknownType();
    void anyBytesGiveASymbolOrANote();
};

void TestSymbols::qr_data()
{
    QTest::addColumn<QByteArray>("params");     // after the orientation
    QTest::addColumn<int>("dpmm");
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("content");    // what the decoder reads; empty: nothing drawn
    QTest::addColumn<QString>("ecLevel");
    QTest::addColumn<int>("modules");           // 17 + 4 x version
    QTest::addColumn<int>("magnification");
    QTest::addColumn<QString>("note");          // empty: no notes at all

    // Alphanumeric holds 10 characters at H in version 1, bytes only 7, numeric 17.
    QTest::newRow("our label: A is a mode switch") << QByteArray("2,4") << 8 << QByteArray("HM,AAB12")
        << QByteArray("AB12") << "H" << 21 << 4 << QString();
    QTest::newRow("manual alphanumeric, not bytes") << QByteArray("2,3") << 8 << QByteArray("HM,AABCDEFGHIJ")
        << QByteArray("ABCDEFGHIJ") << "H" << 21 << 3 << QString();
    QTest::newRow("manual numeric") << QByteArray("2,3") << 8 << QByteArray("HM,N12345678901234567")
        << QByteArray("12345678901234567") << "H" << 21 << 3 << QString();
    QTest::newRow("manual Kanji, Shift JIS") << QByteArray("2,3") << 8 << QByteArray("HM,K\x8a\xbf\x8e\x9a\x8a\xbf\x8e\x9a")
        << QByteArray("\x8a\xbf\x8e\x9a\x8a\xbf\x8e\x9a") << "H" << 21 << 3 << QString();
    QTest::newRow("automatic input at Q") << QByteArray("2,4") << 8 << QByteArray("QA,Hello World")
        << QByteArray("Hello World") << "Q" << 21 << 4 << QString();
    QTest::newRow("level L is not raised") << QByteArray("2,4") << 8 << QByteArray("LA,AB12")
        << QByteArray("AB12") << "L" << 21 << 4 << QString();
    QTest::newRow("segments per mode switch") << QByteArray("2,2") << 8
        << QByteArray("MM,N0123456789,A12AABB,B0006qr,ode")
        << QByteArray("012345678912AABBqr,ode") << "M" << 25 << 2 << QString();
    QTest::newRow("structured append header costs room") << QByteArray("2,3") << 8
        << QByteArray("D0203A5,HM,AABCDEFGHIJ") << QByteArray("ABCDEFGHIJ") << "H" << 25 << 3 << QString();
    QTest::newRow("default magnification at 8 dpmm") << QByteArray() << 8 << QByteArray("QA,1")
        << QByteArray("1") << "Q" << 21 << 2 << QString();
    QTest::newRow("default magnification at 12 dpmm") << QByteArray("2,,Q,7") << 12 << QByteArray("QA,1")
        << QByteArray("1") << "Q" << 21 << 3 << QString();
    QTest::newRow("lower case under alphanumeric") << QByteArray("2,4") << 8 << QByteArray("HM,Aab#1")
        << QByteArray("ab#1") << "H" << 21 << 4 << "\"ab#1\" is invalid for alphanumeric mode";
    QTest::newRow("letters under numeric") << QByteArray("2,4") << 8 << QByteArray("HM,N12A")
        << QByteArray("12A") << "H" << 21 << 4 << "invalid for numeric mode";
    QTest::newRow("byte count beyond the data") << QByteArray("2,4") << 8 << QByteArray("QM,B0009abc")
        << QByteArray("abc") << "Q" << 21 << 4 << "QR byte count 9 exceeds the 3 bytes that follow";
    QTest::newRow("manual segment without mode") << QByteArray("2,4") << 8 << QByteArray("QM,AAB,12")
        << QByteArray("AB12") << "Q" << 21 << 4 << "needs a character mode (N, A, Bxxxx or K) before \"12\"";
    QTest::newRow("unknown level letter") << QByteArray("2,4") << 8 << QByteArray("XA,HELLO")
        << QByteArray("HELLO") << "M" << 21 << 4 << "QR error correction \"X\" is not H, Q, M or L; M used";
    QTest::newRow("no switches: the parameter's level") << QByteArray("2,4,L") << 8 << QByteArray("HELLO")
        << QByteArray("HELLO") << "L" << 21 << 4 << "does not start with the error correction and input switches";
    QTest::newRow("model 1") << QByteArray("1,4") << 8 << QByteArray("QA,1")
        << QByteArray("1") << "Q" << 21 << 4 << "QR model 1 is not supported; drawn as model 2";
    QTest::newRow("magnification out of range") << QByteArray("2,0") << 8 << QByteArray("QA,1")
        << QByteArray("1") << "Q" << 21 << 2 << "QR magnification \"0\" is not valid; 2 used";
    QTest::newRow("mask cannot be forced") << QByteArray("2,4,Q,3") << 8 << QByteArray("QA,1")
        << QByteArray("1") << "Q" << 21 << 4 << "QR mask 3 cannot be forced";
    QTest::newRow("no data") << QByteArray("2,4") << 8 << QByteArray("QA,")
        << QByteArray() << "" << 0 << 0 << "QR field has no data to encode";
    QTest::newRow("too long for a symbol") << QByteArray("2,4") << 8 << "HM,N" + QByteArray(3100, '7')
        << QByteArray() << "" << 0 << 0 << "QR data does not fit a symbol at error correction level H";
}

void TestSymbols::qr()
{
    QFETCH(QByteArray, params);
    QFETCH(int, dpmm);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, content);
    QFETCH(QString, ecLevel);
    QFETCH(int, modules);
    QFETCH(int, magnification);
    QFETCH(QString, note);

    const BarcodeResult result = EncodeBarcodeField(Request('Q', params, data, dpmm));
    QVERIFY2(HasNote(result, note), qPrintable(result.notes.join(u'\n')));
    QCOMPARE(result.ok, !content.isEmpty());
    if (!result.ok)
        return;
    const auto &matrix = std::get<MatrixSymbol>(result.symbol);
    QCOMPARE(matrix.columns, modules);
    QCOMPARE(matrix.rows, modules);
    QCOMPARE(result.moduleWidth, magnification);
    QCOMPARE(result.moduleHeight, magnification);
    QCOMPARE(result.topOffset, 17); // the ^BY height

    const QList<testbarcode::Decoded> decoded = testbarcode::ReadAll(Paint(result));
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(decoded[0].format, QStringLiteral("QRCode"));
    QCOMPARE(decoded[0].text, content);
    QCOMPARE(decoded[0].ecLevel, ecLevel);
    const int side = modules * magnification;
    QVERIFY2(qAbs(decoded[0].box.left()) <= 1 && qAbs(decoded[0].box.top()) <= 1
                 && qAbs(decoded[0].box.width() - side) <= 2,
             qPrintable(QStringLiteral("box %1,%2 %3x%4").arg(decoded[0].box.left()).arg(decoded[0].box.top())
                            .arg(decoded[0].box.width()).arg(decoded[0].box.height())));
}

void TestSymbols::code128_data()
{
    QTest::addColumn<QByteArray>("params");     // after the orientation: h,f,g,e,m
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("content");    // what the decoder reads; empty: nothing drawn
    QTest::addColumn<QString>("text");          // the interpretation line
    QTest::addColumn<int>("modules");           // 11 per codeword + 13 for the stop: pins the subsets chosen
    QTest::addColumn<QByteArray>("widths");     // bar and space widths; empty: not checked
    QTest::addColumn<QString>("note");

    // The check value example from the Wikipedia article "Code 128" (Start B, P J J 1 2 3 C:
    // 879 mod 103 = 55); the widths are that article's patterns for 104 48 42 42 17 18 19 35 55 106.
    QTest::newRow("published PJJ123C, check 55") << QByteArray() << QByteArray("PJJ123C") << QByteArray("PJJ123C")
        << "PJJ123C" << 112
        << QByteArray("211214" "313121" "112133" "112133" "123221" "223211" "221132" "131321" "311321" "2331112")
        << QString();
    QTest::newRow("mode N starts in B, digits too") << QByteArray() << QByteArray("1234") << QByteArray("1234")
        << "1234" << 79 << QByteArray() << QString();
    QTest::newRow(">; starts subset C") << QByteArray() << QByteArray(">;1234") << QByteArray("1234")
        << "1234" << 57 << QByteArray("211232") << QString();
    QTest::newRow(">9 starts subset A: control characters") << QByteArray() << QByteArray(">9A\tB")
        << QByteArray("A\tB") << "A\tB" << 68 << QByteArray("211412") << QString();
    QTest::newRow(">5 switches to C mid-data") << QByteArray() << QByteArray("AB>51234") << QByteArray("AB1234")
        << "AB1234" << 90 << QByteArray() << QString();
    QTest::newRow("odd digit in C goes to B") << QByteArray() << QByteArray(">;123") << QByteArray("123")
        << "123" << 68 << QByteArray() << "Code 128 subset C takes digit pairs; \"3\" encoded in subset B";
    QTest::newRow("invocations for ^ > ~") << QByteArray() << QByteArray("A><B>0C>=") << QByteArray("A^B>C~")
        << "A^B>C~" << 101 << QByteArray() << QString();
    QTest::newRow(">4 shifts one character") << QByteArray() << QByteArray("a>4\tb") << QByteArray("a\tb")
        << "a\tb" << 79 << QByteArray() << QString();
    QTest::newRow("unknown invocation") << QByteArray() << QByteArray("A>ZB") << QByteArray("AB")
        << "AB" << 57 << QByteArray() << "Code 128 invocation \">Z\" is not known; skipped";
    QTest::newRow("mode A: digit pairs in C") << QByteArray(",,,,A") << QByteArray("AB123456")
        << QByteArray("AB123456") << "AB123456" << 101 << QByteArray() << QString();
    QTest::newRow("mode A: all digits start in C") << QByteArray(",,,,A") << QByteArray("123456")
        << QByteArray("123456") << "123456" << 68 << QByteArray("211232") << QString();
    QTest::newRow("mode A: shift for one control") << QByteArray(",,,,A") << QByteArray("ab\tc")
        << QByteArray("ab\tc") << "ab\tc" << 90 << QByteArray("211214") << QString();
    QTest::newRow("mode A: > is data") << QByteArray(",,,,A") << QByteArray(">;12")
        << QByteArray(">;12") << ">;12" << 79 << QByteArray() << QString();
    // GS1's own check-digit examples: GTIN 1234567890128, SSCC 106141411234567897.
    QTest::newRow("UCC check digit appended") << QByteArray(",,,Y,N") << QByteArray("123456789012")
        << QByteArray("1234567890128") << "1234567890128" << 178 << QByteArray() << QString();
    QTest::newRow("mode U: SSCC and its check") << QByteArray(",,,,U") << QByteArray("0010614141123456789")
        << QByteArray("00106141411234567897") << "(00) 106141411234567897" << 156 << QByteArray("211232" "411131")
        << QString();
    QTest::newRow("mode U pads short data") << QByteArray(",,,,U") << QByteArray("00123")
        << QByteArray("00123000000000000006") << "(00) 123000000000000006" << 156 << QByteArray()
        << "Code 128 UCC case mode takes 19 digits, not 5";
    QTest::newRow("mode D: GTIN check added") << QByteArray(",,,,D") << QByteArray("(01)0061414199999")
        << QByteArray("0100614141999996") << "(01)00614141999996" << 134 << QByteArray("211232" "411131")
        << QString();
    QTest::newRow("mode D: FNC1 ends a variable field") << QByteArray(",,,,D") << QByteArray("(10)AB 1(21)12")
        << QByteArray("10AB1\x1d" "2112") << "(10)AB 1(21)12" << 145 << QByteArray() << QString();
    QTest::newRow("no data") << QByteArray() << QByteArray() << QByteArray() << QString() << 0 << QByteArray()
        << "Code 128 field has no data to encode";
    QTest::newRow("bad mode letter") << QByteArray(",,,,X") << QByteArray("AB") << QByteArray("AB") << "AB"
        << 57 << QByteArray() << "Code 128 mode \"X\" is not valid; N used";
}

void TestSymbols::code128()
{
    QFETCH(QByteArray, params);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(int, modules);
    QFETCH(QByteArray, widths);
    QFETCH(QString, note);

    const BarcodeResult result = EncodeBarcodeField(Request('C', params, data));
    QVERIFY2(HasNote(result, note), qPrintable(result.notes.join(u'\n')));
    QCOMPARE(result.ok, !content.isEmpty());
    if (!result.ok)
        return;
    const auto &linear = std::get<LinearSymbol>(result.symbol);
    QCOMPARE(result.text, text);
    QCOMPARE(linear.width, modules * 2); // ^BY width 2
    QVERIFY2(Widths(linear, 2).startsWith(widths), Widths(linear, 2).constData());
    QVERIFY(Widths(linear, 2).endsWith("2331112"));
    const QList<testbarcode::Decoded> decoded = testbarcode::ReadAll(Paint(result));
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(decoded[0].format, QStringLiteral("Code128"));
    QCOMPARE(decoded[0].text, content);
}

void TestSymbols::linear_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<QByteArray>("params");     // after the orientation
    QTest::addColumn<double>("ratio");          // ^BY wide to narrow, module width 2
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("format");        // the decoder's name
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("width");             // dots
    QTest::addColumn<int>("guards");            // bars that reach lower
    QTest::addColumn<QString>("note");

    // Code 39: a character is 6 narrow + 3 wide elements and a narrow gap.
    QTest::newRow("Code 39, ratio 3") << '3' << QByteArray() << 3.0 << QByteArray("ABC-12") << "Code39"
        << QByteArray("ABC-12") << "*ABC-12*" << 8 * 32 - 2 << 0 << QString();
    QTest::newRow("Code 39, ratio 2") << '3' << QByteArray() << 2.0 << QByteArray("A") << "Code39"
        << QByteArray("A") << "*A*" << 3 * 26 - 2 << 0 << QString();
    QTest::newRow("Code 39 mod-43 check") << '3' << QByteArray("Y") << 3.0 << QByteArray("CODE39") << "Code39"
        << QByteArray("CODE39W") << "*CODE39W*" << 9 * 32 - 2 << 0 << QString();
    QTest::newRow("Code 39 lower case") << '3' << QByteArray() << 3.0 << QByteArray("Ab") << "Code39"
        << QByteArray("A") << "*A*" << 3 * 32 - 2 << 0 << "Code 39 cannot encode \"b\"; skipped";
    // Code 93's check characters for TEST93 are "+6" (Wikipedia, "Code 93").
    QTest::newRow("Code 93, check characters printed") << 'A' << QByteArray(",,,Y") << 3.0 << QByteArray("TEST93")
        << "Code93" << QByteArray("TEST93") << "TEST93+6" << (10 * 9 + 1) * 2 << 0 << QString();
    QTest::newRow("Code 93, check weights cycle") << 'A' << QByteArray() << 3.0 << QByteArray("CODE 93-LONG/DATA+1")
        << "Code93" << QByteArray("CODE 93-LONG/DATA+1") << "CODE 93-LONG/DATA+1" << (23 * 9 + 1) * 2 << 0
        << QString();
    // Interleaved 2 of 5: start 4 narrow, a digit pair 6 narrow + 4 wide, stop wide + 2 narrow.
    QTest::newRow("Interleaved 2 of 5") << '2' << QByteArray() << 3.0 << QByteArray("123456") << "ITF"
        << QByteArray("123456") << "123456" << 8 + 3 * 36 + 10 << 0 << QString();
    QTest::newRow("Interleaved 2 of 5 odd count") << '2' << QByteArray() << 2.5 << QByteArray("1234567") << "ITF"
        << QByteArray("01234567") << "01234567" << 8 + 4 * 32 + 9 << 0
        << "Interleaved 2 of 5 needs an even number of digits; a leading 0 was added";
    QTest::newRow("Interleaved 2 of 5 check digit") << '2' << QByteArray(",,,Y") << 3.0 << QByteArray("1234567")
        << "ITF" << QByteArray("12345670") << "12345670" << 8 + 4 * 36 + 10 << 0 << QString();
    // Codabar: 7 elements a character, 2 wide (digits - $) or 3 (: / . + A-D); narrow gaps between.
    QTest::newRow("Codabar, start B stop D") << 'K' << QByteArray(",,,,B,D") << 3.0 << QByteArray("40156$")
        << "Codabar" << QByteArray("40156$") << "B40156$D" << 6 * 22 + 2 * 26 + 7 * 2
        << 0 << QString();
    // Check digits from GS1's examples: 590123412345(7), 9638507(4), 03600029145(2).
    QTest::newRow("EAN-13") << 'E' << QByteArray() << 3.0 << QByteArray("590123412345") << "EAN-13"
        << QByteArray("5901234123457") << "5901234123457" << 95 * 2 << 6 << QString();
    QTest::newRow("EAN-13 wrong check digit") << 'E' << QByteArray() << 3.0 << QByteArray("5901234123450")
        << "EAN-13" << QByteArray("5901234123457") << "5901234123457" << 95 * 2 << 6
        << "EAN-13 check digit 0 replaced by 7";
    QTest::newRow("EAN-13 short data") << 'E' << QByteArray() << 3.0 << QByteArray("123") << "UPC-A" // leading 0
        << QByteArray("000000001236") << "0000000001236" << 95 * 2 << 6
        << "EAN-13 takes 12 digits; zeros were added on the left";
    QTest::newRow("EAN-8") << '8' << QByteArray() << 3.0 << QByteArray("9638507") << "EAN-8"
        << QByteArray("96385074") << "96385074" << 67 * 2 << 6 << QString();
    QTest::newRow("UPC-A, long outer digits") << 'U' << QByteArray() << 3.0 << QByteArray("03600029145") << "UPC-A"
        << QByteArray("036000291452") << "036000291452" << 95 * 2 << 10 << QString();
    // UPC-E: 0 12300 00045 suppresses to 123453 (zeros after a manufacturer ending in 300); check 1.
    QTest::newRow("UPC-E") << '9' << QByteArray() << 3.0 << QByteArray("1230000045") << "UPC-E"
        << QByteArray("01234531") << "01234531" << 51 * 2 << 5 << QString();
    QTest::newRow("UPC-E, manufacturer ending 000") << '9' << QByteArray() << 3.0 << QByteArray("1200000345")
        << "UPC-E" << QByteArray("01234505") << "01234505" << 51 * 2 << 5 << QString();
    QTest::newRow("UPC-E, manufacturer ending 0") << '9' << QByteArray() << 3.0 << QByteArray("1234000005")
        << "UPC-E" << QByteArray("01234543") << "01234543" << 51 * 2 << 5 << QString();
    QTest::newRow("UPC-E, product 5-9") << '9' << QByteArray(",,,N") << 3.0 << QByteArray("1234500007")
        << "UPC-E" << QByteArray("01234572") << "0123457" << 51 * 2 << 5 << QString();
    QTest::newRow("UPC-E without zeros to suppress") << '9' << QByteArray() << 3.0 << QByteArray("1234567890")
        << "" << QByteArray() << "" << 0 << 0 << "UPC-E cannot shorten 1234567890: too few zeros";
    QTest::newRow("UPC-A without the check digit printed") << 'U' << QByteArray(",,,N") << 3.0
        << QByteArray("03600029145") << "UPC-A" << QByteArray("036000291452") << "03600029145" << 95 * 2 << 10
        << QString();
}

void TestSymbols::linear()
{
    QFETCH(char, type);
    QFETCH(QByteArray, params);
    QFETCH(double, ratio);
    QFETCH(QByteArray, data);
    QFETCH(QString, format);
    QFETCH(QByteArray, content);
    QFETCH(QString, text);
    QFETCH(int, width);
    QFETCH(int, guards);
    QFETCH(QString, note);

    const BarcodeResult result = EncodeBarcodeField(Request(type, params, data, 8, ratio));
    QVERIFY2(HasNote(result, note), qPrintable(result.notes.join(u'\n')));
    QCOMPARE(result.ok, !content.isEmpty());
    if (!result.ok)
        return;
    const auto &linear = std::get<LinearSymbol>(result.symbol);
    QCOMPARE(result.text, text);
    QCOMPARE(linear.width, width);
    QCOMPARE(result.barHeight, 17);
    QCOMPARE(int(std::count_if(linear.bars.begin(), linear.bars.end(), [](const Bar &bar) { return bar.guard; })),
             guards);
    const QList<testbarcode::Decoded> decoded = testbarcode::ReadAll(Paint(result));
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(decoded[0].format, format);
    QCOMPARE(decoded[0].text, content);
}

// Each linear type's h, f, g sit at their own place among the parameters.
void TestSymbols::heightAndLine_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<QByteArray>("params");     // after the orientation
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<int>("height");
    QTest::addColumn<int>("line");              // TextLine
    QTest::addColumn<QString>("note");

    const int none = int(TextLine::None), below = int(TextLine::Below), above = int(TextLine::Above);
    QTest::newRow("Code 128 h and f") << 'C' << QByteArray("50,N") << QByteArray("A") << 50 << none << QString();
    QTest::newRow("Code 128 g") << 'C' << QByteArray(",,Y") << QByteArray("A") << 17 << above << QString();
    QTest::newRow("Code 39 after e") << '3' << QByteArray("N,40,Y,Y") << QByteArray("A") << 40 << above << QString();
    QTest::newRow("Code 93") << 'A' << QByteArray("30,N") << QByteArray("A") << 30 << none << QString();
    QTest::newRow("Interleaved 2 of 5") << '2' << QByteArray("25,Y,Y") << QByteArray("12") << 25 << above
        << QString();
    QTest::newRow("EAN-13") << 'E' << QByteArray("33,N") << QByteArray("1") << 33 << none << "zeros were added";
    QTest::newRow("EAN-8") << '8' << QByteArray("34") << QByteArray("1234567") << 34 << below << QString();
    QTest::newRow("UPC-A") << 'U' << QByteArray(",,Y") << QByteArray("12345678901") << 17 << above << QString();
    QTest::newRow("height not a number") << 'C' << QByteArray("x") << QByteArray("A") << 17 << below
        << "Code 128 height \"x\" is not valid; 17 used";
    QTest::newRow("line flag not Y or N") << 'C' << QByteArray(",Q") << QByteArray("A") << 17 << below
        << "Code 128 interpretation line \"Q\" is not valid; Y used";
}

void TestSymbols::heightAndLine()
{
    QFETCH(char, type);
    QFETCH(QByteArray, params);
    QFETCH(QByteArray, data);
    QFETCH(int, height);
    QFETCH(int, line);
    QFETCH(QString, note);

    const BarcodeResult result = EncodeBarcodeField(Request(type, params, data));
    QVERIFY2(HasNote(result, note), qPrintable(result.notes.join(u'\n')));
    QVERIFY(result.ok);
    QCOMPARE(result.barHeight, height);
    QCOMPARE(int(result.textLine), line);
}

void TestSymbols::twoD_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<QByteArray>("params");     // after the orientation
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QString>("format");        // the decoder's name; empty: nothing drawn
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("ecLevel");
    QTest::addColumn<QSize>("modules");         // columns x rows
    QTest::addColumn<QSize>("module");          // dots across x down
    QTest::addColumn<QString>("note");

    QTest::newRow("Data Matrix ECC 200") << 'X' << QByteArray("4,200") << QByteArray("Hello") << "DataMatrix"
        << QByteArray("Hello") << "" << QSize(12, 12) << QSize(4, 4) << QString();
    QTest::newRow("Data Matrix ECC 000 drawn as 200") << 'X' << QByteArray("4") << QByteArray("Hello")
        << "DataMatrix" << QByteArray("Hello") << "" << QSize(12, 12) << QSize(4, 4)
        << "Data Matrix quality 0 (ECC 000-140) is not supported; drawn as ECC 200";
    QTest::newRow("Data Matrix size from ^BY height") << 'X' << QByteArray(",200") << QByteArray("123456")
        << "DataMatrix" << QByteArray("123456") << "" << QSize(10, 10) << QSize(2, 2) << QString();
    QTest::newRow("Data Matrix columns and rows") << 'X' << QByteArray("3,200,16,16") << QByteArray("Hello")
        << "DataMatrix" << QByteArray("Hello") << "" << QSize(16, 16) << QSize(3, 3) << QString();
    QTest::newRow("Data Matrix rectangular") << 'X' << QByteArray("3,200,,,,,2") << QByteArray("Ab!cD?eF#gH$iJ%k")
        << "DataMatrix" << QByteArray("Ab!cD?eF#gH$iJ%k") << "" << QSize(26, 12) << QSize(3, 3) << QString();
    QTest::newRow("Data Matrix escapes") << 'X' << QByteArray("4,200,,,,_") << QByteArray("A_d066C_M_Z")
        << "DataMatrix" << QByteArray("ABC\r\x1a") << "" << QSize(12, 12) << QSize(4, 4) << QString();
    QTest::newRow("Data Matrix size too small") << 'X' << QByteArray("3,200,10,10") << QByteArray("Hello")
        << "DataMatrix" << QByteArray("Hello") << "" << QSize(12, 12) << QSize(3, 3)
        << "Data Matrix data does not fit 10 x 10; the size is chosen automatically";
    QTest::newRow("Data Matrix without data") << 'X' << QByteArray("4,200") << QByteArray() << QString()
        << QByteArray() << "" << QSize() << QSize() << "Data Matrix cannot encode the field";
    // PDF417: start, left and right row indicators 17 modules each, 17 per data column, stop 18.
    QTest::newRow("PDF417 columns and security") << '7' << QByteArray("6,5,4") << QByteArray("PDF417 test")
        << "PDF417" << QByteArray("PDF417 test") << "5" << QSize(17 * 7 + 18, 0) << QSize(2, 6) << QString();
    QTest::newRow("PDF417 rows") << '7' << QByteArray("6,2,3,10") << QByteArray("PDF417 test")
        << "PDF417" << QByteArray("PDF417 test") << "2" << QSize(17 * 6 + 18, 10) << QSize(2, 6) << QString();
    // Aztec: 15 x 15 modules for one compact layer, 19 x 19 for two, 23 x 23 for two full-range layers.
    QTest::newRow("Aztec default") << 'O' << QByteArray() << QByteArray("Aztec 1") << "Aztec"
        << QByteArray("Aztec 1") << "" << QSize(15, 15) << QSize(2, 2) << QString();
    QTest::newRow("Aztec compact, 2 layers") << '0' << QByteArray("3,N,102") << QByteArray("AZ")
        << "Aztec" << QByteArray("AZ") << "" << QSize(19, 19) << QSize(3, 3) << QString();
    QTest::newRow("Aztec full range, 2 layers") << 'O' << QByteArray("3,N,202") << QByteArray("AZ")
        << "Aztec" << QByteArray("AZ") << "" << QSize(23, 23) << QSize(3, 3) << QString();
    QTest::newRow("Aztec error correction 60%") << 'O' << QByteArray("3,N,60") << QByteArray("AZ")
        << "Aztec" << QByteArray("AZ") << "" << QSize(15, 15) << QSize(3, 3)
        << "Aztec error correction 60% is above the 50% encoded; 50% used";
    QTest::newRow("PDF417 truncated: stop is one bar") << '7' << QByteArray("6,2,3,,Y") << QByteArray("PDF417 test")
        << "PDF417" << QByteArray("PDF417 test") << "2" << QSize(17 * 5 + 1, 0) << QSize(2, 6) << QString();
    QTest::newRow("PDF417 row height from ^BY") << '7' << QByteArray(",1,2") << QByteArray("12345")
        << "PDF417" << QByteArray("12345") << "1" << QSize(17 * 5 + 18, 0) << QSize(2, 17) << QString();
}

// Symbologies the decoder cannot read: their elements against worked examples (check digits computed by hand in the comments).
void TestSymbols::unreadable_data()
{
    QTest::addColumn<char>("type");
    QTest::addColumn<QByteArray>("params");     // after the orientation
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("elements");   // Code 11: widths in modules; POSTNET: T tall, s short
    QTest::addColumn<QString>("text");
    // Code 11's worked example 123-45: C = 5 (weights 1-10), K = 2 (weights 1-9), mod 11.
    QTest::newRow("Code 11, two check digits") << '1' << QByteArray() << QByteArray("123-45")
        << QByteArray("11221" "1" "21112" "1" "12112" "1" "22111" "1" "11211" "1" "11212" "1" "21211" "1"
                      "21211" "1" "12112" "1" "11221") << "123-4552";
    QTest::newRow("Code 11, one check digit") << '1' << QByteArray("Y") << QByteArray("123-45")
        << QByteArray("11221" "1" "21112" "1" "12112" "1" "22111" "1" "11211" "1" "11212" "1" "21211" "1"
                      "21211" "1" "11221") << "123-455";
    QTest::newRow("Code 11, C weights restart after 10") << '1' << QByteArray() << QByteArray("123456789012")
        << QByteArray("11221121112112112122111111212121211112211111122121121121111111112121112112112111211121121111221") << "123456789012-8";
    // Add-ons: EAN-2 parity by the value mod 4 (12: LL); EAN-5 by its check (52495, the $24.95 price: GLGLL).
    QTest::newRow("EAN-2 add-on") << 'S' << QByteArray() << QByteArray("12") << QByteArray("1122221112122") << "12";
    QTest::newRow("EAN-5 add-on") << 'S' << QByteArray() << QByteArray("52495")
        << QByteArray("1121321112122112311113112111231") << "52495";
    // POSTNET, ZIP+4 55555-1237: 5*5+1+2+3+7 = 38, check digit 2.
    QTest::newRow("POSTNET ZIP+4") << 'Z' << QByteArray() << QByteArray("555551237")
        << QByteArray("T" "sTsTs" "sTsTs" "sTsTs" "sTsTs" "sTsTs" "sssTT" "ssTsT" "ssTTs" "TsssT" "ssTsT" "T")
        << "5555512372";
    QTest::newRow("POSTNET check digit 0") << 'Z' << QByteArray() << QByteArray("55")
        << QByteArray("T" "sTsTs" "sTsTs" "TTsss" "T") << "550";
}

void TestSymbols::unreadable()
{
    QFETCH(char, type);
    QFETCH(QByteArray, params);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, elements);
    QFETCH(QString, text);
    const BarcodeResult result = EncodeBarcodeField(Request(type, params, data, 8, 2.0));
    QVERIFY(result.ok);
    QCOMPARE(result.text, text);
    const auto &linear = std::get<LinearSymbol>(result.symbol);
    QByteArray found;
    if (type == 'Z') {
        for (const Bar &bar : linear.bars)
            found += bar.shortHeight == 0 ? 'T' : bar.shortHeight == 7 ? 's' : '?';   // 2/5 of 17
    } else {
        found = Widths(linear, 2);
    }
    QCOMPARE(found, elements);
}

void TestSymbols::maxiCode_data()
{
    QTest::addColumn<QByteArray>("params");     // after the orientation
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("content");    // as decoded; empty: nothing drawn
    QTest::addColumn<QString>("note");
    const QByteArray carrier = "[)>\x1e" "01\x1d" "96";
    QTest::newRow("mode 2: class, country, postal code first") << QByteArray("2")
        << QByteArray("001840100450000" + carrier + "1Z00004951\x1dUPSN\x1e\x04")
        << QByteArray(carrier + "100450000\x1d" "840\x1d" "001\x1d" "1Z00004951\x1dUPSN\x1e\x04") << QString();
    QTest::newRow("mode 2, carrier form with the header first") << QByteArray()
        << QByteArray(carrier + "100450000\x1d" "840\x1d" "001\x1d" "1Z00004951\x1dUPSN")
        << QByteArray(carrier + "100450000\x1d" "840\x1d" "001\x1d" "1Z00004951\x1dUPSN") << QString();
    QTest::newRow("mode 3: six-character postal code") << QByteArray("3")
        << QByteArray("066826B1A1A1HELLO") << QByteArray("B1A1A1\x1d" "826\x1d" "066\x1dHELLO") << QString();
    QTest::newRow("mode 4: plain message") << QByteArray("4") << QByteArray("MaxiCode 4")
        << QByteArray("MaxiCode 4") << QString();
    QTest::newRow("mode 2 without its primary message") << QByteArray("2") << QByteArray("12")
        << QByteArray() << "MaxiCode mode 2 needs class, country and postal code first";
    QTest::newRow("mode 2 with letters in the postal code") << QByteArray("2") << QByteArray("001840ABCDE0000")
        << QByteArray() << "MaxiCode cannot encode the field";
}

void TestSymbols::maxiCode()
{
    QFETCH(QByteArray, params);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, content);
    QFETCH(QString, note);
    const BarcodeResult result = EncodeBarcodeField(Request('D', params, data));
    QVERIFY2(HasNote(result, note), qPrintable(result.notes.join(u'\n')));
    QCOMPARE(result.ok, !content.isEmpty());
    if (!result.ok)
        return;
    // 30 modules of 7 dots and half a module across, 33 rows of 6 dots down: about an inch square.
    const auto &dots = std::get<DotSymbol>(result.symbol);
    QCOMPARE(QSize(dots.width, dots.height), QSize(213, 199));
    const QList<testbarcode::Decoded> found = testbarcode::ReadMaxiCode(Paint(result));
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.front().text, content);
}

void TestSymbols::twoD()
{
    QFETCH(char, type);
    QFETCH(QByteArray, params);
    QFETCH(QByteArray, data);
    QFETCH(QString, format);
    QFETCH(QByteArray, content);
    QFETCH(QString, ecLevel);
    QFETCH(QSize, modules);
    QFETCH(QSize, module);
    QFETCH(QString, note);

    const BarcodeResult result = EncodeBarcodeField(Request(type, params, data));
    QVERIFY2(HasNote(result, note), qPrintable(result.notes.join(u'\n')));
    QCOMPARE(result.ok, !format.isEmpty());
    if (!result.ok)
        return;
    const auto &matrix = std::get<MatrixSymbol>(result.symbol);
    QCOMPARE(matrix.columns, modules.width());
    if (modules.height())
        QCOMPARE(matrix.rows, modules.height());
    QCOMPARE(QSize(result.moduleWidth, result.moduleHeight), module);
    const QList<testbarcode::Decoded> decoded = testbarcode::ReadAll(Paint(result));
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(decoded[0].format, format);
    QCOMPARE(decoded[0].text, content);
    QCOMPARE(decoded[0].ecLevel, ecLevel);
}

void TestSymbols::unknownType()
{
    QVERIFY(IsBarcodeType('Q'));
    QVERIFY(!IsBarcodeType('~'));
    QVERIFY(!IsBarcodeType(0));
    const BarcodeResult result = EncodeBarcodeField(Request('~', "", "123"));
    QVERIFY(!result.ok);
    QCOMPARE(result.notes, QStringList{"barcode type ^B~ is not supported; field skipped"});
}

// Hostile bytes and parameters: every type either encodes or says why not.
void TestSymbols::anyBytesGiveASymbolOrANote()
{
    QRandomGenerator random(20261207);
    static const char characters[] = "0123456789AMNBKDHQLU>;:9<=()_~\x1d,\xff\x00 ";
    const QByteArray alphabet(characters, sizeof characters - 1);
    const QByteArray types = "CQZ3A2E8U9X7OK";
    for (int round = 0; round < 400; ++round) {
        QByteArray data, params;
        const int length = int(random.bounded(round % 50 == 0 ? 3000 : 40));
        for (int i = 0; i < length; ++i)
            data += round % 2 ? char(random.bounded(256)) : alphabet.at(int(random.bounded(alphabet.size())));
        for (int i = 0; i < int(random.bounded(7)); ++i)
            params += alphabet.at(int(random.bounded(alphabet.size()))) + QByteArray(",");
        const BarcodeResult result = EncodeBarcodeField(Request(types.at(round % types.size()), params, data));
        QVERIFY(result.ok || !result.notes.isEmpty());
        if (const auto *matrix = std::get_if<MatrixSymbol>(&result.symbol))
            QCOMPARE(matrix->dark.size(), std::size_t(matrix->columns) * std::size_t(matrix->rows));
    }
}

QTEST_GUILESS_MAIN(TestSymbols)
#include "tst_symbols.moc"
