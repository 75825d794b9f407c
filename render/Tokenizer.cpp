#include "Tokenizer.h"

namespace zpl {

namespace {

// Commands that take no parameters: they are complete after their name, so
// that a label is rendered at its ^XZ without waiting for more bytes.
bool takesNoParameters(const QByteArray &name)
{
    return name == "XA" || name == "XZ" || name == "FS";
}

} // namespace

QByteArray Token::param(int i) const
{
    const QList<QByteArray> all = params();
    return i < all.size() ? all.at(i) : QByteArray();
}

std::vector<Token> Tokenizer::feed(const QByteArray &bytes)
{
    std::vector<Token> out;
    for (const char c : bytes) {
        take(c, out);
        ++m_position;
    }
    return out;
}

std::vector<Token> Tokenizer::finish()
{
    std::vector<Token> out;
    if (m_state == State::Name && !m_token.name.isEmpty())
        completeName(out);
    if (m_state == State::Args || m_state == State::Counted || m_state == State::OneChar)
        complete(out);
    *this = Tokenizer();
    return out;
}

void Tokenizer::startCommand(char prefix)
{
    m_token = Token();
    m_token.offset = m_position;
    m_token.prefix = prefix == m_caret ? '^' : '~';
    m_token.delimiter = m_delimiter;
    m_state = State::Name;
    m_commas = 0;
}

void Tokenizer::take(char c, std::vector<Token> &out)
{
    switch (m_state) {
    case State::Between:
        if (isPrefix(c))
            startCommand(c);
        return;
    case State::Name:
        if (c == '\r' || c == '\n')
            return;     // a line break inside a name is not part of it
        if (isPrefix(c) && m_token.name.isEmpty()) {
            startCommand(c);    // a prefix right after a prefix: printers drop the first
            return;
        }
        m_token.name += char(c >= 'a' && c <= 'z' ? c - 32 : c);
        if (m_token.name.size() == 2)
            completeName(out);
        return;
    case State::Args:
        if (isPrefix(c)) {
            complete(out);
            startCommand(c);
            return;
        }
        break;
    case State::Counted:
        if (--m_counted <= 0)
            m_state = State::Args;
        break;
    case State::OneChar:
        m_token.args += c;
        complete(out);
        return;
    }
    if (m_token.args.size() < MaxArgs)
        m_token.args += c;
    else
        m_token.truncated = true;
    // ~HQ takes two letters (ES): a host waits for its answer, not for more bytes.
    if (m_token.prefix == '~' && m_token.name == "HQ" && m_token.args.size() == 2) {
        complete(out);
        return;
    }
    // Binary data is read by its byte count, prefixes and all: ^GFB and ^GFC
    // after the fourth delimiter (^GFa,b,...), ~DY's B format after the fifth
    // (~DYd:f,b,x,t,w,...).
    const bool graphic = m_token.prefix == '^' && m_token.name == "GF";
    const bool download = m_token.prefix == '~' && m_token.name == "DY";
    if ((graphic || download) && m_state == State::Args && c == m_token.delimiter
        && ++m_commas == (graphic ? 4 : 5)) {
        const QList<QByteArray> p = m_token.params();
        const QByteArray kind = p.value(graphic ? 0 : 1).trimmed().toUpper();
        bool ok = false;
        const qlonglong count = p.value(graphic ? 1 : 3).trimmed().toLongLong(&ok);
        if ((kind == "B" || (graphic && kind == "C")) && ok && count > 0) {
            m_counted = qsizetype(qMin<qlonglong>(count, MaxArgs));
            m_state = State::Counted;
        }
    }
}

void Tokenizer::completeName(std::vector<Token> &out)
{
    m_state = State::Args;
    if (m_token.name == "CC" || m_token.name == "CT" || m_token.name == "CD") {
        m_state = State::OneChar;
        return;
    }
    if (m_token.prefix == '^' ? takesNoParameters(m_token.name) : (m_token.name == "HS" || m_token.name == "HI")) {
        out.push_back(m_token);
        m_state = State::Between;
    }
}

void Tokenizer::complete(std::vector<Token> &out)
{
    Token &t = m_token;
    const bool data = t.prefix == '^' && (t.name == "FD" || t.name == "FV" || t.name == "FX");
    if (!data)
        while (t.args.endsWith('\n') || t.args.endsWith('\r'))
            t.args.chop(1);
    else
        while (t.args.endsWith("\r\n") || t.args.endsWith('\n'))
            t.args.chop(t.args.endsWith("\r\n") ? 2 : 1);
    // Prefix and delimiter changes act on the bytes that follow.
    if (t.name == "CC" || t.name == "CT" || t.name == "CD") {
        const char to = t.args.isEmpty() ? 0 : t.args.at(0);
        if (to > ' ' && to != 0x7f) {
            if (t.name == "CC" && to != m_tilde)
                m_caret = to;
            else if (t.name == "CT" && to != m_caret)
                m_tilde = to;
            else if (t.name == "CD")
                m_delimiter = to;
        }
    }
    out.push_back(t);
    m_state = State::Between;
}

} // namespace zpl
