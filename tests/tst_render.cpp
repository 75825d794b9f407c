// The ZPL renderer, stage by stage: the tokenizer's commands, the interpreter's labels, the painter's exact
// dots, font 0 against the printer's measured metrics, labels read back by a barcode decoder, our own snapshots.

#include "BarcodeReader.h"
#include "GraphicField.h"
#include "Pdf.h"
#include "Renderer.h"
#include "TestFiles.h"

#include <QtTest>

using namespace Qt::StringLiterals;
using namespace zpl;

namespace {

const QByteArray OwnJob = "^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^FO160,50^A0,89,89^FDAB12^FS^PQ1^XZ";

QString tokens(const std::vector<Token> &list)
{
    QStringList out;
    for (const Token &t : list)
        out << QStringLiteral("%1:%2(%3)").arg(t.offset).arg(QString::fromLatin1(t.command()),
                                                              QString::fromLatin1(t.params().join('/')));
    return out.join(QLatin1Char(' '));
}

// A label as a line: its size and quantity unless 4 x 6 in and 1, settings, operations and the commands noted.
QString summary(const std::vector<Label> &labels)
{
    QStringList out;
    for (const Label &l : labels) {
        QString s;
        if (l.width != 813 || l.length != 1219 || l.quantity != 1)
            s += QStringLiteral(" %1x%2 q%3").arg(l.width).arg(l.length).arg(l.quantity);
        if (!l.printRate.isEmpty() || !l.darkness.isEmpty())
            s += QStringLiteral(" pr%1 sd%2").arg(QString::fromLatin1(l.printRate), QString::fromLatin1(l.darkness));
        if (l.mediaDarkness)
            s += QStringLiteral(" md%1").arg(l.mediaDarkness);
        for (const DrawOp &op : l.ops) {
            const QRect r = op.rect;
            const char *kind = op.kind == DrawOp::Box ? "box" : op.kind == DrawOp::Rects ? "code" : "shape";
            s += op.kind == DrawOp::Path ? QStringLiteral(" text(%1)").arg(op.text)
                 : QStringLiteral(" %1(%2,%3,%4,%5)").arg(kind).arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
        }
        for (const Diagnostic &d : l.diagnostics)
            s += QStringLiteral(" !%1@%2").arg(QString::fromLatin1(d.command)).arg(d.offset);
        out << (s.isEmpty() ? QStringLiteral("blank") : s.mid(1));
    }
    return out.join(QStringLiteral(" | "));
}

QImage paintFirst(const QByteArray &job, Media media = {})
{
    const std::vector<Label> labels = RenderJob(job, media);
    return labels.empty() ? QImage() : Paint(labels.front());
}

// The bounding box of the black dots (index 1), and how many there are.
QRect ink(const QImage &image, int *count = nullptr)
{
    QRect box;
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelIndex(x, y) == 1)
                box |= QRect(x, y, 1, 1), ++n;
    if (count)
        *count = n;
    return box;
}

} // namespace

class TestRender : public QObject
{
    Q_OBJECT

private slots:
    void tokenizer_data();
    void tokenizer();
    void interpreter_data();
    void interpreter();
    void storedObjects_data();
    void storedObjects();
    void geometry_data();
    void geometry();
    void graphicEncoder_data();
    void graphicEncoder();
    void fontZero_data();
    void fontZero();
    void fontSizes_data();
    void fontSizes();
    void fontCells_data();
    void fontCells();
    void rotation_data();
    void rotation();
    void blockCentre();
    void downloadedFont();
    void labelsReadBack_data();
    void labelsReadBack();
    void snapshots_data();
    void snapshots();
    void encodedFiles();
    void hostileJobs_data();
    void hostileJobs();
    void retailDigits_data();
    void retailDigits();
};

void TestRender::tokenizer_data()
{
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<QString>("expected");
    QTest::newRow("commands and offsets") << QByteArray("^XA^FO10,20^FDab^FS^XZ")
                                          << "0:^XA() 3:^FO(10/20) 11:^FD(ab) 16:^FS() 19:^XZ()";
    QTest::newRow("names in lower case") << QByteArray("^xa^fo1,2^xz") << "0:^XA() 3:^FO(1/2) 9:^XZ()";
    QTest::newRow("line breaks between commands") << QByteArray("^XA\r\n^FO1,2\r\n^FDa b\r\n^FS")
                                                  << "0:^XA() 5:^FO(1/2) 13:^FD(a b) 21:^FS()";
    QTest::newRow("font and symbology in the name") << QByteArray("^A0,89^BQN,2,4") << "0:^A0(/89) 6:^BQ(N/2/4)";
    QTest::newRow("tilde ends field data") << QByteArray("^FDa~SD12^FS") << "0:^FD(a) 4:~SD(12) 9:^FS()";
    QTest::newRow("caret changed by ^CC") << QByteArray("^CC+ +FDx^y+FS") << "0:^CC(+) 5:^FD(x^y) 11:^FS()";
    QTest::newRow("tilde changed by ~CT") << QByteArray("~CT# #SD15~x") << "0:~CT(#) 5:~SD(15~x)";
    QTest::newRow("delimiter changed by ^CD") << QByteArray("^CD;^FO1;2,3") << "0:^CD(;) 4:^FO(1/2,3)";
    QTest::newRow("^GFB data read by its count, or cut short") << QByteArray("^GFB,2,2,1,~^^GFB,3,3,1,^")
                                                             << "0:^GF(B/2/2/1/~^) 13:^GF(B/3/3/1/^)";
}

void TestRender::tokenizer()
{
    QFETCH(QByteArray, input);
    QFETCH(QString, expected);
    // Whole, and byte by byte as a slow connection delivers it: the same commands.
    for (const int chunk : {int(input.size()), 1}) {
        Tokenizer tokenizer;
        std::vector<Token> all;
        for (qsizetype at = 0; at < input.size(); at += chunk)
            for (Token &t : tokenizer.feed(input.mid(at, chunk)))
                all.push_back(t);
        for (Token &t : tokenizer.finish())
            all.push_back(t);
        QCOMPARE(tokens(all), expected);
    }
}

void TestRender::interpreter_data()
{
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<QString>("expected");
    const auto row = [](const char *name, const QByteArray &job, const QString &expected) {
        QTest::newRow(name) << job << expected;
    };
    row("zpltest's job: one label, QR dropped by the ^BY height", OwnJob, "prB sd15 code(40,40,84,84) text(AB12)");
    row("zpltest's job with darkness abc or none: noted, not shown; ^XA^PRB^XZ prints nothing",
        "^XA^PRB^XZ~SDabc^XA^FDx^FS^XZ~SD^XA^FDy^FS^XZ", "prB sd text(x) !~SD@10 | prB sd text(y) !~SD@29");
    row("^PR's three speeds (a fourth ignored), ~SD in tenths, ^MD at its lowest", "^XA^PR2,E,A^MD-30^XZ~SD8.3^XA^PR,,,X^FDx^FS^XZ",
        "pr2,E,A sd8.3 md-30 text(x)");
    row("refused ^PR, ~SD, ^MD and ^CI values keep the last good ones, noted",
        "^XA^PRB^MD-5^CI28^XZ~SD15^XA^PR\x80\xffH\x01Z,F,0^MD31~SD-5~SD\xfe/\x01\x39^CI99^FD\xc3\xa9^FS^XZ",
        "prB sd15 md-5 text(\u00e9) !^PR@28 !^PR@28 !^PR@28 !^MD@40 !~SD@45 !~SD@50 !^CI@57");
    row("^LH persists into the next format, moves ^FO; beyond 32000 refused, noted",
        "^XA^LH10,20^XZ^XA^LH40000,5^FO5,5^GB3,3^FS^XZ", "box(15,10,3,3) !^LH@17");
    row("^BY height persists and moves a QR code", "^XA^BY2,3,30^XZ^XA^FO40,30^BQN,2,4^FDHM,AAB12^FS^XZ",
        "code(40,60,84,84)");
    row("^FT puts a box's bottom-left corner, a barcode's bars' bottom-left", "^XA^FT10,100^GB50,20,2^FS^BY2^FT10,200^BCN,50,N^FD1^FS^XZ",
        "box(10,80,50,20) code(10,150,92,50)");
    row("^LL sets the length on continuous media", "^XA^MNN^LL300^FDx^FS^XZ", "813x300 q1 text(x)");
    row("^MNV: ^LL grows to hold the fields", "^XA^MNV^LL100^FO1,150^GB5,5^FS^XZ", "813x155 q1 box(1,150,5,5)");
    row("^PW narrower than the media: centred on it, a field beyond it noted; ^GB's width at most 32000",
        "^XA^PW400^FO0,0^GB5,5^FS^FO390,0^GB40000,5^FS^XZ", "box(206,0,5,5) box(596,0,32000,5) !^GB@32");
    row("right justified ^FT: a box's bottom-right corner", "^XA^FT100,100,1^GB50,20,2^FS^XZ", "box(50,80,50,20)");
    row("graphics before a field's text each at their own ^FO: ^GF's total / row bytes rows, ^GD's w 3 + t by default",
        "^XA^FO10,10^GFA,8,4,2,F0F0F0F0^FO200,10^GD,6^FO300,10^GC^FS^FO10,300^A0N,30^FDtext^FS^XZ", "shape(10,10,16,2) shape(200,10,4,6) shape(300,10,3,3) text(text)");
    row("letters before digits skipped, a minus on a coordinate ignored, noted", "^XA^FOB50,-60^GB5,5^FS^XZ",
        "box(50,60,5,5) !^FO@3 !^FO@3");
    row("a prefix after a prefix dropped, its ^FS ends the field; ^ZZ skipped", "^XA^ZZ12^FDa^^FS^FDb^FS^XZ", "text(a) text(b) !^ZZ@3");
    row("^FD beyond 3072 bytes is cut, noted", "^XA^FD" + QByteArray(4000, 'a').replace(3071, 1, "Z") + "^FS^XZ",
        "text(" + QString(3071, 'a') + "Z) !^FD@3");
    row("^XZ without ^XA noted in the next label; a job ending inside a format is drawn, noted",
        "^XZ^XA^FDx^FS^XZ^XA^FO1,1^GB5,5^FS", "text(x) !^XZ@0 | box(1,1,5,5) !^XZ@-1");
    // The bytes 0x80-0xff as Python's codecs cp850 and cp1252 read them.
    QByteArray high;
    for (int b = 0x80; b <= 0xff; ++b)
        high += char(b);
    row("^CI0 reads code page 850, ^CI27 code page 1252", "^XA^CI0^FD" + high + "^FS^CI27^FD" + high.left(32) + "\xe9^FS^XZ",
        "text(ÇüéâäàåçêëèïîìÄÅÉæÆôöòûùÿÖÜø£Ø×ƒáíóúñÑªº¿®¬½¼¡«»░▒▓│┤ÁÂÀ©╣║╗╝¢¥┐└┴┬├─┼ãÃ╚╔╩╦╠═╬¤ðÐÊËÈıÍÎÏ┘┌█▄¦Ì▀ÓßÔÒõÕµþÞÚÛÙýÝ¯´\u00ad±‗¾¶§÷¸°¨·¹³²■\u00a0)"
        " text(€�‚ƒ„…†‡ˆ‰Š‹Œ�Ž��‘’“”•–—˜™š›œ�žŸé)");
    QByteArray nationals;   // ISO 646's U.K., Dutch, Nordic, German, French, Italian, Spanish and Japanese variants
    for (int page = 1; page <= 12; ++page)
        nationals += "^CI" + QByteArray::number(page) + "^FH^FD#@[\\]_5E`{|}_7E$^FS";
    row("^CI1-12 put national letters for ASCII (^ and ~ by ^FH), ^CI13 is code page 850", "^XA" + nationals + "^CI13^FD\x9c^FS^XZ",
        "text(#@[\\]^`{|}~$) text(£@[\\]^`{|}~$) text(£¾ĳ½|^`¨ƒ¼´$) text(#@ÆØÅ^`æøå~$) text(#ÉÄÖÅÜéäöåü$) text(#§ÄÖÜ^`äöüß$) "
        "text(£à°ç§^`éùè¨$) text(#àâçê^`éùèû$) text(£§°çé^ùàòèì$) text(₧§¡Ñ¿^`°ñç~$) text(#@[\\]^`{|}~$) text(#@[¥]^`{|}~$) text(£)");
    row("^CI28 reads UTF-8; ^FH decodes before the code page, an escape at the end too",
        "^XA^CI28^FDWei\xc3\x9f^FS^FH^FD_4_C3_9f^FS^XZ", "text(Weiß) text(_4ß)");
    row("several labels in one job, ^PQ's number or 1", "^XA^FDa^FS^PQ^XZ^XA^FDb^FS^PQ3^XZ", "text(a) | 813x1219 q3 text(b)");
    row("^MUM: millimetres at 8 dots per mm, persisting; ^BY,,h keeps the module width, ^BYw (0.3 mm: 2 dots) the height",
        "^XA^BY3^MUM^XZ^XA^BY,,5^FO1.5,2^GB10,5,1^FS^FO0,10^B1N,N,10,N^FD1^FS^FO0,30^BCN,,N^FD1^FS^BY0.3^FO0,40^BCN,,N^FD1^FS^MUD^XZ",
        "box(12,16,80,40) code(0,80,147,80) code(0,240,138,40) code(0,320,92,40)");
    row("^MUI: inches; ^MU dpi conversion doubles dots, halves them from 600, a base of 0 converts nothing",
        "^XA^MUI^FO0.5,1^GB1,0.25,0.25^FS^MUD,200,400^FO10,20^GB5,5^FS^MUD,600,300^FO600,40^GB10,10^FS^MUD,0,300^FO5,5^GB5,5^FS^MUD^XZ",
        "box(102,203,203,51) box(20,40,10,10) box(300,20,5,5) box(5,5,5,5)");
    row("PDF417's row height up to 32000 dots, one more refused, noted",
        "^XA^FO0,0^B7N,32000,0,30,3^FDA^FS^FO0,0^B7N,32001,0,30,3^FDA^FS^XZ", "code(0,0,1158,96000) code(0,0,1158,30) !^B7@39");
    row("^FPR draws right to left", "^XA^FPR^FDabc^FS^XZ", "text(cba)");
    row("^CW alias to a font not here, ^A@ by an unknown name: font 0, noted",
        "^XA^CWQ,E:NOPE.TTF^AQ,20^FDx^FS^A@N,20,20,E:NOPE.TTF^FDy^FS^XZ", "text(x) text(y) !^AQ@18 !^A@@31");
    row("^SN shows its start value, notes the rest", "^XA^FO1,1^SN0041,2,Y^FS^PQ3^XZ", "813x1219 q3 text(0041) !^SN@9");
    row("a field left open ends with its format: a stray ^FH or ^FC touches no recalled field",
        "^XA^DFR:S.ZPL^FD%H_41^FS^FH^XZ^XA^XFS^FS^XFS^FS^FC^XZ", "text(%H_41) text(%H_41)");
    row("^GS draws the marks for A-C", "^XA^GSN,30,30^FDABC^FS^XZ", "text(\u00ae\u00a9\u2122)");
    row("^GFC refused, an unknown barcode type, noted", "^XA^FO0,0^GFC,1,1,1,a^FS^B~^FD1^FS^XZ", "!^GF@9 !^B~@24");
    row("decimals in ^BY, ^BC and ^BK: their integer part; Codabar's wide elements 2 dots at ^BY1,2",
        "^XA^BY1.9,2.0,101.5^FO9,9^BCN,,N^FDA^FS^FO9,200^BKN,N,150.7,N^FD1^FS^XZ", "code(9,9,46,101) code(9,200,31,150)");
}

void TestRender::interpreter()
{
    QFETCH(QByteArray, job);
    QFETCH(QString, expected);
    QCOMPARE(summary(RenderJob(job)), expected);
}

void TestRender::storedObjects_data()
{
    // Each job goes to its own Printer; all share one memory, as connections share a printer, and one clock.
    QTest::addColumn<QByteArrayList>("jobs");
    QTest::addColumn<QString>("expected");     // the last job's labels
    QTest::addColumn<QByteArray>("replies");   // the last job's answers
    const auto row = [](const char *name, const QByteArrayList &jobs, const QString &expected, const QByteArray &replies = {}) {
        QTest::newRow(name) << jobs << expected << replies;
    };
    const QByteArray store = "^XA^DFR:SHIP.ZPL^FS^FO10,10^GB5,5^FS^FO50,50^FN1\"Name\"^FDdefault^FS^FO90,90^FN2^FS^XZ";
    row("a storing format prints nothing, a field before its ^DF too", {"^XA^FO1,1^GB2,2^FS" + store.mid(3)}, "");
    row("recalled on another connection without drive and extension, ^FN takes the recall's data",
        {store, "^XA^XFSHIP^FS^FN1^FDAnna^FS^FN2^FVB^FS^XZ"}, "box(10,10,5,5) text(Anna) text(B)");
    row("^ID deletes (? any one character), the recall then misses", {store, "^XA^IDR:SH?P.ZPL^XZ^XA^XFR:SHIP.ZPL^FS^FO1,1^GB2,2^FS^XZ"},
        "box(1,1,2,2) !^XF@22");
    row("~DG stored, ^XG scales it by whole dots; a BMP, a kind not stored, is missing, noted",
        {"~DGR:DOT.GRF,2,1,C0C0", "~DYR:NO,A,B,1,1,FF^XA^FO10,20^XGDOT,3,2^FS^XGR:NO.GRF^FS^XZ"}, "shape(10,20,24,4) !~DY@0 !^XG@42");
    // A white 3 x 2 PNG of 1 bit a dot, as Python's zlib and struct put it together.
    const QByteArray png = "89504e470d0a1a0a0000000d4948445200000003000000020100000000b50f5bb70000000c4944415478da"
                           "6378c0f00000038401c1eb88ddbf0000000049454e44ae426082";
    row("~DY stores a PNG, ^XG draws it, ^HW lists what is stored on any drive (*:), the PNG as the GRF of its 2 x 1 bytes; "
        "no drive Q:", {store, "~DYR:LOGO,A,P,69,0," + png, "^XA^FO5,6^XGR:LOGO.PNG^FS^HW*:*.*^HWQ:*.*^XZ"}, "shape(5,6,3,2) !^HW@33",
        "\x02\r\n- DIR *:*.*\r\n*R:LOGO.PNG                 2\r\n*R:SHIP.ZPL                66\r\n"
        "-16777148 bytes free R:RAM\r\n\x03");
    QByteArray many;
    for (int i = 0; i <= Storage::MaxObjects; ++i)
        many += "~DGR:G" + QByteArray::number(i) + ".GRF,1,1,FF";
    row("a full memory refuses the next object, noted", {many + "^XA^FO1,1^GB2,2^FS^XZ"},
        "box(1,1,2,2) !~DG@" + QString::number(many.lastIndexOf('~')));
    row("a format as large as the memory, 16 MiB (^FS, ^FX and its comment), is stored and fills it",
        {"^XA^DFR:BIG.ZPL^FS^FX" + QByteArray((16 << 20) - 6, 'x') + "^XZ", "~DGR:G.GRF,1,1,FF^XA^FDx^FS^XZ"}, "text(x) !~DG@0");
    row("^FC's clock at 12:05:09 on Wednesday 2026-03-04, noon's hour 12 PM", {"^XA^FC%,{^FD%Y-%m-%d {H:%M:%S %I %p %% %q "
        "%a %A %b %B %j %y %w %U %W^FS^XZ"}, "text(2026-03-04 12:05:09 12 PM %% %q Wed Wednesday Mar March 063 26 3 09 09)");
    row("names of letters, digits, _ and -; any other character refused, noted",
        {"~DGR:A-B_1.GRF,1,1,FF~DGR:A$B.GRF,1,1,FF^XA^FO1,1^XGR:A-B_1.GRF^FS^XGA/B^FS^XZ"}, "shape(1,1,8,1) !~DG@21 !^XG@66");
}


void TestRender::storedObjects()
{
    QFETCH(QByteArrayList, jobs);
    QFETCH(QString, expected);
    QFETCH(QByteArray, replies);
    auto storage = std::make_shared<Storage>();
    std::vector<Label> labels;
    QByteArray answers;
    for (const QByteArray &job : jobs) {
        Printer printer;
        printer.setStorage(storage);
        printer.setClock([] { return QDateTime(QDate(2026, 3, 4), QTime(12, 5, 9)); });
        labels = printer.feed(job);
        for (Label &l : printer.finish())
            labels.push_back(std::move(l));
        answers = printer.takeReplies();
    }
    QCOMPARE(summary(labels), expected);
    QCOMPARE(answers, replies);
}

void TestRender::geometry_data()
{
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<QRect>("box");
    QTest::addColumn<int>("count");     // -1: not checked
    QTest::addColumn<QStringList>("dots");  // the top rows from the label's corner, 1 = black, drawn without notes
    const auto row = [](const char *name, const QByteArray &job, QRect box, int count = -1, const QStringList &dots = {}) {
        QTest::newRow(name) << job << box << count << dots;
    };
    row("box outline", "^FO10,10^GB100,50,3^FS", {10, 10, 100, 50}, 100 * 50 - 94 * 44);
    row("thickness of half the side fills", "^FO10,10^GB40,20,10^FS", {10, 10, 40, 20}, 800);
    row("white box erases", "^FO10,10^GB40,40,40^FS^FO20,20^GB20,20,20,W^FS", {10, 10, 40, 40}, 1600 - 400);
    row("reverse inverts what lies beneath", "^FO0,0^GB100,100,100^FS^FO50,50^FR^GB100,100,100^FS", {0, 0, 150, 150},
        2 * 10000 - 2 * 2500);
    row("^LR reverses every field", "^LRY^FO0,0^GB10,10,10^FS^FO0,0^GB10,10,10^FS^LRN", {}, 0);
    row("rounded box keeps its corners clear", "^FO10,10^GB100,60,4,B,8^FS", {10, 10, 100, 60});
    row("circle", "^FO10,10^GC50,3^FS", {10, 10, 50, 50});
    row("ellipse", "^FO10,10^GE80,40,2^FS", {10, 10, 80, 40});
    row("diagonal: t dots across, so it spans w + t", "^FO10,10^GD100,50,4,B,L^FS", {10, 10, 104, 50});
    row("reverse diagonal below the top band", "^FO10,600^FR^GD100,50,4^FS", {10, 600, 104, 50});
    row("a white diagonal as thick as a box whites half of it", "^FO10,10^GB40,20,20^FS^FO10,10^GD40,20,40,W^FS",
        {10, 10, 40, 19}, 400);
    // The data is one stream of hex digits filling rows in turn: a repeat carries into the next row.
    const QString o = "00000000", f = "11111111", of = "00001111";
    row("^GF repeat across two row ends to a row's end, then a comma", "^FO0,0^GFA,7,10,2,HFP0,HF^FS", {0, 0, 8, 5},
        -1, {f + o, o + o, o + o, o + o, f + o});
    row("^GF ! and , finish a row a repeat began", "^FO0,0^GFA,11,8,2,HFI0!G0F,HF^FS", {0, 0, 16, 4}, -1,
        {f + o, of + f, of + o, f + o});
    row("^GF : on the first row is blank, then repeats a row a repeat finished", "^FO0,0^GFA,5,4,1,:I0F:^FS",
        {4, 2, 4, 2}, -1, {o, o, of, of});
    row("~DG and ~DY data read as one stream, ^IL draws it at the corner, ^IM unscaled at the field",
        "~DGR:A.GRF,2,1,I0F~DYR:B,A,G,2,1,G0I1^ILR:A.GRF^FO8,0^IMR:B.GRF^FS", {4, 0, 12, 2}, -1,
        {o + "00000001", of + "00010001"});
    // 22-byte rows as an image encoder writes them (i Y N 0: 60 + 19 + 8 zeros, all of row 1 and 43 digits of row 2),
    // against the plain hex of the same picture.
    const QByteArray plain = QByteArray(87, '0') + "FFF" + QByteArray(42, '0') + "FF" + QByteArray(42, '0');
    QStringList rows(4);
    for (qsizetype at = 0; at < plain.size(); ++at)
        rows[at / 44] += QString::number(plain.mid(at, 1).toInt(nullptr, 16), 2).rightJustified(4, '0');
    row("^GF as an image encoder writes it", "^FO0,0^GFA,9,88,22,iYN0FHF,:^FS", {0, 1, 176, 3}, 20, rows);
    row("^GF binary", "^FO5,6^GFB,2,2,1,\x81\x01^FS", {5, 6, 8, 2}, 3);
    row("~DY binary read by its byte count, carets and all", "~DYR:LOGO,B,G,2,1,^~^FO5,6^XGR:LOGO.GRF^FS", {6, 6, 6, 2}, 11);
    // FFFF 0000 8001 as Python's zlib.compress gives it, the CRC-16/XMODEM of the base64 text from its binascii.crc_hqx.
    row("^GF :Z64:", "^FO0,0^GFA,30,6,2,:Z64:eJz7/5+BoYERAAv8AoA=:FF57^FS", {0, 0, 16, 3}, -1, {f + f, o + o, "1" + o + "0000001"});
    row("^FPV with a gap of 10 between characters", "^FO10,10^A0,40^FPV,10^FDHH^FS", {13, 10, 19, 80});
    row("^FPH with a gap of 10 between characters", "^FO10,10^A0,40^FPH,10^FDHH^FS", {13, 10, 54, 30});
    row("^TB keeps the lines that fit its height", "^FO10,10^TBN,60,45^A0,20^FDHH HH HH HH^FS", {11, 10, 52, 35});
    row("^BDm,n,t: mode 4 first, no orientation, upright under ^FWR", "^FWR^FO10,10^BD4,1,1^FDMaxiCode^FS",
        {10, 10, 200, 193});
    row("^BO at 50%: compact with 3 layers before full range with 2, both 23 x 23", "^FO0,0^BON,1,N,50^FDABCDEFGHIJKLMNOPQRSTUVWX^FS",
        {0, 0, 23, 23}, 259);
    row("^BC line above at ^BY3: bars at ^FO, 21-dot caps 12 dots above", "^BY3^FO100,100^BCN,80,Y,Y^FDHH^FS",
        {100, 67, 171, 113});
    row("Code 39's line 2 dots below the bars", "^BY2^FO10,10^B3N,N,20,Y^FDA^FS", {10, 10, 94, 36});
    row("EAN's guard bars half the line's cell longer, the line above", "^BY2^FO10,30^B8N,20,Y,Y^FD1234567^FS",
        {10, 10, 134, 49});
    row("^POI turns the label", "^MNN^PW100^LL100^POI^FO10,10^GB20,20,20^FS", {427, 70, 20, 20}, 400);
    row("^PW cuts off what lies beyond it", "^PW400^FO390,0^GB20,5,5^FS", {596, 0, 10, 5}, 50);
    row("a character's last row on the second band's first, 161 (bands of 512 KiB at 4 in)", "^FO10,147^A0N,20^FDH^FS",
        {11, 147, 10, 15});
    row("^CF0,1: 1 dot high, as wide (ten H: 6 dots)", "^CF0,1^FO10,10^FDHHHHHHHHHH^FS", {10, 10, 6, 1});
}

void TestRender::geometry()
{
    QFETCH(QByteArray, job);
    QFETCH(QRect, box);
    QFETCH(int, count);
    QFETCH(QStringList, dots);
    const std::vector<Label> labels = RenderJob("^XA" + job + "^XZ");
    const QImage image = Paint(labels.front());
    QVERIFY(dots.isEmpty() || labels.front().diagnostics.empty());
    int n = 0;
    QCOMPARE(ink(image, &n), box);
    if (count >= 0)
        QCOMPARE(n, count);
    for (int y = 0; y < dots.size(); ++y)
        for (int x = 0; x < dots[y].size(); ++x)
            QVERIFY2(image.pixelIndex(x, y) == (dots[y][x] == '1'), qPrintable(QStringLiteral("dot %1,%2").arg(x).arg(y)));
    if (QTest::currentDataTag() == QLatin1String("rounded box keeps its corners clear"))
        QVERIFY(image.pixelIndex(10, 10) == 0 && image.pixelIndex(109, 69) == 0 && image.pixelIndex(60, 10) == 1);
}

// The web service's images as ^GF: the ZPL guide's compression written by hand, read back by our decoder.
void TestRender::graphicEncoder_data()
{
    QTest::addColumn<QStringList>("dots");      // rows, 1 = black
    QTest::addColumn<QByteArray>("expected");
    const QString o(32, '0'), f(32, '1');
    QTest::newRow("3 dots wide: a byte a row, its last 5 bits white, one 0 written out") << QStringList{"101", "111"}
                                                                                         << QByteArray("^GFA,2,2,1,A0E0");
    QTest::newRow("a white row is a comma, a black one !, the same again :, an odd run of 0s or Fs ends in one")
        << QStringList{o, f, f, "1111" + o.mid(4), "0000" + f.mid(4), "1111111100000000" + f.mid(16)}
        << QByteArray("^GFA,24,24,4,,!:F0,0F!HFH0!");
    // 1000 hex digits: 8, then 998 zeros (400 + 400 + 180 + 18), then 1.
    QTest::newRow("a run over 400 digits") << QStringList{'1' + QString(3998, '0') + '1'} << QByteArray("^GFA,500,500,500,8zzoX01");
}

void TestRender::graphicEncoder()
{
    QFETCH(QStringList, dots);
    QImage image(int(dots[0].size()), int(dots.size()), QImage::Format_Mono);
    image.setColorTable({qRgb(255, 255, 255), qRgb(0, 0, 0)});
    image.fill(1);      // the bits past the width are set: the encoder must leave them out
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, dots[y][x] == '1');
    const QByteArray zpl = EncodeGraphicField(image);
    QTEST(zpl, "expected");
    QStringList notes;
    const QImage back = DecodeGraphicField(zpl.mid(3), ',', &notes);
    QCOMPARE(notes, QStringList());
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < back.width(); ++x)
            QVERIFY2(back.pixelIndex(x, y) == (x < image.width() && dots[y][x] == '1'), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
}

void TestRender::fontZero_data()
{
    // Font 0 against the printer's measured advances (in h): within max(2 dots, 5 %) of their sum; width w stretches
    // by w / h. The ink from the cap line as high as `ink` (in h), and as wide when that is given.
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<int>("h");
    QTest::addColumn<int>("w");
    QTest::addColumn<double>("advances");
    QTest::addColumn<QSizeF>("ink");
    const QSizeF caps(0, 0.75);
    QTest::newRow("zpltest's AB12 at 89") << QByteArray("AB12") << 89 << 89 << 0.55 + 0.55 + 0.48 + 0.48 << caps;
    QTest::newRow("digits stretched twice as wide") << QByteArray("1234") << 40 << 80 << 4 * 0.48 << caps;
    QTest::newRow("capitals squeezed to half") << QByteArray("REST") << 60 << 30 << 0.59 + 0.50 + 0.53 + 0.50 << caps;
    QTest::newRow("the hyphen is wide") << QByteArray("H-H") << 60 << 60 << 0.61 + 0.90 + 0.61 << caps;
    QTest::newRow("TEST at 100: 200 dots of ink") << QByteArray("TEST") << 100 << 100 << 0.50 + 0.50 + 0.53 + 0.50
                                                  << QSizeF(2.00, 0.75);
    // Measured at h = 50 in dots: lower case, the registered mark (23 x 23 dots of ink on the cap line), and
    // & (no entry of its own: the face's advance is the printer's).
    QTest::newRow("lower case") << QByteArray("Moon") << 50 << 50 << (38 + 24 + 24 + 25) / 50.0 << caps;
    QTest::newRow("registered mark") << QByteArray("\xa9") << 50 << 50 << 25 / 50.0 << QSizeF(23 / 50.0, 23 / 50.0);
    QTest::newRow("& as the face draws it") << QByteArray("&") << 50 << 50 << 31 / 50.0 << caps;
}

void TestRender::fontZero()
{
    QFETCH(QByteArray, text);
    QFETCH(int, h);
    QFETCH(int, w);
    QFETCH(double, advances);
    QFETCH(QSizeF, ink);
    const auto inkAt = [&](int width, const QByteArray &shown) {
        return ::ink(paintFirst(QStringLiteral("^XA^FO100,100^A0N,%1,%2^FD").arg(h).arg(width).toLatin1() + shown + "^FS^XZ"));
    };
    const QRect box = inkAt(w, text);
    QCOMPARE(box.top(), 100);
    QVERIFY2(qAbs(box.height() - qRound(ink.height() * h)) <= 2, qPrintable(QString::number(box.height())));
    QVERIFY2(ink.width() == 0 || qAbs(box.width() - ink.width() * w) <= qMax(2.0, 0.05 * ink.width() * w),
             qPrintable(QStringLiteral("%1 dots of ink across").arg(box.width())));
    // Advances as the printer's were measured, from one copy's start to the
    // next: the text and its first character again, less that character.
    const QRect upright = inkAt(h, text);
    const int measured = inkAt(w, text + text.left(1)).width() - inkAt(w, text.left(1)).width();
    const double expected = advances * w;
    QVERIFY2(qAbs(measured - expected) <= qMax(2.0, 0.05 * expected),
             qPrintable(QStringLiteral("%1 dots of advance, %2 expected").arg(measured).arg(expected)));
    QVERIFY2(qAbs(box.width() - upright.width() * double(w) / h) <= 2,
             qPrintable(QStringLiteral("stretched to %1 dots, %2 upright").arg(box.width()).arg(upright.width())));
}

void TestRender::fontSizes_data()
{
    // The ZPL guide, ^A and ^CF: one of height and width (the other missing or
    // 0) sets both in proportion; bitmap fonts take whole magnifications.
    QTest::addColumn<QByteArray>("font");   // before ^FO10,10^FDHIH^FS ...
    QTest::addColumn<QByteArray>("same");   // ... prints as this after the ^FO
    QTest::newRow("^A0N,,40: the height follows the width") << QByteArray("^A0N,,40") << QByteArray("^A0N,40,40");
    QTest::newRow("^A0N,40,0: a 0 width follows the height") << QByteArray("^A0N,40,0") << QByteArray("^A0N,40,40");
    QTest::newRow("^A0N,0,40: a 0 height follows the width") << QByteArray("^A0N,0,40") << QByteArray("^A0N,40,40");
    QTest::newRow("^CF0 alone: font A's size at power-up, 9 x 5") << QByteArray("^CF0") << QByteArray("^A0N,9,5");
    QTest::newRow("^ABN,17: B's 11-dot cell doubled, the nearer") << QByteArray("^ABN,17") << QByteArray("^ABN,22,14");
    QTest::newRow("^CFA,27: the width tripled too") << QByteArray("^CFA,27") << QByteArray("^AAN,27,15");
    QTest::newRow("^CFB,,22: the height tripled too") << QByteArray("^CFB,,22") << QByteArray("^ABN,33,21");
    QTest::newRow("^AQN,50: Q's 28 x 24 doubled, proportional") << QByteArray("^AQN,50") << QByteArray("^A0N,56,48");
}

void TestRender::fontSizes()
{
    QFETCH(QByteArray, font);
    QFETCH(QByteArray, same);
    const QImage image = paintFirst("^XA" + font + "^FO10,10^FDHIH^FS^XZ");
    QVERIFY(!ink(image).isEmpty());
    QCOMPARE(image, paintFirst("^XA^FO10,10" + same + "^FDHIH^FS^XZ"));
}

// The ZPL guide's font matrices, a row each: dots/mm, the font after ^A, the cell's height (the pitch of two ^FB
// lines), the advance (width + gap: a third of "HHHH" less "H") or, for P-V, font 0 at their matrix, and where
// measured the caps (the ink of "H", from the cell's top to its baseline). In dots the matrices are the same at every
// density but for E (21 x 10 at 6 dots/mm, 28 x 15 at 8, 42 x 20 at 12 and 24) and H (17 x 11, 21 x 13, 34 x 22),
// whose 8 dots/mm gap and baseline (E 5 and 23, H 6 and 21) go with the matrix.
void TestRender::fontCells_data()
{
    QTest::addColumn<QByteArray>("cell");
    for (const char *cell : {"8 AN 9 6", "8 BN 11 9", "8 CN 18 12", "8 DN 18 12", "8 EN 28 20 23", "8 FN 26 16",
                             "8 GN 60 48", "8 HN 21 19", "8 PN 20 0N,20,18", "8 QN 28 0N,28,24", "8 RN 35 0N,35,31",
                             "8 SN 40 0N,40,35", "8 TN 48 0N,48,42", "8 UN 59 0N,59,53", "8 VN 80 0N,80,71",
                             "8 AN,27 27 18 21", "8 DN,36,20 36 24 28", "6 EN 21 13 17", "6 HN,34,11 34 16 34",
                             "6 AN,9,10 9 12 7", "12 EN 42 27 35", "12 HN,34,44 34 64 34", "12 DN,36 36 24 28",
                             "12 PN 20 0N,20,18", "24 EN,84,40 84 54 70", "24 AN,27,10 27 12 21", "24 FN 26 16 21",
                             "24 VN,80 80 0N,80,71"})
        QTest::newRow(cell) << QByteArray(cell);
}

void TestRender::fontCells()
{
    QFETCH(QByteArray, cell);
    const QList<QByteArray> v = cell.split(' ');
    Media media;
    media.dpmm = v[0].toInt();
    const auto paint = [&](const QByteArray &font, const QByteArray &field) {
        return paintFirst("^XA^FO20,20^A" + font + field + "^FS^XZ", media);
    };
    const QRect one = ink(paint(v[1], "^FDH"));
    QCOMPARE(one.top(), 20);
    QCOMPARE(ink(paint(v[1], "^FB500,2^FDH\\&H")).height() - one.height(), v[2].toInt());
    if (v[3].startsWith("0N"))
        QVERIFY(paint(v[1], "^FDHIH") == paint(v[3], "^FDHIH"));
    else
        QCOMPARE(ink(paint(v[1], "^FDHHHH")).width() - one.width(), 3 * v[3].toInt());
    if (v.size() > 4)
        QCOMPARE(one.height(), v[4].toInt());
}

void TestRender::rotation_data()
{
    // "HIH" in font 0 at 40: about 60 dots of advance, cap height 30, cell 40 high.
    QTest::addColumn<QByteArray>("field");
    QTest::addColumn<QRect>("within");      // the ink must lie inside this box, near its top-left ...
    QTest::addColumn<bool>("across");       // ... and run across it (else down it)
    const auto row = [](const char *name, const QByteArray &field, QRect within, bool across) {
        QTest::newRow(name) << field << within << across;
    };
    row("^FO R: cap tops face the right", "^FO100,100^A0R,40^FDHIH^FS", {109, 100, 31, 62}, false);
    row("^FO I: upside down", "^FO100,100^A0I,40^FDHIH^FS", {97, 109, 62, 31}, true);
    row("^FO B: cap tops face the left", "^FO100,100^A0B,40^FDHIH^FS", {100, 97, 31, 62}, false);
    row("^FW in a format before sets the default", "^FWR^XZ^XA^FO100,100^A0,40^FDHIH^FS", {109, 100, 31, 62}, false);
    row("^FT N: baseline at y", "^FT100,130^A0N,40^FDHIH^FS", {100, 99, 62, 32}, true);
    row("^CF sets the font of fields without ^A", "^CF0,40^FO100,100^FDHIH^FS", {100, 100, 62, 31}, true);
    row("^FB with ^FT: the last line sits on y; no width, no wrapping", "^FT100,200^FB,3^A0N,40^FDHIH^FS", {100, 90, 62, 31}, true);
    row("^FB centres a line, half a space left of the middle", "^FO100,100^FB300,1,0,C^A0N,40^FDHIH^FS", {216, 100, 62, 31}, true);
    row("^FB puts a line right", "^FO100,100^FB300,1,0,R^A0N,40^FDHIH^FS", {337, 100, 63, 31}, true);
    row("^FB wraps at a space", "^FO100,100^FB70,2^A0N,40^FDHIH HIH^FS", {100, 100, 62, 71}, false);
    row("^FB hanging indent: lines after the first", "^FO100,100^FB300,2,0,L,20^A0N,40^FDHI\\&HIH^FS", {100, 100, 82, 71}, true);
    row("^FB hyphenates a word too long for its line: H-, H-, HH", "^FO100,100^FB80,3^A0N,40^FDHHHH^FS",
        {100, 100, 56, 110}, false);
    row("^FB of 1 line by default prints lines beyond it over the last, ink on ink", "^FO100,100^FB300^A0N,40^FDHIH\\&HIH^FS",
        {100, 100, 62, 31}, true);
    row("^TB cuts off the lines beyond its height", "^FO100,100^TBN,300,45^A0N,40^FDHIH\\&HIHIHIH^FS",
        {100, 100, 62, 31}, true);
    row("^FB extra line spacing", "^FO100,100^FB300,2,10^A0N,40^FDHIH\\&HIH^FS", {100, 100, 62, 81}, false);
    row("^FO right justified: the line ends at x", "^FO300,100,1^A0N,40^FDHIH^FS", {238, 100, 62, 31}, true);
    row("^FT right justified: the baseline ends at x", "^FT300,130,1^A0N,40^FDHIH^FS", {238, 100, 62, 31}, true);
    row("^FW's justification for a field without one", "^FWN,1^FO300,100^A0N,40^FDHIH^FS^FWN,0", {238, 100, 62, 31}, true);
    row("^FB right justified: the block ends at x", "^FO400,100,1^FB300,1^A0N,40^FDHIH^FS", {100, 100, 62, 31}, true);
    row("^FO R right justified: the box's right side at x", "^FO140,100,1^A0R,40^FDHIH^FS", {109, 100, 31, 62}, false);
    row("^FT R right justified: the baseline ends at y", "^FT130,300,1^A0R,40^FDHIH^FS", {129, 238, 32, 62}, false);
    row("^FO I right justified: the box's right side at x", "^FO160,100,1^A0I,40^FDHIH^FS", {97, 109, 62, 31}, true);
    row("^FO B right justified: the box's right side at x", "^FO140,100,1^A0B,40^FDHIH^FS", {100, 97, 31, 62}, false);
    row("^BC R: bars run down from ^FO, the line's caps (14 at ^BY2) left of them", "^BY2^FO100,100^BCR,80^FDHH^FS",
        {82, 100, 98, 114}, false);
}

void TestRender::rotation()
{
    QFETCH(QByteArray, field);
    QFETCH(QRect, within);
    QFETCH(bool, across);
    const QRect box = ink(paintFirst("^XA" + field + "^XZ"));
    const QString where = QStringLiteral("ink at %1,%2 %3x%4").arg(box.x()).arg(box.y()).arg(box.width()).arg(box.height());
    // ... and fill most of it, so that it cannot stand elsewhere in the box.
    QVERIFY2(within.contains(box) && box.width() >= within.width() - 8 && box.height() >= within.height() - 8,
             qPrintable(where));
    QCOMPARE(box.width() > box.height(), across);
}

// ^FB C centres a line as if one space followed it; a line ended by \& exactly.
void TestRender::blockCentre()
{
    const auto ink60 = [](const QByteArray &field) { return ink(paintFirst("^XA^FO0,0^A0N,60,60" + field + "^FS^XZ")); };
    const int space = ink60("^FDI I").width() - ink60("^FDII").width();
    const QRect exact = ink60("^FB400,2,0,C^FDTEST\\&"), last = ink60("^FB400,1,0,C^FDTEST");
    QVERIFY2(qAbs(2 * exact.x() + exact.width() - 400) <= 2, qPrintable(QString::number(exact.x())));
    QVERIFY2(space > 6 && qAbs(exact.x() - last.x() - space / 2.0) <= 1, qPrintable(QString::number(last.x())));
}

// A TrueType font a job stores (~DY in hex, ~DU) draws with its own glyphs
// where ^A@ or a ^CW letter names it: DejaVu Sans Mono's advance, 1233/2048
// of the em, is 60 dots at h = 100; a name not stored prints in font 0 (X: 0.56 h).
void TestRender::downloadedFont()
{
    QFile file(QStringLiteral(TRUETYPE_FONT));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray hex = file.readAll().toHex(), size = QByteArray::number(hex.size() / 2);
    const QByteArray stored = "~DYE:MONO,A,T," + size + ",0," + hex + "~DUR:DU.TTF," + size + "," + hex;
    const auto advance = [&](const QByteArray &font) {
        return ink(paintFirst(stored + "^XA^FO0,0" + font + "^FDXX^FS^XZ")).width()
             - ink(paintFirst(stored + "^XA^FO0,0" + font + "^FDX^FS^XZ")).width();
    };
    QCOMPARE(advance("^A@N,100,100,E:MONO.TTF"), 60);
    QCOMPARE(advance("^CWQ,R:DU.TTF^AQN,100,50"), 30);
    QCOMPARE(advance("^A@N,100,100,E:NONE.TTF"), 56);
    QVERIFY(advance("^A@N,100,1,E:MONO.TTF") <= 1);
}

void TestRender::labelsReadBack_data()
{
    QTest::addColumn<QByteArray>("job");        // on 4 x 8 in media
    QTest::addColumn<QList<QRect>>("parts");    // each read on its own, in turn
    QTest::addColumn<QRect>("maxiCode");        // read on its own last; empty: none
    QTest::addColumn<QStringList>("found");     // format/level:text, each part's sorted, repeats left out
    const auto label = [](const char *file) { return testfiles::Read(QStringLiteral(LABEL_DIR "/") + file); };
    QTest::newRow("zpltest's label") << OwnJob << QList<QRect>{{0, 0, 812, 1219}} << QRect() << QStringList{"QRCode/H:AB12"};
    QTest::newRow("shipping") << label("shipping.zpl")
        << QList<QRect>{{40, 800, 740, 200}, {40, 1010, 200, 300}, {250, 1005, 260, 300}} << QRect()
        << QStringList{"Code128:4210612345678901", "Code128:RT-5512-HB", "QRCode/M:HTTPS://EXAMPLE.ORG/T/4210612345678901"};
    // The linear codes, QR and PDF417 read together; Data Matrix and Aztec each on its own part.
    // Code 11 and POSTNET have no decoder; their elements are checked in tst_symbols.
    QTest::newRow("barcodes") << label("barcodes.zpl")
        << QList<QRect>{{0, 255, 812, 1369}, {20, 1220, 130, 110}, {490, 1220, 130, 110}} << QRect(560, 20, 213, 199)
        << QStringList{"Codabar:40156", "Code128:4210612345678901", "Code39:LH-7734", "Code93:CODE93 OK",
                       "EAN-13:5901234123457", "EAN-8:96385074", "ITF:12345670", "PDF417/3:PDF417 ON A SHIPPING LABEL",
                       "QRCode/Q:HTTPS://EXAMPLE.ORG/T/1Z00004951", "UPC-A:036000291452", "UPC-E:01234531",
                       "DataMatrix:LH-7734 BREMEN", "Aztec:AZTEC 1Z00004951",
                       "MaxiCode:[)>\x1e" "01\x1d" "96152382802\x1d" "840\x1d" "001\x1d" "1Z00004951"};
    // EAN-13 d12345678901 with its check digit (by hand), each beside the add-ons 0000d and 0d.
    QStringList addOns;
    for (int d = 1; d <= 10; ++d) {
        const QString ean = (d < 10 ? QStringLiteral("EAN-13:%1").arg(d) : QStringLiteral("UPC-A:")) + "12345678901"
                            + "2109876543"[d % 10];
        addOns << ean + " 0000" + QString::number(d % 10) << ean + " 0" + QString::number(d % 10);
    }
    addOns.sort();
    QTest::newRow("add-ons") << label("addons.zpl") << QList<QRect>{{0, 0, 812, 820}} << QRect() << addOns;
}

void TestRender::labelsReadBack()
{
    QFETCH(QByteArray, job);
    QFETCH(QList<QRect>, parts);
    QFETCH(QRect, maxiCode);
    QFETCH(QStringList, found);
    Media media;
    media.lengthMm = 203.2;
    const std::vector<Label> labels = RenderJob(job, media);
    QCOMPARE(labels.size(), std::size_t(1));
    QCOMPARE(labels.front().diagnostics.size(), std::size_t(0));
    const QImage image = Paint(labels.front());
    QStringList read;
    for (const QRect &part : parts) {
        QStringList here;
        for (const testbarcode::Decoded &d : testbarcode::ReadAll(image.copy(part)))
            here << d.format + (d.ecLevel.isEmpty() ? "" : "/" + d.ecLevel) + ':' + QString::fromLatin1(d.text);
        here.sort();
        read << here;
    }
    read.removeDuplicates();
    // MaxiCode's message up to the tracking number; the rest is the carrier's.
    for (const testbarcode::Decoded &d : testbarcode::ReadMaxiCode(maxiCode.isNull() ? QImage() : image.copy(maxiCode)))
        read << QStringLiteral("MaxiCode:") + QString::fromLatin1(d.text.left(37));
    QCOMPARE(read, found);
}

void TestRender::snapshots_data()
{
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<double>("lengthMm");
    QTest::newRow("ab12") << OwnJob << 152.4;
    QTest::newRow("shipping") << testfiles::Read(QStringLiteral(LABEL_DIR "/shipping.zpl")) << 203.2;
    QTest::newRow("barcodes") << testfiles::Read(QStringLiteral(LABEL_DIR "/barcodes.zpl")) << 203.2;
}

void TestRender::snapshots()
{
    // Our own output, read back from our PNG writer's bytes and compared dot for dot. Set
    // ZPLRENDER_UPDATE_SNAPSHOTS=1 to write them anew, and commit them saying why they changed.
    QFETCH(QByteArray, job);
    QFETCH(double, lengthMm);
    Media media;
    media.lengthMm = lengthMm;
    const QImage image = QImage::fromData(EncodePng(paintFirst(job, media)), "PNG");
    QCOMPARE(image.depth(), 1);
    const QString tag = QString::fromLatin1(QTest::currentDataTag()), path = SNAPSHOT_DIR "/" + tag + ".png";
    if (qEnvironmentVariableIsSet("ZPLRENDER_UPDATE_SNAPSHOTS"))
        QVERIFY(image.save(path));
    // What differs is kept for a look (compare -metric AE shows where).
    const QString saved = QDir::temp().filePath("snapshot-" + tag + ".png");
    const bool same = image.convertToFormat(QImage::Format_Grayscale8) == QImage(path).convertToFormat(QImage::Format_Grayscale8);
    QVERIFY2(same || !image.save(saved), qPrintable(path + " differs; see " + saved));
}

// Our PNG's one IDAT chunk inflates, to its last byte, into each row's filter byte 0 and bits, its Adler-32 last
// (blank images of each length up to three words, and a label); our PDF's cross-reference table finds each object.
void TestRender::encodedFiles()
{
    std::vector<QImage> images{paintFirst(OwnJob)};
    for (int rows = 1; rows <= 12; ++rows)
        images.push_back(paintFirst("^XA^FS^XZ", {8, 1.0, rows / 8.0}));
    for (const QImage &image : images) {
        QByteArray png = EncodePng(image), rows;
        for (int y = 0; y < image.height(); ++y)
            rows += '\0' + QByteArray(reinterpret_cast<const char *>(image.constScanLine(y)), (image.width() + 7) / 8);
        const qsizetype at = png.indexOf("IDAT") + 4, length = qFromBigEndian<quint32>(png.constData() + at - 8);
        const QByteArray zlib = qCompress(rows);     // the size qUncompress takes first, the Adler-32 last
        QCOMPARE(qUncompress(zlib.left(4) + png.mid(at, length)), rows);
        QCOMPARE(png.mid(at + length - 4, 4), zlib.right(4));
    }
    const QByteArray pdf = EncodePdf(2, 8, [&](int i) { return images[i]; });
    const QList<QByteArray> table = pdf.mid(pdf.lastIndexOf("xref\n0 ")).split('\n');
    for (int i = 1; i < table[1].mid(2).toInt(); ++i)
        QVERIFY(pdf.mid(table[2 + i].left(10).toLongLong()).startsWith(QByteArray::number(i) + " 0 obj\n"));
    QVERIFY(pdf.contains("/Size " + table[1].mid(2) + " ") && pdf.contains("startxref\n" + QByteArray::number(pdf.lastIndexOf("xref\n0 "))));
}

void TestRender::hostileJobs_data()
{
    QTest::addColumn<QByteArray>("job");
    QTest::addColumn<QByteArrayList>("noted");  // notes that must be made: the command, then the start of the text
    const auto row = [](const char *name, const QByteArray &job, const QByteArrayList &noted) { QTest::newRow(name) << job << noted; };
    row("^GF larger than any label", "^XA^GFA,10,999999999,1,FF^FS^XZ", {"^GF"});
    row("^GF :Z64: inflating beyond its size", "^XA^GFA,9,16,2,:Z64:" + qCompress(QByteArray(10 << 20, '\xff')).mid(4).toBase64()
        + ":0000^FS^XZ", {"^GF the compressed data holds more than the declared 16 bytes"});
    row("huge sizes everywhere",
        "^XA^PW99999^LL99999^FO99999,99999^GB99999,99999,99999^FS^A0,32000,32000^FDW^FS^PQ999999999999^XZ", {"^PW"});
    row("100 000 fields and bad commands in one format", "^XA" + QByteArray("^GB^FS^ZZ").repeated(100000) + "^XZ",
        {"^ZZ", "^ZZ further notes are left out"});
    row("binary noise", "^XA\x00\xff^\x01~\xfe^GFB,5,5,1,^^^^^^B\xff,^FD\x80^FS"_ba, {"^XZ"});
    row("values just past their bounds (^LS1250 in mm: 10000 dots), parts left out, a letter or code page not known: notes whole",
        "^XA~SD123456789012^FN10000~DYR:X,A,G,1,1^FS^FPX^CI30^MUM^LS1249^LS1250^CD.~DG.1.1.FF^XZ",
        {"~SD darkness \"123456789012\" is not", "^FN", "~DY only GRF and PNG", "~DG needs d:NAME", "^FP parameter 1 \"X\" is not one of "
         "HVR; H is used", "^CI code page 30 is not supported; data is read as code page 850", "^LS label shift only moves fields for "
         "a printer's own adjustment; not applied", "^LS label shift must be -9999 to 9999; refused"});
}

void TestRender::hostileJobs()
{
    QFETCH(QByteArray, job);
    QFETCH(QByteArrayList, noted);
    const std::vector<Label> labels = RenderJob(job);
    QVERIFY(!labels.empty());
    const Label &label = labels.front();
    QVERIFY(label.width <= 813 && label.length <= 1219);
    QVERIFY(label.ops.size() <= 20000 && label.diagnostics.size() <= 1000);
    const QImage image = Paint(label);
    QCOMPARE(image.size(), QSize(label.width, label.length));
    for (const QByteArray &note : noted)
        QVERIFY2(std::any_of(label.diagnostics.begin(), label.diagnostics.end(),
                             [&](const Diagnostic &d) { return (d.command + ' ' + d.text.toUtf8()).startsWith(note); }), note);
}

void TestRender::retailDigits_data()
{
    // EAN and UPC digits as retail symbols print them: each centred under its symbol character, the number system
    // and UPC's check digit in 7 modules beside the guard bars; in the ZPL guide's font for the module at 8 dots/mm,
    // font A (9 x 5, caps 7) for 1 or 2 dots, OCR-B (28 x 15, caps 23) from 3, magnified as far as its advance fits
    // 7 modules. Below the 50-dot bars the inked columns fall into a run for each guard bar (inked at the bars'
    // foot) and one for each digit: nothing meets. The digits' ink starts 2 dots below the bars.
    QTest::addColumn<QByteArray>("job");    // at ^FO100,20
    QTest::addColumn<int>("digits");
    QTest::addColumn<QRect>("line");        // the digits' ink, the guard bars' columns left out
    QTest::newRow("EAN-13 at ^BY1: font A") << QByteArray("^BY1^BEN,50^FD590123412345") << 13 << QRect(94, 72, 96, 7);
    QTest::newRow("EAN-13 at ^BY2: font A doubled") << QByteArray("^BY2^BEN,50^FD590123412345") << 13 << QRect(89, 72, 192, 14);
    QTest::newRow("EAN-13 at ^BY3: OCR-B") << QByteArray("^BY3^BEN,50^FD590123412345") << 13 << QRect(84, 72, 287, 23);
    QTest::newRow("EAN-8 at ^BY2: 4 and 4") << QByteArray("^BY2^B8N,50^FD9638507") << 8 << QRect(109, 72, 116, 14);
    QTest::newRow("UPC-A at ^BY6: OCR-B doubled") << QByteArray("^BY6^BUN,50^FD03600029145") << 12 << QRect(67, 72, 635, 46);
    QTest::newRow("UPC-E at ^BY2: 0, 6 digits, check") << QByteArray("^BY2^B9N,50^FD1220000100") << 8 << QRect(89, 72, 124, 14);
}

void TestRender::retailDigits()
{
    QFETCH(QByteArray, job);
    QFETCH(int, digits);
    QFETCH(QRect, line);
    QImage below = paintFirst("^XA^FO100,20" + job + "^FS^XZ").copy(0, 70, 813, 80);
    const auto runs = [&](int rows) {
        int n = 0;
        for (int x = 0, was = 0; x < below.width(); ++x) {
            const int inked = !ink(below.copy(x, 0, 1, rows)).isEmpty();
            n += inked > was, was = inked;
        }
        return n;
    };
    QCOMPARE(runs(below.height()) - runs(1), digits);
    for (int x = 0; x < below.width(); ++x)
        for (int y = below.height() - 1; below.pixelIndex(x, 0) == 1 && y >= 0; --y)
            below.setPixel(x, y, 0);
    QCOMPARE(ink(below).translated(0, 70), line);
}

QTEST_MAIN(TestRender)
#include "tst_render.moc"
