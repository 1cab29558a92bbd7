// The owner's wish list in the session: reading it at sign-on, the owner's
// changes, players leaving it when drafted, sending it to the server, and
// the automatic picks made from it.
#include <QString>

#include "client/ClientSession.h"
#include "client/ClientView.h"
#include "common/Common.h"
#include "draft/Draftees.h"
#include "protocol/Protocol.h"

namespace pm::client {

namespace {

constexpr const char* kAutoPickLead = "Automatic pick from your list: ";
constexpr const char* kAutoPickNobody = "No automatic pick: nobody on your list is still available. Pick by hand.";

}  // namespace

// At the first sign-on: the list of this league and team, without players
// this copy of the league lacks or the picks already hold. It goes to the
// server once the server has said it takes wish lists.
void ClientSession::LoadWishes() {
  const QString folder = wishFolder_.isEmpty() ? WishList::DefaultFolder() : wishFolder_;
  wishPath_ = WishList::FilePath(folder, league.leagueName, ownTeamName_);
  if (!wishes_.Load(wishPath_)) Append("Your list could not be read from " + wishPath_.toLatin1().toStdString() + ".");
  wishes_.KeepOnly(league.table);
  wishes_.RemoveDrafted(picks_);
  view_->WishListChanged();
}

bool ClientSession::AddWish(int pid) {
  if (wishPath_.isEmpty() || picks_.HasPid(pid) || !league.table.Find(pid).player) return false;
  if (!wishes_.Add(pid)) return false;
  WishesChanged();
  return true;
}

bool ClientSession::RemoveWish(int pid) {
  if (!wishes_.Remove(pid)) return false;
  WishesChanged();
  return true;
}

bool ClientSession::MoveWish(int pid, int by) {
  if (!wishes_.Move(pid, by)) return false;
  WishesChanged();
  return true;
}

void ClientSession::WishesChanged() {
  SaveWishes();
  SendWishes();
  view_->WishListChanged();
}

void ClientSession::SaveWishes() {
  if (wishPath_.isEmpty()) return;
  const QString error = wishes_.Save(wishPath_);
  if (!error.isEmpty()) Append("Your list could not be saved: " + error.toLatin1().toStdString());
}

// Only players still available, as many as the server keeps; only to a
// server that said it takes them, and only while signed on (a change made
// meanwhile goes with the whole list at the next sign-on).
void ClientSession::SendWishes() {
  if (!features_.Has(protocol::Feature::WishList) || signOnPending_ || !Connected()) return;
  for (const std::string& part :
       protocol::WishList(ownTeamIndex_, wishes_.Available(picks_, static_cast<std::size_t>(protocol::kMaxWishList))))
    Send(part);
}

// A pick (Z) or a caught-up pick (V) took a player: he leaves the list. A
// deleted pick does not put him back. The server skips drafted players
// itself, so the list is not sent again for it.
void ClientSession::Drafted(int pid) {
  if (!wishes_.Remove(pid)) return;
  SaveWishes();
  view_->WishListChanged();
}

void ClientSession::AutoPickIfDue() {
  if (!timerEnabled_ || clockSeconds_ <= 0 || pickSent_ || autoPickTried_) return;
  if (autoPickAtOnce_ || (autoPickLate_ && clockSeconds_ <= kAutoPickLateSeconds)) AutoPick();
}

// The first listed player still available goes out as the owner's own pick
// would, without the confirmation box.
void ClientSession::AutoPick() {
  autoPickTried_ = true;
  for (int pid : wishes_.Available(picks_, wishes_.Pids().size())) {
    const draft::DrafteeTable::Found found = league.table.Find(pid);
    if (!found.player) continue;
    const std::string name = draft::ShownName(*found.player);
    const std::string position = draft::PositionCaption(found.position);
    if (SendOwnPick(pid, name, position)) Append(kAutoPickLead + name + ", " + position + ".");
    return;
  }
  Append(kAutoPickNobody);
}

}  // namespace pm::client
