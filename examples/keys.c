#include <stdio.h>
#include <keycodes.h>

int main(void) {
  int code;
  puts("Press keys, Escape ends.");
  while ((code = keycodes_read_key()) != 27 && code != KEYCODES_NO_KEY)
    printf("%d%s", code, keycodes_key_available() ? " " : "\n");
  return 0;
}
