# Packs the release archive for Windows: the tool and the program that solves files,
# README, licence, changelog and the man pages as plain text, in one folder named like
# the archive. Run by the build as
#   cmake -DSOURCE_DIR=... -DTOOL=... -DSOLVER=... -DNAME=... -DOUTPUT_DIR=... -DGROFF=...
#         -DSTRIP_NONDETERMINISM=... -P ReleaseArchive.cmake
# Every time the archive stores comes from SOURCE_DATE_EPOCH, or else from the time of
# the commit, so that two builds of one commit give the same bytes.
foreach(variable SOURCE_DIR TOOL SOLVER NAME OUTPUT_DIR GROFF STRIP_NONDETERMINISM)
    if(NOT ${variable})
        message(FATAL_ERROR "ReleaseArchive.cmake needs ${variable} (groff and strip-nondeterminism must be installed)")
    endif()
endforeach()

if(DEFINED ENV{SOURCE_DATE_EPOCH})
    set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
    execute_process(COMMAND git -C ${SOURCE_DIR} log -1 --format=%ct
        OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE failed)
    if(failed OR NOT epoch)
        message(FATAL_ERROR "Set SOURCE_DATE_EPOCH: outside a git checkout there is no commit time to use")
    endif()
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
endif()
# string(TIMESTAMP) reads SOURCE_DATE_EPOCH instead of the clock.
string(TIMESTAMP date "%Y-%m-%d %H:%M:%S UTC" UTC)

set(stage ${OUTPUT_DIR}/${NAME})
file(REMOVE_RECURSE ${stage})
file(MAKE_DIRECTORY ${stage})
file(COPY ${TOOL} ${SOLVER} DESTINATION ${stage}
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
file(COPY ${SOURCE_DIR}/README.md ${SOURCE_DIR}/LICENSE ${SOURCE_DIR}/CHANGELOG.md DESTINATION ${stage}
    FILE_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
foreach(page piecefen piecefen-solve)
    execute_process(COMMAND ${GROFF} -man -Tascii -P-bcou ${SOURCE_DIR}/docs/${page}.1
        OUTPUT_FILE ${stage}/${page}.txt RESULT_VARIABLE failed)
    if(failed)
        message(FATAL_ERROR "groff could not render the man page ${page}.1")
    endif()
    file(CHMOD ${stage}/${page}.txt PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
endforeach()

# Listed one by one, so that the order of the entries does not hang on the file system.
get_filename_component(tool_name ${TOOL} NAME)
get_filename_component(solver_name ${SOLVER} NAME)
set(archive ${OUTPUT_DIR}/${NAME}.zip)
file(REMOVE ${archive})
execute_process(
    COMMAND ${CMAKE_COMMAND} -E env TZ=UTC
        ${CMAKE_COMMAND} -E tar cf ${archive} --format=zip "--mtime=${date}" --
        ${NAME}/${tool_name} ${NAME}/${solver_name} ${NAME}/README.md ${NAME}/LICENSE ${NAME}/CHANGELOG.md
        ${NAME}/piecefen.txt ${NAME}/piecefen-solve.txt
    WORKING_DIRECTORY ${OUTPUT_DIR} RESULT_VARIABLE failed)
# The zip entries also carry access and creation times, taken from the disk.
if(NOT failed)
    execute_process(COMMAND ${STRIP_NONDETERMINISM} --type zip --timestamp ${epoch} ${archive}
        RESULT_VARIABLE failed)
endif()
if(failed)
    message(FATAL_ERROR "could not write ${archive}")
endif()
