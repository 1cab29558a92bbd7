// Where an error happened, as the error file and the error message name it:
// the routine of a league file, or the window handler or socket event that
// was running. One name each, shared by every place that reports it.
#pragma once

namespace pm::context {

// The league files.
inline constexpr const char* kGetVersion = "GetVersion";
inline constexpr const char* kGetTeams = "GetTeams";
inline constexpr const char* kGetLeagueStage = "GetLeagueStage";
inline constexpr const char* kSetLeagueStage = "SetLeagueStage";
inline constexpr const char* kGetCollege = "GetCollege";
inline constexpr const char* kGetFA = "GetFA";
inline constexpr const char* kFileCollegeList = "FileCollegeList";
inline constexpr const char* kFileFAList = "FileFAList";
inline constexpr const char* kEncodeIdList = "EncodeIdList";
inline constexpr const char* kGetTeamRoster = "GetTeamRoster";
inline constexpr const char* kFileTeamRoster = "FileTeamRoster";
inline constexpr const char* kWriteSampleLeague = "WriteSampleLeague";

// The merge.
inline constexpr const char* kMergeRecover = "Merge_Recover";
inline constexpr const char* kMergeBackup = "Merge_Backup";
inline constexpr const char* kMergeCommand = "Merge_Command1_Click";

// Both programs' league windows: the league file chosen.
inline constexpr const char* kLeagueFileChosen = "LeagueSelect_File1_DblClick";

// The server.
inline constexpr const char* kServerSocketRead = "Server_Socket1_Read";
inline constexpr const char* kTeamsListActivated = "DraftControl_TeamsList_DblClick";
inline constexpr const char* kRookieListActivated = "DraftControl_RookieList_DblClick";
inline constexpr const char* kKickClicked = "DraftControl_Kick_Click";
inline constexpr const char* kDeletePickClicked = "DraftControl_Command2_Click";
inline constexpr const char* kChatSent = "PublicChat_ChatSend_KeyPress";

// The slow draft's side work, filed without ending the program.
inline constexpr const char* kSaveClock = "SaveClock";
inline constexpr const char* kNotify = "Notify";

// The client.
inline constexpr const char* kClientSocketRead = "Client_Socket1_Read";
inline constexpr const char* kClientSocketConnect = "Client_Socket1_Connect";
inline constexpr const char* kClientTimer = "Client_Timer1_Timer";

}  // namespace pm::context
