# Fails when a link map shows an object of the simulated machine in an
# executable. Run after korvath.exe's link, so that neither the product nor its
# 32-bit twin can ship the simulation, whichever library its objects come from.
#
#   cmake -DMAP=korvath.map -DMAIN=KorvathMain.cpp -DSIMULATED=A.cpp,B.cpp -P CheckNoSimulation.cmake
#
# MAIN is an object the map must name, so that a missing or unreadable map
# cannot pass; SIMULATED are the source files of korvath_sim, split by commas.
if(NOT EXISTS "${MAP}")
  message(FATAL_ERROR "no link map at ${MAP}")
endif()
file(READ "${MAP}" map)
if(map STREQUAL "" OR NOT map MATCHES "${MAIN}\\.obj")
  message(FATAL_ERROR "${MAP} does not name ${MAIN}: not the link map of the program")
endif()
set(found "")
if(map MATCHES "libkorvath_sim\\.a")
  list(APPEND found "libkorvath_sim.a")
endif()
# A simulated seam compiled into another library still carries its name.
string(REGEX MATCHALL "\\(Simulat[A-Za-z]*\\.cpp\\.obj\\)" named "${map}")
foreach(object IN LISTS named)
  string(REGEX REPLACE "^\\((.*)\\.obj\\)$" "\\1" object "${object}")
  list(APPEND found "${object}")
endforeach()
string(REPLACE "," ";" SIMULATED "${SIMULATED}")
foreach(source IN LISTS SIMULATED)
  get_filename_component(name "${source}" NAME)
  string(FIND "${map}" "(${name}.obj)" at)
  if(at GREATER -1)
    list(APPEND found "${name}")
  endif()
endforeach()
list(REMOVE_DUPLICATES found)
if(found)
  list(JOIN found ", " found)
  # On one line of its own: an error message is wrapped at the terminal's
  # width, which depends on how long the build's path is.
  message(NOTICE "links simulated code: ${found}")
  message(FATAL_ERROR "${MAP}: the executable links simulated code: ${found}")
endif()
