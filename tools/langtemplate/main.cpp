// Writes the program's built-in English string table as the language file translators start from.
#include "talvodesk/core/options/StringTable.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: langtemplate <file>\n");
        return 2;
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << "# Talvo's English texts by number: the template for a translation. Keep every number, and in each text\n"
           "# its placeholders (%d, %1!d!, ...) in kind and order, its line breaks (\\n) and its & marks.\n"
        << talvodesk::StringTable::english().fileText();
    out.close();
    if (!out) {
        std::fprintf(stderr, "langtemplate: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
