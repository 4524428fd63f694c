// Ends abnormally, as a converter that crashes on a hostile file does.
#include <cstdlib>

int main()
{
    std::abort();
}
