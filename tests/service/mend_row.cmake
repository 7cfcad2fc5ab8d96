# One row of the mend checks: the schema compiler writes its serialisers into
# OUT, the text BREAK in them becomes INTO, as if the toolkit wrote something
# else there, and the mends run on the result; the test expects them to stop
# the build with the message of the mend whose text is gone.
#
#   cmake -DSOAPCPP2=... -DSCHEMA=<qorcontrol.h> -DMENDS=<mend_generated.cmake>
#         -DOUT=<dir> -DBREAK=<text> -DINTO=<text> -P mend_row.cmake
file(REMOVE_RECURSE "${OUT}")
file(MAKE_DIRECTORY "${OUT}")
get_filename_component(_schema_dir "${SCHEMA}" DIRECTORY)
execute_process(COMMAND "${SOAPCPP2}" -C -L -w -x -z2 "-d${OUT}" "-I${_schema_dir}" "${SCHEMA}"
                RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_QUIET)
if(_rc)
  message(FATAL_ERROR "mend row: the schema compiler failed")
endif()
file(READ "${OUT}/soapC.cpp" _src)
string(FIND "${_src}" "${BREAK}" _at)
if(_at EQUAL -1)
  message(FATAL_ERROR "mend row: '${BREAK}' is not in the generated code")
endif()
string(REPLACE "${BREAK}" "${INTO}" _src "${_src}")
file(WRITE "${OUT}/soapC.cpp" "${_src}")
execute_process(COMMAND "${CMAKE_COMMAND}" "-DDIR=${OUT}" -P "${MENDS}"
                RESULT_VARIABLE _rc OUTPUT_QUIET ERROR_VARIABLE _err)
message("${_err}")
file(REMOVE_RECURSE "${OUT}")
