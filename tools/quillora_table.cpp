// Prints the plant table as UTF-8 TSV: one line per row, eleven cells (display name, photo
// stem and the nine values exactly as stored). A tab or a line break inside a value would
// break the format, so the program refuses to print one.

#include "herbcatalogue.h"

#include <cstdio>
#include <cstring>

int main()
{
    for (HerbNumber n = 1; n <= HerbCatalogue::count(); ++n) {
        const HerbEntry *row = HerbCatalogue::entryAt(n);
        std::string line = std::string(row->displayName) + '\t' + row->photoStem;
        for (const char *value : row->values)
            line += std::string("\t") + value;
        const char *cells[] = {row->displayName, row->photoStem};
        bool bad = false;
        for (const char *cell : cells)
            bad = bad || std::strpbrk(cell, "\t\r\n");
        for (const char *value : row->values)
            bad = bad || std::strpbrk(value, "\t\r\n");
        if (bad) {
            std::fprintf(stderr, "quillora-table: row %d (%s) holds a tab or a line break\n", n,
                         row->displayName);
            return 1;
        }
        std::fputs((line + '\n').c_str(), stdout);
    }
    return 0;
}
