// Leaves standard output's file description non-blocking, as a program
// that set it so and ended without putting it back would, then runs the
// command given: nonblocking_output PROGRAM [ARGUMENT...].

#include <fcntl.h>
#include <unistd.h>

int main(int argc, char** argv) {
  if (argc < 2) {
    return 2;
  }
  const int flags = fcntl(STDOUT_FILENO, F_GETFL);
  if (flags < 0 || fcntl(STDOUT_FILENO, F_SETFL, flags | O_NONBLOCK) != 0) {
    return 2;
  }
  execv(argv[1], argv + 1);
  return 127;
}
