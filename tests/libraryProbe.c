/* Uses the library the way a program with ideas of its own does, so that a
 * test on a pty can check what the library does to the terminal and to the
 * signals. The first argument picks the case:
 *
 *   handback  asks whether a key is available, reads a key, hands the
 *             terminal back, says "restored", waits
 *             for a line on standard input, then reads a key again;
 *   handlers  installs handlers of its own for SIGTERM, SIGHUP (with
 *             SA_SIGINFO) and SIGTSTP before the first read, then reads two
 *             keys, and after each says which handler ran meanwhile and
 *             whether the terminal was restored while it ran;
 *   quiet     turns the library's signal handling off before the first
 *             read, reads a key, says which signals still have their
 *             default action, then waits for a signal;
 *   toggle    installs a SIGTERM handler, reads a key, turns the library's
 *             handling off and on, and says what SIGTERM's action was
 *             after each.
 *
 * Every code read is written as "code N". */
#define _POSIX_C_SOURCE 200809L

#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <keycodes.h>

static int terminal = -1;
static volatile sig_atomic_t handledSignal = 0;
static volatile sig_atomic_t sawEcho = 0;
static volatile sig_atomic_t senderKnown = 0;

static void say(const char* text) {
  fputs(text, stdout);
  fputs("\n", stdout);
  fflush(stdout);
}

static int readCode(void) {
  int code = keycodes_read_key();
  printf("code %d\n", code);
  fflush(stdout);
  return code;
}

/* Whether the terminal echoes, as it does when the library has given it
 * back. tcgetattr may be called in a signal handler. */
static void noteTerminal(int signalNumber) {
  static const char mark[] = "in handler\n";
  struct termios settings;
  handledSignal = signalNumber;
  sawEcho = tcgetattr(terminal, &settings) == 0 && (settings.c_lflag & ECHO) != 0;
  if (write(STDOUT_FILENO, mark, sizeof mark - 1) < 0) {
    handledSignal = -signalNumber;
  }
}

static void onSignal(int signalNumber) { noteTerminal(signalNumber); }

static void onSignalWithInfo(int signalNumber, siginfo_t* info, void* context) {
  (void)context;
  noteTerminal(signalNumber);
  senderKnown = info != NULL && info->si_pid == getppid();
}

static void install(int signalNumber, int withInfo) {
  struct sigaction action;
  memset(&action, 0, sizeof action);
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  if (withInfo) {
    action.sa_flags |= SA_SIGINFO;
    action.sa_sigaction = onSignalWithInfo;
  } else {
    action.sa_handler = onSignal;
  }
  sigaction(signalNumber, &action, NULL);
}

static void reportHandler(void) {
  printf("handled %d echo %d sender %d\n", (int)handledSignal, (int)sawEcho, (int)senderKnown);
  fflush(stdout);
  handledSignal = 0;
}

static const char* actionOf(int signalNumber) {
  struct sigaction action;
  sigaction(signalNumber, NULL, &action);
  if ((action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == SIG_DFL) {
    return "default";
  }
  if ((action.sa_flags & SA_SIGINFO) == 0 && action.sa_handler == onSignal) {
    return "program";
  }
  return "other";
}

static int handBack(void) {
  char line[64];
  /* Before the first read: no terminal taken yet, no key. Told after the
   * read, so that it follows the terminal's opening. */
  const int before = keycodes_key_available();
  readCode();
  printf("available before %d\n", before);
  keycodes_restore_terminal();
  say("restored");
  if (fgets(line, sizeof line, stdin) == NULL) {
    return 1;
  }
  readCode();
  return 0;
}

static int handlers(void) {
  install(SIGTERM, 0);
  install(SIGHUP, 1);
  install(SIGTSTP, 0);
  readCode();
  reportHandler();
  readCode();
  reportHandler();
  return 0;
}

static int quiet(void) {
  keycodes_set_signal_handling(0);
  readCode();
  printf("TERM %s TSTP %s CONT %s SEGV %s\n", actionOf(SIGTERM), actionOf(SIGTSTP), actionOf(SIGCONT),
         actionOf(SIGSEGV));
  fflush(stdout);
  /* Until a signal ends the probe. */
  while (pause() == -1) {
  }
  return 0;
}

static int toggle(void) {
  install(SIGTERM, 0);
  readCode();
  printf("on %s", actionOf(SIGTERM));
  keycodes_set_signal_handling(0);
  printf(" off %s TSTP %s", actionOf(SIGTERM), actionOf(SIGTSTP));
  keycodes_set_signal_handling(1);
  printf(" on %s\n", actionOf(SIGTERM));
  fflush(stdout);
  return 0;
}

int main(int argc, char** argv) {
  terminal = open("/dev/tty", O_RDONLY | O_NOCTTY);
  if (argc != 2 || terminal < 0) {
    return 2;
  }
  if (strcmp(argv[1], "handback") == 0) {
    return handBack();
  }
  if (strcmp(argv[1], "handlers") == 0) {
    return handlers();
  }
  if (strcmp(argv[1], "quiet") == 0) {
    return quiet();
  }
  if (strcmp(argv[1], "toggle") == 0) {
    return toggle();
  }
  return 2;
}
