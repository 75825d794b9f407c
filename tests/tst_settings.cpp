// The settings reader: ReadIniValue over real files, the profile reader's
// rules beneath it, and where the settings file is looked for.

#include "Bytes.h"
#include "IniProfile.h"
#include "SettingsFile.h"
#include "modINI.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

const QString Default = QStringLiteral("DEF");

QByteArray fixture(const QString &name)
{
    QFile file(QStringLiteral(FIXTURE_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("missing fixture %s", qPrintable(name));
    return file.readAll();
}

// The same text with CR LF line ends, where it is plain 8-bit text with LF ends.
QByteArray withCrLf(const QByteArray &text)
{
    if (text.startsWith("\xFF\xFE") || text.contains("\r\n") || !text.contains('\n'))
        return text;
    QByteArray out = text;
    return out.replace("\n", "\r\n");
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void readsFixtures_data();
    void readsFixtures();
    void missingFileGivesDefault();
    void valueIsCutToBuffer_data();
    void valueIsCutToBuffer();
    void profileReaderKeepsToItsBuffer_data();
    void profileReaderKeepsToItsBuffer();
    void settingsPathPrefersExactName();
    void hostileFiles_data();
    void hostileFiles();
};

void TestSettings::readsFixtures_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    struct Row { const char *name, *fixture, *section, *key; QString expected; };
    const Row rows[] = {
        {"mode cut at its semicolon", "basic.ini", "prtmod", "prtmod", "ip"},
        {"darkness", "basic.ini", "prtmod", "darkness", "15"},
        {"blanks around a value dropped", "basic.ini", "network", "printerip", "127.0.0.1"},
        {"second section", "basic.ini", "network", "printerport", "9100"},
        {"absent key", "basic.ini", "prtmod", "printerip", Default},
        {"absent section", "basic.ini", "nosuch", "prtmod", Default},
        {"empty before semicolon", "comments.ini", "c", "empty", Default},
        {"first semicolon cuts", "comments.ini", "c", "first", "a"},
        {"blank before semicolon kept", "comments.ini", "c", "blank", "x "},
        {"comment line is no key", "comments.ini", "c", "commented", Default},
        {"hash is no comment", "comments.ini", "c", "# hash", "not a comment"},
        {"empty value", "comments.ini", "c", "nothing", Default},
        {"line break marker", "line_break.ini", "b", "marker", "x\r\ny"},
        {"lower-case marker kept", "line_break.ini", "b", "lower", "x<s:br>y"},
        {"markers side by side", "line_break.ini", "b", "two", "\r\n\r\n"},
        {"marker inside a broken one", "line_break.ini", "b", "split", "<S:B\r\nR>"},
        {"section name any case", "mixed_case.ini", "prtmod", "prtmod", "lpt1"},
        {"key name any case", "mixed_case.ini", "PRTMOD", "DARKNESS", "20"},
        {"blanks inside brackets and around key", "blanks.ini", "prtmod", "prtmod", "ip"},
        {"blanks within a value kept", "blanks.ini", "prtmod", "inner", "a  b"},
        {"double quotes dropped", "quotes.ini", "q", "double", "a b"},
        {"single quotes dropped", "quotes.ini", "q", "single", "c d"},
        {"unmatched quotes kept", "quotes.ini", "q", "mixed", "\"e'"},
        {"inner quotes kept", "quotes.ini", "q", "inner", "a\"b\"c"},
        {"opening quote alone kept", "quotes.ini", "q", "half", "\"f"},
        {"semicolon inside quotes cuts", "quotes.ini", "q", "semicolon", "x"},
        {"empty quotes", "quotes.ini", "q", "empty", Default},
        {"lone quote", "quotes.ini", "q", "alone", "\""},
        {"blanks inside quotes kept", "quotes.ini", "q", "padded", " g "},
        {"first of duplicate keys", "duplicates.ini", "a", "k", "1"},
        {"later section of a name unseen", "duplicates.ini", "a", "j", Default},
        {"other section", "duplicates.ini", "b", "k", "3"},
        {"key without equals sign", "no_equals.ini", "a", "k", Default},
        {"entry after bare key", "no_equals.ini", "a", "other", "1"},
        {"unclosed bracket is no section", "bad_section.ini", "a", "k", Default},
        {"entries before any section", "bad_section.ini", "", "k", "v"},
        {"unclosed bracket inside a section", "bad_section.ini", "b", "j", "w"},
        {"entry above first section", "before_section.ini", "a", "top", Default},
        {"words after bracket", "after_bracket.ini", "a", "k", "v"},
        {"name up to last bracket", "after_bracket.ini", "x]y", "k", "w"},
        {"utf-8 byte order mark", "bom.ini", "prtmod", "prtmod", "ip"},
        {"utf-8 value", "utf8_value.ini", "prtmod", "darkness", QStringLiteral("中文")},
        {"utf-8 key", "utf8_value.ini", "prtmod", "标签", QStringLiteral("值")},
        {"nul ends a value", "nul_bytes.ini", "a", "k", "ab"},
        {"nul ends a key", "nul_bytes.ini", "a", "j", "v"},
        {"nul before bracket", "nul_bytes.ini", "b", "k", Default},
        {"utf-16 file", "utf16le.ini", "prtmod", "prtmod", "ip"},
        {"utf-16 non-ascii value", "utf16le.ini", "prtmod", "darkness", QStringLiteral("中文")},
        {"carriage returns only", "cr_only.ini", "a", "j", "w"},
    };
    for (const Row &row : rows) {
        for (const char *ends : {"lf", "crlf"}) {
            QTest::addRow("%s (%s)", row.name, ends)
                << QString::fromLatin1(row.fixture) + QLatin1Char('|') + QLatin1String(ends)
                << QString::fromUtf8(row.section) << QString::fromUtf8(row.key) << row.expected;
        }
    }
}

void TestSettings::readsFixtures()
{
    QFETCH(QString, fixture);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    const QStringList parts = fixture.split(QLatin1Char('|'));
    QByteArray bytes = ::fixture(parts[0]);
    if (parts[1] == QLatin1String("crlf"))
        bytes = withCrLf(bytes);
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("Config.ini"), bytes);

    QCOMPARE(modINI::ReadIniValue(section, key, path, Default, 65536), expected);
}

void TestSettings::missingFileGivesDefault()
{
    QTemporaryDir dir;
    QCOMPARE(modINI::ReadIniValue("prtmod", "prtmod", dir.filePath("Config.ini"), Default, 65536),
             Default);
    // A folder where the file should be reads as missing too.
    QCOMPARE(modINI::ReadIniValue("prtmod", "prtmod", dir.path(), Default, 65536), Default);
}

void TestSettings::valueIsCutToBuffer_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("expected");

    const QByteArray longValue(70000, 'x');
    QTest::newRow("70000 characters, print command's size")
        << longValue << 65536 << QString(65535, QLatin1Char('x'));
    QTest::newRow("fits exactly") << QByteArray("1234567") << 8 << QStringLiteral("1234567");
    QTest::newRow("one too long") << QByteArray("12345678") << 8 << QStringLiteral("1234567");
    QTest::newRow("room for the nul only") << QByteArray("abc") << 1 << Default;
    QTest::newRow("no buffer") << QByteArray("abc") << 0 << Default;
    QTest::newRow("negative size") << QByteArray("abc") << -5 << Default;
    // The system's reader drops a byte more when the cut takes the closing quote.
    QTest::newRow("quoted, cut at closing quote") << QByteArray("\"abcd\"") << 5 << QStringLiteral("abc");
    QTest::newRow("quoted, fits") << QByteArray("\"abcd\"") << 6 << QStringLiteral("abcd");
    QTest::newRow("semicolon past the cut") << QByteArray("abcdefgh;x") << 8 << QStringLiteral("abcdefg");
}

void TestSettings::valueIsCutToBuffer()
{
    QFETCH(QByteArray, value);
    QFETCH(int, size);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("Config.ini"), "[s]\r\nk=" + value + "\r\n");
    QCOMPARE(modINI::ReadIniValue("s", "k", path, Default, size), expected);
}

void TestSettings::profileReaderKeepsToItsBuffer_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QByteArray>("defaultValue");
    QTest::addColumn<int>("size");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("found") << QByteArray("[s]\nk=value\n") << QByteArray("d") << 16 << QByteArray("value");
    QTest::newRow("found, cut") << QByteArray("[s]\nk=value\n") << QByteArray("d") << 4 << QByteArray("val");
    QTest::newRow("default without trailing blanks")
        << QByteArray("[s]\n") << QByteArray("dflt  ") << 16 << QByteArray("dflt");
    QTest::newRow("default cut") << QByteArray("") << QByteArray("default") << 3 << QByteArray("de");
    QTest::newRow("empty value, no default") << QByteArray("[s]\nk=\n") << QByteArray("d") << 16 << QByteArray("");
}

void TestSettings::profileReaderKeepsToItsBuffer()
{
    QFETCH(QByteArray, text);
    QFETCH(QByteArray, defaultValue);
    QFETCH(int, size);
    QFETCH(QByteArray, expected);

    // Guard bytes past the buffer must stay as they are.
    char buffer[32];
    std::memset(buffer, '#', sizeof buffer);
    const std::size_t length = iniprofile::ReadProfileString(
        std::string_view(text.constData(), std::size_t(text.size())), "s", "k",
        defaultValue.constData(), buffer, std::size_t(size));
    QCOMPARE(length, std::size_t(expected.size()));
    QCOMPARE(QByteArray(buffer, int(length)), expected);
    QCOMPARE(buffer[length], '\0');
    for (std::size_t i = std::size_t(size); i < sizeof buffer; ++i)
        QCOMPARE(buffer[i], '#');
}

void TestSettings::settingsPathPrefersExactName()
{
    QTemporaryDir dir;
    QCOMPARE(SettingsFile::Path(dir.path()), QDir::toNativeSeparators(dir.filePath("Config.ini")));

    writeFile(dir, QStringLiteral("CONFIG.INI"), "[prtmod]\nprtmod=lpt1\n");
    const QString upper = SettingsFile::Path(dir.path());
    if (QFileInfo(dir.filePath("config.ini")).exists()) {
        // A file system that ignores case finds CONFIG.INI under its own name.
        QCOMPARE(modINI::ReadIniValue("prtmod", "prtmod", upper, Default, 65536), QStringLiteral("lpt1"));
        return;
    }
    QCOMPARE(upper, QDir::toNativeSeparators(dir.filePath("CONFIG.INI")));

    writeFile(dir, QStringLiteral("Config.ini"), "[prtmod]\nprtmod=ip\n");
    const QString exact = SettingsFile::Path(dir.path());
    QCOMPARE(exact, QDir::toNativeSeparators(dir.filePath("Config.ini")));
    QCOMPARE(modINI::ReadIniValue("prtmod", "prtmod", exact, Default, 65536), QStringLiteral("ip"));
}

void TestSettings::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("expected");

    QByteArray big = "[prtmod]\r\n";
    const QByteArray junk = "noise=" + QByteArray(90, 'n') + "\r\n";
    while (big.size() < 10 * 1024 * 1024)
        big += junk;
    QTest::newRow("10 MB file, key at its end") << big + "prtmod=ip\r\n" << "prtmod" << "ip";
    QTest::newRow("1 MB line before the key")
        << "[prtmod]\r\nlong=" + QByteArray(1024 * 1024, 'x') + "\r\nprtmod=lpt1\r\n" << "prtmod" << "lpt1";
    QTest::newRow("1 MB value cut to the buffer")
        << "[prtmod]\r\nprtmod=" + QByteArray(1024 * 1024, 'y') + "\r\n" << "prtmod" << QString(65535, QLatin1Char('y'));
    QTest::newRow("nul bytes around the key")
        << bytesOf("[prtmod]\0\0\r\n\0=\0\r\nprtmod=ip\0junk\r\n") << "prtmod" << "ip";
    // As in the system's reader, a line that starts with a NUL is no section.
    QTest::newRow("nul before the section")
        << bytesOf("\0[prtmod]\r\nprtmod=ip\r\n") << "prtmod" << Default;
    QTest::newRow("invalid utf-8 in a value")
        << QByteArray("[prtmod]\r\ndarkness=1\xff\xfe\xc3\r\n") << "darkness"
        << QStringLiteral("1\uFFFD\uFFFD\uFFFD");
    QTest::newRow("invalid utf-8 around the key")
        << QByteArray("\xc0\xaf\xfd\r\n[prtmod]\r\n\xc0\xafx=1\r\nprtmod=ip\r\n") << "prtmod" << "ip";
}

void TestSettings::hostileFiles()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, key);
    QFETCH(QString, expected);

    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("Config.ini"), bytes);
    const QString value = modINI::ReadIniValue("prtmod", key, path, Default, 65536);
    QCOMPARE(value.size(), expected.size());
    QCOMPARE(value, expected);
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
