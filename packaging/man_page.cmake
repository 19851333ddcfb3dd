# Writes a man page with help2man from a program's own --help, at build time:
#   cmake -DHELP2MAN=... -DPROGRAM=... -DNAME=... -DVERSION=... -DSUMMARY=...
#         -DINCLUDE=hand-written.h2m -DOUTPUT=x.1 -DWORK=dir [-DSTDERR_HELP=ON]
#         [-DSUBCOMMANDS=ON] -P man_page.cmake
# STDERR_HELP: the program prints its help on standard error (resolve-paralogs);
# help2man is then given a stand-in that prints it on standard output.
# SUBCOMMANDS: each command listed under "Commands:" in the help gets a
# section with its own --help (paralogs).
cmake_minimum_required(VERSION 3.25)

# Text as roff shows it unfilled: backslashes and leading dots escaped.
function(roff_literal text out)
  string(REPLACE "\\" "\\e" text "${text}")
  string(REPLACE "-" "\\-" text "${text}")
  string(REGEX REPLACE "(^|\n)([.'])" "\\1\\\\&\\2" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

file(MAKE_DIRECTORY "${WORK}")
set(includes "--include=${INCLUDE}")
set(program "${PROGRAM}")

if(STDERR_HELP)
  execute_process(COMMAND "${PROGRAM}" --help OUTPUT_QUIET ERROR_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed: ${status}")
  endif()
  file(WRITE "${WORK}/help.txt" "${help}\n")
  set(program "${WORK}/${NAME}")
  file(WRITE "${program}"
    "#!/bin/sh\ncase \"$1\" in\n--version) echo '${NAME} ${VERSION}' ;;\n*) cat '${WORK}/help.txt' ;;\nesac\n")
  file(CHMOD "${program}" PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE
       WORLD_READ WORLD_EXECUTE)
endif()

if(SUBCOMMANDS)
  execute_process(COMMAND "${PROGRAM}" --help OUTPUT_VARIABLE help RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${PROGRAM} --help failed: ${status}")
  endif()
  string(REGEX MATCHALL "\n  [a-z]+ " lines "${help}")
  set(sections "[COMMANDS]\nEach command has its own options; \\fBparalogs\\fR \\fICOMMAND\\fR \\fB\\-\\-help\\fR prints them.\n")
  foreach(line IN LISTS lines)
    string(STRIP "${line}" command)
    execute_process(COMMAND "${PROGRAM}" "${command}" --help OUTPUT_VARIABLE commandHelp RESULT_VARIABLE status)
    if(NOT status EQUAL 0)
      message(FATAL_ERROR "${PROGRAM} ${command} --help failed: ${status}")
    endif()
    roff_literal("${commandHelp}" commandHelp)
    string(APPEND sections ".SS \"paralogs ${command}\"\n.nf\n${commandHelp}.fi\n")
  endforeach()
  file(WRITE "${WORK}/commands.h2m" "${sections}")
  list(APPEND includes "--include=${WORK}/commands.h2m")
endif()

execute_process(
  COMMAND "${HELP2MAN}" --no-info "--name=${SUMMARY}"
          ${includes} "--output=${OUTPUT}" "${program}"
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "help2man failed for ${NAME}: ${status}")
endif()
