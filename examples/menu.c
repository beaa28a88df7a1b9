/* menu: a list in the terminal with one line highlighted. Up and Down move
 * the highlight, Enter prints the line chosen and ends the program, Escape
 * ends it without a choice (exit status 1).
 *
 * The keys come from keycodes as the PC console delivers them: Up is 224
 * then 72, Down 224 then 80 (a lead of 0 where a console does not mark the
 * cursor keys apart from the keypad's), Enter 13 and Escape 27. */
#include <stdio.h>

#include <keycodes.h>

static const char* const lines[] = {"Apples", "Bread", "Cheese", "Dates", "Eggs"};
#define LINE_COUNT ((int)(sizeof lines / sizeof lines[0]))

enum { ENTER = 13, ESCAPE = 27, UP = 72, DOWN = 80 };

/* Each line from its start, the chosen one in reverse video (ESC [ 7 m,
 * back to normal with ESC [ m), the rest of the line erased (ESC [ K). */
static void drawLines(int chosen) {
  int line;
  for (line = 0; line < LINE_COUNT; ++line) {
    fputs(line == chosen ? "\r\033[7m " : "\r ", stdout);
    fputs(lines[line], stdout);
    fputs(" \033[m\033[K\n", stdout);
  }
  fflush(stdout);
}

int main(void) {
  int chosen = 0;
  int key;
  puts("Up and Down choose a line, Enter takes it, Escape leaves.");
  drawLines(chosen);
  for (;;) {
    key = keycodes_read_key();
    if (key == KEYCODES_NO_KEY || key == ESCAPE) {
      return 1;
    }
    if (key == ENTER) {
      break;
    }
    if (key == 0 || key == 224) {
      key = keycodes_read_key();
      if (key == UP && chosen > 0) {
        --chosen;
      } else if (key == DOWN && chosen < LINE_COUNT - 1) {
        ++chosen;
      } else {
        continue;
      }
      /* Back to the first line (ESC [ n A: n lines up) and over again. */
      printf("\033[%dA", LINE_COUNT);
      drawLines(chosen);
    }
  }
  /* The terminal as it was before, then the answer. */
  keycodes_restore_terminal();
  printf("Selected: %s\n", lines[chosen]);
  return 0;
}
