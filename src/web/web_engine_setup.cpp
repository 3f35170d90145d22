#include "web/web_engine_setup.h"

#include <QCoreApplication>

#include "platform/process_identity.h"

namespace qnc {

void PrepareWebEngineBeforeApplication() {
#if QNC_HAVE_WEBENGINE
  if (RunningAsRoot()) qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
#endif
}

}  // namespace qnc
