#include "Startup.h"

#include "Fonts.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace Startup {

void Prepare(QApplication &app)
{
    app.setApplicationName(QStringLiteral("zpltest"));
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);

    // Qt's standard texts (its dialogs, its socket errors); the program's own
    // are Chinese already. Without the translation files Qt speaks English.
    auto *translator = new QTranslator(&app);
    if (translator->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                         QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translator);

    Fonts::InstallSubstitutes();
}

} // namespace Startup
