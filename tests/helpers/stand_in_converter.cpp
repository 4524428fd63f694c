// SPDX-License-Identifier: GPL-3.0-or-later
// Stands in for the converter where the real one will not misbehave on demand. Takes the
// converter's arguments; what it does is named by the PDF's file name (without ".pdf"):
//   hang     a line of text, then nothing for ever
//   crash    a line of text, then a segmentation fault
//   killed   a line of text, then SIGKILL (as the out-of-memory killer ends a process)
//   greedy   takes memory until there is no more (a decompression bomb)
//   flood    50 MB on the error output, then a line of text, exit 0
//   empty    nothing at all, exit 0
//   slow     a line of text every 50 ms, 20 lines, exit 0
//   noisy-password  100 KB of warnings, then with -opw "Incorrect password" and exit 1; with
//                   -upw a line of text, exit 0
//   noisy-greedy    100 KB of warnings, then "Out of memory" and an abort
// With STAND_IN_PID_FILE set, it first writes its process id there.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>
#include <vector>

int main(int argc, char **argv)
{
    if (const char *pidFile = std::getenv("STAND_IN_PID_FILE")) {
        if (FILE *f = std::fopen(pidFile, "w")) {
            std::fprintf(f, "%d\n", int(getpid()));
            std::fclose(f);
        }
    }
    if (argc < 3)
        return 99;
    std::string pdf = argv[argc - 2];
    const auto slash = pdf.rfind('/');
    std::string mode = slash == std::string::npos ? pdf : pdf.substr(slash + 1);
    if (mode.size() > 4 && mode.compare(mode.size() - 4, 4, ".pdf") == 0)
        mode.resize(mode.size() - 4);
    const char *line = "A line of text from the stand-in converter.\n";

    if (mode == "hang" || mode == "crash" || mode == "killed") {
        std::fputs(line, stdout);
        std::fflush(stdout);
        if (mode == "crash")
            std::raise(SIGSEGV);
        if (mode == "killed")
            std::raise(SIGKILL);
        for (;;)
            pause();
    }
    if (mode == "greedy") {
        std::vector<char *> blocks;
        for (;;) {
            char *block = new char[16 * 1024 * 1024];
            std::memset(block, 1, 16 * 1024 * 1024);
            blocks.push_back(block);
        }
    }
    if (mode == "flood") {
        std::string noise(1024 * 1024, 'x');
        for (int i = 0; i < 50; ++i)
            std::fwrite(noise.data(), 1, noise.size(), stderr);
        std::fputs(line, stdout);
        return 0;
    }
    if (mode == "noisy-password" || mode == "noisy-greedy") {
        for (int i = 0; i < 4000; ++i)
            std::fputs("Syntax Warning: a warning of the stand-in converter\n", stderr);
        if (mode == "noisy-greedy") {
            std::fputs("Out of memory\n", stderr);
            std::abort();
        }
        if (std::strcmp(argv[1], "-upw") == 0) {
            std::fputs(line, stdout);
            return 0;
        }
        std::fputs("Command Line Error: Incorrect password\n", stderr);
        return 1;
    }
    if (mode == "empty")
        return 0;
    if (mode == "slow") {
        for (int i = 0; i < 20; ++i) {
            std::fputs(line, stdout);
            std::fflush(stdout);
            usleep(50 * 1000);
        }
        return 0;
    }
    return 98;
}
