#include "profile_cases.h"

#include <string>

namespace differential {
namespace {

using namespace std::string_literals;

constexpr Call kRead = Call::kRead;
constexpr Call kWrite = Call::kWrite;

// Lines as the profile functions of either platform write them, so that a
// write leaves the same bytes whether the functions keep the rest of the
// file or write all of it anew.
const std::string kProfile =
    "[ports]\r\n"
    "LPT1:=\r\n"
    "COM1:=9600,n,8,1\r\n"
    "lpt2:=x\r\n"
    "[Pellomar]\r\n"
    "Device=Pellomar,winspool,Ne01:\r\n"
    "Quoted=\"  spaced  \"\r\n"
    "[Empty]\r\n";
// The key names of [ports] take 19 bytes with their NULs and the final NUL.
// (Lists of the section names are left out: Windows and Wine add to them
// the sections that they keep in the registry.)

const std::string kCrOnly = "[s]\rk=v\rQ=\"x\"\r[t]\rm=1\r";
const std::string kEndsInNul = "[s]\r\nk=v\r\n\0"s;
const std::string kNulsFirst = "\0\0\r\n[s]\r\nk=v\r\n"s;
const std::string kNulInValue = "[s]\r\nk=a\0b\r\nm=1\r\n"s;

const ProfileCase kCases[] = {
    // A value: nSize around the value's length (23) and the final NUL.
    {"value", kProfile, kRead, "Pellomar", "Device", "", 32},
    {"value_size_0", kProfile, kRead, "Pellomar", "Device", "", 0},
    {"value_size_1", kProfile, kRead, "Pellomar", "Device", "", 1},
    {"value_size_2", kProfile, kRead, "Pellomar", "Device", "", 2},
    {"value_size_23", kProfile, kRead, "Pellomar", "Device", "", 23},
    {"value_exact_fit_24", kProfile, kRead, "Pellomar", "Device", "", 24},
    {"value_size_25", kProfile, kRead, "Pellomar", "Device", "", 25},
    {"value_names_in_any_case_and_blanks", kProfile, kRead, " PELLOMAR ",
     "\tdevice ", "", 32},
    {"value_quotes_removed", kProfile, kRead, "Pellomar", "Quoted", "", 32},
    {"value_empty", kProfile, kRead, "ports", "LPT1:", "d", 32},
    {"default_for_missing_key", kProfile, kRead, "ports", "nothing", "dflt",
     32},
    {"default_loses_trailing_spaces", kProfile, kRead, "ports", "nothing",
     " dflt  ", 32},
    {"default_cut", kProfile, kRead, "ports", "nothing", "abcdef", 4},
    {"default_for_missing_section", kProfile, kRead, "nothing", "Device",
     "dflt", 32},
    {"default_for_missing_profile", std::nullopt, kRead, "Pellomar", "Device",
     "dflt", 32},

    // The key names of a section: nSize around the list's 19 bytes. Where
    // the list is cut, Wine leaves the buffer's last byte alone, Windows
    // puts a second NUL there: the record has both answers.
    {"keys", kProfile, kRead, "ports", nullptr, "", 32},
    {"keys_size_0", kProfile, kRead, "ports", nullptr, "", 0},
    {"keys_size_1", kProfile, kRead, "ports", nullptr, "", 1},
    {"keys_size_2", kProfile, kRead, "ports", nullptr, "", 2},
    {"keys_size_3", kProfile, kRead, "ports", nullptr, "", 3},
    {"keys_cut_after_name_8", kProfile, kRead, "ports", nullptr, "", 8},
    {"keys_cut_in_name_10", kProfile, kRead, "ports", nullptr, "", 10},
    {"keys_size_18", kProfile, kRead, "ports", nullptr, "", 18},
    {"keys_exact_fit_19", kProfile, kRead, "ports", nullptr, "", 19},
    {"keys_size_20", kProfile, kRead, "ports", nullptr, "", 20},
    {"keys_of_empty_section", kProfile, kRead, "Empty", nullptr, "", 32},
    {"keys_of_missing_section", kProfile, kRead, "nothing", nullptr, "", 32},
    {"keys_of_missing_profile", std::nullopt, kRead, "ports", nullptr, "", 32},
    // Wine returns the default's length here: see the record.
    {"keys_of_missing_section_with_default", kProfile, kRead, "nothing",
     nullptr, "d", 32},
    {"keys_skip_lines_without_equals", "[s]\r\nstray\r\nk=1\r\n", kRead, "s",
     nullptr, "", 32},

    // Blanks inside a header's brackets are no part of the section's name.
    {"section_name_blanks_in_brackets", "[ s ]\r\nk=1\r\n[\tt\t]\r\nm=2\r\n",
     kRead, "t", "m", "", 32},

    // Lines that end in a CR alone.
    {"cr_only_value", kCrOnly, kRead, "s", "k", "", 32},
    {"cr_only_quoted_value", kCrOnly, kRead, "s", "Q", "", 32},
    {"cr_only_value_of_second_section", kCrOnly, kRead, "t", "m", "", 32},
    {"cr_only_keys", kCrOnly, kRead, "s", nullptr, "", 32},

    // NUL bytes in the file.
    {"ends_in_nul_value", kEndsInNul, kRead, "s", "k", "", 32},
    {"ends_in_nul_keys", kEndsInNul, kRead, "s", nullptr, "", 32},
    {"nuls_first_value", kNulsFirst, kRead, "s", "k", "", 32},
    {"nul_in_value", kNulInValue, kRead, "s", "k", "", 32},
    {"nul_in_value_next_key", kNulInValue, kRead, "s", "m", "", 32},
    {"nul_in_value_keys", kNulInValue, kRead, "s", nullptr, "", 32},

    // Writes and deletions, and the file they leave. Wine writes every file
    // anew, in CRLF lines and without NULs: the record has its answers for
    // the files of CR-ended lines and of NUL bytes as well.
    {"write_replaces_value", kProfile, kWrite, "Pellomar", "Device",
     "Other,winspool,LPT1:"},
    {"write_adds_key", kProfile, kWrite, "ports", "COM2:", "1"},
    {"write_adds_key_to_empty_section", kProfile, kWrite, "Empty", "k", "v"},
    {"write_adds_section", kProfile, kWrite, "fresh", "k", "v"},
    {"write_same_value", kProfile, kWrite, "ports", "lpt2:", "x"},
    {"delete_key", kProfile, kWrite, "ports", "COM1:", nullptr},
    {"delete_missing_key", kProfile, kWrite, "ports", "COM9:", nullptr},
    {"delete_section", kProfile, kWrite, "ports", nullptr, nullptr},
    {"cr_only_replace_value", kCrOnly, kWrite, "s", "k", "new"},
    {"cr_only_add_key", kCrOnly, kWrite, "s", "n", "1"},
    {"cr_only_add_section", kCrOnly, kWrite, "u", "n", "1"},
    {"ends_in_nul_add_key", kEndsInNul, kWrite, "s", "n", "1"},
    {"ends_in_nul_replace_value", kEndsInNul, kWrite, "s", "k", "new"},
    {"nuls_first_replace_value", kNulsFirst, kWrite, "s", "k", "new"},
    {"nuls_first_add_key", kNulsFirst, kWrite, "s", "n", "1"},
};

}  // namespace

std::span<const ProfileCase> ProfileCases() { return kCases; }

}  // namespace differential
