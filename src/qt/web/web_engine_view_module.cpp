// The browser module: Qt WebEngine behind the page window's browser interface.
// Built as a loadable module and loaded on the first page shown, so that the
// program does not carry the engine (and the OpenGL context it draws through)
// until a page is actually opened.
#include <QUrl>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>
#include <QtGlobal>

#include "qt/web/web_view_module.h"

namespace qnc::web {
namespace {

class WebEngineViewModule final : public WebViewModule {
 public:
  // Each view gets a page and a profile of its own, both deleted with the
  // view. The profile has no storage name, so it is off the record: nothing
  // of a game page is written to disk. Pages of the engine's default profile
  // would keep that profile, and the renderer state it holds, alive until
  // the program ends; a profile that goes with the window lets the engine
  // end what it ran for it as soon as the window closes. The profile is the
  // page's child: a QObject deletes its children after its own destructor,
  // so the page is always gone before its profile, as the engine requires.
  QWidget* CreateView(QWidget* parent) const override {
    auto* view = new QWebEngineView(parent);
    auto* profile = new QWebEngineProfile();
    auto* page = new QWebEnginePage(profile, view);
    profile->setParent(page);
    view->setPage(page);
    return view;
  }

  void Navigate(QWidget& view, const QUrl& url) const override {
    if (auto* engineView = qobject_cast<QWebEngineView*>(&view)) engineView->setUrl(url);
  }
};

}  // namespace
}  // namespace qnc::web

// The loader looks the entry point up by this C name.
// NOLINTNEXTLINE(readability-identifier-naming)
extern "C" Q_DECL_EXPORT const qnc::web::WebViewModule* qnc_web_view_module_v1() {
  static const qnc::web::WebEngineViewModule module;
  return &module;
}
