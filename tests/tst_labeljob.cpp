// The label job's exact text.

#include "LabelJob.h"

#include <QtTest>

class TestLabelJob : public QObject
{
    Q_OBJECT

private slots:
    void composesJob_data();
    void composesJob();
};

void TestLabelJob::composesJob_data()
{
    QTest::addColumn<QString>("darkness");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("variant");
    QTest::addColumn<QString>("expected");

    const int parallel = int(LabelVariant::Parallel), network = int(LabelVariant::Network);
    QTest::newRow("caret and tilde pass unescaped, parallel") << "1^X" << "~a^" << parallel
        << "^XA^PRB^XZ~SD1^X^XA^FO40,30^BQN,2,4^FDHM,A~A^^FS^FO160,50^A0,89,89^FD~A^^FS^PQ1^XZ";
    QTest::newRow("letters beyond a-z, network") << "15" << QStringLiteral("éß中") << network
        << QStringLiteral("^XA^PRB^XZ~SD15^XA^FO40,30^BQN,2,4^FDHM,AÉSS中^FS^FO160,50^A0,89,89^FDÉSS中^FS^PQ2^XZ");
}

void TestLabelJob::composesJob()
{
    QFETCH(QString, darkness);
    QFETCH(QString, text);
    QFETCH(int, variant);
    QTEST(ComposeLabelJob(darkness, text, LabelVariant(variant)), "expected");
}

QTEST_GUILESS_MAIN(TestLabelJob)
#include "tst_labeljob.moc"
