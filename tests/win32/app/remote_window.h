#pragma once
// Looks at the program's windows from another process, as a user sees them:
// finds a window by its title, and reads a list view's rows and captions
// through a block of memory in the window's process (a list view writes the
// text it is asked for into its own process's memory).
#include <windows.h>

#include <string>

namespace qnc::remote {

// Writes UTF-8 text to standard output as it is.
void Print(const std::string& text);

// The top-level window with exactly this title, waiting up to `waitMs`; null when none came.
HWND WaitForWindow(const std::string& title, int waitMs);
// The same, once it shows: a dialog has its title from the start, but its
// controls are complete only when the dialog manager shows it.
HWND WaitForShownWindow(const std::string& title, int waitMs);
// Waits up to `waitMs` for `condition`; true when it held.
template <typename Condition>
bool WaitUntil(Condition condition, int waitMs) {
  for (int waited = 0; waited <= waitMs; waited += 50) {
    if (condition()) return true;
    Sleep(50);
  }
  return false;
}

class ListReader {
 public:
  explicit ListReader(HWND list);
  ~ListReader();
  ListReader(const ListReader&) = delete;
  ListReader& operator=(const ListReader&) = delete;

  bool Usable() const { return base_ != nullptr; }
  int RowCount() const;
  std::string Cell(int row, int column);
  std::string Caption(int column);
  int ColumnWidth(int column) const;
  // How wide the list draws this text in its font, in pixels.
  int TextWidth(const std::string& text);
  // Selects exactly this row and makes it the selection mark, as a click does.
  void Select(int row);

 private:
  template <typename Request>
  LPARAM Put(const Request& request);
  wchar_t* RemoteText() const;
  std::string ReadText() const;

  HWND list_;
  HANDLE process_ = nullptr;
  char* base_ = nullptr;
};

}  // namespace qnc::remote
