// The messages a client receives, read once into typed forms that the
// client's session switches on.
//
// Decoding checks what the message itself holds: numbers that fit 16 bits,
// a PID and a label where a pick needs them. Whether a team number names a
// team of the league is the receiver's to check. Plain C++.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "draft/Pick.h"
#include "league/FBPro.h"
#include "protocol/Protocol.h"

namespace pm::protocol::in {

struct Refused {       // R: the login was refused or the team kicked
  std::string reason;  // field 4 as received
};
struct Accepted {  // A: the server knows features; these are shared
  Features features;
};
struct WhoElse {  // W: the teams signed on besides this one
  std::vector<int> teams;
};
struct SignedOn {  // L
  int team = 0;
};
struct Left {  // X
  int team = 0;
};
struct PickRecord {  // V: a recorded pick; none ends a whole catch-up
  std::optional<draft::Pick> pick;
};
struct Chat {  // C: a public line; team 0 is the Commish
  int from = 0;
  std::string text;
};
struct Private {  // P: a private line to this team
  int from = 0;
  std::string text;
};
struct OnClock {  // N
  int team = 0;
  int seconds = 0;  // at most kMaxLongClockSeconds; 0 or less starts no countdown
  std::optional<draft::PickLabel> label;
};
struct Paused {  // Q: the clock of `team` stopped with `seconds` left
  int team = 0;
  int seconds = 0;
  std::optional<draft::PickLabel> label;
};
struct TimedOut {  // I
  int team = 0;
  std::string text;
};
struct Halted {  // H
  int team = 0;
};
struct Picked {  // Z
  int team = 0;
  draft::Pick pick;  // without the team's name, which the receiver knows
};
struct Taken {  // G
  int team = 0;
  int pid = 0;
  std::string player;
  std::string position;
};
struct Deleted {  // Y
  std::optional<draft::PickLabel> label;
};
struct DraftOver {};  // E
struct Order {        // O: owners of the picks from position `first` on
  int perRound = 0;
  int first = 0;
  std::vector<int> teams;
};

using FromServer = std::variant<Refused, Accepted, WhoElse, SignedOn, Left, PickRecord, Chat, Private, OnClock,
                                TimedOut, Halted, Picked, Taken, Deleted, DraftOver, Order, Paused>;

// Nothing for a message that is malformed (dropped by the receiver) or
// whose code a client does not know (ignored).
std::optional<FromServer> DecodeFromServer(const Message& m);
// True when the message is well formed but of a code no client knows.
bool UnknownToClient(const Message& m);

}  // namespace pm::protocol::in

// The messages a server receives, read once into typed forms that the
// server's sessions and engine act on. Only the fields are read here; whether
// they fit the league (its name, its teams, its pool) is the receiver's to check.
namespace pm::protocol::from_client {

// The largest player id a selection can name.
inline constexpr int kMaxPid = league::kMaxPlayerId;

struct Login {  // L: field 4 is version,draftee count,league name[,features]
  std::string version;
  long long draftees = 0;  // its leading number
  std::string league;
  Features features;  // as announced, not yet shared
};
Login DecodeLogin(const Message& m);

struct Selection {    // D: field 4 begins with the PID selected
  int pid = 0;        // 1..kMaxPid; 0 when the field holds no such number
  std::string shown;  // the PID's text as a refusal names it: trimmed, never long
};
Selection DecodeSelection(const Message& m);

// The slot a catch-up request (V) asks for; nothing beyond 16 bits.
std::optional<int> DecodePickRequest(const Message& m);

}  // namespace pm::protocol::from_client
