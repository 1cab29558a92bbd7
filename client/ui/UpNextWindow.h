// The Up Next window: the picks coming up (label and team, the own team's
// marked) under a line telling the own team's next pick.
#pragma once

#include <QWidget>
#include <functional>
#include <string>

#include "client/UpNext.h"

class QLabel;
class QListWidget;

namespace pm::client {

class UpNextWindow : public QWidget {
  Q_OBJECT
 public:
  // `teamName` names team k (Latin-1).
  explicit UpNextWindow(std::function<std::string(int)> teamName, QWidget* parent = nullptr);

  void Show(const UpNext& next);

  QLabel* OwnNextLabel() const { return ownNext_; }
  QListWidget* List() const { return list_; }

 private:
  std::function<std::string(int)> teamName_;
  QLabel* ownNext_;
  QListWidget* list_;
};

}  // namespace pm::client
