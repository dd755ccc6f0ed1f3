# The latency guard: counts with callgrind the instructions of single keystrokes on the
# 255-character line and fails when one keystroke takes more than LIMIT of them.
# cmake -DVALGRIND=... -DDRIVER=... -DKEYSTROKES=... -DLIMIT=... -DOUT=... -P KeystrokeGuard.cmake
execute_process(
    COMMAND ${VALGRIND} --tool=callgrind --instr-atstart=no
            --toggle-collect=zelm_counted_keystrokes --callgrind-out-file=${OUT}
            ${DRIVER} ${KEYSTROKES}
    RESULT_VARIABLE status
    OUTPUT_VARIABLE output
    ERROR_VARIABLE errors)
if(NOT status EQUAL 0)
    message(FATAL_ERROR "callgrind run failed (${status}):\n${output}\n${errors}")
endif()
file(STRINGS ${OUT} totals REGEX "^totals: [0-9]+")
list(GET totals 0 first)
string(REGEX MATCH "[0-9]+" instructions "${first}")
math(EXPR perKeystroke "${instructions} / ${KEYSTROKES}")
message(STATUS "${perKeystroke} instructions per keystroke (limit ${LIMIT})")
if(perKeystroke GREATER LIMIT)
    message(FATAL_ERROR "a keystroke on the 255-character line takes ${perKeystroke} "
                        "instructions, more than the limit of ${LIMIT}")
endif()
