# Packs a zip the same way every time; reproducible.cmake's vorta_add_zip
# runs it as
#   cmake -DOUTPUT=file.zip -DFOLDER=name -DFILES=a|b -DPROGRAMS=c|d -P pack_zip.cmake
include(${CMAKE_CURRENT_LIST_DIR}/reproducible.cmake)
vorta_source_date_epoch(${CMAKE_CURRENT_LIST_DIR}/..)

# The members are staged as they will be unpacked, with modes set here rather
# than by whoever's umask made the inputs.
set(stage ${OUTPUT}.stage)
file(REMOVE_RECURSE ${stage} ${OUTPUT})
string(REPLACE "|" ";" FILES "${FILES}")
string(REPLACE "|" ";" PROGRAMS "${PROGRAMS}")
foreach(kind FILES PROGRAMS)
  set(mode OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
  if(kind STREQUAL PROGRAMS)
    list(APPEND mode OWNER_EXECUTE GROUP_EXECUTE WORLD_EXECUTE)
  endif()
  foreach(input ${${kind}})
    file(COPY ${input} DESTINATION ${stage}/${FOLDER} FILE_PERMISSIONS ${mode})
  endforeach()
endforeach()

file(GLOB_RECURSE members RELATIVE ${stage} ${stage}/*)
list(SORT members) # by bytes, whatever the locale
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  execute_process(COMMAND touch -d @$ENV{SOURCE_DATE_EPOCH} ${members}
    WORKING_DIRECTORY ${stage} COMMAND_ERROR_IS_FATAL ANY)
endif()
list(JOIN members "\n" names)
file(WRITE ${stage}.list "${names}\n")
# zip -X leaves out owner ids and extra time stamps; the one date it keeps is
# written in local time, so the time zone is fixed.
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC zip -X -9 -q ${OUTPUT} -@
  INPUT_FILE ${stage}.list WORKING_DIRECTORY ${stage} COMMAND_ERROR_IS_FATAL ANY)
file(REMOVE_RECURSE ${stage} ${stage}.list)
