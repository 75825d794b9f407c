#pragma once

// zplsink's command line as one struct. A mode is a function of main.cpp
// that reads the fields it needs here; a new one adds its option or two to
// ReadOptions and its fields below.

#include "ConfigAddress.h"
#include "HostStatus.h"
#include "Label.h"

#include <QString>
#include <QStringList>

#include <optional>

struct Options
{
    // Known from argv before the application exists (it decides which one).
    bool fromDesktop = false;       // double-clicked on Windows: the window, where Config.ini says
    bool window = false;            // --window, or fromDesktop

    zpl::Media media;               // --media and --dpmm
    bool mediaGiven = false;        // on the command line: they win over the window's remembered ones
    bool dpmmGiven = false;

    std::optional<QString> render;  // --render FILE ("-": standard input): render it, listen to nothing
    std::optional<QString> out;     // --out FOLDER: jobs (or --render's images) saved there
    std::optional<QString> png;     // --png FOLDER: each label as PNG
    std::optional<QString> watch;   // --watch FOLDER: render each job file put there
    bool pdf = false;               // --pdf: --watch writes one PDF a file, not PNGs
    QString forwardHost;            // --forward HOST[:PORT]: every job passed on to that printer
    quint16 forwardPort = 9100;

    // Listening as a printer (unless --http alone) ...
    bool printer = true;
    ListenAddress where;            // --port and --listen, or --config (or Config.ini beside the program)
    zpl::HostStatus status;         // --paper-out, --paused
    // ... and serving HTTP.
    bool http = false;
    quint16 httpPort = 0;
    QString listen;                 // --listen as typed: where HTTP listens
};

// fromDesktop and window, from argv as main() has it.
Options StartOptions(int argc, char *argv[]);

// The rest of *options from the application's arguments. --help, --version
// and an option the parser does not know end the program there, as
// QCommandLineParser does. False with *error for a value that is no good,
// checked in the order the options are used; with --render, only the
// options it reads are checked.
bool ReadOptions(const QStringList &arguments, Options *options, QString *error);
