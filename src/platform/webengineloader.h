#pragma once

#include <QString>
#include <QStringList>

class WebEngine;

// Finds and loads the browser module. Looked for, in order: the file named by the environment
// variable QUVO_WEB_MODULE (alone, when set), beside the program (the build tree), and in the
// program's library folder of an installed copy (<bin>/../lib/quvo).
class WebEngineLoader final {
public:
    // The page engine of this run, made on the first call. Where pages come from a module
    // (webengineloader_unix.cpp): the module, loaded then; null when it cannot be loaded (then
    // every page stays empty; the failure is logged once). On Windows (webengine_win.cpp): the
    // system's WebBrowser control, linked in; the module is not looked for there.
    static WebEngine* engine();

    // The files tried by engine(), in order.
    static QStringList candidates();

    // The module from the first of the files that loads; null, and logged, when none does.
    static WebEngine* loadFirst(const QStringList& files);

    // Loads the module from one file; null, and logged, when it is missing or not the module.
    static WebEngine* load(const QString& path);
};
