// Stands in for a browser in the end-to-end tests: "recorder.exe LOG FILE" appends
// "FILE|<current directory>" to LOG and ends.
#include <windows.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    char cwd[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, cwd);
    std::FILE* log = std::fopen(argv[1], "a");
    if (!log) {
        return 1;
    }
    std::fprintf(log, "%s|%s\n", argv[2], cwd);
    std::fclose(log);
    return 0;
}
