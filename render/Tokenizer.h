#pragma once

// Splits a ZPL byte stream into commands as the bytes arrive.
//
// A command is a prefix (the caret or tilde, which ^CC/~CC and ^CT/~CT change),
// a two-character name (upper-cased; ^A0 and ^BQ keep their font or symbology
// character as the second one) and the bytes up to the next prefix. Commands
// without parameters (^XA ^XZ ^FS ...) are complete at once; the others when the
// next prefix arrives or at finish(). ^CC ^CT ^CD take exactly one character. ^GFB/^GFC data is read by its byte count,
// so prefixes inside it are data. Bytes before the first prefix are skipped.
// Line breaks that end a command are dropped, except inside ^FD/^FV data. A
// prefix right after a prefix (^^FS) is dropped, as printers do.

#include <QByteArray>
#include <QList>

#include <vector>

namespace zpl {

struct Token
{
    qint64 offset = 0;      // of the prefix, from the start of the stream
    char prefix = '^';      // '^' or '~' whatever the job set them to
    QByteArray name;        // "XA", "FO", "A0", "BQ", "SD" ...
    QByteArray args;        // everything after the name, up to the next prefix
    char delimiter = ',';   // the parameter delimiter at the command (^CD)
    bool truncated = false; // args were longer than MaxArgs; the rest was dropped

    QByteArray command() const { return prefix + name; } // "^FO", "~SD"
    QList<QByteArray> params() const { return args.split(delimiter); }
    QByteArray param(int i) const;  // empty when absent
};

class Tokenizer
{
public:
    // No command keeps more than this many bytes of parameters.
    static constexpr qsizetype MaxArgs = 16 * 1024 * 1024;

    std::vector<Token> feed(const QByteArray &bytes);
    std::vector<Token> finish();    // the command still open, if any; then a fresh start

private:
    enum class State { Between, Name, Args, Counted, OneChar };
    void take(char c, std::vector<Token> &out);
    void startCommand(char prefix);
    void completeName(std::vector<Token> &out);
    void complete(std::vector<Token> &out);
    bool isPrefix(char c) const { return c == m_caret || c == m_tilde; }

    State m_state = State::Between;
    Token m_token;
    qint64 m_position = 0;
    qsizetype m_counted = 0;    // ^GFB/C: data bytes still to read
    int m_commas = 0;           // ^GF, ~DY: delimiters seen so far
    char m_caret = '^', m_tilde = '~', m_delimiter = ',';
};

} // namespace zpl
