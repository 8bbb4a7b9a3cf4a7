// Built with the program's compile options. With _FORTIFY_SOURCE on, a
// write into a buffer of known size but with a length known only at run
// time goes through the checked __snprintf_chk.
#include <cstddef>
#include <cstdio>

int main(int argc, char **argv)
{
    char buffer[8];
    const std::size_t length = static_cast<std::size_t>(argc) + 6;
    std::snprintf(buffer, length, "%s", argc > 0 ? argv[0] : "");
    return buffer[0] == '\0';
}
