#pragma once

class QUrl;
class QWidget;

namespace qnc::web {

// The embedded browser, as the page window sees it. Qt WebEngine lives in a
// module of its own (qnc_web_view) that is loaded only when a page is first
// shown: a program that links it pays for it from start-up on, in memory and
// in start-up time, whether or not a page is ever opened.
//
// Both sides are built together from this header; the module exports one C
// function, named by kWebViewModuleEntry, that returns its implementation.
class WebViewModule {
 public:
  virtual ~WebViewModule() = default;

  // A browser widget, child of `parent`, showing nothing yet.
  virtual QWidget* CreateView(QWidget* parent) const = 0;
  // Starts loading `url` in a view made by CreateView; returns at once.
  virtual void Navigate(QWidget& view, const QUrl& url) const = 0;
};

// The module's entry point: its name, and its type.
inline constexpr char kWebViewModuleEntry[] = "qnc_web_view_module_v1";
using WebViewModuleEntry = const WebViewModule* (*)();

}  // namespace qnc::web
