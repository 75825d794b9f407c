#pragma once

// For the fuzz targets that draw text: the application fonts need, made once.

#include <QGuiApplication>

// Fontconfig, which Qt's font database starts, rescans its configuration now
// and then and keeps what it allocates for good: not a leak of ours.
extern "C" const char *__lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Never destroyed: among the statics at exit, it would clear the font
    // caches after the fonts they point to are gone.
    new QGuiApplication(*argc, *argv);
    return 0;
}
