# Writes velo-cli's manual page from its own help, so the page lists exactly the commands of the
# command table, and compresses it as Debian wants manual pages.
# usage: cmake -DCLI=velo-cli -DVERSION=... -DDATE=... -DPROGRAM_DIR=... -DGZIP=gzip
#              -DOUTPUT=velo-cli.1.gz -P CliManual.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${CLI} help OUTPUT_VARIABLE help RESULT_VARIABLE result
                ENCODING UTF-8)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "${CLI} help failed: ${result}")
endif()

# Roff takes a hyphen as a hyphen only when it is escaped; a backslash must be doubled. The
# semicolons were set aside while the help was a list of lines.
function(roff text out)
    string(REPLACE "\\" "\\\\" text "${text}")
    string(REPLACE "-" "\\-" text "${text}")
    string(REPLACE "<semicolon>" ";" text "${text}")
    set(${out} "${text}" PARENT_SCOPE)
endfunction()

# The help: a usage header, one entry per command (its synopsis from the third column, its
# description from column 37, continued on lines indented that far), then the notes.
string(REPLACE ";" "<semicolon>" help "${help}")
string(REPLACE "\n" ";" lines "${help}")
set(commands "")
set(notes "")
set(part in_header)
foreach(line IN LISTS lines)
    if(line MATCHES "^  [^ ]")
        set(part in_commands)
        string(SUBSTRING "${line}" 2 34 synopsis)
        string(LENGTH "${line}" length)
        set(about "")
        if(length GREATER 36 AND synopsis MATCHES "  $")
            string(SUBSTRING "${line}" 36 -1 about)
        else()
            string(SUBSTRING "${line}" 2 -1 synopsis)
        endif()
        string(STRIP "${synopsis}" synopsis)
        string(REGEX MATCH "^[a-z-]+( (get|set))?" name "${synopsis}")
        string(LENGTH "${name}" nameLength)
        string(SUBSTRING "${synopsis}" ${nameLength} -1 arguments)
        roff("${name}" name)
        roff("${arguments}" arguments)
        roff("${about}" about)
        string(APPEND commands ".TP\n\\fB${name}\\fR${arguments}\n")
        if(NOT about STREQUAL "")
            string(APPEND commands "${about}\n")
        endif()
    elseif(part STREQUAL "in_commands" AND line MATCHES "^                                    [^ ]")
        string(STRIP "${line}" more)
        roff("${more}" more)
        string(APPEND commands "${more}\n")
    elseif(part STREQUAL "in_commands" OR part STREQUAL "in_notes")
        set(part in_notes)
        string(STRIP "${line}" note)
        # A note starts at the margin; its indented lines continue it.
        if(line MATCHES "^[^ ]")
            string(APPEND notes ".PP\n")
        endif()
        if(NOT note STREQUAL "")
            roff("${note}" note)
            string(APPEND notes "${note}\n")
        endif()
    endif()
endforeach()
if(commands STREQUAL "")
    message(FATAL_ERROR "${CLI} help lists no commands")
endif()
roff("${PROGRAM_DIR}" programDir)

file(WRITE ${OUTPUT}.tmp
".TH VELO\\-CLI 1 \"${DATE}\" \"velo\\-cli ${VERSION}\" \"User Commands\"
.SH NAME
velo\\-cli \\- run each piece of the VELO client by hand
.SH SYNOPSIS
.B velo\\-cli
.RB [ \\-\\-key
.IR HEX ]
.RB [ \\-\\-dir
.IR DIR ]
.I COMMAND
.RI [ ARGUMENT ]...
.br
.B velo\\-cli
.BR \\-\\-help \" | \" \\-\\-version
.SH DESCRIPTION
.B velo\\-cli
is the deployer's and supporter's tool for the VELO client: it encrypts and
decrypts configuration values, reads and writes the program folder's
.IR confignew.ini ,
and runs each exchange with the service by hand (sign in, ticket, channel
list, pulse, balance, update check), printing what came back.
.PP
The program folder is
.I ${programDir}
unless
.B \\-\\-dir
names another; writing there takes the rights of its owner.
.SH COMMANDS
${commands}.SH NOTES
${notes}.SH EXIT STATUS
0 on success, 1 when the operation failed, 2 for bad input.
.SH SEE ALSO
.BR velo (1)
")
execute_process(COMMAND ${GZIP} -9n -c ${OUTPUT}.tmp OUTPUT_FILE ${OUTPUT} RESULT_VARIABLE result)
file(REMOVE ${OUTPUT}.tmp)
if(NOT result EQUAL 0)
    message(FATAL_ERROR "gzip failed: ${result}")
endif()
