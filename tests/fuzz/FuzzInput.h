// What the session fuzzers (server and client) share with the corpus
// generator: the league they run over and the layout of their input.
//
// An input is a list of operations, each one byte `op`, one byte `length`
// and `length` payload bytes (a cut-short last operation takes what is
// there). What an operation does is up to each fuzzer; op % 8 < 3 and
// op % 8 >= 6 always mean "these bytes arrive on connection op % 3".
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "league/FBPro.h"
#include "league/Sample.h"

namespace pm::fuzz {

// A small league: few teams and players, so that fuzzed numbers hit them.
inline league::SampleOptions LeagueOptions() {
  league::SampleOptions o;
  o.name = "Fuzz League";
  o.teams = 4;
  o.college = 24;
  o.freeAgents = 8;
  o.version = 98;
  o.seed = 7;
  return o;
}

enum Op : uint8_t {
  kOnConnection0 = 0,  // bytes arrive on connection 0 (also 1, 2, 6, 7)
  kTick = 3,           // payload[0] clock ticks (1 when no payload)
  kReconnect = 4,      // connection payload[0] % 3 drops and comes back
  kOperate = 5,        // an operation of the program's user (per fuzzer)
};

struct Operation {
  uint8_t op = 0;
  std::string payload;
};

inline std::vector<Operation> DecodeOperations(const uint8_t* data, std::size_t size) {
  std::vector<Operation> ops;
  std::size_t pos = 0;
  while (pos < size) {
    Operation o;
    o.op = data[pos++];
    std::size_t n = pos < size ? data[pos++] : 0;
    if (n > size - pos) n = size - pos;
    o.payload.assign(reinterpret_cast<const char*>(data + pos), n);
    pos += n;
    ops.push_back(std::move(o));
  }
  return ops;
}

inline std::string EncodeOperations(const std::vector<Operation>& ops) {
  std::string out;
  for (const Operation& o : ops) {
    std::string_view p = o.payload;
    do {  // payloads over 255 bytes go as several writes on the same connection
      std::string_view part = p.substr(0, 255);
      out.push_back(static_cast<char>(o.op));
      out.push_back(static_cast<char>(part.size()));
      out.append(part);
      p.remove_prefix(part.size());
    } while (!p.empty());
  }
  return out;
}

// The draft file the server fuzzer resumes in each run: three picks, the
// first three players of the pool, made by teams 3, 4 and 1.
inline std::string ResumedDraftFile(const league::DrafteePool& pool, const std::vector<std::string>& teams) {
  std::string out;
  const int pickers[3] = {3, 4, 1};
  for (int i = 0; i < 3 && i < pool.Count(); ++i) {
    const league::Player& p = pool.draftees[static_cast<std::size_t>(i + 1)].player;
    out += std::to_string(p.pid) + "|" + teams[static_cast<std::size_t>(pickers[i] - 1)] + "|" + p.fname + " " +
           p.lname + "|" + league::PositionCaption(p.position) + "|1-" + std::to_string(i + 1) + "\r\n";
  }
  return out;
}

}  // namespace pm::fuzz
