#include "SinkTexts.h"

namespace SinkTexts {

QString Title() { return QStringLiteral("zplsink"); }

QString Description()
{
    return QStringLiteral(
        "虚拟网络标签打印机：在本机监听打印机端口，显示收到的每个 ZPL 打印任务（时间、来源、字节数和内容）。\n"
        "按 Ctrl+C 退出。\n"
        "A virtual network label printer: listens on this machine where a printer would and shows every ZPL\n"
        "job it receives (time, peer, byte count and the job itself). Press Ctrl+C to quit.");
}

QString WindowHelp()
{
    return QStringLiteral("在窗口中显示收到的标签（标签纸尺寸和每毫米点数会被记住）/ "
                          "show the labels received in a window (media size and dots per mm are remembered)");
}

QString PortHelp()
{
    return QStringLiteral("监听的端口，默认 9100；0 表示任选 / port to listen on, 9100 by default; 0: any free one");
}

QString ListenHelp()
{
    return QStringLiteral("监听的地址，默认 127.0.0.1 / address to listen on, 127.0.0.1 by default");
}

QString ConfigHelp()
{
    return QStringLiteral("在 zpltest 的 Config.ini 里 [network] 的 printerip/printerport 处监听（只限本机地址）/ "
                          "listen where printerip/printerport under [network] of zpltest's Config.ini say (this machine only)");
}

QString HttpHelp()
{
    return QStringLiteral("在该端口提供标签渲染 HTTP 服务（POST/GET /v1/printers/8dpmm/labels/4x6/0/，PNG 或 PDF）；"
                          "不给 --port 或 --config 时只提供 HTTP 服务 / serve labels as PNG or PDF over HTTP on this port "
                          "(POST/GET /v1/printers/8dpmm/labels/4x6/0/); without --port or --config, HTTP only");
}

QString OutHelp()
{
    return QStringLiteral("把每个任务另存为该文件夹中编号的 .zpl 文件 / also save each job as a numbered .zpl file in this folder");
}

QString PngHelp()
{
    return QStringLiteral("把每个标签画成 PNG 图像存入该文件夹（job-NNNN-L.png）/ "
                          "save each label as a PNG image in this folder (job-NNNN-L.png)");
}

QString RenderHelp()
{
    return QStringLiteral("不监听，把 ZPL 文件（- 为标准输入）画成 PNG：JOB-1.png、JOB-2.png… 存入 --out 文件夹（默认当前文件夹）/ "
                          "do not listen: render a ZPL file (- for standard input) to JOB-1.png, JOB-2.png ... in the --out folder "
                          "(default: the current one)");
}

QString MediaHelp()
{
    return QStringLiteral("标签纸尺寸，默认 4x6in；或 宽x长mm / media size, 4x6in by default, or WxLmm");
}

QString DpmmHelp()
{
    return QStringLiteral("每毫米点数：6、8（默认）、12、24 / dots per mm: 6, 8 (default), 12, 24");
}

QString WatchHelp()
{
    return QStringLiteral("不监听，处理放入该文件夹的 .zpl、.prn、.txt 文件：标签画成 PNG 存入 --out 文件夹（默认 FOLDER/out），"
                          "文件移入 done/，无标签或读不出的移入 failed/ 并附原因 / do not listen: render each .zpl, .prn or .txt file "
                          "put in this folder to PNG images in the --out folder (default: FOLDER/out), then move it to done/, "
                          "or to failed/ with the reason when it gives no label");
}

QString PdfHelp()
{
    return QStringLiteral("与 --watch 同用：每个文件画成一个 PDF，每页一张标签 / with --watch: one PDF a file, a page a label");
}

QString PaperOutHelp() { return QStringLiteral("状态应答报告缺纸 / status answers say the paper is out"); }

QString PausedHelp() { return QStringLiteral("状态应答报告已暂停 / status answers say the printer is paused"); }

QString InvalidDpmm(const QString &value)
{
    return QStringLiteral("每毫米点数无效 / invalid dots per mm: %1 (6, 8, 12 or 24)").arg(value);
}

QString InvalidMedia(const QString &value)
{
    return QStringLiteral("标签纸尺寸无效 / invalid media size: %1 (e.g. 4x6in or 100x150mm)").arg(value);
}

QString InvalidPort(const QString &value) { return QStringLiteral("端口无效 / invalid port: %1").arg(value); }

QString InvalidAddress(const QString &value) { return QStringLiteral("地址无效 / invalid address: %1").arg(value); }

QString InvalidHttpPort(const QString &value)
{
    return QStringLiteral("HTTP 端口无效 / invalid HTTP port: %1").arg(value);
}

QString Watching(const QString &version, const QString &folder, const QString &out)
{
    return QStringLiteral("zplsink %1: 正在监视 %2，标签存入 %3，按 Ctrl+C 退出 / watching %2, labels go to %3, Ctrl+C quits")
        .arg(version, folder, out);
}

QString WatchedFile(const QDateTime &time, const QString &name, int labels, qint64 ms, const QString &where)
{
    return QStringLiteral("%1 %2：%3 张标签 labels，%4 ms → %5").arg(Timestamp(time), name).arg(labels).arg(ms).arg(where);
}

QString WatchedFileFailed(const QDateTime &time, const QString &name, const QString &why, const QString &where)
{
    return QStringLiteral("%1 %2：失败 failed，%3 → %4").arg(Timestamp(time), name, why, where);
}

QString FolderGone(const QString &folder)
{
    return QStringLiteral("文件夹不见了，等它回来 / the folder is gone, waiting for it: %1").arg(folder);
}

QString FolderBack(const QString &folder)
{
    return QStringLiteral("文件夹又在了，继续监视 / the folder is back, watching it again: %1").arg(folder);
}

QString Forwarding(const QString &printer, const QString &spool)
{
    return QStringLiteral("每个任务转发给打印机 %1，未送达的留在 %2 / every job goes on to the printer at %1; "
                          "those it did not take wait in %2").arg(printer, spool);
}

QString ForwardFailed(const QString &printer, const QString &why)
{
    return QStringLiteral("转发失败 / forwarding to %1 failed: %2; 任务留在队列中，每 5 秒重试 / the job waits, tried "
                          "again every 5 s").arg(printer, why);
}

QString SpoolLeft(int jobs, const QString &spool)
{
    return QStringLiteral("上次留下 %1 个任务，先发送 / %1 job(s) left in %2 are sent first").arg(jobs).arg(spool);
}

QString AnsweredForPrinter(const QString &printer, const QString &query)
{
    return QStringLiteral("打印机 %1 2 秒内未应答 %2，由 zplsink 应答 / the printer at %1 did not answer %2 within "
                          "2 s: zplsink answered").arg(printer, query);
}

QString ForwardHelp()
{
    return QStringLiteral("把收到的每个任务原样转发给该打印机（端口默认 9100），状态查询也问它 / pass every job received "
                          "on, unchanged, to the printer at HOST[:PORT] (9100 by default), and ask it the status queries");
}

QString InvalidForward(const QString &value)
{
    return QStringLiteral("转发地址无效 / invalid printer to forward to: %1 (HOST or HOST:PORT)").arg(value);
}

QString Listening(const QString &version, const QString &places)
{
    return QStringLiteral("zplsink %1: 正在监听 %2，按 Ctrl+C 退出 / listening on %2, Ctrl+C quits").arg(version, places);
}

QString CannotListen(const QString &places, const QString &detail)
{
    return QStringLiteral("无法在 %1 监听 / cannot listen on %1: %2").arg(places, detail);
}

QString ServingHttp(const QString &version, const QString &address, quint16 port)
{
    return QStringLiteral("zplsink %1: HTTP 服务在 http://%2:%3/，按 Ctrl+C 退出 / HTTP service on http://%2:%3/, Ctrl+C quits")
        .arg(version, address, QString::number(port));
}

QString CannotServeHttp(const QString &address, uint port, const QString &detail)
{
    return QStringLiteral("无法在 %1:%2 提供 HTTP 服务 / cannot serve HTTP on %1:%2: %3")
        .arg(address, QString::number(port), detail);
}

QString CannotRead(const QString &path, const QString &detail)
{
    return QStringLiteral("无法读取 / cannot read %1: %2").arg(path, detail);
}

QString CannotCreateFolder(const QString &folder)
{
    return QStringLiteral("无法创建文件夹 / cannot create folder: %1").arg(folder);
}

QString CannotSave(const QString &path, const QString &detail)
{
    return QStringLiteral("无法保存 / cannot save %1: %2").arg(path, detail);
}

QString CannotSaveShown(const QString &path, const QString &detail)
{
    return QStringLiteral("无法保存 / cannot save %1:\n%2").arg(path, detail);
}

QString NoLabelsIn(const QString &path)
{
    return QStringLiteral("%1: 没有标签 / no labels (no ^XA ... ^XZ format)").arg(path);
}

QString JobFileName(int number) { return QStringLiteral("job-%1.zpl").arg(number, 4, 10, QLatin1Char('0')); }

QString Timestamp(const QDateTime &time) { return time.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")); }

QString MethodNotAllowed(const QString &method)
{
    return QStringLiteral("不支持的方法 / method %1 not allowed: GET, POST or OPTIONS").arg(method);
}

QString HttpVersionNotSupported() { return QStringLiteral("只支持 HTTP/1.0 和 1.1 / only HTTP/1.0 and HTTP/1.1"); }

QString ContentLengthNotNumber()
{
    return QStringLiteral("请求头无效 / bad request head: Content-Length is not a number");
}

QString ZoomPercent(int percent) { return QStringLiteral("%1 %").arg(percent); }

QString RequestsNotListed(int count)
{
    return QStringLiteral("（另有 %1 个请求已回答，终端没有跟上，未列出）/ (%1 more requests answered, not listed: the "
                          "terminal did not keep up)").arg(count);
}

} // namespace SinkTexts
