// The owner's wish list ("My List"): the players he wants, best first, as
// PIDs.
//
// The list is kept per league and team in a small text file, one PID a
// line, in the user's configuration folder (never beside the league files,
// which the owner may share or replace). The session writes the whole file
// after every change. Plain QtCore, no widgets.
#pragma once

#include <QString>

#include <string>
#include <vector>

#include "draft/Draftees.h"
#include "draft/PickList.h"

namespace pm::client {

class WishList {
 public:
  const std::vector<int>& Pids() const { return pids_; }
  bool Empty() const { return pids_.empty(); }
  bool Contains(int pid) const;

  // Each returns true when the list changed.
  // Appends a player; not when he is listed already or the PID is not positive.
  bool Add(int pid);
  bool Remove(int pid);
  // Moves a player `by` places (negative: up), stopping at either end.
  bool Move(int pid, int by);
  // Takes out every player the picks hold.
  bool RemoveDrafted(const draft::PickList& picks);
  // Keeps only the players of this table (a list written for another copy
  // of the league may name players this one lacks).
  bool KeepOnly(const draft::DrafteeTable& table);
  void Clear() { pids_.clear(); }

  // The listed players that the picks do not hold, in order, at most `limit`.
  std::vector<int> Available(const draft::PickList& picks, std::size_t limit) const;

  // The file of a league and team inside `folder`: both names are
  // percent-encoded, so any name gives a valid file name and no two pairs
  // share one.
  static QString FilePath(const QString& folder, const std::string& league, const std::string& team);
  // The folder the program keeps the lists in: "MyList" in the
  // application's configuration folder.
  static QString DefaultFolder();

  // Replaces the list with the file's PIDs (lines that are no PID, and
  // repeated ones, are skipped). A missing file gives an empty list and
  // counts as read. False when the file exists but cannot be read.
  bool Load(const QString& path);
  // Writes the list whole, or leaves the old file as it was (QSaveFile);
  // makes the folder when needed. Returns the error text, empty on success.
  QString Save(const QString& path) const;

 private:
  std::vector<int> pids_;
};

// The line My List shows for a player: his position caption in four
// columns, then the draftee list's line. "?" and the PID for a player that
// is not in the table.
std::string WishLine(const draft::DrafteeTable& table, int pid);
// The column titles over those lines.
std::string WishHeader();

}  // namespace pm::client
