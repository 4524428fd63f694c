// Writes the megabytes given as the first argument to standard output and as many to standard
// error, as poppler does with the warnings about a hostile file; then exits with 0.
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char **argv)
{
    const long megabytes = argc > 1 ? std::atol(argv[1]) : 16;
    const std::vector<char> block(1 << 20, 'w');
    for (long i = 0; i < megabytes; ++i) {
        std::fwrite(block.data(), 1, block.size(), stdout);
        std::fwrite(block.data(), 1, block.size(), stderr);
    }
    return 0;
}
