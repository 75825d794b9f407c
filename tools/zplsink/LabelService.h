#pragma once

// The label-rendering web service without the network: one HTTP request (its
// method, path, headers and body) in, one answer out. The interface is the
// one label tools already call on online rendering services:
//
//   POST /v1/printers/{d}dpmm/labels/{W}x{H}/{i}/         the ZPL as the body
//   GET  /v1/printers/{d}dpmm/labels/{W}x{H}/{i}/{zpl}    the ZPL percent-encoded
//   POST /v1/graphics      an image to ZPL (GraphicZpl.h)
//   POST /v1/fonts         a TrueType font to its ~DU download (FontDownload.h)
//
// {d}: 6, 8, 12 or 24 dots per mm; {W}, {H}: the label in inches (above 0, at
// most 15, decimals allowed); {i}: the 0-based label of the job, optional.
// The body is the raw ZPL, or a multipart/form-data part named "file". Accept
// picks image/png (also none or */*), application/pdf (on paper with the
// X-Page-* headers: PdfPages.h) or application/json (the text fields:
// LabelFields.h); X-Rotation (0, 90, 180, 270 clockwise), X-Quality (Grayscale
// or Bitonal: the image is bitonal either way) and X-Linter (On: an X-Warnings
// header) are optional. Every
// answer has X-Total-Count (the labels of the job) and CORS headers; an error
// is its status with one line of text. Each request renders on a printer of
// its own, so nothing of one request reaches the next.

#include "Label.h"

#include <QByteArray>
#include <QList>
#include <QPair>

#include <vector>

// One part of a multipart/form-data body (RFC 7578), as the HTTP server has
// read it: what a browser form or `curl -F file=@label.zpl` sends.
struct FormPart
{
    QByteArray name;
    QByteArray fileName;
    QByteArray contentType;
    QByteArray content;
};

struct ServiceRequest
{
    QByteArray method;          // "GET", "POST", ...
    QByteArray path;            // as sent: percent-encoded, "?query" included
    QList<QPair<QByteArray, QByteArray>> headers;
    QByteArray body;            // empty when the body was a form: then its parts
    bool form = false;
    std::vector<FormPart> parts;

    QByteArray header(const QByteArray &name) const;    // any case; empty if absent
    const FormPart *part(const QByteArray &name) const; // the first of that name, or nullptr
};

struct ServiceAnswer
{
    int status = 200;
    QByteArray contentType;
    QByteArray body;
    QList<QPair<QByteArray, QByteArray>> headers;       // besides Content-Type and Content-Length
    // For whoever shows the request: the job, its media and its labels.
    QByteArray job;
    zpl::Media media;
    std::vector<zpl::Label> labels;
};

// Thread-safe: requests may be answered side by side.
ServiceAnswer AnswerLabelRequest(const ServiceRequest &request);

// An answer of `status` with one line of text, "ERROR: " first, and the
// headers every answer has.
ServiceAnswer ServiceError(int status, const QString &text);
// A 200 answer of `body`, with the headers every answer has.
ServiceAnswer ServiceResult(const QByteArray &contentType, const QByteArray &body);
