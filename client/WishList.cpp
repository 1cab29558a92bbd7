#include "client/WishList.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>
#include <unordered_set>

#include "common/Common.h"

namespace pm::client {

namespace {

constexpr int kMaxPid = 65535;  // the largest PID a K message carries

}  // namespace

bool WishList::Contains(int pid) const { return std::find(pids_.begin(), pids_.end(), pid) != pids_.end(); }

bool WishList::Add(int pid) {
  if (pid < 1 || pid > kMaxPid || Contains(pid)) return false;
  pids_.push_back(pid);
  return true;
}

bool WishList::Remove(int pid) {
  auto it = std::find(pids_.begin(), pids_.end(), pid);
  if (it == pids_.end()) return false;
  pids_.erase(it);
  return true;
}

bool WishList::Move(int pid, int by) {
  auto it = std::find(pids_.begin(), pids_.end(), pid);
  if (it == pids_.end()) return false;
  const auto from = it - pids_.begin();
  const auto to = std::clamp<std::ptrdiff_t>(from + by, 0, static_cast<std::ptrdiff_t>(pids_.size()) - 1);
  if (to == from) return false;
  if (to < from)
    std::rotate(pids_.begin() + to, it, it + 1);
  else
    std::rotate(it, it + 1, pids_.begin() + to + 1);
  return true;
}

bool WishList::RemoveDrafted(const draft::PickList& picks) {
  return std::erase_if(pids_, [&picks](int pid) { return picks.HasPid(pid); }) > 0;
}

bool WishList::KeepOnly(const draft::DrafteeTable& table) {
  std::unordered_set<int> inTable;
  for (const auto& position : table.positions)
    for (const draft::Player& p : position) inTable.insert(p.pid);
  return std::erase_if(pids_, [&inTable](int pid) { return !inTable.contains(pid); }) > 0;
}

std::vector<int> WishList::Available(const draft::PickList& picks, std::size_t limit) const {
  std::vector<int> out;
  for (int pid : pids_) {
    if (out.size() >= limit) break;
    if (!picks.HasPid(pid)) out.push_back(pid);
  }
  return out;
}

QString WishList::FilePath(const QString& folder, const std::string& league, const std::string& team) {
  const auto encoded = [](const std::string& name) {
    return QString::fromLatin1(QUrl::toPercentEncoding(QString::fromLatin1(name.data(), std::ssize(name))));
  };
  // "+" never comes out of the encoding, so it keeps the two names apart.
  return QDir(folder).filePath(encoded(league) + u'+' + encoded(team) + QStringLiteral(".txt"));
}

QString WishList::DefaultFolder() {
  return QDir(QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation)).filePath(QStringLiteral("MyList"));
}

bool WishList::Load(const QString& path) {
  pids_.clear();
  QFile file(path);
  if (!file.exists()) return true;
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  while (!file.atEnd()) {
    bool ok = false;
    const int pid = file.readLine().trimmed().toInt(&ok);
    if (ok) Add(pid);  // Add skips what is no PID
  }
  return true;
}

QString WishList::Save(const QString& path) const {
  if (!QDir().mkpath(QFileInfo(path).absolutePath())) return QStringLiteral("cannot make the folder of ") + path;
  QSaveFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Text)) return file.errorString();
  for (int pid : pids_) file.write(QByteArray::number(pid) + '\n');
  if (!file.commit()) return file.errorString();
  return {};
}

std::string WishLine(const draft::DrafteeTable& table, int pid) {
  const draft::DrafteeTable::Found found = table.Find(pid);
  if (!found.player) return PadField("?", "", 4) + Num(pid);
  return PadField(draft::PositionCaption(found.position), "", 4) + draft::FormatLine(*found.player);
}

std::string WishHeader() { return PadField("Pos", "", 4) + draft::HeaderLine(); }

}  // namespace pm::client
