# output.cmake - how the script-driven test runners read what a Windows program printed
# (WINDOWS set; run through EMULATOR, Wine, by a cross build). vesk.exe writes its standard
# output and error in text mode, ending every line with CR LF: read here as LF, so that one
# expected output serves every system. Other CRs (a script printing "\r") stay as they are.
function(vesk_plainlines)
  if(NOT WINDOWS)
    return()
  endif()
  foreach(variable ${ARGN})
    string(REPLACE "\r\n" "\n" text "${${variable}}")
    set(${variable} "${text}" PARENT_SCOPE)
  endforeach()
endfunction()
