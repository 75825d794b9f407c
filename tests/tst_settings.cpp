// The settings reader: ReadIniValue over real files (the profile reader's
// rules beneath it, the buffer it is given, hostile bytes), and where the
// settings file is looked for. tests/parity holds the profile reader against
// Windows' own for every fixture; the rows here keep one per rule.

#include "IniProfile.h"
#include "SettingsFile.h"
#include "TestFiles.h"
#include "modINI.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QString Default = QStringLiteral("DEF");

QByteArray fixture(const char *name)
{
    const QByteArray bytes = testfiles::Read(QStringLiteral(FIXTURE_DIR "/") + QLatin1String(name));
    if (bytes.isEmpty())
        qFatal("missing fixture %s", name);
    return bytes;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private slots:
    void readValue_data();
    void readValue();
    void settingsPathPrefersExactName();
};

void TestSettings::readValue_data()
{
    QTest::addColumn<QByteArray>("bytes"); // a null array: no file at all
    QTest::addColumn<QString>("section");
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("expected");

    struct Row { const char *name, *fixture, *section, *key; QString expected; };
    const Row rows[] = {
        {"mode cut at its semicolon", "basic.ini", "prtmod", "prtmod", "ip"},
        {"blanks around a value dropped", "basic.ini", "network", "printerip", "127.0.0.1"},
        {"absent key", "basic.ini", "prtmod", "printerip", Default},
        {"absent section", "basic.ini", "nosuch", "prtmod", Default},
        {"empty before semicolon", "comments.ini", "c", "empty", Default},
        {"first semicolon cuts", "comments.ini", "c", "first", "a"},
        {"blank before semicolon kept", "comments.ini", "c", "blank", "x "},
        {"comment line is no key", "comments.ini", "c", "commented", Default},
        {"line break marker", "line_break.ini", "b", "marker", "x\r\ny"},
        {"lower-case marker kept", "line_break.ini", "b", "lower", "x<s:br>y"},
        {"names in any case", "mixed_case.ini", "PRTMOD", "DARKNESS", "20"},
        {"blanks inside brackets and around key", "blanks.ini", "prtmod", "prtmod", "ip"},
        {"double quotes dropped", "quotes.ini", "q", "double", "a b"},
        {"single quotes dropped", "quotes.ini", "q", "single", "c d"},
        {"unmatched quotes kept", "quotes.ini", "q", "mixed", "\"e'"},
        {"lone quote", "quotes.ini", "q", "alone", "\""},
        {"blanks inside quotes kept", "quotes.ini", "q", "padded", " g "},
        {"semicolon inside quotes cuts", "quotes.ini", "q", "semicolon", "x"},
        {"first of duplicate keys", "duplicates.ini", "a", "k", "1"},
        {"later section of a name unseen", "duplicates.ini", "a", "j", Default},
        {"key without equals sign", "no_equals.ini", "a", "k", Default},
        {"unclosed bracket is no section", "bad_section.ini", "a", "k", Default},
        {"entries before any section", "bad_section.ini", "", "k", "v"},
        {"entry above first section", "before_section.ini", "a", "top", Default},
        {"words after bracket", "after_bracket.ini", "a", "k", "v"},
        {"name up to last bracket", "after_bracket.ini", "x]y", "k", "w"},
        {"utf-8 byte order mark", "bom.ini", "prtmod", "prtmod", "ip"},
        {"utf-8 value", "utf8_value.ini", "prtmod", "darkness", QStringLiteral("中文")},
        {"utf-8 key", "utf8_value.ini", "prtmod", "标签", QStringLiteral("值")},
        {"nul ends a value", "nul_bytes.ini", "a", "k", "ab"},
        {"nul ends a key", "nul_bytes.ini", "a", "j", "v"},
        {"utf-16 file", "utf16le.ini", "prtmod", "darkness", QStringLiteral("中文")},
        {"carriage returns only", "cr_only.ini", "a", "j", "w"},
        {"lone CR among CR LF ends the value", "mixed_ends.ini", "a", "k", "1"},
        {"lone CR among CR LF starts a key", "mixed_ends.ini", "a", "j", "2"},
        {"lone CR after a section", "mixed_ends.ini", "b", "m", "3"},
    };
    for (const Row &row : rows) {
        const QByteArray lf = fixture(row.fixture);
        const bool ends = lf.contains('\n') && !lf.contains('\r') && !lf.startsWith("\xFF\xFE"); // LF, to try as CR LF
        for (const QByteArray &bytes : {lf, ends ? QByteArray(lf).replace("\n", "\r\n") : QByteArray()}) {
            if (!bytes.isNull())
                QTest::addRow("%s (%s)", row.name, bytes == lf ? "as written" : "crlf")
                    << bytes << QString::fromUtf8(row.section) << QString::fromUtf8(row.key) << 65536 << row.expected;
        }
    }

    QTest::newRow("missing file") << QByteArray() << "prtmod" << "prtmod" << 65536 << Default;
    QTest::newRow("utf-16 big-endian, a pair opening the section, lone surrogates, each UTF-8 length's ends, a high "
                  "one before the odd last byte")
        << "\xFE\xFF\0[\xD8\x3D\xDE\x00\0]\0\n\0k\0=\0\x7F\0\x80\x07\xFF\x08\x00\xFF\xFF\xD8\x00\xDC\x00\xDB\xFF\xDF\xFF\xDC\x00\xD8\x00\xE0\x00\xD8\x00\xDC"_ba
        << QStringLiteral("\U0001F600") << "k" << 65536 << QStringLiteral("\u007F\u0080\u07FF\u0800\uFFFF\U00010000\U0010FFFF\uFFFD\uFFFD\uE000\uFFFD");

    // The value cut to the buffer: Config.ini's darkness holds `value`.
    const auto cut = [](const char *name, const QByteArray &value, int size, const QString &expected) {
        QTest::newRow(name) << testfiles::Config("ip", "127.0.0.1", "9100", value) << "prtmod" << "darkness"
                            << size << expected;
    };
    cut("70000 characters, print command's size", QByteArray(70000, 'x'), 65536, QString(65535, QLatin1Char('x')));
    cut("fits exactly", "1234567", 8, "1234567");
    cut("one too long", "12345678", 8, "1234567");
    cut("room for the nul only", "abc", 1, Default);
    cut("no buffer", "abc", 0, Default);
    cut("negative size", "abc", -5, Default);
    // The system's reader drops a byte more when the cut takes the closing quote.
    cut("quoted, cut at closing quote", "\"abcd\"", 5, "abc");
    cut("quoted, fits", "\"abcd\"", 6, "abcd");
    cut("semicolon past the cut", "abcdefgh;x", 8, "abcdefg");

    // Hostile files: nothing crashes, the key is still found.
    const QByteArray big = "[prtmod]\r\n" + ("noise=" + QByteArray(90, 'n') + "\r\n").repeated(110000); // 10.5 MB
    const auto hostile = [](const char *name, const QByteArray &bytes, const char *key, const QString &expected) {
        QTest::newRow(name) << bytes << "prtmod" << key << 65536 << expected;
    };
    hostile("10 MB file, key at its end", big + "prtmod=ip\r\n", "prtmod", "ip");
    hostile("nul bytes around the key", "[prtmod]\0\0\r\n\0=\0\r\nprtmod=ip\0junk\r\n"_ba, "prtmod", "ip");
    // As in the system's reader, a line that starts with a NUL is no section.
    hostile("nul before the section", "\0[prtmod]\r\nprtmod=ip\r\n"_ba, "prtmod", Default);
    hostile("invalid utf-8 in a value", "[prtmod]\r\ndarkness=1\xff\xfe\xc3\r\n", "darkness",
            QStringLiteral("1\uFFFD\uFFFD\uFFFD"));
    hostile("invalid utf-8 around the key", "\xc0\xaf\xfd\r\n[prtmod]\r\n\xc0\xafx=1\r\nprtmod=ip\r\n", "prtmod", "ip");
}

void TestSettings::readValue()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, section);
    QFETCH(QString, key);
    QFETCH(int, size);
    QFETCH(QString, expected);
#ifdef Q_OS_WIN
    // Windows reads non-ASCII text of a file without a byte order mark in its
    // ANSI code page, not as UTF-8; profile_parity holds those rows against it.
    if (!bytes.startsWith("\xEF\xBB\xBF") && !bytes.startsWith("\xFF\xFE")
        && std::any_of(bytes.begin(), bytes.end(), [](char c) { return uchar(c) >= 0x80; }))
        QSKIP("text in the ANSI code page");
#endif

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Config.ini"));
    if (!bytes.isNull())
        testfiles::Write(path, bytes);
    const QString value = modINI::ReadIniValue(section, key, path, Default, size);
    QCOMPARE(value.size(), expected.size());
    QCOMPARE(value, expected);

    // The profile reader beneath: its text and NUL inside the buffer, the bytes past it untouched.
    if (size <= 0)
        return;
    std::vector<char> buffer(std::size_t(size) + 8, '#');
    const std::size_t length = iniprofile::ReadProfileString(
        std::string_view(bytes.constData(), std::size_t(bytes.size())), section.toUtf8().constData(),
        key.toUtf8().constData(), "", buffer.data(), std::size_t(size));
    QVERIFY(length < std::size_t(size));
    QCOMPARE(buffer[length], '\0');
    QCOMPARE(QByteArray(buffer.data() + size, 8), QByteArray(8, '#'));
}

void TestSettings::settingsPathPrefersExactName()
{
    QTemporaryDir dir;
    QCOMPARE(SettingsFile::Path(dir.path()), QDir::toNativeSeparators(dir.filePath("Config.ini")));

    testfiles::Write(dir.filePath("CONFIG.INI"), "[prtmod]\nprtmod=lpt1\n");
    const QString upper = SettingsFile::Path(dir.path());
    if (QFileInfo(dir.filePath("config.ini")).exists()) {
        // A file system that ignores case finds CONFIG.INI under its own name.
        QCOMPARE(modINI::ReadIniValue("prtmod", "prtmod", upper, Default, 65536), QStringLiteral("lpt1"));
        return;
    }
    QCOMPARE(upper, QDir::toNativeSeparators(dir.filePath("CONFIG.INI")));

    testfiles::Write(dir.filePath("Config.ini"), "[prtmod]\nprtmod=ip\n");
    const QString exact = SettingsFile::Path(dir.path());
    QCOMPARE(exact, QDir::toNativeSeparators(dir.filePath("Config.ini")));
    QCOMPARE(modINI::ReadIniValue("prtmod", "prtmod", exact, Default, 65536), QStringLiteral("ip"));
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
