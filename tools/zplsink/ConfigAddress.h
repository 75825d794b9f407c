#pragma once

// Where zplsink listens for zpltest: printerip and printerport under [network]
// of zpltest's Config.ini, read with the program's own settings reader.

#include <QHostAddress>
#include <QList>
#include <QString>

struct ListenAddress
{
    QList<QHostAddress> addresses;
    quint16 port = 0;
};

// False with *error (a sentence in Chinese and English) when the file is
// missing, the port is not 1-65535 or the address is not this machine's
// loopback (127.x.x.x, ::1 or "localhost"): zplsink plays no printer elsewhere.
// "localhost" gives both 127.0.0.1 and ::1: zpltest tries the name's
// addresses in the resolver's order, which differs between systems.
bool ReadListenAddress(const QString &file, ListenAddress *out, QString *error);
