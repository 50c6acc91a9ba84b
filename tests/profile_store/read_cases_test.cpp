// GetProfileString on a table of calls: the bytes written into the caller's
// buffer, nothing past nSize, the count returned and the last error.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <string>

#include "profile_sandbox.h"

namespace pellomar::profile_store::testing {
namespace {

using namespace std::string_literals;

constexpr Dword kSuccess = 0;
constexpr Dword kNotFound = 2;
constexpr Dword kMoreData = 234;

const std::string kProfile =
    "; the printer settings\n"
    "[windows]\n"
    "Device = Pellomar,winspool,Ne01:\t\n"
    "load=\n"
    "Quoted=\"  spaced  \"\n"
    "Single='x'\n"
    "Mismatched=\"x'\n"
    "Lone=\"\n"
    "[Empty]\n"
    "\n"
    "[ports]\n"
    "LPT1:=\n"
    "COM1:=9600,n,8,1\n"
    "stray line\n"
    "lpt1:=dup\n"
    "[WINDOWS]\n"
    "Device=shadowed\n";

struct ReadCase {
  const char* name;
  std::optional<std::string> profile;  // nothing: no profile
  const char* section;
  const char* key;
  const char* default_value;
  Dword size;
  std::string written;  // the first bytes of the buffer afterwards
  Dword count;
  Dword error;
};

void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.name; }

const ReadCase kReadCases[] = {
    {"Value", kProfile, "windows", "Device", "", 64,
     "Pellomar,winspool,Ne01:\0"s, 23, kSuccess},
    {"ValueRegardlessOfCaseAndBlanks", kProfile, " WINDOWS ", "\tdevice ",
     "", 64, "Pellomar,winspool,Ne01:\0"s, 23, kSuccess},
    {"EmptyValue", kProfile, "windows", "load", "d", 64, "\0"s, 0, kSuccess},
    {"QuotesRemoved", kProfile, "windows", "Quoted", "", 64,
     "  spaced  \0"s, 10, kSuccess},
    {"SingleQuotesRemoved", kProfile, "windows", "Single", "", 64, "x\0"s, 1,
     kSuccess},
    {"MismatchedQuotesKept", kProfile, "windows", "Mismatched", "", 64,
     "\"x'\0"s, 3, kSuccess},
    {"LoneQuoteKept", kProfile, "windows", "Lone", "", 64, "\"\0"s, 1,
     kSuccess},
    {"FirstKeyWins", kProfile, "ports", "lpt1:", "d", 64, "\0"s, 0,
     kSuccess},
    {"LineWithoutEqualsIsNoKey", kProfile, "ports", "stray line", "d", 64,
     "d\0"s, 1, kNotFound},
    {"DefaultForMissingKey", kProfile, "windows", "nothing", "dflt", 64,
     "dflt\0"s, 4, kNotFound},
    {"DefaultLosesTrailingBlanks", kProfile, "windows", "nothing",
     " dflt \t", 64, " dflt\0"s, 5, kNotFound},
    {"NullDefaultIsEmpty", kProfile, "windows", "nothing", nullptr, 64,
     "\0"s, 0, kNotFound},
    {"DefaultForMissingSection", kProfile, "nothing", "Device", "dflt", 64,
     "dflt\0"s, 4, kNotFound},
    {"DefaultForMissingProfile", std::nullopt, "windows", "Device", "dflt",
     64, "dflt\0"s, 4, kNotFound},
    {"DefaultCut", kProfile, "windows", "nothing", "abcdef", 4, "abc\0"s, 3,
     kNotFound},
    {"ValueCut", kProfile, "windows", "Device", "", 9, "Pellomar\0"s, 8,
     kMoreData},
    {"ValueExactFit", kProfile, "windows", "Device", "", 24,
     "Pellomar,winspool,Ne01:\0"s, 23, kSuccess},
    {"ValueSizeZero", kProfile, "windows", "Device", "", 0, ""s, 0,
     kMoreData},
    {"ValueSizeOne", kProfile, "windows", "Device", "", 1, "\0"s, 0,
     kMoreData},
    {"ValueSizeTwo", kProfile, "windows", "Device", "", 2, "P\0"s, 1,
     kMoreData},
    {"KeyList", kProfile, "ports", nullptr, "", 64,
     "LPT1:\0COM1:\0lpt1:\0\0"s, 18, kSuccess},
    {"KeyListOfFirstSection", kProfile, "Windows", nullptr, "", 64,
     "Device\0load\0Quoted\0Single\0Mismatched\0Lone\0\0"s, 42, kSuccess},
    {"KeyListExactFitCountsAsCut", kProfile, "ports", nullptr, "", 19,
     "LPT1:\0COM1:\0lpt1:\0\0"s, 17, kMoreData},
    {"KeyListOneToSpare", kProfile, "ports", nullptr, "", 20,
     "LPT1:\0COM1:\0lpt1:\0\0"s, 18, kSuccess},
    {"KeyListOneShort", kProfile, "ports", nullptr, "", 18,
     "LPT1:\0COM1:\0lpt1\0\0"s, 16, kMoreData},
    {"KeyListCutInName", kProfile, "ports", nullptr, "", 10,
     "LPT1:\0CO\0\0"s, 8, kMoreData},
    {"KeyListCutAfterName", kProfile, "ports", nullptr, "", 8,
     "LPT1:\0\0\0"s, 6, kMoreData},
    {"KeyListSizeZero", kProfile, "ports", nullptr, "", 0, ""s, 0,
     kMoreData},
    {"KeyListSizeOne", kProfile, "ports", nullptr, "", 1, "\0"s, 0,
     kMoreData},
    {"KeyListSizeTwo", kProfile, "ports", nullptr, "", 2, "\0\0"s, 0,
     kMoreData},
    {"KeyListOfEmptySection", kProfile, "empty", nullptr, "d", 64, "d\0"s, 0,
     kSuccess},
    {"KeyListOfMissingSection", kProfile, "nothing", nullptr, "", 64, "\0"s,
     0, kNotFound},
    {"KeyListOfMissingProfile", std::nullopt, "windows", nullptr, "", 64,
     "\0"s, 0, kNotFound},
    {"SectionList", kProfile, nullptr, nullptr, "", 64,
     "windows\0Empty\0ports\0WINDOWS\0\0"s, 28, kSuccess},
    {"SectionListIgnoresKey", kProfile, nullptr, "Device", "", 64,
     "windows\0Empty\0ports\0WINDOWS\0\0"s, 28, kSuccess},
    {"SectionListCut", kProfile, nullptr, nullptr, "", 12,
     "windows\0Em\0\0"s, 10, kMoreData},
    {"SectionListExactFitCountsAsCut", kProfile, nullptr, nullptr, "", 29,
     "windows\0Empty\0ports\0WINDOWS\0\0"s, 27, kMoreData},
    {"SectionListSkipsEmptyName", "[]\nk=1\n[ b ]\n"s, nullptr, nullptr, "",
     64, "b\0\0"s, 2, kSuccess},
    {"EmptySectionNameNamesNothing", "[]\nk=1\n"s, " ", "k", "d", 64,
     "d\0"s, 1, kNotFound},
    {"SectionListOfEmptyProfile", ""s, nullptr, nullptr, "d", 64, "d\0"s, 0,
     kNotFound},
    {"CrlfValue", "[a]\r\nk= v \r\n"s, "a", "k", "", 64, "v\0"s, 1,
     kSuccess},
    {"CrAtEndOfFile", "[a]\r\nk=v\r"s, "a", "k", "", 64, "v\0"s, 1,
     kSuccess},
    {"LoneCrEndsALine", "[a]\rk= v \rq=\"x\"\r[b]\rk=2\r"s, "a", "k", "", 64,
     "v\0"s, 1, kSuccess},
    {"LoneCrQuotesRemoved", "[a]\rk= v \rq=\"x\"\r[b]\rk=2\r"s, "a", "q", "",
     64, "x\0"s, 1, kSuccess},
    {"LoneCrSecondSection", "[a]\rk= v \rq=\"x\"\r[b]\rk=2"s, "b", "k", "",
     64, "2\0"s, 1, kSuccess},
    {"LoneCrKeyList", "[a]\rk= v \rq=\"x\"\rstray\r[b]\rk=2\r"s, "a",
     nullptr, "", 64, "k\0q\0\0"s, 4, kSuccess},
    {"LoneCrSectionList", "[a]\rk=1\r[ b ]\r"s, nullptr, nullptr, "", 64,
     "a\0b\0\0"s, 4, kSuccess},
    {"MixedEndings", "[a]\r\nx=1\ry=2\nz=3\r\n"s, "a", nullptr, "", 64,
     "x\0y\0z\0\0"s, 6, kSuccess},
    {"FileEndingInNulKeyList", "[a]\r\nk=v\r\n\0"s, "a", nullptr, "", 64,
     "k\0\0"s, 2, kSuccess},
    {"FileEndingInNulValue", "[a]\r\nk=v\r\n\0"s, "a", "k", "", 64,
     "v\0"s, 1, kSuccess},
    {"NulsBeforeFirstSection", "\0\0\r\n[a]\r\nk=v\r\n"s, "a", "k", "",
     64, "v\0"s, 1, kSuccess},
    {"ValueEndsAtNul", "[a]\nk=x\0y\nm=1\n"s, "a", "k", "", 64, "x\0"s, 1,
     kSuccess},
    {"QuotesOfValueBeforeNul", "[a]\nk=\"x\"\0y\n"s, "a", "k", "", 64,
     "x\0"s, 1, kSuccess},
    {"NamesHoldingNulAreNotListed", "[a]\nk\0x=1\nm=2\n[b\0c]\n"s, "a",
     nullptr, "", 64, "m\0\0"s, 2, kSuccess},
    {"SectionNamesHoldingNulAreNotListed", "[a]\n[b\0c]\n[\0]\n"s, nullptr,
     nullptr, "", 64, "a\0\0"s, 2, kSuccess},
    {"BytesThatAreNotText", "[\xc9]\n\xe9=\x80\xff\n"s, "\xc9", "\xe9", "",
     64, "\x80\xff\0"s, 2, kSuccess},
    {"NoAsciiFoldingBeyondAscii", "[\xc9]\nk=1\n"s, "\xe9", "k", "d", 64,
     "d\0"s, 1, kNotFound},
};

class ReadCases : public ::testing::TestWithParam<ReadCase> {
 protected:
  ProfileSandbox sandbox_;
};

TEST_P(ReadCases, FillsBufferWithinSize) {
  const ReadCase& c = GetParam();
  ASSERT_LE(c.written.size(), c.size);
  if (c.profile) sandbox_.PutProfile(*c.profile);
  constexpr char kGuard = '\xA5';
  std::array<char, 128> buffer;
  buffer.fill(kGuard);

  const Dword count =
      GetProfileString(c.section, c.key, c.default_value, buffer.data(), c.size);
  const Dword error = GetLastErrorCode();

  EXPECT_EQ(count, c.count);
  EXPECT_EQ(error, c.error);
  EXPECT_EQ(std::string(buffer.data(), c.written.size()), c.written);
  EXPECT_TRUE(std::all_of(buffer.begin() + c.size, buffer.end(),
                          [](char b) { return b == kGuard; }))
      << "written past nSize";
}

INSTANTIATE_TEST_SUITE_P(
    ProfileStore, ReadCases, ::testing::ValuesIn(kReadCases),
    CaseName());

TEST(ReadArguments, NullBufferWithSizeIsRejected) {
  ProfileSandbox sandbox;
  sandbox.PutProfile(kProfile);
  EXPECT_EQ(GetProfileString("windows", "Device", "", nullptr, 8), 0u);
  EXPECT_EQ(GetLastErrorCode(), 87u);
  EXPECT_EQ(GetProfileString("windows", "Device", "", nullptr, 0), 0u);
}

}  // namespace
}  // namespace pellomar::profile_store::testing
