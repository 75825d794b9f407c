// The barcode encoders: symbols checked module by module against published
// examples, and read back by an independent decoder (zxing-cpp) from images
// painted here, one dot per pixel.

#include "BarcodeField.h"
#include "BarcodeReader.h"

#include <QImage>
#include <QTest>

using namespace zpl;

namespace {

BarcodeRequest Request(char type, const QByteArray &params, const QByteArray &data, int dpmm = 8)
{
    BarcodeRequest request;
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

QTEST_GUILESS_MAIN(TestSymbols)
#include "tst_symbols.moc"
