/*
 * keycodes: the keyboard as the PC console delivers it, one code at a time.
 *
 * F1 gives 0 then 59, Up 224 then 72, Ctrl+C 3, Enter 13, Escape 27, in a
 * Linux or BSD terminal as on the Windows console. The manual page
 * keycodes(3) describes the code model, the terminal handling, signals and
 * threads.
 *
 * C89 and C++: every declaration here is plain C.
 */
#ifndef KEYCODES_H
#define KEYCODES_H

/* The version of this header; the library's is the same. */
#define KEYCODES_VERSION_MAJOR 1
#define KEYCODES_VERSION_MINOR 2
#define KEYCODES_VERSION_PATCH 0
#define KEYCODES_VERSION "1.2.0"

/* What keycodes_read_key returns when no key can be read: there is no
 * terminal (no console on Windows), or the terminal has hung up. */
#define KEYCODES_NO_KEY (-1)

#ifdef __cplusplus
extern "C" {
#endif

/* The next key code, 0..255, or KEYCODES_NO_KEY. Blocks until a code is
 * there; the key is not echoed and needs no Enter. A key that carries no
 * character gives two codes on two calls: a lead code (0 or 224), then the
 * key's code. The first call takes the terminal (raw input mode). */
int keycodes_read_key(void);

/* Non-zero when keycodes_read_key would return at once: a second code is
 * held, or a whole key has arrived and not been read. Never blocks. Zero
 * before the first keycodes_read_key. */
int keycodes_key_available(void);

/* Hands the terminal back as it was before the first read, now. The next
 * keycodes_read_key or keycodes_key_available takes it again. May be called
 * from a signal handler. */
void keycodes_restore_terminal(void);

/* With 0, the library leaves signals alone: it installs no handlers, or
 * puts back the ones it found if it has installed its own already. With
 * non-zero (the default) it restores the terminal on every signal that ends
 * or stops the process, calling a handler the program installed before the
 * first read after the restore. The terminal is restored at exit either
 * way. */
void keycodes_set_signal_handling(int enabled);

#ifdef __cplusplus
}
#endif

#endif
