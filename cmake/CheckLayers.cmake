cmake_minimum_required(VERSION 3.25)
# Layer boundary check, run as a build step (cmake -P).
#
# Everything above platform/ is portable C++: it includes only our own headers, the
# standard library and zlib. Inside the engine, each folder names the folders it may use,
# so a wrong-way include fails the build instead of turning into a hidden cycle. The
# screensaver's folders are ordered the same way: the sounds know nothing of the shell, the
# shell nothing of the clock room; only the program's entry (shell/main.cpp), which makes
# the clock room's application, sees them all.

set(engine_core      core)
set(engine_data      core data)
set(engine_device    core device)
set(engine_render    core device render)
set(engine_app       core device render app)
set(engine_resources core data device render app resources)
set(engine_scene     core data device render app resources scene)
set(engine_input     core app input)
set(engine_gui       core data device render app resources input gui)
set(saver_audio      audio)
set(saver_shell      audio shell)
set(saver_clockroom  audio shell clockroom)
set(sees_everything  shell/main.cpp)

file(GLOB_RECURSE files RELATIVE ${ROOT}
  ${ROOT}/platform/*.h ${ROOT}/platform/*.cpp
  ${ROOT}/engine/*.h ${ROOT}/engine/*.cpp
  ${ROOT}/audio/*.h ${ROOT}/audio/*.cpp
  ${ROOT}/shell/*.h ${ROOT}/shell/*.cpp
  ${ROOT}/clockroom/*.h ${ROOT}/clockroom/*.cpp)

set(errors "")
foreach(file IN LISTS files)
  string(REPLACE "/" ";" parts ${file})
  list(GET parts 0 top)
  list(LENGTH parts depth)
  set(sub "")
  if(depth GREATER 2)
    list(GET parts 1 sub)
  endif()
  file(STRINGS ${ROOT}/${file} lines REGEX "^[ \t]*#[ \t]*include")
  foreach(line IN LISTS lines)
    if(NOT line MATCHES "#[ \t]*include[ \t]*([<\"])([^>\"]+)[>\"]")
      continue()
    endif()
    set(kind ${CMAKE_MATCH_1})
    set(inc ${CMAKE_MATCH_2})
    set(bad "")
    if(top STREQUAL "platform")
      if(inc MATCHES "^(engine|shell|clockroom|audio)/")
        set(bad "platform code must not use the layers above it")
      endif()
    else()
      if(kind STREQUAL "<")
        # Standard C++ headers have no extension; zlib is the one library allowed here.
        if(inc MATCHES "[./]" AND NOT inc STREQUAL "zlib.h")
          set(bad "only platform/ may include system or library headers")
        endif()
      elseif(inc MATCHES "^engine/([^/]+)/")
        set(target_sub ${CMAKE_MATCH_1})
        if(top STREQUAL "engine")
          if(NOT target_sub IN_LIST engine_${sub})
            set(bad "engine/${sub} must not use engine/${target_sub}")
          endif()
        endif()
      elseif(inc MATCHES "^(shell|clockroom|audio)/")
        set(target_top ${CMAKE_MATCH_1})
        if(top STREQUAL "engine")
          set(bad "the engine must not use the screensaver")
        elseif(NOT target_top IN_LIST saver_${top} AND NOT file IN_LIST sees_everything)
          set(bad "${top}/ must not use ${target_top}/")
        endif()
      endif()
    endif()
    if(bad)
      string(APPEND errors "  ${file}: includes ${inc}: ${bad}\n")
    endif()
  endforeach()
endforeach()

if(errors)
  message(FATAL_ERROR "Layer boundary violations:\n${errors}")
endif()
file(WRITE ${STAMP} "ok\n")
