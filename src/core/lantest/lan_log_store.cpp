#include "core/lantest/lan_log_store.h"

#include <utility>

namespace qnc {

void LanLogStore::Replace(std::string_view text) {
  bool notify = false;
  {
    std::lock_guard lock(mutex_);
    pieces_.clear();
    pieces_.emplace_back(text);
    if (listener_) {
      pendingReplace_ = true;
      pendingBase_.assign(text);
      pendingFront_.clear();
      pendingBack_.clear();
    }
    notify = MarkChanged();
  }
  Notify(notify);
}

void LanLogStore::Prepend(std::string_view line) {
  bool notify = false;
  {
    std::lock_guard lock(mutex_);
    pieces_.emplace_front(line);
    if (listener_) pendingFront_.emplace_back(line);
    notify = MarkChanged();
  }
  Notify(notify);
}

void LanLogStore::Append(std::string_view line) {
  bool notify = false;
  {
    std::lock_guard lock(mutex_);
    pieces_.emplace_back(line);
    if (listener_) pendingBack_.append(line);
    notify = MarkChanged();
  }
  Notify(notify);
}

std::string LanLogStore::Text() const {
  std::lock_guard lock(mutex_);
  return JoinedPieces();
}

std::string LanLogStore::JoinedPieces() const {
  std::size_t size = 0;
  for (const auto& piece : pieces_) size += piece.size();
  std::string text;
  text.reserve(size);
  for (const auto& piece : pieces_) text += piece;
  return text;
}

LanLogStore::Changes LanLogStore::TakeChanges() {
  std::lock_guard lock(mutex_);
  Changes changes;
  changes.replaced = std::exchange(pendingReplace_, false);
  changes.base = std::exchange(pendingBase_, {});
  std::size_t frontSize = 0;
  for (const auto& line : pendingFront_) frontSize += line.size();
  changes.front.reserve(frontSize);
  for (auto line = pendingFront_.rbegin(); line != pendingFront_.rend(); ++line) changes.front += *line;
  pendingFront_.clear();
  changes.back = std::exchange(pendingBack_, {});
  viewNotified_ = false;
  return changes;
}

void LanLogStore::SetChangeListener(std::function<void()> listener) {
  std::lock_guard lock(mutex_);
  listener_ = std::move(listener);
  viewNotified_ = false;
  // A view that starts listening first takes the whole text as it stands.
  pendingReplace_ = static_cast<bool>(listener_);
  pendingBase_ = listener_ ? JoinedPieces() : std::string();
  pendingFront_.clear();
  pendingBack_.clear();
}

bool LanLogStore::MarkChanged() {
  if (viewNotified_ || !listener_) return false;
  viewNotified_ = true;
  return true;
}

void LanLogStore::Notify(bool needed) {
  if (!needed) return;
  std::function<void()> listener;
  {
    std::lock_guard lock(mutex_);
    listener = listener_;
  }
  if (listener) listener();
}

}  // namespace qnc
