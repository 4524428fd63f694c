// Writes every argument after the first into the file named by the first, each followed by a
// line feed, byte for byte as received; then exits with 0 (2 when the file cannot be written).
#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    if (argc < 2)
        return 2;
    std::FILE *out = std::fopen(argv[1], "wb");
    if (!out)
        return 2;
    for (int i = 2; i < argc; ++i) {
        std::fwrite(argv[i], 1, std::strlen(argv[i]), out);
        std::fputc('\n', out);
    }
    return std::fclose(out) == 0 ? 0 : 2;
}
