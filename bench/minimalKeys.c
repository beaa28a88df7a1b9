/* minimal_keys: the same table as keycodes with the least work per key, as
 * the yardstick for the benchmark. One read() of one byte and one write()
 * of one row per key; no stdio. */

#define _POSIX_C_SOURCE 200809L

#include <fcntl.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

enum { cellWidth = 13, rowLength = 4 * cellWidth + 3, endKey = 32, maxDigits = 8, exitFailure = 1 };

static const char leadText[] =
    "Zeichencodes im Konsolemodus\n"
    "Geben Sie Zeichen ein, zu denen Sie den Code suchen (Leertaste fuer Ende)!\n"
    "\n"
    "   Zeichen   |   dezimal   | hexadezimal |    oktal    \n"
    "-------------------------------------------------------\n";
static const char promptText[] = "Press any key to finish.";
static const char digitAlphabet[] = "0123456789abcdef";

static void writeAll(int fd, const char* text, size_t length) {
  while (length > 0) {
    const ssize_t count = write(fd, text, length);
    if (count <= 0) {
      return;
    }
    text += count;
    length -= (size_t)count;
  }
}

/* Writes `length` bytes centred in a cell of cellWidth; returns the cell end. */
static char* putCentered(char* cell, const char* text, int length) {
  const int gap = cellWidth - length;
  const int left = gap / 2;
  memset(cell, ' ', cellWidth);
  memcpy(cell + left, text, (size_t)length);
  return cell + cellWidth;
}

static char* putCode(char* cell, unsigned code, unsigned base) {
  char digits[maxDigits];
  int length = maxDigits;
  do {
    digits[--length] = digitAlphabet[code % base];
    code /= base;
  } while (code != 0);
  return putCentered(cell, digits + length, maxDigits - length);
}

static void writeRow(unsigned char byte) {
  char row[rowLength + 1];
  char* end = putCentered(row, (const char*)&byte, 1);
  *end++ = '|';
  end = putCode(end, byte, 10);
  *end++ = '|';
  end = putCode(end, byte, 16);
  *end++ = '|';
  end = putCode(end, byte, 8);
  *end = '\n';
  writeAll(STDOUT_FILENO, row, sizeof row);
}

static void makeRaw(struct termios* settings) {
  settings->c_lflag &= ~(tcflag_t)(ICANON | ECHO | ISIG | IEXTEN);
  settings->c_iflag &= ~(tcflag_t)(IXON | ICRNL | INLCR | IGNCR | ISTRIP);
  settings->c_cc[VMIN] = 1;
  settings->c_cc[VTIME] = 0;
}

int main(void) {
  struct termios saved;
  struct termios raw;
  unsigned char byte = 0;
  const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0 || tcgetattr(fd, &saved) != 0) {
    return exitFailure;
  }
  raw = saved;
  makeRaw(&raw);
  tcsetattr(fd, TCSANOW, &raw);
  writeAll(STDOUT_FILENO, leadText, sizeof leadText - 1);
  do {
    if (read(fd, &byte, 1) != 1) {
      tcsetattr(fd, TCSANOW, &saved);
      return exitFailure;
    }
    writeRow(byte);
  } while (byte != endKey);
  writeAll(STDOUT_FILENO, promptText, sizeof promptText - 1);
  if (read(fd, &byte, 1) != 1) {
    byte = 0;
  }
  tcsetattr(fd, TCSANOW, &saved);
  return 0;
}
