#pragma once
#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace qnc {

// A one-line text control (an edit box, a label) as a worker sees it: read it,
// set it. The window carries out both for the worker.
class TextField {
 public:
  virtual ~TextField() = default;
  virtual std::string Text() const = 0;
  virtual void SetText(std::string_view text) = 0;
};

// A thread-safe text holder. The window mirrors its edit box into it; a
// worker's SetText is passed on to the listener, outside the lock.
class TextFieldStore final : public TextField {
 public:
  std::string Text() const override;
  void SetText(std::string_view text) override;
  // Stores the text without telling the listener (the window's own edits).
  void StoreText(std::string_view text);
  void SetChangedListener(std::function<void(const std::string&)> listener);

 private:
  mutable std::mutex mutex_;
  std::string text_;
  std::function<void(const std::string&)> changed_;
};

}  // namespace qnc
