#include "merge/MergeCommand.h"

#include <iostream>

#include "common/Common.h"
#include "common/Files.h"
#include "league/FBPro.h"
#include "merge/Merge.h"

namespace pm::merge {

namespace {

constexpr const char* kUsage =
    "usage: pkleague merge --stage no-change|college-draft|supplemental|training-camp LEAGUEFILE\n";

// CR LF of a message box text as plain line breaks.
std::string Lines(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
    out += text[i];
  }
  return out;
}

std::string Describe(const PickOutcome& o) {
  const draft::Pick& p = o.pick;
  std::string line = p.label.Text() + " " + p.team + ": " + Num(p.pid) + " " + p.player + " (" + p.position + ") - ";
  if (o.placement.placed) {
    line += o.placement.group == 0
                ? "placed in lineup slot " + Num(o.placement.slot)
                : "placed in reserve group " + Num(o.placement.group) + " slot " + Num(o.placement.slot);
    line += o.placement.jersey != 0 ? ", jersey " + Num(o.placement.jersey) : ", jersey 0 (no free number)";
  } else {
    line += "kept in the draft file (" + o.reason + ")";
  }
  return Latin1ToUtf8(line);
}

}  // namespace

int MergeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  StageChoice stage = StageChoice::NoChange;
  bool stageGiven = false;
  std::string file;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--stage") {
      if (i + 1 >= args.size() || !ParseStageChoice(args[i + 1], stage)) {
        err << "pkleague: --stage takes no-change, college-draft, supplemental or training-camp\n" << kUsage;
        return 2;
      }
      stageGiven = true;
      ++i;
    } else if (a.rfind("--", 0) == 0) {
      err << "pkleague: unknown option " << a << "\n" << kUsage;
      return 2;
    } else if (file.empty()) {
      file = a;
    } else {
      err << "pkleague: more than one league file given\n" << kUsage;
      return 2;
    }
  }
  if (!stageGiven || file.empty()) {
    err << "pkleague: " << (file.empty() ? "no league file given" : "no --stage given") << "\n" << kUsage;
    return 2;
  }

  MergeInput input;
  input.leaguePath = league::LeaguePathOf(file);
  input.stage = stage;
  try {
    league::VersionInfo v = league::GetVersion(input.leaguePath);
    if (v.version == 0) {
      err << "Unable to determine version of the " << ShownPath(input.leaguePath)
          << " league file. Select another league.\n";
      return 1;
    }
    // A merge killed part-way is put back before anything else is read.
    const Recovery recovery = RecoverInterruptedMerge(input.leaguePath, v.name);
    if (recovery.found) {
      (recovery.restored ? out : err) << Lines(recovery.message) << "\n";
      if (!recovery.restored) return 2;
    }
    league::TeamList teams = league::GetTeams(input.leaguePath);
    if (teams.teamCount == 0) {
      err << "No teams found in league file.\n";
      return 1;
    }
    input.version = v.version;
    input.leagueName = v.name;
    // The team names in team number order, 1..TeamCount.
    for (int i = 1; i <= teams.teamCount && i <= league::kMaxTeamNumber; ++i)
      input.teams.push_back(teams.names[static_cast<std::size_t>(i)]);
    input.rookies = league::ReadCollegeList(input.leaguePath);
    input.faList = league::ReadFAList(input.leaguePath);
  } catch (const league::LeagueError& e) {
    err << "pkleague: error #" << e.number << ", " << e.what() << ", in " << e.context << "\n";
    return 2;
  }
  input.draftFile = TextOfPath(DraftFileOf(input.leaguePath, input.leagueName));
  input.picks = ReadDraftFile(PathOfText(input.draftFile));
  out << "Draft file: " << ShownPath(input.draftFile) << " (" << input.picks.size() << " picks)\n";

  MergeOptions options;
  options.backupMade = [&](const std::filesystem::path& folder) {
    out << "Backup of the league files: " << ShownPath(folder) << "\n";
  };
  MergeResult result = RunMerge(std::move(input), options);
  if (!result.ok) {
    err << "pkleague: the merge stopped: error #" << result.errorNumber << ", " << Lines(result.failure) << ", in "
        << result.failureContext << "\n";
    return 2;
  }
  for (const PickOutcome& o : result.outcomes) out << Describe(o) << "\n";
  out << Lines(result.closingMessage) << "\n";
  out.flush();
  return out ? 0 : 2;
}

}  // namespace pm::merge
