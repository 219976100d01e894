# Emscripten's file packager names each build's data package by a random id,
# which the page never uses (it keeps no cache of the data). So that two builds
# of a commit give the same page, the id becomes one made from the data itself:
#   cmake -DSCRIPT=vorta-kemi.js -DDATA=vorta-kemi.data -P fix_package_id.cmake
file(MD5 ${DATA} sum)
string(REGEX REPLACE "^(........)(....)(....)(....)(............)$" "\\1-\\2-\\3-\\4-\\5" id ${sum})
file(READ ${SCRIPT} text)
string(REGEX REPLACE "\"package_uuid\":\"[^\"]*\"" "\"package_uuid\":\"${id}\"" fixed "${text}")
if(NOT fixed STREQUAL text)
  file(WRITE ${SCRIPT} "${fixed}")
endif()
