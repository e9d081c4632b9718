#include <cstdio>

int main()
{
    std::fputs("velmora: the application is not built yet\n", stderr);
    return 1;
}
