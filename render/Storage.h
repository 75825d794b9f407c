#pragma once

// A printer's object memory: stored formats (^DF, recalled by ^XF) and
// graphics (~DG, ~DY; recalled by ^XG, ^IM, ^IL) and TrueType fonts (~DY,
// ~DU; used by ^A@ and ^CW), under names of the form
// d:NAME.EXT (drives R: E: B: A:, upper case). Like a printer's memory it is
// bounded in objects and bytes and lasts as long as the object; Printers that
// are given the same Storage share it, as connections share one printer.
// Not thread-safe: share it between Printers of one thread.

#include "Tokenizer.h"
#include "Typeface.h"

#include <QByteArray>
#include <QImage>
#include <QMap>
#include <QString>

#include <memory>
#include <vector>

namespace zpl {

class Storage
{
public:
    static constexpr int MaxObjects = 512;
    static constexpr qsizetype MaxBytes = 16 * 1024 * 1024;

    // "LOGO" -> "R:LOGO.GRF"; empty when the text is no valid object name.
    // Wildcards (* ?) are kept when `pattern` is true.
    static QByteArray objectName(const QByteArray &text, const QByteArray &extension, bool pattern = false);

    // False with *error when the memory is full (the old object of that name is kept then).
    bool storeFormat(const QByteArray &name, std::vector<Token> tokens, QString *error);
    bool storeImage(const QByteArray &name, const QImage &image, QString *error);
    // A TrueType font file (~DY, ~DU); false with *error also when it is none.
    bool storeFont(const QByteArray &name, const QByteArray &file, QString *error);
    // nullptr / a null image when absent.
    const std::vector<Token> *format(const QByteArray &name) const;
    QImage image(const QByteArray &name) const;
    std::shared_ptr<Typeface> font(const QByteArray &name) const;

    // ^ID: deletes what matches; returns how many.
    int remove(const QByteArray &pattern);
    // ^HW: the directory of what matches, framed as a printer sends it.
    QByteArray directory(const QByteArray &pattern) const;
    int count() const { return int(m_objects.size()); }
    qsizetype bytes() const { return m_bytes; }

private:
    struct Object { std::vector<Token> tokens; QImage image; std::shared_ptr<Typeface> font; qsizetype bytes = 0; };
    bool store(const QByteArray &name, Object object, QString *error);

    QMap<QByteArray, Object> m_objects;
    qsizetype m_bytes = 0;
};

} // namespace zpl
