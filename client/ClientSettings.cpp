#include "client/ClientSettings.h"

#include <QSettings>

using namespace Qt::StringLiterals;

namespace pm::client {

ClientSettings::ClientSettings() : settings_(std::make_unique<QSettings>()) {}

ClientSettings::ClientSettings(const QString& iniFile)
    : settings_(std::make_unique<QSettings>(iniFile, QSettings::IniFormat)) {}

ClientSettings::~ClientSettings() = default;

ClientSettings::Connection ClientSettings::LastConnection() const {
  return {settings_->value(u"connection/folder"_s).toString(), settings_->value(u"connection/leagueFile"_s).toString(),
          settings_->value(u"connection/team"_s).toString(), settings_->value(u"connection/address"_s).toString()};
}

void ClientSettings::SetLastConnection(const Connection& connection) {
  settings_->setValue(u"connection/folder"_s, connection.folder);
  settings_->setValue(u"connection/leagueFile"_s, connection.leagueFile);
  settings_->setValue(u"connection/team"_s, connection.team);
  settings_->setValue(u"connection/address"_s, connection.address);
  settings_->sync();
}

QByteArray ClientSettings::MainGeometry() const { return settings_->value(u"layout/geometry"_s).toByteArray(); }

QByteArray ClientSettings::MainState() const { return settings_->value(u"layout/state"_s).toByteArray(); }

void ClientSettings::SetMainLayout(const QByteArray& geometry, const QByteArray& state) {
  settings_->setValue(u"layout/geometry"_s, geometry);
  settings_->setValue(u"layout/state"_s, state);
  settings_->sync();
}

QRect ClientSettings::ChildGeometry(const QString& name) const {
  return settings_->value(u"layout/child/"_s + name).toRect();
}

void ClientSettings::SetChildGeometry(const QString& name, const QRect& geometry) {
  settings_->setValue(u"layout/child/"_s + name, geometry);
  settings_->sync();
}

bool ClientSettings::DesktopNotices() const { return settings_->value(u"options/desktopNotices"_s, false).toBool(); }

void ClientSettings::SetDesktopNotices(bool on) {
  settings_->setValue(u"options/desktopNotices"_s, on);
  settings_->sync();
}

}  // namespace pm::client
