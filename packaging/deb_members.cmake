# Run by cpack once it has made the package (CPACK_POST_BUILD_SCRIPTS). cpack
# gives the package's three members the modes that the packer's umask left
# on its files, so two builders' packages could differ there: the members
# are packed again by ar in its deterministic mode (owned by root, mode 644,
# undated), in the same order.
foreach(deb ${CPACK_PACKAGE_FILES})
  set(dir ${deb}.members)
  file(REMOVE_RECURSE ${dir})
  file(MAKE_DIRECTORY ${dir})
  execute_process(COMMAND ar t ${deb} OUTPUT_VARIABLE members COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX REPLACE "\n$" "" members "${members}")
  string(REPLACE "\n" ";" members "${members}")
  execute_process(COMMAND ar x ${deb} WORKING_DIRECTORY ${dir} COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE ${deb})
  execute_process(COMMAND ar rcD ${deb} ${members} WORKING_DIRECTORY ${dir}
    COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${dir})
endforeach()
