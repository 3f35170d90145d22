// The browser module: Qt WebEngine behind the page window's browser interface.
// Built as a loadable module and loaded on the first page shown, so that the
// program does not carry the engine (and the OpenGL context it draws through)
// until a page is actually opened.
#include <QUrl>
#include <QWebEngineView>
#include <QtGlobal>

#include "web/web_view_module.h"

namespace qnc::web {
namespace {

class WebEngineViewModule final : public WebViewModule {
 public:
  QWidget* CreateView(QWidget* parent) const override { return new QWebEngineView(parent); }

  void Navigate(QWidget& view, const QUrl& url) const override {
    if (auto* engineView = qobject_cast<QWebEngineView*>(&view)) engineView->setUrl(url);
  }
};

}  // namespace
}  // namespace qnc::web

extern "C" Q_DECL_EXPORT const qnc::web::WebViewModule* qnc_web_view_module_v1() {
  static const qnc::web::WebEngineViewModule module;
  return &module;
}
