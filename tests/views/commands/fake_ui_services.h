#pragma once
// A stand-in for the window system: answers the commands' questions from
// what the test put in, and notes what the commands showed.
#include <deque>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "core/probe/probe_session.h"
#include "platform/utf8_path.h"
#include "views/commands/ui_services.h"

namespace qnc::test {

class FakeUiServices final : public UiServices {
 public:
  // The next answers; an empty queue answers "cancelled".
  std::deque<std::optional<NewRow>> rowAnswers;
  PerTable<int> selection{-1, -1, -1};
  std::optional<std::string> fileToSave;
  std::optional<std::string> fileToOpen;
  // What the commands showed or opened.
  std::vector<std::string> warnings;
  std::vector<std::string> lanPresets;
  std::vector<TableKind> boxesAsked;

  std::optional<NewRow> AskNewRow(TableKind table) override;
  int SelectedRow(TableKind table) const override { return selection[table]; }
  std::optional<std::string> ChooseFileToSave() override { return fileToSave; }
  std::optional<std::string> ChooseFileToOpen() override { return fileToOpen; }
  void ShowWarning(const std::string& text) override { warnings.push_back(text); }
  void RunLanTest(std::string_view preset) override { lanPresets.emplace_back(preset); }
};

// A folder of its own under the test temporary folder, removed with everything in it.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  std::string PathOf(const std::string& name) const { return Utf8FromPath(path_ / PathFromUtf8(name)); }

 private:
  std::filesystem::path path_;
};

// A session that never starts its workers and looks up no gateway.
ProbeSessionOptions StillSessionOptions();

// Every table's targets, top row first.
std::vector<std::string> TargetsOf(const TableStore& table);

// Sets every counter of every row of the table to a non-zero value.
void MarkCounters(TableStore& table);
// Whether every counter of every row is zero.
bool CountersAreZero(TableStore& table);

}  // namespace qnc::test
