// Placeholder entry until the client logic lands: reports that nothing is wired yet.
#include <cstdio>

int main()
{
    std::fputs("qorcontrol: client not built yet\n", stderr);
    return 1;
}
