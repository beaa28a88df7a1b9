# Cross-builds keycodes.exe with MinGW-w64 when it is installed.
