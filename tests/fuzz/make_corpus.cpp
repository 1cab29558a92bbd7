// Writes the seed corpora of the fuzz targets:
//   make_corpus <corpus dir>   ->  <dir>/league, <dir>/protocol, <dir>/server, <dir>/client
// The league seeds are sample leagues; the session seeds are short message
// sequences over the fuzzers' league (FuzzInput.h). The output depends only on
// this program, so the committed corpora can be written again at any time.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "common/Files.h"
#include "league/FBPro.h"
#include "league/Sample.h"
#include "protocol/Protocol.h"
#include "tests/fuzz/FuzzInput.h"

namespace fs = std::filesystem;
using namespace pm;
using pm::fuzz::Operation;

namespace {

void Put(const fs::path& dir, const std::string& name, const std::string& bytes) {
  fs::create_directories(dir);
  std::ofstream out(dir / name, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string Read(const std::string& path) { return ReadWholeFile(path).value_or(std::string()); }

struct League {
  std::string path;
  std::string name;
  std::vector<std::string> teams;
  league::DrafteePool pool;
};

League Load(const std::string& dir, const league::SampleOptions& o) {
  League l;
  l.path = league::WriteSampleLeague(dir, o);
  league::VersionInfo v = league::GetVersion(l.path);
  l.name = v.name;
  league::TeamList t = league::GetTeams(l.path);
  for (int i = 1; i <= t.teamCount; ++i) l.teams.push_back(t.names[static_cast<std::size_t>(i)]);
  l.pool = league::LoadPool(l.path, v.version, false);
  return l;
}

// Operation helpers.
Operation On(int connection, const std::string& bytes) { return {static_cast<uint8_t>(connection), bytes}; }
Operation Tick(int n) { return {fuzz::kTick, std::string(1, static_cast<char>(n))}; }
Operation Reconnect(int connection) { return {fuzz::kReconnect, std::string(1, static_cast<char>(connection))}; }
Operation Operate(int kind, int a, int b, const std::string& text = "") {
  return {fuzz::kOperate, std::string{static_cast<char>(kind), static_cast<char>(a), static_cast<char>(b)} + text};
}
// The bytes of one message, one write per byte.
std::vector<Operation> Bytewise(int connection, const std::string& bytes) {
  std::vector<Operation> ops;
  for (char c : bytes) ops.push_back(On(connection, std::string(1, c)));
  return ops;
}

std::string Pid(const League& l, int i) {
  return std::to_string(l.pool.draftees[static_cast<std::size_t>(i)].player.pid);
}
std::string Name(const League& l, int i) {
  const auto& p = l.pool.draftees[static_cast<std::size_t>(i)].player;
  return p.fname + " " + p.lname;
}
std::string Pos(const League& l, int i) {
  return league::PositionCaption(l.pool.draftees[static_cast<std::size_t>(i)].player.position);
}
int PidOf(const League& l, int i) { return l.pool.draftees[static_cast<std::size_t>(i)].player.pid; }
// Player i picked by `team` at `label`.
draft::Pick PickOf(const League& l, int i, int team, draft::PickLabel label) {
  return {PidOf(l, i), l.teams[static_cast<std::size_t>(team - 1)], Name(l, i), Pos(l, i), label};
}
std::string DraftOf(const League& l, int team, int i) {
  return protocol::Draft(team, PidOf(l, i), Name(l, i), Pos(l, i));
}

void LeagueSeeds(const fs::path& out, const fs::path& work) {
  const std::string sep = "\n==PMFUZZ==\n";
  // Small leagues keep the fuzzer fast: the player file holds every rostered
  // player, so the 32-team league's is cut to its first records.
  struct Variant {
    const char* file;
    int version;
    int teams;
    int college;
    int fa;
    std::size_t playerBytes;
  };
  const Variant variants[] = {{"v98", 98, 1, 8, 3, std::string::npos},
                              {"v95", 95, 2, 4, 2, std::string::npos},
                              {"v9697", 9697, 1, 4, 2, std::string::npos},
                              {"v98-32", 98, 32, 4, 0, 60 * 24}};
  for (const Variant& v : variants) {
    league::SampleOptions o;
    o.name = std::string("Seed ") + v.file;
    o.version = v.version;
    o.teams = v.teams;
    o.college = v.college;
    o.freeAgents = v.fa;
    o.seed = 3;
    std::string path = league::WriteSampleLeague((work / v.file).string(), o);
    std::string lge = Read(league::LeagueFileName(path, ".LGE"));
    std::string pyr = Read(league::LeagueFileName(path, ".PYR")).substr(0, v.playerBytes);
    Put(out, std::string(v.file) + "-college", lge + sep + pyr + sep + Read(league::LeagueFileName(path, ".PYC")));
    if (v.fa > 0)
      Put(out, std::string(v.file) + "-fa", lge + sep + pyr + sep + Read(league::LeagueFileName(path, ".PYF")));
  }
  Put(out, "empty-parts", sep + sep);
}

void ProtocolSeeds(const fs::path& out, const League& l) {
  // Byte 0: bit 0 set = the client receives, bit 1 set = lines framing;
  // byte 1: the read sizes' seed.
  auto put = [&](const std::string& name, bool toClient, const std::string& stream, bool lines = false) {
    Put(out, name, std::string{static_cast<char>((toClient ? 1 : 0) | (lines ? 2 : 0)), '\x2a'} + stream);
  };
  put("server-login-picks", false,
      protocol::Login(1, "3.02", l.pool.Count(), l.name) + protocol::PickRequest(1, 1) + DraftOf(l, 1, 5) +
          protocol::Chat(1, "hello, all") + protocol::PrivateLine(1, 0, "to the Commish") + protocol::TimeUp(1));
  put("server-legacy-junk", false,
      "C|1|0|chat|with|bars" + protocol::PickRequest(2, 3) + "L|99999|0|x" + "V|1|-5|" + "D|1|0|1,2");
  put("client-catch-up", true,
      protocol::SignedOn(1) + protocol::WhoElse(1, {2, 3}) + protocol::PickRecordMessage(1, PickOf(l, 1, 3, {1, 1})) +
          protocol::OnClock(1, 60, {1, 4}) + protocol::Picked(1, PickOf(l, 7, 1, {1, 4})));
  put("client-other", true,
      protocol::Refused(1) + protocol::Taken(2, PidOf(l, 2), Name(l, 2), Pos(l, 2)) +
          protocol::ChatRelay(0, "Time remaining: 15 seconds.") + protocol::PrivateOut(2, 1, "hi") + protocol::Left(2) +
          protocol::TimedOut(3, l.teams[2]) + protocol::Halted(1) + protocol::Deleted({1, 2}));
  put("client-cut-fields", true, "Z|1|0|123,Name" + std::string("W|0|1|") + "N|0|2|");
  // Both programs once they agreed to lines framing, with a chat that looks
  // like messages and a line longer than the bound.
  put("client-lines", true,
      protocol::Accepted(1, protocol::Features::All()) + "\n" +
          protocol::PickRecordMessage(1, PickOf(l, 1, 3, {1, 1})) + "\n" + protocol::CatchUpEnd(1) + "\n" +
          protocol::ChatRelay(2, "see L|0|0|x") + "\n" + protocol::ChatRelay(2, std::string(1100, 'y')) + "\n" +
          protocol::DraftOver() + "\n",
      true);
  put("server-lines", false,
      protocol::Login(1, "3.03", l.pool.Count(), l.name, protocol::Features::All()) + "\n" +
          protocol::WishList(1, {PidOf(l, 1), PidOf(l, 2)})[0] + "\n" + protocol::Chat(1, "a C|1|0|b") + "\n",
      true);
}

void ServerSeeds(const fs::path& out, const League& l) {
  // Connection 0: team 1, signed on and on the clock; 1: team 2, signed on;
  // 2: connected, not signed on.
  const int count = l.pool.Count();
  auto put = [&](const std::string& name, const std::vector<Operation>& ops) {
    Put(out, name, fuzz::EncodeOperations(ops));
  };
  put("pick-and-taken",
      {On(0, DraftOf(l, 1, 5)), On(1, DraftOf(l, 2, 5)), On(1, DraftOf(l, 2, 1)), On(1, DraftOf(l, 2, 6))});
  put("catch-up",
      {On(0, protocol::PickRequest(1, 1)), On(0, protocol::PickRequest(1, 2)), On(0, protocol::PickRequest(1, 3)),
       On(0, protocol::PickRequest(1, 4)), On(0, protocol::PickRequest(1, 0)), On(0, protocol::PickRequest(1, -1)),
       On(0, protocol::PickRequest(1, 32767)), On(1, "V|2|0|99999")});
  put("logins",
      {On(2, protocol::Login(3, "3.03", count, "Other League")), On(2, protocol::Login(3, "3.02", count, l.name)),
       On(2, protocol::Login(3, "3.03", count + 1, l.name)), On(2, protocol::Login(1, "3.03", count, l.name)),
       On(2, protocol::Login(0, "3.03", count, l.name)), On(2, protocol::Login(40, "3.03", count, l.name)),
       On(2, protocol::Login(-3, "x.y", count, l.name)), On(2, protocol::Login(3, "3.03", count, l.name)),
       On(2, protocol::Login(4, "3.03", count, l.name)), On(2, protocol::Chat(3, "late joiner"))});
  put("chat", {On(0, protocol::Chat(1, "hello")), On(0, protocol::PrivateLine(1, 2, "psst")),
               On(0, protocol::PrivateLine(1, 0, "Commish?")), On(0, protocol::PrivateLine(1, 9, "nobody")),
               On(1, protocol::PrivateLine(2, 1, "back")), On(0, protocol::TimeUp(1)), On(1, "C|1|0|spoofed"),
               On(2, "C|3|0|not signed on")});
  {
    std::vector<Operation> ops = Bytewise(0, DraftOf(l, 1, 9) + protocol::Chat(1, "split"));
    ops.push_back(On(1, protocol::Chat(2, "a") + protocol::PickRequest(2, 1) + DraftOf(l, 2, 10)));
    put("split-and-joined", ops);
  }
  put("clock", {Tick(45), Tick(14), Tick(1), Tick(1), Operate(0, 3, 30), Operate(2, 11, 0), Operate(0, 2, 5), Tick(5),
                Operate(1, 0, 0), Operate(3, 1, 2), Operate(3, 1, 4), On(1, protocol::PickRequest(2, 2))});
  put("reconnect",
      {Reconnect(0), On(0, protocol::Login(1, "3.03", count, l.name)), On(0, protocol::PickRequest(1, 1)), Reconnect(1),
       On(0, protocol::Chat(1, "still here")), Operate(4, 0, 0), Operate(5, 1, 0, "to all")});
  {
    // A wish list in two parts and refused ones, then the clock runs itself
    // with the rule for absent and late teams.
    std::string list;
    for (int i = 1; i <= 8; ++i) {
      const int pid = std::stoi(Pid(l, i));
      list += {static_cast<char>(pid >> 8), static_cast<char>(pid & 0xff)};
    }
    put("wish-list-auto-run",
        {Operate(8, 0, 0, list), Operate(8, 3, 0, list), On(1, "K|2|7|1,2"), On(2, "K|1|0|1"), On(0, "K|1|0|x"),
         Operate(7, 3, 9), Tick(5), Tick(25), Tick(30), On(1, DraftOf(l, 2, 12)), Tick(40), Operate(7, 0, 0),
         Operate(7, 1, 0), Tick(12), Operate(1, 0, 0)});
  }
  put("junk",
      {On(0, "C|1|0|legacy|text|with|bars"), On(0, "D|1|99999|1"), On(0, "D|1|0|0,Nobody,QB"), On(0, "D|1|0|-5,,"),
       On(0, "V|1|0|"), On(0, "X|1|0|"), On(0, "L|1|0|3.03"), On(2, "|||"), On(1, std::string("P|2|1|\0\xff", 9))});
}

void ClientSeeds(const fs::path& out, const League& l) {
  // The client is team 1, signed on; every connection operation is the
  // server talking.
  auto put = [&](const std::string& name, const std::vector<Operation>& ops) {
    Put(out, name, fuzz::EncodeOperations(ops));
  };

  put("sign-on-catch-up",
      {On(0, protocol::WhoElse(1, {2, 3})), On(0, protocol::PickRecordMessage(1, PickOf(l, 1, 3, {1, 1}))),
       On(0, protocol::PickRecordMessage(1, PickOf(l, 2, 4, {1, 2}))),
       On(0, protocol::PickRecordMessage(1, PickOf(l, 3, 1, {1, 3}))), On(0, protocol::SignedOn(4)),
       On(0, protocol::Picked(2, PickOf(l, 4, 2, {1, 4})))});
  put("own-clock", {On(0, protocol::OnClock(1, 30, {1, 1})), Tick(14), Tick(1), Operate(0, 5, 0),
                    On(0, protocol::Picked(1, PickOf(l, 5, 1, {1, 1}))), On(0, protocol::OnClock(1, 3, {2, 1})),
                    Tick(4), Operate(0, 6, 0), On(0, protocol::TimedOut(1, l.teams[0]))});
  put("refused", {On(0, protocol::Refused(1))});
  put("kicked", {On(0, protocol::Refused(4)), On(0, protocol::Chat(2, "after"))});
  put("refused-unknown", {On(0, "R|0|0|9")});
  put("others", {On(0, protocol::ChatRelay(2, "hi all")), On(0, protocol::PrivateOut(2, 1, "hi you")),
                 On(0, protocol::PrivateOut(0, 1, "from the Commish")), On(0, protocol::Left(2)),
                 On(0, protocol::Taken(1, PidOf(l, 1), Name(l, 1), Pos(l, 1))), On(0, protocol::OnClock(2, 60, {1, 2})),
                 On(0, protocol::Halted(2)), On(0, protocol::Picked(3, PickOf(l, 8, 3, {1, 3}))),
                 On(0, protocol::Deleted({1, 3})), Operate(1, 0, 0, "all of you"), Operate(1, 2, 0, "private"),
                 Operate(1, 9, 0, "nobody")});
  {
    std::vector<Operation> ops =
        Bytewise(0, protocol::SignedOn(1) + protocol::WhoElse(1, {2}) + protocol::Picked(2, PickOf(l, 4, 2, {1, 1})));
    ops.push_back(On(0, protocol::ChatRelay(2, "x") + protocol::Left(2) + protocol::SignedOn(2)));
    put("split-and-joined", ops);
  }
  put("junk", {On(0, "W|0|1|99,0,-4,"), On(0, "L|77|0|"), On(0, "X|-1|0|"), On(0, "Z|9|0|,,,"), On(0, "V|0|1|1,2"),
               On(0, "N|0|1|99999,1-1"), On(0, "N|0|1|-5,x"), On(0, "Y|0|0|"), On(0, "G|1|0|"), On(0, "P|0|1|a|b|c"),
               On(0, "Z|1|0|70000,Big,QB,9-9")});
  put("lost", {On(0, protocol::OnClock(1, 60, {1, 1})), Reconnect(0), Tick(3)});
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: make_corpus <corpus dir>\n";
    return 2;
  }
  fs::path out = argv[1];
  fs::path work = fs::temp_directory_path() / ("pickmill-corpus-" + std::to_string(std::random_device{}()));
  try {
    League l = Load((work / "fuzz").string(), fuzz::LeagueOptions());
    LeagueSeeds(out / "league", work);
    ProtocolSeeds(out / "protocol", l);
    ServerSeeds(out / "server", l);
    ClientSeeds(out / "client", l);
  } catch (const std::exception& e) {
    std::cerr << "make_corpus: " << e.what() << "\n";
    fs::remove_all(work);
    return 1;
  }
  fs::remove_all(work);
  return 0;
}
