#include "qt/web/web_engine_setup.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QtGlobal>

#include "platform/process_identity.h"

namespace qnc {

void PrepareWebEngineBeforeApplication() {
#if QNC_HAVE_WEBENGINE
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
  if (RunningAsRoot()) {
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    // Without the sandbox the engine needs no zygote: each page's renderer is
    // then started on its own and ends with the page, instead of two zygote
    // processes (about 50 MB each) staying from the first page to the end of
    // the program. Flags already in the environment are kept.
    const QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    if (!flags.contains("--no-zygote")) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", (flags + " --no-zygote").trimmed());
  }
#endif
}

}  // namespace qnc
