// The barcode encoders: symbols checked module by module against published examples, and read back by an
// independent decoder (zxing-cpp) from images painted here, one dot per pixel.

#include "BarcodeField.h"
#include "BarcodeReader.h"

#include <QImage>
#include <QPainter>
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

// A stand-in for the renderer's painter: every module, run or bar as exact dots.
QImage Paint(const BarcodeResult &result)
{
    QImage image;
    QList<QRect> ink;
    if (const auto *matrix = std::get_if<MatrixSymbol>(&result.symbol)) {
        image = QImage(matrix->columns * result.moduleWidth, matrix->rows * result.moduleHeight, QImage::Format_Grayscale8);
        for (int y = 0; y < matrix->rows; ++y)
            for (int x = 0; x < matrix->columns; ++x)
                if (matrix->at(x, y))
                    ink << QRect(x * result.moduleWidth, y * result.moduleHeight, result.moduleWidth, result.moduleHeight);
    } else if (const auto *dots = std::get_if<DotSymbol>(&result.symbol)) {
        image = QImage(dots->width, dots->height, QImage::Format_Grayscale8);
        for (const DotRun &run : dots->runs)
            ink << QRect(run.x, run.y, run.width, run.height);
    } else {
        const auto &linear = std::get<LinearSymbol>(result.symbol);
        image = QImage(linear.width, result.barHeight + 10, QImage::Format_Grayscale8);
        for (const Bar &bar : linear.bars)
            ink << QRect(bar.x, 0, bar.width, result.barHeight + (bar.guard ? 10 : 0));
    }
    image.fill(Qt::white);
    QPainter painter(&image);
    for (const QRect &r : ink)
        painter.fillRect(r, Qt::black);
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

// A row of each table: the symbol asked for (the parameters after the orientation), then what it must give.
struct Linear
{
    char type;
    QByteArray params, data;
    QString format;         // the decoder's name; empty: no decoder reads it
    QByteArray content;     // what the decoder reads
    QString text;           // the interpretation line; empty: nothing drawn
    int width, guards;      // dots at module width 2; bars that reach lower
    QString note;           // empty: no notes at all
    QByteArray widths;      // the first bar and space widths in modules; empty: not checked
    double ratio;           // ^BY wide to narrow
};
struct HeightAndLine
{
    char type;
    QByteArray params, data;
    int height;
    TextLine line;
    QString note;
};
struct TwoD
{
    char type;
    QByteArray params, data;
    QString format;         // the decoder's name; empty: nothing drawn
    QByteArray content;
    QString ecLevel;        // MaxiCode: the mode
    QSize modules, module;  // columns x rows (no rows: not checked; MaxiCode: dots), and a module's dots across x down
    QString note;           // empty: no notes at all
    int dpmm;
};

} // namespace

class TestSymbols : public QObject
{
    Q_OBJECT

private slots:
    void linear_data();
    void linear();
    void heightAndLine_data();
    void heightAndLine();
    void twoD_data();
    void twoD();
    void postnet_data();
    void postnet();
    void anyBytesGiveASymbolOrANote();
};

void TestSymbols::linear_data()
{
    QTest::addColumn<Linear>("row");
    const auto row = [](const char *name, char type, const QByteArray &params, const QByteArray &data, const char *format,
                        const QByteArray &content, const QString &text, int width, int guards = 0,
                        const QString &note = {}, const QByteArray &widths = {}, double ratio = 3.0) {
        QTest::newRow(name) << Linear{type, params, data, QString::fromLatin1(format), content, text, width, guards, note,
                                      widths, ratio};
    };
    // Code 128: 11 modules a codeword + 13 for the stop, so the width pins the subsets chosen.
    // The check value example from the Wikipedia article "Code 128" (Start B, P J J 1 2 3 C:
    // 879 mod 103 = 55); the widths are that article's patterns for 104 48 42 42 17 18 19 35 55 106.
    row("Code 128 published PJJ123C, check 55", 'C', "", "PJJ123C", "Code128", "PJJ123C", "PJJ123C", 112 * 2, 0, {},
        "211214" "313121" "112133" "112133" "123221" "223211" "221132" "131321" "311321" "2331112");
    // Every value of subset B (> as >0) and a byte above 127 (FNC4 i), every value of subset C.
    const QByteArray b = " !\"#$%&'()*+,-./0123456789:;<=>0?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`abcdefghijklmnopqrstuvwxyz{|}~\x7f\xe9";
    QByteArray c;
    for (int pair = 0; pair < 100; ++pair)
        c += QByteArray::number(pair).rightJustified(2, '0');
    row("Code 128 mode N starts in B, digits too", 'C', "", b, "Code128", QByteArray(b).replace(">0", ">"),
        QString::fromLatin1(b).replace(">0", ">"), 100 * 11 * 2 + 13 * 2);
    row(">; starts subset C", 'C', "", ">;1234", "Code128", "1234", "1234", 57 * 2, 0, {}, "211232");
    // Subsets A and C take digit pairs: in A each is a code value (33 A, 73 HT, 52 T).
    row(">9 starts subset A: pairs as code values, controls too", 'C', "", ">9337334", "Code128", "A\tB", "A\tB", 68 * 2, 0,
        {}, "211412");
    row(">7 switches to A: its digits are code values", 'C', "", ">:AB>752535455", "Code128", "ABTUVW", "ABTUVW", 112 * 2);
    row("a letter before a pair is skipped, a pair with a letter dropped", 'C', "", ">;12X343X56>6A", "Code128", "123456A",
        "123456A", 90 * 2, 0, "Code 128 subsets A and C take digit pairs; characters ignored: 3");
    row("an odd digit before a subset change is dropped", 'C', "", ">;1234567>6A", "Code128", "123456A", "123456A", 90 * 2, 0,
        "characters ignored: 1");
    row(">5 switches to C mid-data, >6 back to B", 'C', "", "AB>51234>6ab", "Code128", "AB1234ab", "AB1234ab", 123 * 2);
    row("odd digit in C goes to B", 'C', "", ">;123", "Code128", "123", "123", 68 * 2, 0,
        "Code 128 subset C takes digit pairs; \"3\" encoded in subset B");
    row("invocations for ^ > ~", 'C', "", "A><B>0C>=", "Code128", "A^B>C~", "A^B>C~", 101 * 2);
    row(">4 shifts one character, a space too", 'C', "", "a>4\tb>4 c", "Code128", "a\tb c", "a\tb c", 112 * 2);
    row("unknown invocation", 'C', "", "A>ZB", "Code128", "AB", "AB", 57 * 2, 0, "Code 128 invocation \">Z\" is not known; skipped");
    row("mode A: digit pairs in C", 'C', ",,,,A", "AB123456", "Code128", "AB123456", "AB123456", 101 * 2);
    row("mode A: all digits start in C", 'C', ",,,,A", c, "Code128", c, c, 102 * 11 * 2 + 13 * 2, 0, {}, "211232");
    row("mode A: shift for one control, 0x80 as FNC4 NUL in A", 'C', ",,,,A", "ab\tc\x80", "Code128", "ab\tc\x80",
        QString::fromLatin1("ab\tc\x80"), 123 * 2, 0, {}, "211214");
    row("mode A: > is data", 'C', ",,,,A", ">;12", "Code128", ">;12", ">;12", 79 * 2);
    // GS1's own check-digit examples: GTIN 1234567890128, SSCC 106141411234567897.
    row("mode U: SSCC and its check", 'C', ",,,,U", "0010614141123456789", "Code128", "00106141411234567897",
        "(00) 106141411234567897", 156 * 2, 0, {}, "211232" "411131");
    row("mode D: GTIN check added", 'C', ",,,,D", "(01)0061414199999", "Code128", "0100614141999996",
        "(01)00614141999996", 134 * 2, 0, {}, "211232" "411131");
    row("mode D: FNC1 ends a variable field, not a fixed one, >8 too; an 8 after another character is data", 'C', ",,,,D",
        "(17)261231(10)A8 1>8(21)12", "Code128", "17261231" "10A81\x1d" "2112", "(17)261231(10)A8 1(21)12", 178 * 2);
    row("mode D: data without (AI) is one field, the SSCC's check added", 'C', ",,,,D", "0010614141123456789", "Code128",
        "00106141411234567897", "00106141411234567897", 156 * 2);
    row("Code 128 without data", 'C', "", "", "", "", "", 0, 0, "Code 128 field has no data to encode");
    // Code 11's worked examples, mod 11: 123-45 has C = 5 (weights 1-10); 123456789012 has C = 10 ("-",
    // weights restarting after 10) and K = 8 (weights 1-9). No decoder reads Code 11 or the add-ons.
    row("Code 11, one check digit", '1', "Y", "123-45", "", "", "123-455", 70 * 2, 0, {},
        "11221" "1" "21112" "1" "12112" "1" "22111" "1" "11211" "1" "11212" "1" "21211" "1" "21211" "1" "11221", 2.0);
    row("Code 11, C weights restart after 10", '1', "", "123456789012", "", "", "123456789012-8", 124 * 2, 0, {},
        "11221121112112112122111111212121211112211111122121121121111111112121112112112111211121121111221", 2.0);
    // Add-ons: EAN-2 parity by the value mod 4 (12: LL); EAN-5 by its check (52495, the $24.95 price: GLGLL).
    row("EAN-2 add-on", 'S', "", "12", "", "", "12", 20 * 2, 0, {}, "1122221112122", 2.0);
    row("EAN-5 add-on", 'S', "", "52495", "", "", "52495", 47 * 2, 0, {}, "1121321112122112311113112111231", 2.0);
    // Code 39: a character is 6 narrow + 3 wide elements and a narrow gap.
    const QByteArray all39 = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";
    row("Code 39, ratio 2, every character", '3', "", all39, "Code39", all39, "*" + all39 + "*", 45 * 26 - 2, 0, {}, {}, 2.0);
    row("Code 39 mod-43 check", '3', "Y", "CODE39", "Code39", "CODE39W", "*CODE39W*", 9 * 32 - 2);
    row("Code 39 lower case", '3', "", "Ab", "Code39", "A", "*A*", 3 * 32 - 2, 0, "Code 39 cannot encode \"b\"; skipped");
    // Code 93's check characters for TEST93 are "+6" (Wikipedia, "Code 93").
    row("Code 93, check characters printed", 'A', ",,,Y", "TEST93", "Code93", "TEST93", "TEST93+6", (10 * 9 + 1) * 2);
    row("Code 93, check weights cycle", 'A', "", "CODE 93-LONG/DATA+Z12", "Code93", "CODE 93-LONG/DATA+Z12",
        "CODE 93-LONG/DATA+Z12", (25 * 9 + 1) * 2);
    // Full ASCII: ")" is the shift (+), ")T" a "t"; "(" is (/), "(A" a "!"; "&" is ($), "&M" a carriage return, not in the line.
    row("Code 93 full ASCII from shift pairs, ~ shown and DEL not", 'A', "", ")T)E)S)T(A1&M'S'T", "Code93", "test!1\r~\x7f",
        "test!1~", (21 * 9 + 1) * 2);
    // Interleaved 2 of 5: start 4 narrow, a digit pair 6 narrow + 4 wide, stop wide + 2 narrow.
    row("Interleaved 2 of 5 odd count, a letter", '2', "", "12345X69", "ITF", "01234569", "01234569", 8 + 4 * 32 + 9, 0,
        "Interleaved 2 of 5 takes digits only; the others were skipped\n"
        "Interleaved 2 of 5 needs an even number of digits; a leading 0 was added", {}, 2.5);
    row("Interleaved 2 of 5 check digit", '2', ",,,Y", "1234567", "ITF", "12345670", "12345670", 8 + 4 * 36 + 10);
    // Codabar: 7 elements a character, 2 wide (digits - $) or 3 (: / . + A-D); narrow gaps between.
    row("Codabar, start not A-D and stop left out: A", 'K', ",,,,Q", "4:1X56$", "Codabar", "4:156$", "A4:156$A", 5 * 22 + 3 * 26 + 7 * 2,
        0, "Codabar start character \"Q\" is not valid; A used\nCodabar cannot encode \"X\"; skipped");
    // Every character as the Wikipedia article "Codabar"'s table has it: wide elements as 1, bar first; narrow gaps.
    const QByteArray codabar = QByteArray("0011010 0000011 0000110 0001001 1100000 0010010 1000010 0100001 0100100 0110000 "
        "1001000 0001100 0011000 1000101 1010001 1010100 0010101 0101001").replace('1', '3').replace('0', '1').replace(' ', '1');
    row("Codabar, every character", 'K', ",,,,A,B", "0123456789-$:/.+", "Codabar", "0123456789-$:/.+", "A0123456789-$:/.+B",
        12 * 22 + 6 * 26 + 17 * 2, 0, {}, codabar);
    // Check digits from GS1's examples: 590123412345(7), 9638507(4), 03600029145(2).
    row("EAN-13 wrong check digit", 'E', "", "5901234123450", "EAN-13", "5901234123457", "5901234123457", 95 * 2, 6,
        "EAN-13 check digit 0 replaced by 7");
    row("EAN-13 short data", 'E', "", "123", "UPC-A" /* leading 0 */, "000000001236", "0000000001236", 95 * 2, 6,
        "EAN-13 takes 12 digits; zeros were added on the left");
    row("EAN-8", '8', "", "9638507", "EAN-8", "96385074", "96385074", 67 * 2, 6);
    row("UPC-A without the check digit printed", 'U', ",,,N", "03600029145", "UPC-A", "036000291452", "03600029145",
        95 * 2, 10);
    // UPC-E suppresses the zeros after a manufacturer ending in 000-200, 0 (or 00, 300 on the barcode label).
    row("UPC-E, manufacturer ending 200, check 8", '9', "", "1220000100", "UPC-E", "01210028", "01210028", 51 * 2, 5);
    row("UPC-E, manufacturer ending 0", '9', "", "1234000005", "UPC-E", "01234543", "01234543", 51 * 2, 5);
    row("UPC-E without zeros to suppress, its check flag not Y or N", '9', ",,,Q", "1234567890", "", "", "", 0, 0,
        "UPC-E check digit \"Q\" is not valid; Y used\nUPC-E cannot shorten 1234567890: too few zeros");
    row("Intelligent Mail without its 20-digit tracking code", 'Z', ",,,3", "1234", "", "", "", 0, 0, "20-digit tracking code");
    row("unknown type", '~', "", "123", "", "", "", 0, 0, "barcode type ^B~ is not supported; field skipped");
}

void TestSymbols::linear()
{
    QFETCH(Linear, row);
    const auto &[type, params, data, format, content, text, width, guards, note, widths, ratio] = row;
    const BarcodeResult result = EncodeBarcodeField(Request(type, params, data, 8, ratio));
    QVERIFY2(HasNote(result, note), qPrintable(result.notes.join(u'\n')));
    QCOMPARE(result.ok, !text.isEmpty());
    if (!result.ok)
        return;
    const auto &linear = std::get<LinearSymbol>(result.symbol);
    QCOMPARE(result.text, text);
    QCOMPARE(linear.width, width);
    QCOMPARE(int(std::count_if(linear.bars.begin(), linear.bars.end(), [](const Bar &bar) { return bar.guard; })),
             guards);
    QVERIFY2(Widths(linear, 2).startsWith(widths), Widths(linear, 2).constData());
    if (format.isEmpty())
        return;
    const QList<testbarcode::Decoded> decoded = testbarcode::ReadAll(Paint(result));
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(decoded[0].format, format);
    QCOMPARE(decoded[0].text, content);
}

// Each linear type's h, f, g sit at their own place among the parameters.
void TestSymbols::heightAndLine_data()
{
    QTest::addColumn<HeightAndLine>("row");
    const auto row = [](const char *name, char type, const QByteArray &params, const QByteArray &data, int height,
                        TextLine line, const QString &note = {}) {
        QTest::newRow(name) << HeightAndLine{type, params, data, height, line, note};
    };
    row("Code 128 h and f, h's integer part", 'C', "50.9,N", "A", 50, TextLine::None);
    row("Code 39 after e", '3', "N,40,Y,Y", "A", 40, TextLine::Above);
    row("EAN-13", 'E', "33,N", "1", 33, TextLine::None, "zeros were added");
    row("UPC-A", 'U', ",,Y", "12345678901", 17, TextLine::Above);
    row("UPC/EAN extension: the line above by default", 'S', "", "12", 17, TextLine::Above);
    row("POSTNET: no line by default", 'Z', "", "12345", 17, TextLine::None);
    row("height one past 32000", 'C', "32001", "A", 17, TextLine::Below, "Code 128 height \"32001\" is not valid; 17 used");
    row("height not a number, line flag not Y or N", 'C', "x,Q", "A", 17, TextLine::Below,
        "Code 128 height \"x\" is not valid; 17 used\nCode 128 interpretation line \"Q\" is not valid; Y used");
}

void TestSymbols::heightAndLine()
{
    QFETCH(HeightAndLine, row);
    const auto &[type, params, data, height, line, note] = row;
    const BarcodeResult result = EncodeBarcodeField(Request(type, params, data));
    QVERIFY2(HasNote(result, note), qPrintable(result.notes.join(u'\n')));
    QVERIFY(result.ok);
    QCOMPARE(result.barHeight, height);
    QCOMPARE(result.textLine, line);
}

void TestSymbols::twoD_data()
{
    QTest::addColumn<TwoD>("row");
    const auto row = [](const char *name, char type, const QByteArray &params, const QByteArray &data, const char *format,
                        const QByteArray &content, const char *ecLevel, QSize modules, QSize module,
                        const QString &note = {}, int dpmm = 8) {
        QTest::newRow(name) << TwoD{type, params, data, QString::fromLatin1(format), content, QString::fromLatin1(ecLevel),
                                    modules, module, note, dpmm};
    };
    // QR: 17 + 4 x version modules. Alphanumeric holds 10 characters at H in version 1, bytes only 7, numeric 17.
    const QSize v1(21, 21), v2(25, 25);
    // Automatic input splits: a byte, then 40 digits three to 10 bits: version 2 at L (in bytes alone, 3).
    row("QR automatic input in byte and numeric segments", 'Q', "2,2", "LA,a" + QByteArray(40, '7'), "QRCode",
        "a" + QByteArray(40, '7'), "L", v2, {2, 2});
    row("QR manual alphanumeric, not bytes", 'Q', "2,3", "HM,AABCDEFGHIJ", "QRCode", "ABCDEFGHIJ", "H", v1, {3, 3});
    row("QR manual numeric", 'Q', "2,3", "HM,N12345678901234567", "QRCode", "12345678901234567", "H", v1, {3, 3});
    row("QR manual Kanji, Shift JIS", 'Q', "2,3", "HM,K\x8a\xbf\x8e\x9a\x8a\xbf\x8e\x9a", "QRCode",
        "\x8a\xbf\x8e\x9a\x8a\xbf\x8e\x9a", "H", v1, {3, 3});
    row("QR automatic input at Q", 'Q', "2,4", "QA,Hello World", "QRCode", "Hello World", "Q", v1, {4, 4});
    row("QR level L is not raised, magnification up to 100", 'Q', "2,100", "LA,AB12", "QRCode", "AB12", "L", v1, {100, 100});
    row("QR segments per mode switch, a byte count in decimal", 'Q', "2,2", "MM,N0123456789,A12AABB,B0010qr,ode,xyz", "QRCode",
        "012345678912AABBqr,ode,xyz", "M", v2, {2, 2});
    row("QR structured append header costs room, part 9 of 9", 'Q', "2,3", "D0909A5,HM,AABCDEFGHIJ", "QRCode", "ABCDEFGHIJ", "H",
        v2, {3, 3});
    row("QR default magnification at 12 dpmm", 'Q', "2,,Q,7", "QA,1", "QRCode", "1", "Q", v1, {3, 3}, {}, 12);
    row("QR lower case and # dropped under alphanumeric; part 3 of 2 ignored", 'Q', "2,4", "D0302A5,HM,Aab#1 $", "QRCode",
        "1 $", "H", v1, {4, 4}, "QR structured append header \"D0302A5\" is malformed; ignored\n"
        "QR data \"ab#1 $\" has characters outside the alphanumeric set; they are dropped");
    row("QR unknown level letter", 'Q', "2,4", "XA,HELLO", "QRCode", "HELLO", "H", v1, {4, 4},
        "QR error correction \"X\" is not H, Q, M or L; H used");
    row("QR without switches: its first three characters taken as them", 'Q', "2,4,L", "ABCDEFGH", "QRCode", "DEFGH", "H",
        v1, {4, 4}, "does not start with the error correction and input switches");
    row("QR model 1", 'Q', "1,4", "QA,1", "QRCode", "1", "Q", v1, {4, 4}, "QR model 1 is not supported; drawn as model 2");
    row("QR magnification out of range, mask cannot be forced, level left out", 'Q', "2,0,,3", "QA,1", "QRCode", "1", "Q", v1, {2, 2},
        "QR magnification \"0\" is not valid; 2 used\nQR mask 3 cannot be forced");
    row("QR without data", 'Q', "2,4", "QA,", "", "", "", {}, {}, "QR field has no data to encode");
    row("QR too long for a symbol", 'Q', "2,4", "HM,N" + QByteArray(3100, '7'), "", "", "", {}, {},
        "QR data does not fit a symbol at error correction level H");
    row("Data Matrix ECC 000 drawn as 200, square", 'X', "4", "Ab!cD?eF#gH$iJ%k", "DataMatrix", "Ab!cD?eF#gH$iJ%k", "",
        {18, 18}, {4, 4},
        "Data Matrix quality 0 (ECC 000-140) is not supported; drawn as ECC 200");
    row("Data Matrix size from ^BY height", 'X', ",200", "123456", "DataMatrix", "123456", "", {10, 10}, {2, 2});
    row("Data Matrix encodation by the standard's look-ahead, not the shortest", 'X', "2,200", "LOTQTYX1/", "DataMatrix",
        "LOTQTYX1/", "", {16, 16}, {2, 2});
    row("Data Matrix columns and rows, escape _, no byte 256", 'X', "3,200,16,16,,_", "Hel_d108o_d256", "DataMatrix", "Hello_d256", "",
        {16, 16}, {3, 3}, "Data Matrix escape \"_d\" is not supported; kept as data");
    row("Data Matrix rectangular", 'X', "3,200,,,,,2", "Ab!cD?eF#gH$iJ%k", "DataMatrix", "Ab!cD?eF#gH$iJ%k", "",
        {26, 12}, {3, 3});
    row("Data Matrix columns and rows of the last size, 64 x 26", 'X', "3,200,64,26", "123456", "DataMatrix", "123456", "",
        {64, 26}, {3, 3});
    row("Data Matrix escapes, ~ by default", 'X', "4,200", "A~d066C~M~Z", "DataMatrix", "ABC\r\x1a", "", {12, 12}, {4, 4});
    row("Data Matrix without data", 'X', "4,200", "", "", "", "", {}, {}, "Data Matrix cannot encode the field");
    // PDF417: start, left and right row indicators 17 modules each, 17 per data column, stop 18.
    row("PDF417 columns and security", '7', "6,5,4", "PDF417 test", "PDF417", "PDF417 test", "5", {17 * 7 + 18, 0}, {2, 6});
    row("PDF417 rows", '7', "6,2,3,10", "PDF417 test", "PDF417", "PDF417 test", "2", {17 * 6 + 18, 10}, {2, 6});
    row("PDF417 at its fewest rows, 3", '7', "6,0,30,3", "PDF417 test", "PDF417", "PDF417 test", "0", {17 * 33 + 18, 3}, {2, 6});
    row("PDF417 truncated: stop is one bar", '7', "6,2,3,,Y", "PDF417 test", "PDF417", "PDF417 test", "2",
        {17 * 5 + 1, 0}, {2, 6});
    row("PDF417 row height from ^BY, security 0", '7', ",,2", "12345", "PDF417", "12345", "0", {17 * 5 + 18, 0}, {2, 17});
    // Aztec: 15 x 15 modules for one compact layer, 19 x 19 for two, 23 x 23 for two full-range layers.
    row("Aztec default", 'O', "", "Aztec 1", "Aztec", "Aztec 1", "", {15, 15}, {2, 2});
    row("Aztec compact, 2 layers", '0', "3,N,102", "AZ", "Aztec", "AZ", "", {19, 19}, {3, 3});
    row("Aztec full range, 2 layers", 'O', "3,N,202", "AZ", "Aztec", "AZ", "", {23, 23}, {3, 3});
    row("Aztec structured append of more than 26 symbols refused", 'O', "3,N,202,N,27", "AZ", "Aztec", "AZ", "", {23, 23}, {3, 3},
        "Aztec structured append count \"27\" is not valid; 1 used");
    // 40 capitals are 200 bits: 25 codewords of 8 bits (ISO/IEC 24778 table 1: 5 full-range layers hold 120,
    // 6 hold 156; 12-bit codewords: 32 layers hold 1664). 50 capitals: 21 (252 bits) of 12.
    row("Aztec error correction 80%: 6 layers, not 5", 'O', "1,N,80", QByteArray("AZTEC").repeated(8), "Aztec",
        QByteArray("AZTEC").repeated(8), "", {41, 41}, {1, 1});
    row("Aztec error correction 99% beyond any symbol", 'O', "1,N,99", QByteArray("AZTEC").repeated(10), "Aztec",
        QByteArray("AZTEC").repeated(10), "", {151, 151}, {1, 1}, "the largest symbol gives 98%");
    // MaxiCode: centres 29.5 pitches of 6.70 dots apart across (198) and 32 of 5.80 down (186), plus a
    // hexagon of 6 x 7; at 12 dots per mm pitches of 10.05 and 8.70, hexagons of 9 x 10.
    const QSize maxi(204, 193);
    const QByteArray carrier = "[)>\x1e" "01\x1d" "96" "100450000\x1d" "840\x1d" "001\x1d" "1Z00004951\x1dUPSN";
    row("MaxiCode mode 2, carrier form with the header first", 'D', "", carrier, "MaxiCode", carrier, "2", maxi, {});
    row("MaxiCode mode 3: six-character postal code", 'D', "3", "066826B1A1A1HELLO", "MaxiCode",
        "B1A1A1\x1d" "826\x1d" "066\x1dHELLO", "3", maxi, {});
    row("MaxiCode mode 4: plain message", 'D', "4", "MaxiCode 4", "MaxiCode", "MaxiCode 4", "4", maxi, {});
    row("MaxiCode at 12 dots per mm", 'D', "4", "MaxiCode 4", "MaxiCode", "MaxiCode 4", "4", {305, 288}, {}, {}, 12);
    row("MaxiCode mode 2 without its primary message", 'D', "2", "12", "", "", "", {}, {},
        "MaxiCode mode 2 needs class, country and postal code first");
    row("MaxiCode mode 2 with letters in the postal code", 'D', "2", "001840ABCDE0000", "", "", "", {}, {},
        "MaxiCode cannot encode the field");
}

void TestSymbols::twoD()
{
    QFETCH(TwoD, row);
    const auto &[type, params, data, format, content, ecLevel, modules, module, note, dpmm] = row;
    const BarcodeResult result = EncodeBarcodeField(Request(type, params, data, dpmm));
    QVERIFY2(HasNote(result, note), qPrintable(result.notes.join(u'\n')));
    QCOMPARE(result.ok, !format.isEmpty());
    if (!result.ok)
        return;
    const QImage image = Paint(result);
    if (const auto *matrix = std::get_if<MatrixSymbol>(&result.symbol)) {
        QCOMPARE(matrix->columns, modules.width());
        if (modules.height())
            QCOMPARE(matrix->rows, modules.height());
        QCOMPARE(QSize(result.moduleWidth, result.moduleHeight), module);
    } else {
        QCOMPARE(image.size(), modules);    // MaxiCode's dots
    }
    const QList<testbarcode::Decoded> decoded = type == 'D' ? testbarcode::ReadMaxiCode(image) : testbarcode::ReadAll(image);
    QCOMPARE(decoded.size(), 1);
    QCOMPARE(decoded[0].format, format);
    QCOMPARE(decoded[0].text, content);
    QCOMPARE(decoded[0].ecLevel, ecLevel);
}

// POSTNET and PLANET, which no decoder reads: their bars against worked examples (check digits by hand).
void TestSymbols::postnet_data()
{
    QTest::addColumn<QByteArray>("params");     // after the orientation
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<QByteArray>("bars");       // T tall, s short
    QTest::addColumn<QString>("text");
    // POSTNET, ZIP+4 12345-6789: 1+2+...+9 = 45, check digit 5.
    QTest::newRow("POSTNET ZIP+4, every digit") << QByteArray() << QByteArray("123456789")
        << QByteArray("T" "sssTT" "ssTsT" "ssTTs" "sTssT" "sTsTs" "sTTss" "TsssT" "TssTs" "TsTss" "sTsTs" "T")
        << "1234567895";
    QTest::newRow("POSTNET check digit 0") << QByteArray() << QByteArray("55")
        << QByteArray("T" "sTsTs" "sTsTs" "TTsss" "T") << "550";
    QTest::newRow("PLANET, type 1: tall and short swapped") << QByteArray(",,,1") << QByteArray("55")
        << QByteArray("T" "TsTsT" "TsTsT" "ssTTT" "T") << "550";
    // USPS's published worked examples of the Intelligent Mail barcode (USPS-B-3200): F full, A ascender,
    // D descender, T tracker.
    QTest::newRow("Intelligent Mail, type 3") << QByteArray(",,,3") << QByteArray("01234567094987654321")
        << QByteArray("ATTFATTDTTADTAATTDTDTATTDAFDDFADFDFTFFFFFTATFAAAATDFFTDAADFTFDTDT") << "";
    QTest::newRow("Intelligent Mail with a 5-digit routing code") << QByteArray(",,,3") << QByteArray("0123456709498765432101234")
        << QByteArray("DTTAFADDTTFTDTFTFDTDDADADAFADFATDDFTAAAFDTTADFAAATDFDTDFADDDTDFFT") << "";
}

void TestSymbols::postnet()
{
    QFETCH(QByteArray, params);
    QFETCH(QByteArray, data);
    QFETCH(QByteArray, bars);
    QFETCH(QString, text);
    const BarcodeResult result = EncodeBarcodeField(Request('Z', params, data, 8, 2.0));
    QVERIFY(result.ok);
    QCOMPARE(result.text, text);
    QByteArray found;
    if (const auto *states = std::get_if<DotSymbol>(&result.symbol)) {
        for (const DotRun &bar : states->runs)
            found += bar.y > 0 ? (bar.y + bar.height == states->height ? 'D' : 'T') : bar.height == states->height ? 'F' : 'A';
    } else {
        for (const Bar &bar : std::get<LinearSymbol>(result.symbol).bars)
            found += bar.shortHeight == 0 ? 'T' : bar.shortHeight == 7 ? 's' : '?';   // 2/5 of 17
    }
    QCOMPARE(found, bars);
}

// Hostile bytes and parameters: every type either encodes or says why not.
void TestSymbols::anyBytesGiveASymbolOrANote()
{
    QRandomGenerator random(20261207);
    const QByteArray alphabet("0123456789AMNBKDHQLU>;:9<=()_~\x1d,\xff\x00 ", 35), types = "CQZ3A2E8U9X7OK";
    const auto pick = [&](bool anyByte) { return anyByte ? char(random.bounded(256)) : alphabet.at(int(random.bounded(35))); };
    for (int round = 0; round < 400; ++round) {
        QByteArray data, params;
        for (int i = int(random.bounded(round % 50 == 0 ? 3000 : 40)); i > 0; --i)
            data += pick(round % 2);
        for (int i = int(random.bounded(7)); i > 0; --i)
            params += pick(false) + QByteArray(",");
        const BarcodeResult result = EncodeBarcodeField(Request(types.at(round % types.size()), params, data));
        QVERIFY(result.ok || !result.notes.isEmpty());
        if (const auto *matrix = std::get_if<MatrixSymbol>(&result.symbol))
            QCOMPARE(matrix->dark.size(), std::size_t(matrix->columns) * std::size_t(matrix->rows));
    }
}

QTEST_GUILESS_MAIN(TestSymbols)
#include "tst_symbols.moc"
