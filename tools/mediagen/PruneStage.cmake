cmake_minimum_required(VERSION 3.25)
# Removes files from the media stage that no generator produces any more (a renamed or
# dropped output), so the archive holds exactly the current media. Run with -DSTAGE=<dir>
# -DKEEP=<list of staged paths>.
file(GLOB_RECURSE present LIST_DIRECTORIES false ${STAGE}/*)
foreach(path IN LISTS present)
  if(NOT path IN_LIST KEEP)
    message(STATUS "Removing stale media file ${path}")
    file(REMOVE ${path})
  endif()
endforeach()
