# Two ways to install the programs and their data:
#
# - A flat, runnable folder (`cmake --install <build> --prefix <dir>`): every program beside
#   the files it reads from its current directory. It is made of components that each run on
#   their own: `engine` (shogi-engine and the book), `game` (the game program, its music and
#   book), `launcher` (the launcher, its movie and start file, and the game it starts) and
#   `record` (the record converter).
# - The Debian package (`cpack -G DEB`, see packaging/): the component `package`, left out of a
#   plain install, lays the same files out by the conventions for games under /usr.
set(SHOGI_PKG_GAMES games)
set(SHOGI_PKG_LIB lib/games/shogi)
set(SHOGI_PKG_DATA share/games/shogi)
set(SHOGI_PKG_DOC share/doc/shogi)
set(SHOGI_PKG_MAN share/man/man6)

# shogi_install(<TARGETS|FILES|PROGRAMS> <item>... [COMPONENTS <flat component>...]
#               [PACKAGE <destination in the package>])
function(shogi_install kind)
  cmake_parse_arguments(I "" "PACKAGE" "COMPONENTS" ${ARGN})
  set(items ${I_UNPARSED_ARGUMENTS})
  if(kind STREQUAL "TARGETS")
    set(where RUNTIME DESTINATION)
  else()
    set(where DESTINATION)
  endif()
  foreach(component IN LISTS I_COMPONENTS)
    install(${kind} ${items} ${where} . COMPONENT ${component})
  endforeach()
  if(I_PACKAGE)
    install(${kind} ${items} ${where} ${I_PACKAGE} COMPONENT package EXCLUDE_FROM_ALL)
  endif()
endfunction()
