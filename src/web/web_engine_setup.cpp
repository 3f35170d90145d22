#include "web/web_engine_setup.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QtGlobal>

#include "platform/process_identity.h"

namespace qnc {

void PrepareWebEngineBeforeApplication() {
#if QNC_HAVE_WEBENGINE
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  if (RunningAsRoot()) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
#endif
}

}  // namespace qnc
