#pragma once

// The detail line of a message (Messages::SystemDetail) for the errors the
// print pipeline meets: the platform's socket and device errors, Qt's socket
// errors and the name lookup's. Those the program knows come out in its own
// words with the system's code; any other in the system's words.

#include "Platform.h"

#include <QAbstractSocket>
#include <QString>

class QHostInfo;

namespace SystemErrors {

QString Detail(const platform::SocketError &error);
QString Detail(const platform::DeviceError &error);
// A failure of Qt's socket, with its own text for one the program does not know.
QString Detail(QAbstractSocket::SocketError error, const QString &qtText);
QString Detail(const QHostInfo &lookup);

} // namespace SystemErrors
