// Tests of the shared text helpers, the file helpers and the error reporter.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <set>
#include <vector>

#include "common/Common.h"
#include "common/ErrorReport.h"
#include "common/Files.h"

namespace fs = std::filesystem;
using namespace pm;

namespace {

fs::path TempDir(const std::string& name) {
  fs::path dir = fs::temp_directory_path() / ("pm-common-" + name + "-" + std::to_string(std::random_device{}()));
  fs::remove_all(dir);
  fs::create_directories(dir);
  return dir;
}

}  // namespace

TEST(GetField, FieldsOfMessagesAndRecords) {
  // A login's field 4 is its whole comma list; field 5 does not exist.
  const std::string login = "L|3|0|3.03,450,Big League";
  EXPECT_EQ(GetField(login, 1, "|"), "L");
  EXPECT_EQ(GetField(login, 4, "|"), "3.03,450,Big League");
  EXPECT_EQ(GetField(login, 5, "|"), "");
  EXPECT_EQ(GetField(GetField(login, 4, "|"), 3, ","), "Big League");

  EXPECT_EQ(GetField("a|b", 2, "|"), "b");
  EXPECT_EQ(GetField("a|b", 3, "|"), "");
  EXPECT_EQ(GetField("a|b|", 2, "|"), "b");
  EXPECT_EQ(GetField("a|b|", 3, "|"), "");
  EXPECT_EQ(GetField("whole", 1, "|"), "whole");
  EXPECT_EQ(GetField("a||c", 2, "|"), "");
  EXPECT_EQ(GetField("a||c", 3, "|"), "c");
  EXPECT_EQ(GetField("a|b", 0, "|"), "");
  EXPECT_EQ(GetField("a|b", -3, "|"), "");
  // An empty separator means ",".
  EXPECT_EQ(GetField("x,y", 2, ""), "y");
  EXPECT_EQ(GetField("", 1, "|"), "");
}

TEST(PadField, WidthAlignmentAndCutting) {
  EXPECT_EQ(PadField("Alexandria", "L", 5), "Alexa");
  EXPECT_EQ(PadField("7", "R", 3), "  7");
  EXPECT_EQ(PadField("7", "L", 3), "7  ");
  EXPECT_EQ(PadField("7", "x", 3), "7  ");
  EXPECT_EQ(PadField("12345", "R", 3), "123");
  EXPECT_EQ(PadField("", "L", 2), "  ");
  EXPECT_EQ(PadField("abc", "L", 0), "");
}

TEST(TextHelpers, CharCodesReplacementAndBitStrings) {
  EXPECT_EQ(CharCode("A"), 65);
  EXPECT_EQ(CharCode("\xE9"), 0xE9);  // Latin-1 bytes count as 0..255
  EXPECT_EQ(CharCode(""), 0);
  EXPECT_EQ(ReplaceChar("Bears*", '*', ""), "Bears");
  EXPECT_EQ(ReplaceChar("a-b-c", '-', "+-"), "a+-b+-c");

  EXPECT_EQ(ToBitString(6, 8), "00000110");
  EXPECT_EQ(ToBitString(0), std::string(16, '0'));
  EXPECT_EQ(FromBitString("00000110"), 6u);
  EXPECT_EQ(FromBitString("011"), 3u);
  EXPECT_EQ(XorBitStrings("0110", "0011"), "0101");
  EXPECT_EQ(XorBitStrings("0110", "1"), "1110");  // missing digits of b count as 0
}

TEST(Numbers, LeadingNumberAndSixteenBits) {
  EXPECT_EQ(LeadingNumber("42abc"), 42);
  EXPECT_EQ(LeadingNumber("  -7"), -7);
  EXPECT_EQ(LeadingNumber("abc"), 0);
  EXPECT_EQ(LeadingNumber(""), 0);
  EXPECT_EQ(LeadingNumber("3.03"), 3);
  EXPECT_EQ(ToInt16("32767"), std::optional<int16_t>(32767));
  EXPECT_EQ(ToInt16("-32768"), std::optional<int16_t>(-32768));
  EXPECT_FALSE(ToInt16("32768").has_value());
  EXPECT_FALSE(ToInt16("99999999999999999999999").has_value());
  EXPECT_EQ(Trim("  a b \t"), "a b");
  EXPECT_EQ(TrimRight("  a  "), "  a");
  EXPECT_EQ(Latin1ToUtf8("Jos\xE9 M\xFCller"), "Jos\xC3\xA9 M\xC3\xBCller");
}

TEST(Files, CaseBlindLookupAndAtomicWrites) {
  fs::path dir = TempDir("files");
  { std::ofstream(dir / "BIG.LGE") << "x"; }
  { std::ofstream(dir / "big.pyr") << "y"; }
  // Each finds the file of the other case (by name here; Windows opens it
  // whatever the case anyway).
  EXPECT_EQ(ReadWholeFile(WithExtension(dir / "BIG", ".PYR")), "y");
  EXPECT_EQ(ReadWholeFile(WithExtension(dir / "big", ".lge")), "x");
  EXPECT_EQ(WithExtension(dir / "big", ".PYC").filename(), "big.PYC");  // not there: as asked

  EXPECT_EQ(WriteFileAtomic(dir / "list.PYC", std::string("PPD:\0\0", 6)), "");
  EXPECT_EQ(ReadWholeFile(dir / "list.PYC")->size(), 6u);
  EXPECT_EQ(WriteFileAtomic(dir / "list.PYC", "new"), "");
  EXPECT_EQ(*ReadWholeFile(dir / "list.PYC"), "new");
  EXPECT_FALSE(fs::exists(dir / "list.PYC.pm-new"));
  // A folder that does not exist: a reason, and nothing written.
  EXPECT_NE(WriteFileAtomic(dir / "missing" / "x", "a"), "");

  EXPECT_EQ(AppendDurable(dir / "draft.txt", "a\r\n"), "");
  EXPECT_EQ(AppendDurable(dir / "draft.txt", "b\r\n"), "");
  EXPECT_EQ(*ReadWholeFile(dir / "draft.txt"), "a\r\nb\r\n");
  EXPECT_FALSE(ReadWholeFile(dir / "none").has_value());
  fs::remove_all(dir);
}

// A league's name stands in the names of its files: the characters no file
// name may hold become "_", and a name without them stays exactly as it is.
TEST(Files, LeagueNamesAsPartsOfFileNames) {
  for (const char* kept : {"Sample League", "St. Paul (MN) League, Inc. & Co's #1", "M\xFCller Liga"})
    EXPECT_EQ(FileNamePart(kept), kept);
  EXPECT_EQ(FileNamePart("NFL/AFL League"), "NFL_AFL League");
  EXPECT_EQ(FileNamePart("a\\b:c*d?e\"f<g>h|i\tj\x7F"), "a_b_c_d_e_f_g_h_i_j_");
}

// Names beyond ASCII and beyond any one code page reach the file system as
// they are (as wide names on Windows), and a write in place hits only its
// bytes of an existing file.
TEST(Files, NamesBeyondAsciiAndWritesInPlace) {
  const fs::path dir = TempDir("names") / fs::path(u8"Lig\u00e9 \u03a9");
  fs::create_directories(dir);
  const fs::path league = dir / fs::path(u8"\u03a9MEGA.LGE");
  EXPECT_EQ(WriteFileAtomic(league, "abcd"), "");
  EXPECT_EQ(AppendDurable(dir / "draft.txt", "x"), "");
  EXPECT_EQ(WriteAtDurable(league, 1, "XY"), WriteAtResult::Written);
  EXPECT_EQ(ReadWholeFile(league), "aXYd");
  EXPECT_EQ(WriteAtDurable(dir / "none.lge", 0, "X"), WriteAtResult::NotFound);
  EXPECT_EQ(WriteAtDurable(dir / "gone" / "none.lge", 0, "X"), WriteAtResult::NotFound);
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir)) {
    const std::u8string name = entry.path().filename().u8string();
    names.emplace(name.begin(), name.end());
  }
  EXPECT_EQ(names, (std::set<std::string>{"\xCE\xA9MEGA.LGE", "draft.txt"}));
  // Paths as text (UTF-8 on Windows) cross into paths and back unchanged, and
  // the file functions take them so.
  for (const char8_t* name : {u8"\u0418\u0432\u0430\u043d", u8"\u03a3\u03bf\u03c6\u03af\u03b1", u8"\u5c71\u7530"}) {
    const fs::path folder = dir / std::u8string(name);
    const std::string text = TextOfPath(folder);
    EXPECT_EQ(PathOfText(text), folder);
    EXPECT_TRUE(ShownPath(text).ends_with(reinterpret_cast<const char*>(name)));
    fs::create_directory(folder);
    EXPECT_EQ(WriteFileAtomic(TextOfPath(folder / "X.LGE"), "x"), "");
    EXPECT_EQ(ReadWholeFile(folder / "X.LGE"), "x");
  }
  fs::remove_all(dir.parent_path());
}

// A rewrite keeps the permissions the file had (the league's and the draft
// file's owner chose them), and an append that creates its file syncs the
// folder too, so that a power cut cannot lose the new name with the pick in
// it; an append to a file that exists needs no folder sync.
TEST(Files, RewritesKeepPermissionsAndNewFilesSyncTheirFolder) {
  const fs::path dir = TempDir("modes");
#ifndef _WIN32
  for (const fs::perms mode : {fs::perms::owner_read | fs::perms::owner_write,
                               fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                                   fs::perms::group_write | fs::perms::others_read}) {
    const fs::path file = dir / "LEAGUE.PYC";
    ASSERT_EQ(WriteFileAtomic(file, "old"), "");
    fs::permissions(file, mode);
    ASSERT_EQ(WriteFileAtomic(file, "new"), "");
    EXPECT_EQ(fs::status(file).permissions(), mode);
    EXPECT_EQ(ReadWholeFile(file), "new");
  }
#endif
  std::vector<fs::path> synced;
  ObserveFolderSyncs([&](const fs::path& folder) { synced.push_back(folder); });
  ASSERT_EQ(AppendDurable(dir / "League-DRAFT.TXT", "101|Lions|Al Adams|QB|1-1\r\n"), "");
  EXPECT_EQ(synced, std::vector<fs::path>{dir});
  synced.clear();
  ASSERT_EQ(AppendDurable(dir / "League-DRAFT.TXT", "102|Bears|Bo Brown|HB|1-2\r\n"), "");
  EXPECT_TRUE(synced.empty());
  ObserveFolderSyncs({});
  fs::remove_all(dir);
}

TEST(ErrorReporter, FilesTheLineShowsTheMessageAndEnds) {
  // The league lies in the user folder of Иван: the line is filed there and
  // the message names the file in UTF-8.
  const fs::path dir = TempDir("error") / std::u8string(u8"\u0418\u0432\u0430\u043d");
  fs::create_directories(dir);
  ErrorReporter r;
  r.programLabel = kServerLabel;
  r.errorFilePath = TextOfPath(dir / kErrorFileName);
  r.contact = "commish@example.org";
  std::string shown;
  int ended = 0;
  r.showMessage = [&](const std::string& m) { shown = m; };
  r.endProgram = [&] { ++ended; };
  r.now = [] {
    std::tm t{};
    t.tm_year = 2026 - 1900;
    t.tm_mon = 2;  // March
    t.tm_mday = 5;
    t.tm_hour = 14;
    t.tm_min = 7;
    t.tm_sec = 9;
    return t;
  };

  r.Report("Server_Socket1_Read", 62, "Input past end of file");
  EXPECT_EQ(ended, 1);
  EXPECT_EQ(shown,
            "An error, #62, Input past end of file, has occurred in program Server_Socket1_Read.\r\n\r\n"
            "Please make a note of what you were doing, zip up your files and send them to the author "
            "at email:\r\n\r\ncommish@example.org\r\n\r\nAlso, attach file " +
                ShownPath(dir / kErrorFileName) +
                " to the email as well. This file will help determine the cause of the error.");
  EXPECT_NE(shown.find("\xD0\x98\xD0\xB2\xD0\xB0\xD0\xBD"), std::string::npos);
  // The file grows across reports.
  ReportError(r, kClientLabel, "GetFA", 53, "File not found");
  EXPECT_EQ(*ReadWholeFile(dir / kErrorFileName),
            "03-05-2026 - 14:07:09 - PK - Server - Server_Socket1_Read - 62 - Input past end of file\r\n"
            "03-05-2026 - 14:07:09 - PK - Client - GetFA - 53 - File not found\r\n");
  EXPECT_FALSE(r.lastFileWriteFailed);

  // Without a league folder the line cannot be filed, but the user is still told.
  ErrorReporter early;
  early.showMessage = [&](const std::string& m) { shown = m; };
  early.endProgram = [&] { ++ended; };
  shown.clear();
  early.Report("MDIForm_Unload", 5, "Invalid procedure call");
  EXPECT_TRUE(early.lastFileWriteFailed);
  EXPECT_NE(shown.find("#5, Invalid procedure call"), std::string::npos);
  EXPECT_EQ(ended, 3);
  fs::remove_all(dir.parent_path());
}
