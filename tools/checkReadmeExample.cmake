# Fails unless README.md holds the C example EXAMPLE word for word, in a
# ```c block of its own.
#
#   cmake -DREADME=README.md -DEXAMPLE=examples/keys.c -P checkReadmeExample.cmake
file(READ ${README} readme)
file(READ ${EXAMPLE} example)
string(FIND "${readme}" "```c\n${example}```\n" at)
if(at EQUAL -1)
  message(FATAL_ERROR "README.md has no ```c block that is ${EXAMPLE} word for word: copy the file into it")
endif()
message(STATUS "README.md shows ${EXAMPLE} as it is")
