/* minimal_keys: the same table as keycodes with the least work per key, as
 * the yardstick for the benchmark. One read() of whatever the terminal has,
 * and one write() of the rows of all the bytes it gave, as keycodes writes
 * the rows of keys that arrive together; no stdio, no decoding. */

#define _POSIX_C_SOURCE 200809L

#include <fcntl.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

enum { cellWidth = 13, rowLength = 4 * cellWidth + 3, endKey = 32, maxDigits = 8, exitFailure = 1, chunkSize = 4096 };

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

/* Puts the row of `byte` at `row`; returns the end of the row. */
static char* putRow(char* row, unsigned char byte) {
  char* end = putCentered(row, (const char*)&byte, 1);
  *end++ = '|';
  end = putCode(end, byte, 10);
  *end++ = '|';
  end = putCode(end, byte, 16);
  *end++ = '|';
  end = putCode(end, byte, 8);
  *end++ = '\n';
  return end;
}

static void makeRaw(struct termios* settings) {
  settings->c_lflag &= ~(tcflag_t)(ICANON | ECHO | ISIG | IEXTEN);
  settings->c_iflag &= ~(tcflag_t)(IXON | ICRNL | INLCR | IGNCR | ISTRIP);
  settings->c_cc[VMIN] = 1;
  settings->c_cc[VTIME] = 0;
}

/* The rows of one read, written together; 1 when the end key was among the
 * bytes (the bytes after it are left unread, as the table ends there). */
static int writeRows(const unsigned char* bytes, ssize_t count, char* rows) {
  char* end = rows;
  int ended = 0;
  for (ssize_t index = 0; index < count && !ended; ++index) {
    end = putRow(end, bytes[index]);
    ended = bytes[index] == endKey;
  }
  writeAll(STDOUT_FILENO, rows, (size_t)(end - rows));
  return ended;
}

int main(void) {
  static unsigned char bytes[chunkSize];
  static char rows[chunkSize * (rowLength + 1)];
  struct termios saved;
  struct termios raw;
  unsigned char byte = 0;
  ssize_t count = 0;
  const int fd = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0 || tcgetattr(fd, &saved) != 0) {
    return exitFailure;
  }
  raw = saved;
  makeRaw(&raw);
  tcsetattr(fd, TCSANOW, &raw);
  writeAll(STDOUT_FILENO, leadText, sizeof leadText - 1);
  do {
    count = read(fd, bytes, sizeof bytes);
    if (count <= 0) {
      tcsetattr(fd, TCSANOW, &saved);
      return exitFailure;
    }
  } while (!writeRows(bytes, count, rows));
  writeAll(STDOUT_FILENO, promptText, sizeof promptText - 1);
  if (read(fd, &byte, 1) != 1) {
    byte = 0;
  }
  tcsetattr(fd, TCSANOW, &saved);
  return 0;
}
