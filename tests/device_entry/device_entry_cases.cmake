# Runs cmake/device_entry.cmake in script mode, as a configure would check the
# entry, over a table of entries: the refused ones must stop with a message
# naming the setting and the fault, the accepted ones must give the literals
# the sources, the resources and the tests are made from.
#   cmake -DMODULE=cmake/device_entry.cmake -P device_entry_cases.cmake

string(ASCII 10 lf)
string(ASCII 13 cr)
string(ASCII 9 tab)
string(ASCII 127 del)
string(ASCII 194 133 next_line)     # U+0085, a C1 control
string(ASCII 233 latin1_e_acute)    # é in Latin-1: not UTF-8
string(ASCII 192 175 overlong)      # "/" in two bytes
string(ASCII 237 160 128 surrogate) # U+D800 in UTF-8 form
string(ASCII 195 169 e_acute)       # é
string(ASCII 195 cut_e_acute)       # its first byte alone
string(ASCII 226 152 149 coffee)    # U+2615
string(ASCII 240 159 150 168 printer_emoji)  # U+1F5A8, beyond 16 bits

set(failures 0)

function(run entry result_var output_var)
  execute_process(COMMAND ${CMAKE_COMMAND} "-DPELLOMAR_DEVICE_ENTRY=${entry}" -P ${MODULE}
    RESULT_VARIABLE result OUTPUT_VARIABLE out ERROR_VARIABLE err)
  set(${result_var} "${result}" PARENT_SCOPE)
  # CMake wraps its messages: compare them as one line.
  string(REGEX REPLACE "[ \n]+" " " text "${out}${err}")
  set(${output_var} "${text}" PARENT_SCOPE)
endfunction()

# REFUSED NAME ENTRY FAULT: the check stops, naming the setting and FAULT.
function(refused name entry fault)
  run("${entry}" result text)
  string(FIND "${text}" "PELLOMAR_DEVICE_ENTRY" at_setting)
  string(FIND "${text}" "${fault}" at_fault)
  if(result EQUAL 0 OR at_setting LESS 0 OR at_fault LESS 0)
    message("FAIL ${name}: expected a stop naming PELLOMAR_DEVICE_ENTRY and \"${fault}\"; status ${result}: ${text}")
    math(EXPR failures "${failures} + 1")
    set(failures ${failures} PARENT_SCOPE)
  endif()
endfunction()

# ACCEPTED NAME ENTRY LINE...: the check passes and prints each LINE.
function(accepted name entry)
  run("${entry}" result text)
  set(missing "")
  foreach(line IN LISTS ARGN)
    string(FIND "${text}" "${line}" at)
    if(at LESS 0)
      list(APPEND missing "${line}")
    endif()
  endforeach()
  if(NOT result EQUAL 0 OR missing)
    message("FAIL ${name}: status ${result}, missing [${missing}] in: ${text}")
    math(EXPR failures "${failures} + 1")
    set(failures ${failures} PARENT_SCOPE)
  endif()
endfunction()

refused(two_fields "HP,winspool" "has 2 comma-separated fields, not 3")
refused(four_fields "HP,winspool,LPT1:,x" "has 4 comma-separated fields, not 3")
refused(one_field "HP" "has 1 comma-separated fields, not 3")
refused(empty "" "is empty")
refused(empty_printer ",winspool,LPT1:" "has an empty printer name (field 1)")
refused(empty_driver "HP,,LPT1:" "has an empty driver (field 2)")
refused(line_feed "HP${lf},winspool,LPT1:" "holds a line break (U+000A) at character 3")
refused(carriage_return "HP,winspool${cr},LPT1:" "holds a line break (U+000D) at character 12")
refused(tab "HP${tab}Laser,winspool,LPT1:" "holds the control character U+0009")
refused(delete "HP,winspool,LPT1:${del}" "holds the control character U+007F")
refused(c1_control "HP${next_line},winspool,LPT1:" "holds the control character U+0085")
refused(latin1_byte "Caf${latin1_e_acute},winspool,LPT1:" "is not UTF-8 text (byte 0x2C at byte 5)")
refused(overlong_form "a${overlong},winspool,LPT1:" "is not UTF-8 text")
refused(surrogate "a${surrogate},winspool,LPT1:" "is not UTF-8 text")
refused(cut_short "HP,winspool,LPT1${cut_e_acute}" "is not UTF-8 text (cut short at its end)")

accepted(default "Pellomar,winspool,Ne01:"
  "printer: Pellomar"
  "c++: u\"Pellomar,winspool,Ne01:\""
  "c: \"Pellomar,winspool,Ne01:\""
  "rc: L\"Makes \\x0050\\x0065\\x006C\\x006C\\x006F\\x006D\\x0061\\x0072 the default printer\"")
accepted(network_printer "Accounts HP,winspool,IP_10.0.0.7"
  "printer: Accounts HP"
  "c++: u\"Accounts HP,winspool,IP_10.0.0.7\"")
accepted(empty_port "HP,winspool,"
  "c++: u\"HP,winspool,\"")
accepted(backslash_and_quote "\\\\srv\\q\"1\",winspool,Ne00:"
  "c++: u\"\\\\\\\\srv\\\\q\\\"1\\\",winspool,Ne00:\""
  "c: \"\\\\\\\\srv\\\\q\\\"1\\\",winspool,Ne00:\""
  "rc: L\"Makes \\x005C\\x005C\\x0073\\x0072\\x0076\\x005C\\x0071\\x0022\\x0031\\x0022 the default printer\"")
accepted(semicolon "A;B,winspool,LPT1:"
  "printer: A;B"
  "c++: u\"A;B,winspool,LPT1:\"")
accepted(non_ascii "Caf${e_acute} ${coffee}${printer_emoji},winspool,LPT1:"
  "c++: u\"Caf\\u00E9 \\u2615\\U0001F5A8,winspool,LPT1:\""
  "c: \"Caf\\303\\251 \\342\\230\\225\\360\\237\\226\\250,winspool,LPT1:\""
  "rc: L\"Makes \\x0043\\x0061\\x0066\\x00E9\\x0020\\x2615\\xD83D\\xDDA8 the default printer\"")

if(failures GREATER 0)
  message(FATAL_ERROR "${failures} case(s) failed")
endif()
message("PASS: every case")
