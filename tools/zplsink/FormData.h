#pragma once

// One part of a multipart/form-data body (RFC 7578): what a browser form or
// `curl -F file=@label.zpl` sends. Parts are found by their delimiter lines
// and their Content-Disposition name; the bytes of a part pass unchanged.

#include <QByteArray>
#include <QList>
#include <QString>

struct FormPart
{
    QByteArray name;            // its Content-Disposition's name
    QByteArray fileName;        // and filename, empty when none
    QByteArray content;
};

// Every part of `body`, in order. False with *error, one line, when the body
// is not well-formed.
bool FormDataParts(const QByteArray &contentType, const QByteArray &body, QList<FormPart> *parts, QString *error);

// The content of the part named `name` of `body`, whose Content-Type header is
// `contentType` (it carries the boundary). False with *error, one line saying
// what is wrong, when the body is not well-formed or has no such part.
bool FormDataPart(const QByteArray &contentType, const QByteArray &body, const QByteArray &name, QByteArray *part,
                  QString *error);

// The first part named `name`, nullptr when none is.
const FormPart *FindFormPart(const QList<FormPart> &parts, const QByteArray &name);
