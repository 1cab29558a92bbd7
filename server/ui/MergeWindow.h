// The server's modal Merge window: the Commish chooses the league stage and
// starts the merge of the drafted players into the league files.
#pragma once

#include <QDialog>
#include <QString>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

#include "common/ErrorReport.h"
#include "common/Prompt.h"
#include "merge/Merge.h"

class QButtonGroup;
class QLabel;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace pm::server {

// What the Merge window needs from the rest of the server. The pointers must
// outlive the window; the callbacks may be empty.
struct MergeContext {
  std::string leaguePath;  // LeaguePath (no extension)
  int16_t version = 0;     // LeagueVersionCode
  std::string leagueName;  // LeagueName
  std::string draftFile;   // DraftFile
  // The picks as they are when the Merge button is clicked (deleted ones
  // left out) and the league's team names in team number order.
  std::function<std::vector<draft::Pick>()> picks;
  std::function<std::vector<std::string>()> teams;
  ErrorReporter* reporter = nullptr;
  Prompter* prompter = nullptr;
  // After a successful merge: the picks left in the draft file; the server's
  // picks must become these.
  std::function<void(const std::vector<draft::Pick>& kept)> picksKept;
  // false when the window loads, true when it closes: the main window and
  // the Draft Control window are disabled while the Merge window is open.
  std::function<void(bool enabled)> setOtherWindowsEnabled;
  // After a merge, once the window has closed: close and reopen the Draft
  // Control window so that it shows the new state.
  std::function<void()> reopenDraftControl;
  // Test seams of the merge (write failures, clock of the backup name).
  merge::MergeOptions options;
};

class MergeWindow : public QDialog {
  Q_OBJECT
 public:
  explicit MergeWindow(MergeContext context, QWidget* parent = nullptr);
  ~MergeWindow() override;

  // The option chosen in the "League Stage" frame.
  merge::StageChoice SelectedStage() const;
  void SelectStage(merge::StageChoice choice);
  // The league stage read on load; -1 when it could not be read.
  int LoadedStage() const { return loadedStage_; }
  const merge::MergeResult& LastResult() const { return last_; }

  // Update(stg, val1, val2, cl): the status line and the progress bar.
  void Update(const std::string& stg, int val1, int val2, int cl);

 public slots:
  // The "&Merge" button.
  void RunMerge();

 signals:
  // Emitted after a successful merge, after the closing message, when the
  // window has closed.
  void merged();

 protected:
  void done(int result) override;

 private:
  void Load();
  void ShowStatus(const std::string& text);

  MergeContext ctx_;
  league::IdList rookies_{0};
  league::IdList faList_{0};
  int loadedStage_ = -1;
  bool restored_ = false;  // other windows enabled again
  QString backupLine_;     // "Backup: <folder>" below the status line
  merge::MergeResult last_;
  merge::Progress progress_;

  QPushButton* mergeButton_ = nullptr;
  QButtonGroup* stages_ = nullptr;
  QLabel* status_ = nullptr;
  QProgressBar* progressBar_ = nullptr;
};

}  // namespace pm::server
