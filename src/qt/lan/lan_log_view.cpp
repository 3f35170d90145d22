#include "qt/lan/lan_log_view.h"

#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

namespace qnc {

namespace {

QString ForView(const std::string& text) {
  QString shown = QString::fromUtf8(text);
  shown.remove(QLatin1Char('\r'));
  return shown;
}

}  // namespace

void ApplyLogChanges(QPlainTextEdit& view, const LanLogStore::Changes& changes) {
  if (changes.Empty()) return;
  QScrollBar* scroll = view.verticalScrollBar();
  const bool atTop = scroll->value() == scroll->minimum();
  if (changes.replaced) view.setPlainText(ForView(changes.base));
  if (!changes.front.empty()) {
    QTextCursor cursor(view.document());
    cursor.movePosition(QTextCursor::Start);
    cursor.insertText(ForView(changes.front));
  }
  if (!changes.back.empty()) {
    QTextCursor cursor(view.document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(ForView(changes.back));
  }
  if (atTop) scroll->setValue(scroll->minimum());
}

std::string LogViewText(const QPlainTextEdit& view) {
  const std::string shown = view.toPlainText().toStdString();
  std::string text;
  text.reserve(shown.size() + shown.size() / 16);
  for (const char c : shown) {
    if (c == '\n') text += '\r';
    text += c;
  }
  return text;
}

}  // namespace qnc
