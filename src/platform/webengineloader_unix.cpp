#include "platform/webengineloader.h"

#include "platform/logging.h"

#include <QCoreApplication>
#include <QOpenGLContext>

// What QGuiApplication calls for Qt::AA_ShareOpenGLContexts (exported by Qt GUI, no public header).
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);

namespace {
// Qt WebEngine draws through an OpenGL context shared with those of the windows. Qt makes that
// context while the application starts when AA_ShareOpenGLContexts is set, which loads the OpenGL
// driver in every run (about 450 ms and 58 MiB with Mesa's software driver); it is made here
// instead, before the engine is loaded, the way Qt makes it. Without OpenGL the engine draws in
// software.
void shareOpenGLContexts()
{
    // Not when the attribute was set before the application was made (Qt made it then).
    if (QCoreApplication::testAttribute(Qt::AA_ShareOpenGLContexts))
        return;
    auto* context = new QOpenGLContext; // lives as long as the engine: until the process ends
    context->setFormat(QSurfaceFormat::defaultFormat());
    if (!context->create()) {
        qCInfo(lcWeb) << "no OpenGL context to share; pages are drawn in software";
        delete context;
        return;
    }
    qt_gl_set_global_share_context(context);
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}
} // namespace

WebEngine* WebEngineLoader::engine()
{
    static WebEngine* const loaded = [] {
        shareOpenGLContexts();
        return loadFirst(candidates());
    }();
    return loaded;
}
