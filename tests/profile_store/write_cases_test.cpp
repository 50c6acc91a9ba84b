// WriteProfileString on a table of profiles: the file after the call, byte
// for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <string_view>

#include "profile_sandbox.h"

namespace pellomar::profile_store::testing {
namespace {

using namespace std::string_literals;

// A profile of CR-ended lines that together are longer than the longest
// line: each line is measured on its own.
std::string ManyCrLines(std::string_view tail) {
  std::string text = "[a]\r";
  for (int i = 0; i < 70; ++i) text += "k=" + std::string(1000, 'x') + "\r";
  return text.append(tail);
}

struct WriteCase {
  const char* name;
  std::optional<std::string> before;  // nothing: no profile
  const char* section;
  const char* key;
  const char* value;
  std::optional<std::string> after;
};

void PrintTo(const WriteCase& c, std::ostream* out) { *out << c.name; }

const WriteCase kWriteCases[] = {
    {"ReplacesValueInPlace",
     "[windows]\nload=\nDevice=Other,drv,LPT1:\nrun=\n", "windows", "Device",
     "Pellomar,winspool,Ne01:",
     "[windows]\nload=\nDevice=Pellomar,winspool,Ne01:\nrun=\n"},
    {"MatchesNamesRegardlessOfCaseAndBlanks",
     " [ WINDOWS ] \n\t device  =  old  \n", "windows", "Device", "new",
     " [ WINDOWS ] \n\t device  =  new\n"},
    {"TrimsTheCallersNames", "[a]\n", " a\t", " k ", "v", "[a]\nk=v\n"},
    {"FirstMatchingKeyWins", "[s]\nk=1\nK=2\n", "s", "k", "new",
     "[s]\nk=new\nK=2\n"},
    {"FirstMatchingSectionWins", "[s]\na=1\n[t]\n[S]\nk=2\n", "s", "k", "v",
     "[s]\na=1\nk=v\n[t]\n[S]\nk=2\n"},
    {"AddsKeyAfterLastKeyOfSection",
     "[a]\nx=1\n\n; about b\n[b]\ny=2\n", "a", "z", "3",
     "[a]\nx=1\nz=3\n\n; about b\n[b]\ny=2\n"},
    {"AddsKeyToEmptySection", "[a]\n[b]\n", "a", "k", "v",
     "[a]\nk=v\n[b]\n"},
    {"AddsKeyAfterLineThatIsNotAKey", "[a]\nx=1\nstray\n\n[b]\n", "a", "y",
     "2", "[a]\nx=1\nstray\ny=2\n\n[b]\n"},
    {"LinesBeforeFirstHeaderAreNoSection", "k=1\n[a]\n", "a", "k", "2",
     "k=1\n[a]\nk=2\n"},
    {"AddsSectionAtEnd", "[a]\nx=1\n\n", "windows", "Device", "v",
     "[a]\nx=1\n\n[windows]\nDevice=v\n"},
    {"CreatesProfile", std::nullopt, "windows", "Device", "v",
     "[windows]\nDevice=v\n"},
    {"FillsEmptyProfile", "", "windows", "Device", "v",
     "[windows]\nDevice=v\n"},
    {"KeepsValueBytesAsGiven", "[a]\n", "a", "k", " x=y;z ",
     "[a]\nk= x=y;z \n"},
    {"SameValueChangesNothing", "[a]\nx = 1 ; not a comment\n", "a", "x",
     "1 ; not a comment", "[a]\nx = 1 ; not a comment\n"},
    {"DeletesKey", "[a]\nx=1\ny=2\n", "a", "x", nullptr, "[a]\ny=2\n"},
    {"DeletesEveryLineOfTheKey", "[a]\nx=1\n X = 2\ny=3\n[b]\nx=4\n", "a",
     "x", nullptr, "[a]\ny=3\n[b]\nx=4\n"},
    {"DeletingMissingKeyChangesNothing", "[a]\nx=1\n", "a", "y", nullptr,
     "[a]\nx=1\n"},
    {"DeletingFromMissingProfileCreatesNothing", std::nullopt, "a", "y",
     nullptr, std::nullopt},
    {"DeletesSectionUpToNextHeader", "; top\n[a]\nx=1\n\n; b\n[b]\ny=2\n",
     "a", nullptr, nullptr, "; top\n[b]\ny=2\n"},
    {"DeletesEveryHeaderOfTheSection", "[a]\nx=1\n[b]\n[A]\nz=1", "a",
     nullptr, "ignored", "[b]\n"},
    {"DeletesLastKeyWithoutFinalNewline", "[a]\nx=1\ny=2", "a", "y", nullptr,
     "[a]\nx=1\n"},
    {"ReplacesInCrlfFile", "[a]\r\nx=1\r\ny=2\r\n", "a", "x", "9",
     "[a]\r\nx=9\r\ny=2\r\n"},
    {"AddsKeyWithCrlf", "[a]\r\nx=1\r\n[b]\r\n", "a", "y", "2",
     "[a]\r\nx=1\r\ny=2\r\n[b]\r\n"},
    {"AddsSectionWithCrlf", "[a]\r\nx=1\r\n", "b", "k", "v",
     "[a]\r\nx=1\r\n[b]\r\nk=v\r\n"},
    {"DeletesKeyInCrlfFile", "[a]\r\nx=1\r\ny=2\r\n", "a", "x", nullptr,
     "[a]\r\ny=2\r\n"},
    {"ReplacesInLastLineWithoutNewline", "[a]\nx=1", "a", "x", "2",
     "[a]\nx=2"},
    {"AddsKeyAfterLastLineWithoutNewline", "[a]\nx=1", "a", "y", "2",
     "[a]\nx=1\ny=2\n"},
    {"AddsKeyAfterHeaderWithoutNewline", "[a]", "a", "y", "2",
     "[a]\ny=2\n"},
    {"AddsSectionAfterCrlfLineWithoutNewline", "[a]\r\nx=1", "b", "k", "v",
     "[a]\r\nx=1\r\n[b]\r\nk=v\r\n"},
    {"CompletesCrlfThatLostItsLf", "[a]\r\nx=1\r", "a", "y", "2",
     "[a]\r\nx=1\r\ny=2\r\n"},
    {"ReplacesInCrOnlyFile", "; note\r[a]\rx=1\ry=2\r", "a", "x", "9",
     "; note\r[a]\rx=9\ry=2\r"},
    {"AddsKeyWithCr", "[a]\rx=1\r\r[b]\ry=2\r", "a", "z", "3",
     "[a]\rx=1\rz=3\r\r[b]\ry=2\r"},
    {"AddsSectionWithCr", "[a]\rx=1\r", "b", "k", "v",
     "[a]\rx=1\r[b]\rk=v\r"},
    {"AddsSectionAfterCrLineWithoutEnding", "[a]\rx=1", "b", "k", "v",
     "[a]\rx=1\r[b]\rk=v\r"},
    {"AddsKeyWithCrlfWhereACrWouldMeetALf", "[a]\rx=1\n\n[b]\r", "a", "y",
     "2", "[a]\rx=1\ny=2\r\n\n[b]\r"},
    {"DeletionJoiningACrToAnEmptyLfLine", "[a]\rx=1\n\n[b]\r", "a", "x",
     nullptr, "[a]\r\n[b]\r"},
    {"DeletesKeyInCrOnlyFile", "[a]\rx=1\ry=2\r", "a", "x", nullptr,
     "[a]\ry=2\r"},
    {"DeletesSectionInCrOnlyFile", "[a]\rx=1\r[b]\ry=2\r", "a", nullptr,
     nullptr, "[b]\ry=2\r"},
    {"KeepsOtherEndingsOfAMixedFile", "[a]\r\nx=1\ry=2\nz=3\r\n", "a", "y",
     "9", "[a]\r\nx=1\ry=9\nz=3\r\n"},
    {"CrLinesLongerThanALineTogether", ManyCrLines(""), "a", "n", "1",
     ManyCrLines("n=1\r")},
    {"AddsKeyToFileEndingInNul", "[a]\r\nk=v\r\n\0"s, "a", "n", "1",
     "[a]\r\nk=v\r\nn=1\r\n\0"s},
    {"AddsSectionToFileEndingInNul", "[a]\r\nk=v\r\n\0"s, "b", "n", "1",
     "[a]\r\nk=v\r\n\0\r\n[b]\r\nn=1\r\n"s},
    {"KeepsNulsBeforeFirstSection", "\0\0\r\n[a]\r\nk=v\r\n"s, "a", "k",
     "new", "\0\0\r\n[a]\r\nk=new\r\n"s},
    {"ReplacesValueHoldingNul", "[a]\nk=x\0y\nm=\0\n"s, "a", "k", "z",
     "[a]\nk=z\nm=\0\n"s},
    {"KeepsBytesThatAreNotText",
     "[a]\n\xff\xfe junk\nx=\x80\x81\n[\xc3\x28]\n\xe9=1\n", "a", "x",
     "\xe9t\xe9",
     "[a]\n\xff\xfe junk\nx=\xe9t\xe9\n[\xc3\x28]\n\xe9=1\n"},
    {"MatchesNonAsciiNamesExactly", "[\xc9t\xc9]\nk=1\n", "\xe9t\xe9", "k",
     "2", "[\xc9t\xc9]\nk=1\n[\xe9t\xe9]\nk=2\n"},
    {"KeepsComments", "; c1\n[a]\n; c2\nx=1\n;x=2\n# hash\n", "a", "x", "3",
     "; c1\n[a]\n; c2\nx=3\n;x=2\n# hash\n"},
    {"HeaderWithoutBracketRunsToLineEnd", "[a\nx=1\n", "a", "x", "2",
     "[a\nx=2\n"},
    {"IgnoresTextAfterHeader", "[a] ; note\nx=1\n", "a", "x", "2",
     "[a] ; note\nx=2\n"},
};

class WriteCases : public ::testing::TestWithParam<WriteCase> {
 protected:
  ProfileSandbox sandbox_;
};

TEST_P(WriteCases, LeavesExactlyTheExpectedFile) {
  const WriteCase& c = GetParam();
  if (c.before) sandbox_.PutProfile(*c.before);

  const WriteOutcome outcome = Write(c.section, c.key, c.value);

  EXPECT_EQ(outcome.result, 1);
  EXPECT_EQ(outcome.error, 0u);
  EXPECT_EQ(sandbox_.ProfileBytes(), c.after);
  if (c.after) {
    EXPECT_EQ(ProfileSandbox::Entries(sandbox_.config_folder()),
              (std::set<std::string>{"win.ini", "win.ini.lock"}));
  } else {
    EXPECT_FALSE(std::filesystem::exists(sandbox_.config_folder()));
  }
}

INSTANTIATE_TEST_SUITE_P(
    ProfileStore, WriteCases, ::testing::ValuesIn(kWriteCases),
    CaseName());

}  // namespace
}  // namespace pellomar::profile_store::testing
