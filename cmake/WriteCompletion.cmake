# Writes lumivex-cli's completion script for one shell: cmake -DPROGRAM=lumivex-cli
# -DSHELL_NAME=bash|zsh -DOUTPUT=file -P WriteCompletion.cmake
execute_process(COMMAND ${PROGRAM} --completion ${SHELL_NAME}
                OUTPUT_FILE ${OUTPUT}.new RESULT_VARIABLE status)
if(NOT status EQUAL 0)
    file(REMOVE ${OUTPUT}.new)
    message(FATAL_ERROR "${PROGRAM} --completion ${SHELL_NAME} failed (${status})")
endif()
file(RENAME ${OUTPUT}.new ${OUTPUT})
