// What PKClient remembers between runs: the league folder and file, team and
// server address of the last connection (the league window starts from
// them), the window layout and the owner's options. Nothing else is kept; the wish lists have
// files of their own (WishList).
#pragma once

#include <QByteArray>
#include <QRect>
#include <QString>

#include <memory>

class QSettings;

namespace pm::client {

class ClientSettings {
 public:
  // The user's settings, under the application's organization and name.
  ClientSettings();
  // Settings in an INI file of their own (tests).
  explicit ClientSettings(const QString& iniFile);
  ~ClientSettings();

  struct Connection {
    QString folder;      // of the league file
    QString leagueFile;  // its name in that folder
    QString team;
    QString address;
  };
  Connection LastConnection() const;
  void SetLastConnection(const Connection& connection);

  // The main window (QMainWindow::saveGeometry and saveState).
  QByteArray MainGeometry() const;
  QByteArray MainState() const;
  void SetMainLayout(const QByteArray& geometry, const QByteArray& state);
  // A child window by its objectName; a null rectangle when none is kept.
  QRect ChildGeometry(const QString& name) const;
  void SetChildGeometry(const QString& name, const QRect& geometry);

  // Desktop notices when the own team is on the clock or on deck (off
  // unless chosen).
  bool DesktopNotices() const;
  void SetDesktopNotices(bool on);

 private:
  std::unique_ptr<QSettings> settings_;
};

}  // namespace pm::client
