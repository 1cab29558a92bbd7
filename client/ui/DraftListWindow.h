// The draft list window: one 60-column line per pick the client knows of,
// in label order, the newest pick scrolled into view.
#pragma once

#include <QWidget>
#include <string>

class QListWidget;

namespace pm::client {

class DraftListWindow : public QWidget {
  Q_OBJECT
 public:
  explicit DraftListWindow(QWidget* parent = nullptr);
  void AddLine(const std::string& line);
  void Clear();
  QListWidget* List() const { return dList_; }

 private:
  QListWidget* dList_;
};

}  // namespace pm::client
