// `pkleague merge`: the merge of the server's Merge window without a window.
//
//   pkleague merge --stage no-change|college-draft|supplemental|training-camp LEAGUEFILE
//
// The pick list comes from the league's draft file (LeagueName + "-DRAFT.TXT"
// beside the league file, found case-blind) and the team table is the
// league's own. A merge of the league that was killed part-way is put back
// from its backup first (and said so). Prints one line per pick, the backup
// folder and the closing message; paths as the system names them, the
// league's Latin-1 texts as UTF-8.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace pm::merge {

// `args` are the words after "merge". Returns the exit code: 0 merged (also
// when some players were kept in the draft file), 1 the league is not usable,
// 2 a usage error or a failed merge.
int MergeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace pm::merge
