#include "core/model/text_field.h"

namespace qnc {

std::string TextFieldStore::Text() const {
  std::lock_guard lock(mutex_);
  return text_;
}

void TextFieldStore::SetText(std::string_view text) {
  std::function<void(const std::string&)> listener;
  std::string copy(text);
  {
    std::lock_guard lock(mutex_);
    text_ = copy;
    listener = changed_;
  }
  if (listener) listener(copy);
}

void TextFieldStore::StoreText(std::string_view text) {
  std::lock_guard lock(mutex_);
  text_.assign(text);
}

void TextFieldStore::SetChangedListener(std::function<void(const std::string&)> listener) {
  std::lock_guard lock(mutex_);
  changed_ = std::move(listener);
}

}  // namespace qnc
