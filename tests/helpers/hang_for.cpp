// Sleeps for the milliseconds given as the first argument, then exits with the code given as the
// second (0 without one).
#include <chrono>
#include <cstdlib>
#include <thread>

int main(int argc, char **argv)
{
    const long milliseconds = argc > 1 ? std::atol(argv[1]) : 1000;
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return argc > 2 ? std::atoi(argv[2]) : 0;
}
