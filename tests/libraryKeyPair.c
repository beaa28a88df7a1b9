/* Reads one key that gives two codes, such as F1 (0, 59), through the
 * shared library from a C89 program, and prints the first code, whether
 * keycodes_key_available said a code was at hand after it, and the second
 * code: "0 1 59" for F1. Built with -std=c89 -pedantic-errors, so that the
 * header stays plain C89; links no C++ runtime of its own. */
#include <stdio.h>

#include <keycodes.h>

int main(void) {
  int first;
  int available;
  int second;
  first = keycodes_read_key();
  available = keycodes_key_available() != 0;
  second = keycodes_read_key();
  printf("%d %d %d\n", first, available, second);
  return first == KEYCODES_NO_KEY ? 1 : 0;
}
