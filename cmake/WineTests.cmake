# qor_add_wine_test(NAME <name> COMMAND <target> [args...]
#                   [WIN32] [PORT80] [TIMEOUT s] [LABELS ...])
# Registers a Windows test program with CTest; the crosscompiling emulator
# (tools/wine-run.sh) runs it under Wine. Every such test carries the label
# "wine" (test.sh leaves the win32 ones out where 32-bit programs cannot
# run). WIN32 marks tests that the win32 preset runs too; PORT80 serialises
# tests that bind the server's port.
function(qor_add_wine_test)
  cmake_parse_arguments(T "WIN32;PORT80" "NAME;TIMEOUT" "COMMAND;LABELS" ${ARGN})
  add_test(NAME ${T_NAME} COMMAND ${T_COMMAND})
  # The component (webserver, treeview) is the name's first part and a label.
  string(REGEX REPLACE "\\..*" "" component ${T_NAME})
  set(labels wine ${component} ${T_LABELS})
  if(T_WIN32)
    list(APPEND labels win32)
  endif()
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES TIMEOUT ${T_TIMEOUT} LABELS "${labels}")
  if(T_PORT80)
    set_tests_properties(${T_NAME} PROPERTIES RESOURCE_LOCK port80)
  endif()
endfunction()
