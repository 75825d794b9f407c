// The HTTP service of a build without Qt HttpServer (the Windows build): it
// says so instead of listening.

#include "HttpService.h"

HttpService *HttpService::start(const QHostAddress &, quint16, QObject *, QString *error)
{
    *error = QStringLiteral("此版本的 zplsink 没有 HTTP 服务（编译时没有 Qt HttpServer）/ "
                            "this build of zplsink has no HTTP service (it was built without Qt HttpServer)");
    return nullptr;
}
