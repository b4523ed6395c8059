# cppcheck as CMake's CXX_CPPCHECK runs it: any finding fails the compile step, with its file and line.
# Information lines (a check level's limits, say) tell of cppcheck itself: printed, they fail nothing,
# whereas cppcheck 2.17 would count them for its --error-exitcode.
#   cmake -P cppcheck.cmake -- cppcheck [arguments...] source
math(EXPR last "${CMAKE_ARGC} - 1")
foreach(index RANGE 4 ${last})
    list(APPEND command "${CMAKE_ARGV${index}}")
endforeach()
execute_process(COMMAND ${command} RESULT_VARIABLE status ERROR_VARIABLE output)
string(REGEX REPLACE "[^\n]*: information: [^\n]*\n?" "" findings "${output}")
if(output)
    message(NOTICE "${output}")
endif()
if(NOT status EQUAL 0 OR findings MATCHES "[^\n]")
    message(FATAL_ERROR "cppcheck: findings above (exit ${status})")
endif()
