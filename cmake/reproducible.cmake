# What makes an archive of the game come out the same, byte for byte, from
# two builds of the same commit, wherever and whenever they run: one date for
# everything in it, the last commit's, and members packed in a fixed order
# with fixed owners and modes. (The binaries themselves are kept free of
# build paths by common.cmake.) Any build of the game may include this: the
# Linux package, the Windows zip, the web zip.

set(VORTA_PACK_ZIP_SCRIPT ${CMAKE_CURRENT_LIST_DIR}/pack_zip.cmake)

# Sets the environment's SOURCE_DATE_EPOCH (the convention of reproducible
# builds, which CPack and our zips follow) unless the caller set it: the
# time of the last commit of the source tree at `root`, or where there is no
# git history (an unpacked source package) the date of the last entry of
# debian/changelog. Without either, archives carry the time of the build.
function(vorta_source_date_epoch root)
  if(DEFINED ENV{SOURCE_DATE_EPOCH})
    return()
  endif()
  execute_process(COMMAND git -C ${root} log -1 --format=%ct
    OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  if(NOT epoch MATCHES "^[0-9]+$")
    execute_process(COMMAND dpkg-parsechangelog -l ${root}/debian/changelog -STimestamp
      OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
  endif()
  if(epoch MATCHES "^[0-9]+$")
    set(ENV{SOURCE_DATE_EPOCH} ${epoch})
  else()
    message(WARNING "No git history and no debian/changelog at ${root}: "
                    "the archives will carry the time of the build")
  endif()
endfunction()

# A target (built by default) that packs a zip for players:
#   vorta_add_zip(target OUTPUT file.zip FOLDER name FILES ... [PROGRAMS ...]
#                 [DEPENDS ...])
# FILES (mode 644) and PROGRAMS (mode 755) go side by side into the folder
# `name` in the zip, sorted by name, every one dated SOURCE_DATE_EPOCH (taken
# from the source tree this file belongs to when unset), with no owner ids
# and no extra time stamps. It needs Info-ZIP's zip.
function(vorta_add_zip target)
  cmake_parse_arguments(ZIP "" "OUTPUT;FOLDER" "FILES;PROGRAMS;DEPENDS" ${ARGN})
  # Lists cross the command line with | between their items.
  string(REPLACE ";" "|" files "${ZIP_FILES}")
  string(REPLACE ";" "|" programs "${ZIP_PROGRAMS}")
  get_filename_component(name ${ZIP_OUTPUT} NAME)
  add_custom_command(OUTPUT ${ZIP_OUTPUT}
    COMMAND ${CMAKE_COMMAND} -DOUTPUT=${ZIP_OUTPUT} -DFOLDER=${ZIP_FOLDER} -DFILES=${files}
            -DPROGRAMS=${programs} -P ${VORTA_PACK_ZIP_SCRIPT}
    DEPENDS ${ZIP_FILES} ${ZIP_PROGRAMS} ${ZIP_DEPENDS} ${VORTA_PACK_ZIP_SCRIPT}
            ${CMAKE_CURRENT_FUNCTION_LIST_FILE}
    COMMENT "Packing ${name}" VERBATIM)
  add_custom_target(${target} ALL DEPENDS ${ZIP_OUTPUT})
endfunction()
