#include "web/engine_share_context.h"

#include <QCoreApplication>
#include <QtGui/qtguiglobal.h>

#if QT_CONFIG(opengl)
#include <QOpenGLContext>
#include <QSurfaceFormat>

// Qt's setter of the global share context: exported by Qt GUI for its own
// modules (Qt WebEngine calls it the same way), not declared in its headers.
QT_BEGIN_NAMESPACE
Q_GUI_EXPORT void qt_gl_set_global_share_context(QOpenGLContext* context);
QT_END_NAMESPACE
#endif

namespace qnc::web {

#if QT_CONFIG(opengl)
namespace {

QOpenGLContext* provided = nullptr;

// Runs as the application object goes, after the engine (which registered its
// own clean-up later) has shut down.
void ReleaseEngineShareContext() {
  if (QOpenGLContext::globalShareContext() == provided) qt_gl_set_global_share_context(nullptr);
  delete provided;
  provided = nullptr;
}

}  // namespace

void ProvideEngineShareContext() {
  if (QOpenGLContext::globalShareContext() != nullptr) return;
  provided = new QOpenGLContext();
  provided->setFormat(QSurfaceFormat::defaultFormat());
  provided->create();  // may fail: the engine then finds it invalid and draws in software
  qt_gl_set_global_share_context(provided);
  qAddPostRoutine(ReleaseEngineShareContext);
}
#else
// A Qt without OpenGL: the engine draws in software and needs no context.
void ProvideEngineShareContext() {}
#endif

}  // namespace qnc::web
