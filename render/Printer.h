#pragma once

// One virtual printer: takes a job's bytes as they arrive and returns every
// format completed by its ^XZ as a Label. What persists across formats (^BY
// ^CF ^FW ^LH ^LR ^CI ^PW ^LL ^PO ^PR ~SD ^MD) lives as long as the Printer,
// as it would until a power cycle; see FieldState.h for the three lifetimes.
// Stored formats and graphics live in a Storage, private to the Printer
// unless one is shared with setStorage() (as one printer's memory serves
// all its connections). A format holding ^DF is stored, not printed; ^XF
// recalls a stored format at the recalling format's ^XZ, its ^FN fields
// taking the data the recalling format gave those numbers.

#include "CommandReader.h"
#include "FieldState.h"
#include "HostStatus.h"
#include "Label.h"
#include "Storage.h"
#include "Tokenizer.h"

#include <QDateTime>
#include <QHash>
#include <QMap>

#include <functional>
#include <memory>

#include <vector>

namespace zpl {

class Printer
{
public:
    explicit Printer(Media media = {});

    // A format without fields (such as ^XA^PRB^XZ, which only sets the print
    // rate) prints nothing on a printer and gives no Label here; its settings
    // still take effect.
    std::vector<Label> feed(const QByteArray &bytes);
    // End of the job: a format still open is rendered, with a diagnostic.
    std::vector<Label> finish();
    // Notes that no label carries: said after the last format, up to finish().
    const std::vector<Diagnostic> &strayNotes() const { return m_stray; }
    // Answers to host status queries (~HS ~HI ~HQES) fed so far, for the
    // same connection; each is ready as soon as its query has arrived.
    QByteArray takeReplies();
    // The same, each with its query as a printer takes it ("~HS", "~HI", "~HQES").
    struct Reply { QByteArray query, answer; };
    std::vector<Reply> takeRepliesByQuery();
    // The clock ^FC fields read; the system's unless set (tests fix it).
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    int queries() const { return m_queries; }
    // What the answers say about paper and pause.
    void setHostStatus(const HostStatus &status) { m_hostStatus = status; }

    // A job gives at most this many Labels; the formats after them still set
    // what persists, and are counted.
    static constexpr int MaxLabels = 1000;
    int skippedLabels() const { return m_skipped; }

    // What persists, to carry it from one connection's printer to the next.
    const PrinterState &state() const { return m_state; }
    void setState(const PrinterState &state) { m_state = state; }
    const Media &media() const { return m_media; }

    // The memory ^DF ~DG ~DY store into and ^XF ^XG ^IM ^IL ^ID ^HW read; never null.
    void setStorage(std::shared_ptr<Storage> storage);
    Storage &storage() const { return *m_storage; }

private:
    // One row of the command table (Commands.cpp): all this printer knows of a command.
    using Handler = void (Printer::*)(const Token &);
    using Setting = void (*)(const CommandReader &, PrinterState &, const Media &);
    struct Command {
        Command(Handler run, QList<int> measured = {}) : run(run), measured(std::move(measured)) {}
        Command(Setting keep, QList<int> measured = {}) : keep(keep), measured(std::move(measured)) {}
        Handler run = nullptr;      // what it does to the format, or
        Setting keep = nullptr;     // what it keeps in the printer's state
        QList<int> measured;        // its parameters given in ^MU units
    };
    // The row for the token's command, or its family's (^A fonts, ^B barcodes); null: unknown.
    static const Command *find(const Token &token);
    static QList<int> measured(const Command &command, const Token &token);

    void execute(const Token &token);
    void diagnose(const Token &token, const QString &text);
    int number(const Token &token, int index, int fallback, int low, int high);
    Rotation rotation(const Token &token, const QByteArray &letter, Rotation fallback);
    CommandReader reader(const Token &token);
    void endField();
    void placeOnMedia();
    void drawGraphicSoFar();

    void startFormat(const Token &token);
    void endFormat(const Token &token);
    void fieldOrigin(const Token &token);
    void fieldData(const Token &token);
    void fieldSeparator(const Token &token);
    void hexIndicator(const Token &token);
    void fieldReverse(const Token &token);
    void fieldBlock(const Token &token);
    void font(const Token &token);
    void fontSize(const Token &token);
    void barcode(const Token &token);
    void graphicShape(const Token &token);
    void graphicField(const Token &token);
    void quantity(const Token &token);
    void query(const Token &token);
    void fieldNumber(const Token &token);
    void defineFormat(const Token &token);
    void recallFormat(const Token &token);
    void replayRecalls();
    void deleteObject(const Token &token);
    void directory(const Token &token);
    void downloadGraphic(const Token &token);
    void downloadObject(const Token &token);
    void downloadFont(const Token &token);
    void storeFont(const Token &token, const QByteArray &name, const QByteArray &file);
    void recallGraphic(const Token &token);
    QImage storedImage(const Token &token, const QByteArray &name);
    void units(const Token &token);
    void fieldDirection(const Token &token);
    void fontAlias(const Token &token);
    void serial(const Token &token);
    void clock(const Token &token);
    void textBlock(const Token &token);
    void graphicSymbol(const Token &token);
    void storeLabelImage(const Token &token);
    void labelShift(const Token &token);
    QByteArray clockData(const QByteArray &data) const;
    void ignore(const Token &token);

    Tokenizer m_tokenizer;
    Media m_media;
    PrinterState m_state;
    bool m_inFormat = false;
    Label m_label;
    FieldState m_field;
    bool m_fieldOpen = false;           // something was set since the last ^FS
    int m_fields = 0;                   // fields ended in this format
    QPoint m_nextText;                  // where a ^FT without position continues
    std::vector<Diagnostic> m_pending;  // said outside a format: go to the next label
    std::vector<Diagnostic> m_stray;    // ... when none came
    std::vector<Label> m_done;
    std::vector<Reply> m_replies;
    HostStatus m_hostStatus;
    int m_queries = 0;
    int m_made = 0, m_skipped = 0;

    std::shared_ptr<Storage> m_storage;
    QByteArray m_defining;              // ^DF: the name the rest of the format is stored under
    std::vector<Token> m_definition;
    qsizetype m_definitionBytes = 0;
    std::vector<std::vector<Token>> m_recalls;  // ^XF: replayed at ^XZ
    struct Variable { QByteArray data; qint64 offset = 0; bool used = false; };
    QMap<int, Variable> m_variables;    // ^FN data of a recalling format
    bool m_replaying = false;
    qint64 m_serialAt = -1;             // the format's first ^SN/^SF, -1: none
    std::function<QDateTime()> m_clock = [] { return QDateTime::currentDateTime(); };
};

} // namespace zpl
